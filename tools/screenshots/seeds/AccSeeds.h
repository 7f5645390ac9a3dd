// What the access-control page seeds share: records as the simulator stores
// them, and the few entries a user types before the first read (a card
// number, an id), which no button press can give.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

#include <cstring>
#include <string>

#include "DevSim.h"

namespace accseed {

template <class T>
devsim::Bytes bytesOf(const T& record) {
    const auto* p = reinterpret_cast<const uint8_t*>(&record);
    return devsim::Bytes(p, p + sizeof record);
}

inline devsim::Bytes key(const char* text) {
    return devsim::Bytes(text, text + std::strlen(text));
}

inline devsim::Bytes key(uint8_t id) {
    return devsim::Bytes{id};
}

// `text` into the line edit (or editable combo) `field` of the page `page`.
inline void type(const char* page, const char* field, const char* text) {
    for (QWidget* w : QApplication::allWidgets()) {
        if (w->objectName() != QLatin1String(page)) continue;
        const QString name = QString::fromLatin1(field);
        if (auto* box = w->findChild<QComboBox*>(name))
            box->setEditText(QString::fromUtf8(text));
        else if (auto* edit = w->findChild<QLineEdit*>(name))
            edit->setText(QString::fromUtf8(text));
        return;
    }
}

}  // namespace accseed
