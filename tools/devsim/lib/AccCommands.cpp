// Access controllers (type 100): doors, rules, cards and card groups, card
// readers and the event log.
#include <algorithm>
#include <cstring>
#include <functional>

#include "DevSim.h"
#include "SimState.h"

namespace devsim {

namespace {

constexpr size_t kCardSize = 175;
constexpr size_t kCardNoSize = 32;
constexpr size_t kCardTextRequest = 48;
constexpr size_t kCardListSlots = 5;
constexpr size_t kCardGroupRequest = 64;
constexpr size_t kGroupListSize = 32;
constexpr size_t kReaderIdSize = 32;
constexpr size_t kReaderSerialSize = 16;
constexpr size_t kReaderAddressOffset = 16;
constexpr int32_t kResultMaxCardGroups = 32;

const char kCards[] = "accCard";
const char kCardGroups[] = "accCardGroup";
const char kReaders[] = "accReader";

// Cards are keyed by their number's text: the 32-byte field of a card and
// the NUL-terminated text of a get or delete request name the same card.
Bytes CardKey(const uint8_t* field) {
    const char* p = reinterpret_cast<const char*>(field);
    return Bytes(field, field + strnlen(p, kCardNoSize));
}

std::optional<Bytes> Find(SimDevice::State& s, const std::string& group, const Bytes& key) {
    auto g = s.store.find(group);
    if (g == s.store.end()) return std::nullopt;
    auto e = g->second.find(key);
    if (e == g->second.end()) return std::nullopt;
    return e->second;
}

void AddCardHandlers(SimDevice& d) {
    SimDevice::State* s = d.state().get();  // handlers live in the state they point to

    // Get: a list with room for five cards; the one asked for, or none.
    d.SetHandler(2000, [s](const Request& r) -> std::optional<Bytes> {
        if (r.plain.size() != kCardTextRequest) return StatusPayload(kResultLengthMismatch);
        Bytes list(4 + kCardListSlots * kCardSize, 0);
        std::lock_guard<std::mutex> lock(s->mutex);
        if (auto card = Find(*s, kCards, CardKey(r.plain.data()))) {
            PutU32(list.data(), 1);
            std::copy(card->begin(), card->end(), list.begin() + 4);
        }
        return StatusPayload(0, list);
    });
    d.SetHandler(2002, [s](const Request& r) -> std::optional<Bytes> {
        if (r.plain.size() != kCardTextRequest) return StatusPayload(kResultLengthMismatch);
        std::lock_guard<std::mutex> lock(s->mutex);
        auto& cards = s->store[kCards];
        if (cards.erase(CardKey(r.plain.data())) == 0) return StatusPayload(kResultNotFound);
        return StatusPayload(0);
    });
    // Add and modify: a list of exactly one card.
    auto write = [s](bool mustExist) {
        return [s, mustExist](const Request& r) -> std::optional<Bytes> {
            if (r.plain.size() != 4 + kCardSize) return StatusPayload(kResultLengthMismatch);
            if (GetU32(r.plain.data()) != 1) return StatusPayload(kResultInvalidParam);
            Bytes card(r.plain.begin() + 4, r.plain.end());
            Bytes key = CardKey(card.data());
            std::lock_guard<std::mutex> lock(s->mutex);
            auto& cards = s->store[kCards];
            if (mustExist && cards.count(key) == 0) return StatusPayload(kResultNotFound);
            cards[key] = std::move(card);
            return StatusPayload(0);
        };
    };
    d.SetHandler(2003, write(false));
    d.SetHandler(2004, write(true));
    d.SetHandler(2005, [s](const Request&) -> std::optional<Bytes> {
        std::lock_guard<std::mutex> lock(s->mutex);
        s->store.erase(kCards);
        s->store.erase(kCardGroups);
        return StatusPayload(0);
    });

    // Card groups: per card a 32-byte list of group numbers ended by the
    // first 0. `change` edits the list and gives the result code.
    using Change = std::function<int32_t(Bytes & list, uint8_t group)>;
    auto groups = [s](Change change) -> Handler {
        return [s, change](const Request& r) -> std::optional<Bytes> {
            if (r.plain.size() != kCardGroupRequest) return StatusPayload(kResultLengthMismatch);
            Bytes key = CardKey(r.plain.data());
            std::lock_guard<std::mutex> lock(s->mutex);
            Bytes list = Find(*s, kCardGroups, key).value_or(Bytes(kGroupListSize, 0));
            const int32_t code = change(list, r.plain[kCardNoSize]);
            if (code == 0) s->store[kCardGroups][key] = list;
            return StatusPayload(code);
        };
    };
    d.SetHandler(2037, [s](const Request& r) -> std::optional<Bytes> {
        if (r.plain.size() != kCardGroupRequest) return StatusPayload(kResultLengthMismatch);
        std::lock_guard<std::mutex> lock(s->mutex);
        return StatusPayload(
            0, Find(*s, kCardGroups, CardKey(r.plain.data())).value_or(Bytes(kGroupListSize, 0)));
    });
    d.SetHandler(2038, groups([](Bytes& list, uint8_t group) {
                     auto end = std::find(list.begin(), list.end(), 0);
                     std::fill(std::remove(list.begin(), end, group), end, 0);
                     return 0;
                 }));
    d.SetHandler(2039, groups([](Bytes& list, uint8_t group) {
                     if (group == 0) return kResultInvalidParam;
                     auto end = std::find(list.begin(), list.end(), 0);
                     if (std::find(list.begin(), end, group) != end) return 0;
                     if (end == list.end()) return kResultMaxCardGroups;
                     *end = group;
                     return 0;
                 }));
    d.SetHandler(2040, groups([](Bytes& list, uint8_t) {
                     std::fill(list.begin(), list.end(), 0);
                     return 0;
                 }));

    // Readers by bus address; a get answers the serial number as 32 bytes of text.
    d.SetHandler(2041, [s](const Request& r) -> std::optional<Bytes> {
        if (r.plain.size() != kReaderIdSize) return StatusPayload(kResultLengthMismatch);
        Bytes serial(kReaderIdSize, 0);
        std::lock_guard<std::mutex> lock(s->mutex);
        if (auto reader = Find(*s, kReaders, Bytes{r.plain[kReaderAddressOffset]}))
            std::copy_n(reader->begin(), std::min(reader->size(), kReaderSerialSize), serial.begin());
        return StatusPayload(0, serial);
    });
}

const bool registered = RegisterFamily(100, [](SimDevice& d) {
    using R = CommandRule;
    struct Line {
        uint32_t cmd;
        CommandRule rule;
    };
    const Line table[] = {
        {1035, {R::Record, 332, "event"}},
        {2006, {R::Record, 65, "accChannel", 0, 1}},
        {2007, {R::Store, 0, "accChannel", 0, 1}},
        {2008, {R::Record, 32, "accChannelState", 0, 1}},
        {2009, {R::Status, 0, ""}},
        {2010, {R::Record, 64, "accMultiLock", 0, 1}},
        {2011, {R::Erase, 0, "accMultiLock", 0, 1}},
        {2012, {R::Store, 0, "accMultiLock", 0, 1}},
        {2013, {R::EraseAll, 0, "accMultiLock"}},
        {2014, {R::Record, 32, "accMultiCard", 0, 1}},
        {2015, {R::Erase, 0, "accMultiCard", 0, 1}},
        {2016, {R::Store, 0, "accMultiCard", 0, 1}},
        {2017, {R::EraseAll, 0, "accMultiCard"}},
        {2018, {R::Record, 32, "accLinkage", 0, 1}},
        {2019, {R::Erase, 0, "accLinkage", 0, 1}},
        {2020, {R::Store, 0, "accLinkage", 0, 1}},
        {2021, {R::EraseAll, 0, "accLinkage"}},
        {2022, {R::Record, 64, "accAnti"}},
        {2023, {R::Store, 0, "accAnti"}},
        {2024, {R::EraseAll, 0, "accAnti"}},
        {2025, {R::Record, 32, "accDevice"}},
        {2026, {R::Store, 0, "accDevice"}},
        {2027, {R::Record, 32, "accWorkMode", 0, 1}},
        {2028, {R::Erase, 0, "accWorkMode", 0, 1}},
        {2029, {R::Store, 0, "accWorkMode", 0, 1}},
        {2030, {R::EraseAll, 0, "accWorkMode"}},
        {2031, {R::Status, 0, ""}},
        {2032, {R::Record, 32, "accIOParams", 0, 1}},
        {2033, {R::Store, 0, "accIOParams", 0, 1}},
        {2034, {R::Record, 256, "accSystemInfo"}},
        {2035, {R::Record, 48, "accFlash"}},
        {2042, {R::Store, 0, kReaders, kReaderAddressOffset, 1}},
    };
    for (const Line& line : table) d.SetRule(line.cmd, line.rule);
    AddCardHandlers(d);
});

}  // namespace

}  // namespace devsim
