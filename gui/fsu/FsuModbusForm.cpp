#include "FsuModbusForm.h"

FsuModbusForm::FsuModbusForm(QWidget* parent) : QWidget(parent) {
    setObjectName("FsuModbusForm");
}

FsuModbusForm::~FsuModbusForm() = default;
