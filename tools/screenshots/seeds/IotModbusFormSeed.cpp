// Channel 1: the environment sensor every simulated IoT device starts with.
#include "IotModbusForm.h"
#include "Seeds.h"

namespace {

const bool seeded = shots::addSeed({&IotModbusForm::staticMetaObject,
                                    {"modbusGetButton", "dataGetButton", "regGetButton", "alarm12vGetButton"},
                                    {}});

}  // namespace
