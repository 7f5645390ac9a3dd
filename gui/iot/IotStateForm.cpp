#include "IotStateForm.h"

IotStateForm::IotStateForm(QWidget* parent) : QWidget(parent) {
    setObjectName("IotStateForm");
}

IotStateForm::~IotStateForm() = default;
