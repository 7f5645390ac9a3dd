#include "IotConfigForm.h"

IotConfigForm::IotConfigForm(QWidget* parent) : QWidget(parent) {
    setObjectName("IotConfigForm");
}

IotConfigForm::~IotConfigForm() = default;
