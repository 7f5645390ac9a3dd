// Sends a firmware file to the current device, with progress and a stop.
#pragma once

#include "TransferDialog.h"
#include "ui_FirmwareUpdateDialog.h"

class FirmwareUpdateDialog : public TransferDialog {
    Q_OBJECT

  public:
    explicit FirmwareUpdateDialog(QWidget* parent = nullptr);
    ~FirmwareUpdateDialog() override;

  signals:
    void update_single(int value);

  private slots:
    void on_cancelButton_clicked();
    void on_fileButton_clicked();
    void on_updateButton_clicked();
    void update_slot(int value);

  private:
    Ui::FirmwareUpdateDialogClass ui;
    QString filePath;
};
