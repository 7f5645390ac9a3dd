#include "FsuOtherForm.h"

FsuOtherForm::FsuOtherForm(QWidget* parent) : QWidget(parent) {
    setObjectName("FsuOtherForm");
}

FsuOtherForm::~FsuOtherForm() = default;
