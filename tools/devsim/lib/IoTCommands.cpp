// IoT I/O devices (type 101): keyed stores for settings and states (key:
// byte 0), status answers for the commands that only act.
#include "DevSim.h"

namespace devsim {
namespace {

void AddIoTCommands(SimDevice& d) {
    using R = CommandRule;
    struct Line {
        uint32_t cmd;
        CommandRule rule;
    };
    const Line table[] = {
        {3001, {R::Record, 352, "iotWorkMode", 0, 1}},
        {3002, {R::Erase, 0, "iotWorkMode", 0, 1}},
        {3003, {R::Store, 0, "iotWorkMode", 0, 1}},
        {3004, {R::EraseAll, 0, "iotWorkMode"}},
        {3005, {R::Record, 64, "iotInput", 0, 1}},
        {3006, {R::Store, 0, "iotInput", 0, 1}},
        {3007, {R::EraseAll, 0, "iotInput"}},
        {3008, {R::Record, 288, "iotInputState", 0, 1}},
        {3009, {R::Record, 64, "iotOutput", 0, 1}},
        {3010, {R::Store, 0, "iotOutput", 0, 1}},
        {3011, {R::EraseAll, 0, "iotOutput"}},
        {3012, {R::Record, 288, "iotOutputState", 0, 1}},
        {3013, {R::Status, 0, ""}},
        {3014, {R::Record, 64, "iotModbus", 0, 1}},
        {3015, {R::Erase, 0, "iotModbus", 0, 1}},
        {3016, {R::Store, 0, "iotModbus", 0, 1}},
        {3017, {R::EraseAll, 0, "iotModbus"}},
        {3018, {R::Record, 832, "iotModbusData", 0, 1}},
        {3019, {R::Status, 0, ""}},
        {3020, {R::Record, 912, "iotRegister", 0, 1}},
        {3021, {R::Erase, 0, "iotRegister", 0, 1}},
        {3022, {R::Store, 0, "iotRegister", 0, 1}},
        {3023, {R::EraseAll, 0, "iotRegister"}},
        {3024, {R::Record, 32, "iotAlarmIo"}},
        {3025, {R::Store, 0, "iotAlarmIo"}},
        // The single register entries have a layout of the device's own.
        {3026, {R::Status, 0, ""}},
        {3027, {R::Status, 0, ""}},
        {3028, {R::Status, 0, ""}},
        {3029, {R::Record, 352, "iotLoraWorkMode", 0, 1}},
        {3030, {R::Erase, 0, "iotLoraWorkMode", 0, 1}},
        {3031, {R::Store, 0, "iotLoraWorkMode", 0, 1}},
        {3032, {R::EraseAll, 0, "iotLoraWorkMode"}},
        // One page of the event log, put by the test; 1034 clears it.
        {1035, {R::Record, 172, "event"}},
    };
    for (const Line& line : table) d.SetRule(line.cmd, line.rule);
}

const bool registered = RegisterFamily(101, AddIoTCommands);

}  // namespace
}  // namespace devsim
