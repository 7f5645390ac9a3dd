// The first of the work modes every simulated IoT device starts with.
#include <string>

#include "IotWorkmodeForm.h"
#include "Plausible.h"
#include "Seeds.h"

namespace {

void fill(devsim::SimDevice&) {
    const std::string id = std::to_string(devsim::plausible::IoTWorkModes().front().workModeId);
    shots::typeInto("IotWorkmodeForm", "workmodeIdEdit", id.c_str());
}

const bool seeded = shots::addSeed({&IotWorkmodeForm::staticMetaObject, {"getButton"}, fill});

}  // namespace
