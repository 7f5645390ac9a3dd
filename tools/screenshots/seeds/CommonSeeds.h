// What the common page seeds share beyond Seeds.h: opening an id list as a
// user does before the first read.
#pragma once

#include <QComboBox>
#include <QMetaObject>
#include <QWidget>

#include "Seeds.h"

namespace commonseed {

// As if the user pressed the id combo `box` of `page`: it refills from the device.
inline void openIdList(QWidget* page, const char* box) {
    if (auto* combo = page ? page->findChild<QComboBox*>(QString::fromLatin1(box)) : nullptr)
        QMetaObject::invokeMethod(combo, "clicked");
}

}  // namespace commonseed
