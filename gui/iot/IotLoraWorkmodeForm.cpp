#include "IotLoraWorkmodeForm.h"

IotLoraWorkmodeForm::IotLoraWorkmodeForm(QWidget* parent) : QWidget(parent) {
    setObjectName("IotLoraWorkmodeForm");
}

IotLoraWorkmodeForm::~IotLoraWorkmodeForm() = default;
