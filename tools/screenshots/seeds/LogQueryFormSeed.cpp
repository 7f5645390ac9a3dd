// The first page of this morning's log: logins, settings and a linkage.
#include "LogQueryForm.h"
#include "Seeds.h"

namespace {

const bool seeded = shots::addSeed({&LogQueryForm::staticMetaObject, {"queryButton"}, nullptr});

}  // namespace
