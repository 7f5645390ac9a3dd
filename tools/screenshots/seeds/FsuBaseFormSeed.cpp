// The unit's base page: its accounts, bound addresses and base parameters,
// those every simulated unit starts with.
#include "FsuBaseForm.h"
#include "Seeds.h"

namespace {

const bool seeded = shots::addSeed({&FsuBaseForm::staticMetaObject,
                                    {"userGetButton", "ipBindGetButton", "macBindGetButton", "baseGetButton"},
                                    {}});

}  // namespace
