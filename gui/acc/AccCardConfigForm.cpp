#include "AccCardConfigForm.h"

AccCardConfigForm::AccCardConfigForm(QWidget* parent) : QWidget(parent) {
    setObjectName("AccCardConfigForm");
}

AccCardConfigForm::~AccCardConfigForm() = default;
