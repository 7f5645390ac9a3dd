#include "IotModbusForm.h"

IotModbusForm::IotModbusForm(QWidget* parent) : QWidget(parent) {
    setObjectName("IotModbusForm");
}

IotModbusForm::~IotModbusForm() = default;
