#include "FsuEmuForm.h"

FsuEmuForm::FsuEmuForm(QWidget* parent) : QWidget(parent) {
    setObjectName("FsuEmuForm");
}

FsuEmuForm::~FsuEmuForm() = default;
