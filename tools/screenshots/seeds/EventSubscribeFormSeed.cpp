// A live table a few minutes into a subscription: card swipes at two doors.
// The simulator's pushes need its server, which a seed does not get, so the
// events arrive through the page's own event slot, as the SDK's would.
#include <QTimer>

#include <cstring>

#include "CommonSeeds.h"
#include "EventSubscribeForm.h"
#include "Seeds.h"

namespace {

void pushEvents() {
    auto* form = shots::page<EventSubscribeForm>();
    if (!form) return;
    struct Swipe {
        int32_t code;
        int minute;
        uint8_t door;
        const char* card;
        uint8_t direction;
    };
    const Swipe swipes[] = {
        {1, 2, 1, "3721904582", 1},  {1, 3, 2, "3721904617", 1}, {4, 5, 1, "3721904633", 1},
        {5, 6, 1, "1000482211", 1},  {1, 9, 2, "3721904582", 2}, {6, 12, 1, "3721900042", 1},
        {2, 14, 1, "3721904700", 1},
    };
    for (const Swipe& s : swipes) {
        Np_AccEventInfo e{};
        e.eventCode = s.code;
        e.time = commonseed::today(8, s.minute, 16);
        e.doorNo = s.door;
        std::strcpy(e.cardNo, s.card);
        e.direction = s.direction;
        form->acc_slot(e);
    }
}

void fill(devsim::SimDevice&) {
    // After the subscription below has emptied the table.
    QTimer::singleShot(0, pushEvents);
}

const bool seeded = shots::addSeed({&EventSubscribeForm::staticMetaObject, {"subButton"}, fill});

}  // namespace
