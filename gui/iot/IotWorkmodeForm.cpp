#include "IotWorkmodeForm.h"

IotWorkmodeForm::IotWorkmodeForm(QWidget* parent) : QWidget(parent) {
    setObjectName("IotWorkmodeForm");
}

IotWorkmodeForm::~IotWorkmodeForm() = default;
