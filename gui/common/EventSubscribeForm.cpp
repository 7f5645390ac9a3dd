#include "EventSubscribeForm.h"

EventSubscribeForm::EventSubscribeForm(QWidget* parent) : QWidget(parent) {
    setObjectName("EventSubscribeForm");
}

EventSubscribeForm::~EventSubscribeForm() = default;
