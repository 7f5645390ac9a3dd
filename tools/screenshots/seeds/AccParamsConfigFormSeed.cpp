// A controller a few months in service: its parameters, storage and the
// system text it reports, as every simulated controller starts with them.
#include "AccParamsConfigForm.h"
#include "Seeds.h"

namespace {

const bool seeded = shots::addSeed(
    {&AccParamsConfigForm::staticMetaObject, {"getButton", "infoGetButton", "sysInfoGetButton"}, {}});

}  // namespace
