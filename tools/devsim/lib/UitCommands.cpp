// UIT devices (type 105): the panel manufacturer and the server settings,
// one record each, and the event log.
#include "DevSim.h"

namespace devsim {

namespace {

constexpr uint32_t Command(uint32_t n) {
    return (105u << 16) + n;
}

const bool registered = RegisterFamily(105, [](SimDevice& d) {
    using R = CommandRule;
    struct Line {
        uint32_t cmd;
        CommandRule rule;
    };
    const Line table[] = {
        {Command(1), {R::Record, 64, "uitManuf"}},  {Command(2), {R::Store, 0, "uitManuf"}},
        {Command(3), {R::EraseAll, 0, "uitManuf"}}, {Command(4), {R::Record, 64, "uitServer"}},
        {Command(5), {R::Store, 0, "uitServer"}},   {Command(6), {R::EraseAll, 0, "uitServer"}},
        {1035, {R::Record, 412, "event"}},
    };
    for (const Line& line : table) d.SetRule(line.cmd, line.rule);
});

}  // namespace

}  // namespace devsim
