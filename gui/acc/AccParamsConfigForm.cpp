#include "AccParamsConfigForm.h"

AccParamsConfigForm::AccParamsConfigForm(QWidget* parent) : QWidget(parent) {
    setObjectName("AccParamsConfigForm");
}

AccParamsConfigForm::~AccParamsConfigForm() = default;
