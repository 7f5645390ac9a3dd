// The record commands every device type answers; laid out the way a
// family's file lays out its own.
#include "DevSim.h"
#include "SimState.h"

namespace devsim {

void AddCommonCommands(SimDevice& d) {
    using R = CommandRule;
    struct Line {
        uint32_t cmd;
        CommandRule rule;
    };
    const Line table[] = {
        {1008, {R::Record, 8, "time"}},
        {1009, {R::Store, 0, "time"}},
        {1010, {R::Record, 48, "ntp"}},
        {1011, {R::Store, 0, "ntp"}},
        {1012, {R::Record, 112, "planTemplate", 0, 2}},
        {1013, {R::Erase, 0, "planTemplate", 0, 2}},
        {1014, {R::Store, 0, "planTemplate", 0, 2}},
        {1015, {R::EraseAll, 0, "planTemplate"}},
        {1016, {R::Record, 320, "weekPlan", 0, 2}},
        {1017, {R::Erase, 0, "weekPlan", 0, 2}},
        {1018, {R::Store, 0, "weekPlan", 0, 2}},
        {1019, {R::EraseAll, 0, "weekPlan"}},
        {1020, {R::Record, 80, "holidayPlan", 0, 2}},
        {1021, {R::Erase, 0, "holidayPlan", 0, 2}},
        {1022, {R::Store, 0, "holidayPlan", 0, 2}},
        {1023, {R::EraseAll, 0, "holidayPlan"}},
        {1024, {R::Record, 208, "deviceInfo"}},
        {10000, {R::Store, 0, "deviceInfo"}},
        {1025, {R::Record, 80, "name"}},
        {1026, {R::Store, 0, "name"}},
        {1027, {R::Record, 80, "network1"}},
        {1028, {R::Store, 0, "network1"}},
        {1047, {R::Record, 80, "network2"}},
        {1048, {R::Store, 0, "network2"}},
        {1042, {R::Record, 48, "rs485"}},
        {1043, {R::Store, 0, "rs485"}},
        {1044, {R::Record, 288, "idList", 0, 4}},
        {1041, {R::Record, 652, "log"}},
        {1040, {R::EraseAll, 0, "log"}},
        {1034, {R::EraseAll, 0, "event"}},
        {1400, {R::Record, 256, "testControl"}},
        {1004, {R::Status, 0, ""}},
        {1005, {R::Status, 0, ""}},
        {1006, {R::Status, 0, ""}},
        {1036, {R::Status, 0, ""}},
        {1037, {R::Status, 0, ""}},
    };
    for (const Line& line : table) d.SetRule(line.cmd, line.rule);
}

}  // namespace devsim
