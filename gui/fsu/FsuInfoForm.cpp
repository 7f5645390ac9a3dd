#include "FsuInfoForm.h"

FsuInfoForm::FsuInfoForm(QWidget* parent) : QWidget(parent) {
    setObjectName("FsuInfoForm");
}

FsuInfoForm::~FsuInfoForm() = default;
