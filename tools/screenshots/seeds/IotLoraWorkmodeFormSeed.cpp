#include "IotLoraWorkmodeForm.h"
#include "IotSeeds.h"
#include "Seeds.h"

namespace {

// A LoRa rule: all conditions together, on another schedule template.
void fill(devsim::SimDevice& d) {
    Np_IoTLoraWorkModeParams r = iotseed::workMode(2);
    r.mode = 5;
    r.templateId = 7;
    d.PutRecord("iotLoraWorkMode", {2}, shots::bytesOf(r));
    shots::typeInto("IotLoraWorkmodeForm", "workmodeIdEdit", "2");
}

const bool seeded = shots::addSeed({&IotLoraWorkmodeForm::staticMetaObject, {"getButton"}, fill});

}  // namespace
