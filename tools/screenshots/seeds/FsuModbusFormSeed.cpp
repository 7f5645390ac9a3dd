// The unit's Modbus page: an air conditioner on the first peripheral, its
// live values and its register group. The channel lists fill only when
// opened, so the reads ask for channel 0.
#include "FsuModbusForm.h"
#include "Seeds.h"

namespace {

const bool seeded = shots::addSeed(
    {&FsuModbusForm::staticMetaObject, {"modbusGetButton", "dataGetButton", "regGetButton"}, nullptr});

}  // namespace
