// An access controller at a site's front gate: its name and versions, the
// first network card set by hand, its running clock, an NTP server and both
// buses, all as every simulated device of the program starts.
#include "NetworkConfigForm.h"
#include "Seeds.h"

namespace {

const bool seeded =
    shots::addSeed({&NetworkConfigForm::staticMetaObject,
                    {"baseGetButton", "netGetButton", "timeGetButton", "ntpGetButton", "rs485GetButton"},
                    nullptr});

}  // namespace
