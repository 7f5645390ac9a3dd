// A transmission device reporting to the monitoring centre, with its panel's maker set.
#include "Seeds.h"
#include "UitServerInfo.h"

namespace {

const bool seeded =
    shots::addSeed({&UitServerInfo::staticMetaObject, {"serverGetButton", "manufGetButton"}, nullptr});

}  // namespace
