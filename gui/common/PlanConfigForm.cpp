#include "PlanConfigForm.h"

PlanConfigForm::PlanConfigForm(QWidget* parent) : QWidget(parent) {
    setObjectName("PlanConfigForm");
}

PlanConfigForm::~PlanConfigForm() = default;
