// The form of one device record: add a found device, add and activate one
// that has no password yet, or edit a saved one. It talks to neither the SDK
// nor the registry; whoever listens to AddDevice does.
#pragma once

#include <QDialog>

#include "Device.h"
#include "ui_DeviceAddDialog.h"

class DeviceAddDialog : public QDialog {
    Q_OBJECT

  public:
    DeviceAddDialog(bool edit, const Device& device, QWidget* parent = nullptr);
    ~DeviceAddDialog() override;

    void setActivateMode();

  signals:
    void AddDevice(Device device);

  private slots:
    void on_addButton_clicked();
    void on_cancelButton_clicked();
    void on_passwordCheckBox_stateChanged(int state);

  private:
    Ui::DeviceAddDialogClass ui;
    Device device_;  // what the form does not show goes back out unchanged
};
