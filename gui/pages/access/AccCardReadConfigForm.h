// The page that finds the card reader on an access controller's reader bus,
// reads its serial number and gives it a new bus address.
#pragma once

#include <QWidget>

#include "TslAcc.h"
#include "ui_AccCardReadConfigForm.h"

class AccCardReadConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit AccCardReadConfigForm(QWidget* parent = nullptr);
    ~AccCardReadConfigForm() override;

  private Q_SLOTS:
    void on_searchAddrButton_clicked();
    void on_readSerialNoButton_clicked();
    void on_modifyAddrButton_clicked();

  private:
    Ui::AccCardReadConfigFormClass ui;
};
