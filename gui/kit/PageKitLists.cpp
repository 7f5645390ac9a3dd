#include "PageKitLists.h"

#include <QRegularExpression>
#include <QStringList>

namespace kit {

QString roomText(const QString& name, size_t room) {
    return QString::fromUtf8("%1最多%2个").arg(name).arg(static_cast<qulonglong>(room));
}

std::vector<unsigned> checkedList(Fields& fields, const QString& text, const QString& name, size_t room,
                                  qint64 max) {
    static const QRegularExpression digits("^[0-9]+$");
    std::vector<unsigned> values;
    for (const QString& raw : text.split(',')) {
        const QString piece = raw.trimmed();
        if (!digits.match(piece).hasMatch()) continue;
        if (values.size() >= room) {
            fields.refuse(roomText(name, room));
            break;
        }
        // Digits beyond qint64 read as 0 through toInt: catch them as too big.
        const qint64 value = piece.size() > 18 ? max + 1 : toInt(piece);
        if (value > max) {
            fields.refuse(rangeText(name, 0, max));
            break;
        }
        values.push_back(static_cast<unsigned>(value));
    }
    if (!fields.ok()) values.clear();
    return values;
}

}  // namespace kit
