// The entrance lock's interlock, door 1's anti-passback readers, the machine
// room's two-card rule and the fire linkage, as the controller keeps them.
#include <string>

#include "AccMultiConfigForm.h"
#include "Plausible.h"
#include "Seeds.h"

namespace {

void fill(devsim::SimDevice&) {
    const devsim::plausible::AccRules rules = devsim::plausible::AccDoorRules();
    const std::string combination = std::to_string(rules.combinations.front().combinationId);
    const std::string linkage = std::to_string(rules.linkages.front().linkageId);
    shots::typeInto("AccMultiConfigForm", "cardComboBox", combination.c_str());
    shots::typeInto("AccMultiConfigForm", "linkComboBox", linkage.c_str());
}

const bool seeded = shots::addSeed({&AccMultiConfigForm::staticMetaObject,
                                    {"lockGetButton", "antiGetButton", "cardGetButton", "linkGetButton"},
                                    fill});

}  // namespace
