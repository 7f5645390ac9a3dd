#include "FsuAlarmForm.h"

FsuAlarmForm::FsuAlarmForm(QWidget* parent) : QWidget(parent) {
    setObjectName("FsuAlarmForm");
}

FsuAlarmForm::~FsuAlarmForm() = default;
