// Three expansion units online, their ports mostly normal with one door
// open and one line cut, two outputs closed; the offline groups read low.
#include "IotStateForm.h"
#include "Seeds.h"

namespace {

const bool seeded = shots::addSeed({&IotStateForm::staticMetaObject, {"getButton"}, nullptr});

}  // namespace
