#include "AccChannelConfigForm.h"

AccChannelConfigForm::AccChannelConfigForm(QWidget* parent) : QWidget(parent) {
    setObjectName("AccChannelConfigForm");
}

AccChannelConfigForm::~AccChannelConfigForm() = default;
