// The device's eight Modbus channels: their parameters, live data and value
// writes, their register tables (16 entries, one shown at a time), the 12 V
// alarm output with the Modbus TCP and LoRa ids, and LoRa control.
#pragma once

#include <QWidget>

#include "PageKit.h"
#include "PageKitEdits.h"
#include "TslIoT.h"
#include "ui_IotModbusForm.h"

class IotModbusForm : public QWidget {
    Q_OBJECT
  public:
    explicit IotModbusForm(QWidget* parent = nullptr);
    ~IotModbusForm() override;

  private Q_SLOTS:
    void on_modbusGetButton_clicked();
    void on_modbusSetButton_clicked();
    void on_modbusDeleteButton_clicked();
    void on_modbusClearButton_clicked();
    void on_dataGetButton_clicked();
    void on_dataComboBox_currentIndexChanged(int index);
    void on_modbusWriteButton_clicked();
    void on_regGetButton_clicked();
    void on_regComboBox_currentIndexChanged(int index);
    void on_regSetButton_clicked();
    void on_regDeleteButton_clicked();
    void on_regClearButton_clicked();
    void on_alarm12vGetButton_clicked();
    void on_alarm12vSetButton_clicked();
    void on_loraControlButton_clicked();

  private:
    void showData(const Np_IoTModbusData& data, int entry);
    void showRegister(const Np_IoTRegisterParams& regs, int entry);
    void storeRegister(Np_IoTRegisterParams& regs, int entry);
    // Entry 1 shown from the copy, without storing the edits first.
    void showFirstRegister();

    Ui::IotModbusFormClass ui;
    kit::EntryTable<Np_IoTModbusData> data_;
    kit::EntryTable<Np_IoTRegisterParams> registers_;
    kit::EntryNumbers registerNumbers_;
};
