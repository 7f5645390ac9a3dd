// Port 1 both ways: the machine room's door contact and the siren.
#include "IotConfigForm.h"
#include "Seeds.h"

namespace {

const bool seeded =
    shots::addSeed({&IotConfigForm::staticMetaObject, {"inputGetButton", "outputGetButton"}, nullptr});

}  // namespace
