// Edits that carry one entry of a kept table, and number lists whose every
// value must fit its field.
#pragma once

#include <QString>

#include <cstddef>
#include <vector>

class QLineEdit;

namespace kit {

class Fields;

// A float field in an edit (6 significant digits). An entry's edits go back
// into the kept copy only where the user changed them: an untouched value
// shown rounded, or a text cut short by its field, is kept as it came.
void showFloat(QLineEdit* edit, const void* field);
void storeEditedFloat(void* field, const QLineEdit* edit);
// Text of a field of `width` bytes; written back with the bounded copy.
void showText(QLineEdit* edit, const void* field, size_t width);
void copyEditedText(void* field, size_t width, const QLineEdit* edit);

// The unsigned decimal numbers of a comma-separated text, in order; pieces
// that are no number (empty ones included) are skipped. A number above `hi`
// refuses the operation (naming `name` and its range), as does a text of no
// number or of more than `room` ("<countName>的取值范围为1~room").
std::vector<qint64> numberList(Fields& fields, const QString& text, size_t room, qint64 hi,
                               const QString& name, const QString& countName);

}  // namespace kit
