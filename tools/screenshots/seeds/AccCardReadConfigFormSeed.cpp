// One card reader on the bus; the search finds it and shows its serial
// number, and the installer is about to move it to address 2.
#include "AccCardReadConfigForm.h"
#include "AccSeeds.h"
#include "Seeds.h"
#include "TslAcc.h"

namespace {

void fill(devsim::SimDevice& d) {
    Np_AccReaderId reader{};
    std::memcpy(reader.serialNo, "RD8A20240317", 12);
    reader.address = 1;
    d.PutRecord("accReader", accseed::key(uint8_t{1}), shots::bytesOf(reader));

    shots::typeInto("AccCardReadConfigForm", "modifyAddrEdit", "2");
}

const bool seeded = shots::addSeed({&AccCardReadConfigForm::staticMetaObject, {"searchAddrButton"}, fill});

}  // namespace
