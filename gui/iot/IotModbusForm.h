// The page of Modbus settings, data, registers, alarm IO and LoRa control. Not built yet: an empty page at
// its place in the main window's page stack.
#pragma once

#include <QWidget>

class IotModbusForm : public QWidget {
    Q_OBJECT
  public:
    explicit IotModbusForm(QWidget* parent = nullptr);
    ~IotModbusForm() override;
};
