// Fingerprint readers (type 104). Users are kept under the first 10 bytes of
// their record, which is the key that reads and deletes them.
//
// The device information (100 bytes) and the fixed information (20 bytes)
// share their commands: a write goes to the store its length names; a read
// answers the device information unless a test sets the rule of
// FprCommand(9) to {Record, 20, "fprFixInfo"}.
#include <mutex>

#include "DevSim.h"
#include "SimState.h"

namespace devsim {
namespace {

constexpr uint32_t Cmd(uint32_t n) {
    return (104u << 16) + n;
}
constexpr uint32_t kUserKey = 10;
constexpr size_t kFixInfoSize = 20;

void AddFprCommands(SimDevice& d) {
    using R = CommandRule;
    struct Line {
        uint32_t cmd;
        CommandRule rule;
    };
    const Line table[] = {
        {Cmd(1), {R::Store, 0, "fprUser", 0, kUserKey}},
        {Cmd(2), {R::Store, 0, "fprUser", 0, kUserKey}},
        {Cmd(3), {R::Erase, 0, "fprUser", 0, kUserKey}},
        {Cmd(4), {R::Record, 51336, "fprUser", 0, kUserKey}},
        {Cmd(5), {R::Record, 3812, "fprUserList"}},
        {Cmd(6), {R::EraseAll, 0, "fprUser"}},
        {Cmd(7), {R::Record, 48, "fprParams"}},
        {Cmd(8), {R::Store, 0, "fprParams"}},
        {Cmd(9), {R::Record, 100, "fprDeviceInfo"}},
        {Cmd(13), {R::Status, 0, ""}},
        {Cmd(14), {R::Status, 0, ""}},
    };
    for (const Line& line : table) d.SetRule(line.cmd, line.rule);

    SimDevice::State* s = d.state().get();  // the handler lives in the state it points to
    d.SetHandler(Cmd(10), [s](const Request& r) -> std::optional<Bytes> {
        std::lock_guard<std::mutex> lock(s->mutex);
        s->store[r.plain.size() == kFixInfoSize ? "fprFixInfo" : "fprDeviceInfo"][Bytes{}] = r.plain;
        return StatusPayload(0);
    });
}

const bool registered = RegisterFamily(104, AddFprCommands);

}  // namespace
}  // namespace devsim
