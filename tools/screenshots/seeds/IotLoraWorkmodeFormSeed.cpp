// The first of the LoRa work modes every simulated IoT device starts with.
#include <string>

#include "IotLoraWorkmodeForm.h"
#include "Plausible.h"
#include "Seeds.h"

namespace {

void fill(devsim::SimDevice&) {
    const std::string id = std::to_string(devsim::plausible::IoTLoraWorkModes().front().workModeId);
    shots::typeInto("IotLoraWorkmodeForm", "workmodeIdEdit", id.c_str());
}

const bool seeded = shots::addSeed({&IotLoraWorkmodeForm::staticMetaObject, {"getButton"}, fill});

}  // namespace
