#include "LogQueryForm.h"

LogQueryForm::LogQueryForm(QWidget* parent) : QWidget(parent) {
    setObjectName("LogQueryForm");
}

LogQueryForm::~LogQueryForm() = default;
