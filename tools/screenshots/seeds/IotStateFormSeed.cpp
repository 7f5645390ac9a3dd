#include "IotStateForm.h"
#include "Seeds.h"
#include "TslIoT.h"

namespace {

// Three expansion units online, their ports mostly normal with one door
// open and one line cut, two outputs closed; the offline groups read low.
void fill(devsim::SimDevice& d) {
    for (uint8_t g = 1; g <= 8; ++g) {
        Np_IoTInputState in{};
        Np_IoTOutputState out{};
        in.group = out.group = g;
        in.online = g <= 3;
        for (int p = 0; p < 8; ++p) in.ports[p] = g <= 3 ? 1 : 0;
        if (g == 1) {
            in.ports[1] = 2;
            in.ports[4] = 0;
            out.ports[0] = out.ports[2] = 1;
        }
        d.PutRecord("iotInputState", {g}, shots::bytesOf(in));
        d.PutRecord("iotOutputState", {g}, shots::bytesOf(out));
    }
}

const bool seeded = shots::addSeed({&IotStateForm::staticMetaObject, {"getButton"}, fill});

}  // namespace
