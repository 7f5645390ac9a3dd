#include "AccControlForm.h"

AccControlForm::AccControlForm(QWidget* parent) : QWidget(parent) {
    setObjectName("AccControlForm");
}

AccControlForm::~AccControlForm() = default;
