// The page of Modbus peripherals, data and registers. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class FsuModbusForm : public QWidget {
    Q_OBJECT
  public:
    explicit FsuModbusForm(QWidget* parent = nullptr);
    ~FsuModbusForm() override;
};
