// What the seeds of the IoT device's pages share beyond Seeds.h: the
// work-mode record both work-mode pages show.
#pragma once

#include "Seeds.h"
#include "TslIoT.h"

namespace iotseed {

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
