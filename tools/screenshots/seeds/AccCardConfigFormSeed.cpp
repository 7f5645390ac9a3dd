// A staff card with its doors, groups and validity, and the card's groups.
#include "AccCardConfigForm.h"
#include "Plausible.h"
#include "Seeds.h"

namespace {

void fill(devsim::SimDevice&) {
    const Np_AccCardInfo card = devsim::plausible::AccCards().front();
    shots::typeInto("AccCardConfigForm", "cardEdit", card.cardNo);
    shots::typeInto("AccCardConfigForm", "cgCardEdit", card.cardNo);
    shots::typeInto("AccCardConfigForm", "cgSingleEdit", "6");
}

const bool seeded =
    shots::addSeed({&AccCardConfigForm::staticMetaObject, {"getButton", "cgGetButton"}, fill});

}  // namespace
