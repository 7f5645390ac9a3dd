// Changes the current device's login password, and the stored one with it.
#pragma once

#include <QDialog>

#include "ui_PasswordModifyDialog.h"

class PasswordModifyDialog : public QDialog {
    Q_OBJECT

  public:
    explicit PasswordModifyDialog(QWidget* parent = nullptr);
    ~PasswordModifyDialog() override;

  private slots:
    void on_setButton_clicked();
    void on_cancelButton_clicked();
    void on_passwordCheckBox_stateChanged(int state);

  private:
    Ui::PasswordModifyDialogClass ui;
};
