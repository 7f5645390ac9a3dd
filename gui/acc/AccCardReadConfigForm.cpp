#include "AccCardReadConfigForm.h"

AccCardReadConfigForm::AccCardReadConfigForm(QWidget* parent) : QWidget(parent) {
    setObjectName("AccCardReadConfigForm");
}

AccCardReadConfigForm::~AccCardReadConfigForm() = default;
