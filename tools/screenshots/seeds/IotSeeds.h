// What the seeds of the IoT device's pages share: records as the simulator
// stores them, text into fixed fields, and the work-mode record both
// work-mode pages show.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QWidget>

#include <cstdio>
#include <cstring>

#include "DevSim.h"
#include "TslIoT.h"

namespace iotseed {

template <class T>
devsim::Bytes bytesOf(const T& record) {
    const auto* p = reinterpret_cast<const uint8_t*>(&record);
    return devsim::Bytes(p, p + sizeof record);
}

template <size_t N>
void put(char (&field)[N], const char* text) {
    std::snprintf(field, N, "%s", text);
}

// Fills an edit of a page as a user types it before pressing a button: the
// seed hook reaches only the device, so the page is found among the widgets.
inline void typeInto(const char* page, const char* edit, const char* text) {
    for (QWidget* w : QApplication::allWidgets())
        if (w->objectName() == QLatin1String(page))
            if (auto* e = w->findChild<QLineEdit*>(QLatin1String(edit))) e->setText(QString::fromUtf8(text));
}

// A door-and-alarm rule: any of the first inputs trips, the siren and the
// lights follow, the door lock pulses open.
inline Np_IoTWorkModeParams workMode(uint8_t id) {
    Np_IoTWorkModeParams r{};
    r.workModeId = id;
    r.templateId = 3;
    r.mode = 4;
    const uint8_t levels[] = {0, 2, 0, 2, 1};
    for (int i = 0; i < 5; ++i) {
        r.inputEnable[i] = 1;
        r.inputLevel[i] = levels[i];
    }
    for (int i = 5; i < 64; ++i) r.inputLevel[i] = 1;
    const uint8_t actions[] = {0, 0, 1};
    for (int i = 0; i < 3; ++i) {
        r.outputEnable[i] = 1;
        r.outputAction[i] = actions[i];
        r.outputState[i] = 1;
    }
    return r;
}

}  // namespace iotseed
