// Door 1 as installed: a 5 s release, passwords set, first-card opening on;
// work mode 1 asking card and password on the way in.
#include "AccChannelConfigForm.h"
#include "Seeds.h"

namespace {

void fill(devsim::SimDevice&) {
    shots::typeInto("AccChannelConfigForm", "workmodeComboBox", "1");
}

const bool seeded =
    shots::addSeed({&AccChannelConfigForm::staticMetaObject, {"getButton", "modeGetButton"}, fill});

}  // namespace
