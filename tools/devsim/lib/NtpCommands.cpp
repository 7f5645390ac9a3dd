// NTP time servers (type 103): the satellite receiver's location.
#include "DevSim.h"

namespace devsim {

namespace {

const bool registered = RegisterFamily(103, [](SimDevice& d) {
    d.SetRule((103u << 16) + 1, {CommandRule::Record, 128, "ntpLocation"});
});

}  // namespace

}  // namespace devsim
