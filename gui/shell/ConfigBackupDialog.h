// Exports the current device's configuration to a file or imports it from one.
#pragma once

#include "TransferDialog.h"
#include "ui_ConfigBackupDialog.h"

class ConfigBackupDialog : public TransferDialog {
    Q_OBJECT

  public:
    explicit ConfigBackupDialog(QWidget* parent = nullptr);
    ~ConfigBackupDialog() override;

  signals:
    void update_single(int value);

  private slots:
    void on_cancelButton_clicked();
    void on_exportButton_clicked();
    void on_importButton_clicked();
    void update_slot(int value);

  private:
    void start(bool exporting);
    void stop();

    Ui::ConfigBackupDialogClass ui;
    bool exporting = false;
};
