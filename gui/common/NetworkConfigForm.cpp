#include "NetworkConfigForm.h"

NetworkConfigForm::NetworkConfigForm(QWidget* parent) : QWidget(parent) {
    setObjectName("NetworkConfigForm");
}

NetworkConfigForm::~NetworkConfigForm() = default;
