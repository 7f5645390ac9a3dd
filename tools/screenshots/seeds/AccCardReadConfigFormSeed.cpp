// The search finds the first reader on the bus and shows its serial number;
// the installer is about to move it to the first free address.
#include <string>

#include "AccCardReadConfigForm.h"
#include "Plausible.h"
#include "Seeds.h"

namespace {

void fill(devsim::SimDevice&) {
    const std::string free = std::to_string(devsim::plausible::AccReaders().size() + 1);
    shots::typeInto("AccCardReadConfigForm", "modifyAddrEdit", free.c_str());
}

const bool seeded = shots::addSeed({&AccCardReadConfigForm::staticMetaObject, {"searchAddrButton"}, fill});

}  // namespace
