#include "AccMultiConfigForm.h"

AccMultiConfigForm::AccMultiConfigForm(QWidget* parent) : QWidget(parent) {
    setObjectName("AccMultiConfigForm");
}

AccMultiConfigForm::~AccMultiConfigForm() = default;
