// A live table a few minutes into a subscription: card swipes at two doors
// (those the simulated controller keeps in its event log).
// The simulator's pushes need its server, which a seed does not get, so the
// events arrive through the page's own event slot, as the SDK's would.
#include <QTimer>

#include "EventSubscribeForm.h"
#include "Plausible.h"
#include "Seeds.h"

namespace {

void pushEvents() {
    auto* form = shots::page<EventSubscribeForm>();
    if (!form) return;
    for (const Np_AccEventInfo& e : devsim::plausible::AccEvents()) form->acc_slot(e);
}

void fill(devsim::SimDevice&) {
    // After the subscription below has emptied the table.
    QTimer::singleShot(0, pushEvents);
}

const bool seeded = shots::addSeed({&EventSubscribeForm::staticMetaObject, {"subButton"}, fill});

}  // namespace
