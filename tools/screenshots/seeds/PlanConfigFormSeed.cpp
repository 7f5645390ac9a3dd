// Office hours with a weekend duty shift, this year's first holiday and the
// template that ties them together, each picked from its id list as a user
// does before the first read.
#include "CommonSeeds.h"
#include "PlanConfigForm.h"
#include "Seeds.h"

namespace {

void fill(devsim::SimDevice&) {
    auto* page = shots::page<PlanConfigForm>();
    for (const char* box : {"planIdComboBox", "holidayIdComboBox", "templateIdComboBox"})
        commonseed::openIdList(page, box);
}

const bool seeded = shots::addSeed(
    {&PlanConfigForm::staticMetaObject, {"planGetButton", "holidayGetButton", "templateGetButton"}, fill});

}  // namespace
