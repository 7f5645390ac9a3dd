// The page of one door's settings and of the controller's door work modes.
#pragma once

#include <QWidget>

#include "TslAcc.h"
#include "ui_AccChannelConfigForm.h"

class AccChannelConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit AccChannelConfigForm(QWidget* parent = nullptr);
    ~AccChannelConfigForm() override;

  private Q_SLOTS:
    void on_getButton_clicked();
    void on_setButton_clicked();
    void on_modeGetButton_clicked();
    void on_modeSetButton_clicked();
    void on_modeDelButton_clicked();
    void on_modeClearButton_clicked();

  private:
    Ui::AccChannelConfigFormClass ui;
};
