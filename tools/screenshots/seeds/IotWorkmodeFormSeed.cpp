#include "IotSeeds.h"
#include "IotWorkmodeForm.h"
#include "Seeds.h"

namespace {

void fill(devsim::SimDevice& d) {
    d.PutRecord("iotWorkMode", {1}, shots::bytesOf(iotseed::workMode(1)));
    shots::typeInto("IotWorkmodeForm", "workmodeIdEdit", "1");
}

const bool seeded = shots::addSeed({&IotWorkmodeForm::staticMetaObject, {"getButton"}, fill});

}  // namespace
