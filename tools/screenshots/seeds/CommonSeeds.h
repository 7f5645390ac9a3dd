// What the common page seeds share beyond Seeds.h: record keys, today's
// times, and opening an id list as a user does before the first read.
#pragma once

#include <QComboBox>
#include <QDate>
#include <QMetaObject>
#include <QWidget>

#include <cstdint>

#include "Seeds.h"
#include "TslDev.h"

namespace commonseed {

// The key of a record kept under a 16-bit id.
inline devsim::Bytes idKey(uint16_t id) {
    return devsim::Bytes{static_cast<uint8_t>(id & 0xff), static_cast<uint8_t>(id >> 8)};
}

// Today at the given time: what a page's default query range holds.
inline Np_Time today(int hour, int minute, int second) {
    const QDate d = QDate::currentDate();
    return Np_Time{static_cast<uint16_t>(d.year()),
                   static_cast<uint8_t>(d.month()),
                   static_cast<uint8_t>(d.day()),
                   static_cast<uint8_t>(hour),
                   static_cast<uint8_t>(minute),
                   static_cast<uint8_t>(second),
                   0};
}

// As if the user pressed the id combo `box` of `page`: it refills from the device.
inline void openIdList(QWidget* page, const char* box) {
    if (auto* combo = page ? page->findChild<QComboBox*>(QString::fromLatin1(box)) : nullptr)
        QMetaObject::invokeMethod(combo, "clicked");
}

}  // namespace commonseed
