#include "PageKitEdits.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QStringList>

#include "PageKit.h"

namespace kit {

void showFloat(QLineEdit* edit, const void* field) {
    edit->setText(floatText(loadFloat(field)));  // setText clears the edit's modified mark
}

void storeEditedFloat(void* field, const QLineEdit* edit) {
    if (edit->isModified()) storeFloat(field, static_cast<float>(toDouble(edit->text())));
}

void showText(QLineEdit* edit, const void* field, size_t width) {
    edit->setText(text(field, width));
}

void copyEditedText(void* field, size_t width, const QLineEdit* edit) {
    if (edit->isModified()) copyText(field, width, edit->text());
}

std::vector<qint64> numberList(Fields& fields, const QString& text, size_t room, qint64 hi,
                               const QString& name, const QString& countName) {
    static const QRegularExpression digits("^[0-9]+$");
    std::vector<qint64> values;
    for (const QString& raw : text.split(',')) {
        const QString piece = raw.trimmed();
        if (!digits.match(piece).hasMatch()) continue;
        bool ok = false;
        const qulonglong v = piece.toULongLong(&ok);
        if (!ok || v > static_cast<qulonglong>(hi)) {
            fields.refuse(rangeText(name, 0, hi));
            return {};
        }
        values.push_back(static_cast<qint64>(v));
    }
    if (values.empty() || values.size() > room) {
        fields.refuse(rangeText(countName, 1, static_cast<qint64>(room)));
        return {};
    }
    return values;
}

}  // namespace kit
