#include "FsuBaseForm.h"

FsuBaseForm::FsuBaseForm(QWidget* parent) : QWidget(parent) {
    setObjectName("FsuBaseForm");
}

FsuBaseForm::~FsuBaseForm() = default;
