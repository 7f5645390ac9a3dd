// What the common page seeds share beyond Seeds.h: record keys and
// opening an id list as a user does before the first read.
#pragma once

#include <QComboBox>
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

// As if the user pressed the id combo `box` of `page`: it refills from the device.
inline void openIdList(QWidget* page, const char* box) {
    if (auto* combo = page ? page->findChild<QComboBox*>(QString::fromLatin1(box)) : nullptr)
        QMetaObject::invokeMethod(combo, "clicked");
}

}  // namespace commonseed
