// The unit's alarm page: named inputs and outputs with a few in alarm or
// switched, and the parameters of input and output 1.
#include "FsuAlarmForm.h"
#include "Seeds.h"

namespace {

// The filter's channel number is typed by the user; it is not read first.
const bool seeded =
    shots::addSeed({&FsuAlarmForm::staticMetaObject,
                    {"inputGetButton", "outputGetButton", "inputStateGetButton", "outputStateGetButton"},
                    nullptr});

}  // namespace
