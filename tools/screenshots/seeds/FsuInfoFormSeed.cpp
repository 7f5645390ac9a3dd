// The time server's receiver location: a fix over a city in the east.
#include "FsuInfoForm.h"
#include "Seeds.h"

namespace {

const bool seeded = shots::addSeed({&FsuInfoForm::staticMetaObject, {"infoGetButton"}, nullptr});

}  // namespace
