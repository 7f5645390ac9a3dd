#include "CustomIntValidator.h"

CustomIntValidator::CustomIntValidator(QObject* parent) : QIntValidator(parent) {}

CustomIntValidator::CustomIntValidator(int bottom, int top, QObject* parent)
    : QIntValidator(bottom, top, parent) {}

QValidator::State CustomIntValidator::validate(QString& text, int& pos) const {
    if (text.isEmpty()) return Intermediate;
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);  // not a number reads as 0
    const qlonglong v = ok ? value : 0;
    if (v > top() || v < bottom()) return Invalid;
    return QIntValidator::validate(text, pos);
}
