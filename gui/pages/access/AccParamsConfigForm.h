// The page of an access controller's parameters, storage figures and
// system text.
#pragma once

#include <QWidget>

#include "TslAcc.h"
#include "ui_AccParamsConfigForm.h"

class AccParamsConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit AccParamsConfigForm(QWidget* parent = nullptr);
    ~AccParamsConfigForm() override;

  private Q_SLOTS:
    void on_getButton_clicked();
    void on_setButton_clicked();
    void on_infoGetButton_clicked();
    void on_sysInfoGetButton_clicked();

  private:
    QSpinBox* volumeBox(int door) const;

    Ui::AccParamsConfigFormClass ui;
};
