// The miscellaneous page: the register map of sensor type 1.
#include "FsuOtherForm.h"
#include "PageKit.h"
#include "Seeds.h"
#include "TslFsu.h"

namespace {

void fill(devsim::SimDevice& d) {
    Np_FsuRegisterMap rec{};
    rec.typeNo = 1;
    rec.count = 6;
    const uint16_t addresses[] = {40001, 40003, 40005, 40007, 40011, 40013};
    for (size_t i = 0; i < 6; ++i) kit::store<uint16_t>(KIT_FIELD(rec, regAddr) + 2 * i, addresses[i]);
    kit::store<int32_t>(KIT_FIELD(rec, platformBaseAddr), 30000);
    d.PutRecord("fsuRegisterMap", {1}, shots::bytesOf(rec));
}

const bool seeded = shots::addSeed({&FsuOtherForm::staticMetaObject, {"mapGetButton"}, fill});

}  // namespace
