#include <algorithm>
#include <cstring>
#include <utility>

#include "DevSim.h"
#include "SimState.h"

namespace devsim {

namespace {

constexpr uint32_t kLogin = 1001;
constexpr uint32_t kSetPassword = 1003;
constexpr uint32_t kHeartbeat = 1007;
constexpr size_t kLoginInfoSize = 128;
// One byte over what a receiver with a 1 MiB message buffer accepts.
constexpr int64_t kDefaultOversize = (1 << 20) - static_cast<int64_t>(kHeadSize) + 1;
constexpr int64_t kMaxOversizeBody = 4 << 20;

struct FamilyRegistry {
    std::mutex mutex;
    std::vector<std::pair<uint32_t, std::function<void(SimDevice&)>>> families;
};

FamilyRegistry& Families() {
    static FamilyRegistry registry;
    return registry;
}

// A NUL-terminated text in a fixed field; a field without NUL is read whole.
std::string TextField(const Bytes& payload, size_t offset, size_t width) {
    if (payload.size() <= offset) return {};
    width = std::min(width, payload.size() - offset);
    const char* p = reinterpret_cast<const char*>(payload.data() + offset);
    return std::string(p, strnlen(p, width));
}

Bytes KeyOf(const Bytes& payload, uint32_t offset, uint32_t width) {
    Bytes key(width, 0);
    for (uint32_t i = 0; i < width; ++i)
        if (size_t(offset) + i < payload.size()) key[i] = payload[offset + i];
    return key;
}

}  // namespace

Bytes StatusPayload(int32_t code, const Bytes& record) {
    Bytes out(4 + record.size());
    PutU32(out.data(), static_cast<uint32_t>(code));
    std::copy(record.begin(), record.end(), out.begin() + 4);
    return out;
}

bool RegisterFamily(uint32_t type, std::function<void(SimDevice&)> addRules) {
    FamilyRegistry& r = Families();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.families.emplace_back(type, std::move(addRules));
    return true;
}

SimDevice::SimDevice(uint32_t type, std::string user, std::string password)
    : state_(std::make_shared<State>()) {
    state_->type = type;
    state_->user = std::move(user);
    state_->password = std::move(password);
    state_->loginInfo.assign(kLoginInfoSize, 0);

    State* s = state_.get();  // handlers live in the state they point to
    SetHandler(kLogin, [s](const Request& r) -> std::optional<Bytes> {
        std::string user = TextField(r.plain, 0, 16);
        std::string password = TextField(r.plain, 16, 16);
        std::lock_guard<std::mutex> lock(s->mutex);
        if (r.plain.size() < 32 || user != s->user || password != s->password)
            return StatusPayload(kResultBadCredentials);
        return StatusPayload(0, s->loginInfo);
    });
    SetHandler(kHeartbeat, [s](const Request&) -> std::optional<Bytes> {
        if (!s->answerHeartbeat.load()) return std::nullopt;
        return StatusPayload(0);
    });
    SetHandler(kSetPassword, [s](const Request& r) -> std::optional<Bytes> {
        std::string password = TextField(r.plain, 0, 32);
        std::lock_guard<std::mutex> lock(s->mutex);
        s->password = std::move(password);
        return StatusPayload(0);
    });
    AddCommonCommands(*this);
    AddTransferHandlers(*this);

    std::vector<std::function<void(SimDevice&)>> mine;
    {
        FamilyRegistry& r = Families();
        std::lock_guard<std::mutex> lock(r.mutex);
        for (auto& [t, f] : r.families)
            if (t == type) mine.push_back(f);
    }
    for (auto& f : mine) f(*this);
}

SimDevice::~SimDevice() = default;

uint32_t SimDevice::Type() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->type;
}

void SimDevice::SetType(uint32_t type) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->type = type;
}

void SimDevice::SetCredentials(std::string user, std::string password) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->user = std::move(user);
    state_->password = std::move(password);
}

std::string SimDevice::User() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->user;
}

std::string SimDevice::Password() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->password;
}

void SimDevice::SetLoginInfo(const Bytes& record) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->loginInfo = record;
}

void SimDevice::SetRule(uint32_t cmd, CommandRule rule) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->handlers.erase(cmd);
    state_->rules[cmd] = std::move(rule);
}

void SimDevice::SetHandler(uint32_t cmd, Handler handler) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (handler)
        state_->handlers[cmd] = std::move(handler);
    else
        state_->handlers.erase(cmd);
}

void SimDevice::SetFault(uint32_t cmd, Fault fault) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->faults[cmd] = fault;
}

void SimDevice::ClearFault(uint32_t cmd) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->faults.erase(cmd);
}

void SimDevice::ClearFaults() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->faults.clear();
}

void SimDevice::SetAnswerHeartbeat(bool answer) {
    state_->answerHeartbeat.store(answer);
}

void SimDevice::PutRecord(const std::string& group, const Bytes& key, const Bytes& record) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->store[group][key] = record;
}

std::optional<Bytes> SimDevice::GetRecord(const std::string& group, const Bytes& key) const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    auto g = state_->store.find(group);
    if (g == state_->store.end()) return std::nullopt;
    auto e = g->second.find(key);
    if (e == g->second.end()) return std::nullopt;
    return e->second;
}

namespace {

Bytes ApplyRule(SimDevice::State& s, const CommandRule& rule, const Bytes& plain) {
    Bytes key = KeyOf(plain, rule.keyOffset, rule.keyWidth);
    std::lock_guard<std::mutex> lock(s.mutex);
    switch (rule.kind) {
        case CommandRule::Status:
            break;
        case CommandRule::Record: {
            auto& group = s.store[rule.group];
            auto e = group.find(key);
            Bytes record;
            if (e != group.end()) {
                record = e->second;
            } else {
                record.assign(rule.replySize, 0);
                for (size_t i = 0; i < key.size() && rule.keyOffset + i < record.size(); ++i)
                    record[rule.keyOffset + i] = key[i];
            }
            record.resize(rule.replySize, 0);
            return StatusPayload(0, record);
        }
        case CommandRule::Store:
            s.store[rule.group][key] = plain;
            break;
        case CommandRule::Erase: {
            auto g = s.store.find(rule.group);
            if (g != s.store.end()) g->second.erase(key);
            break;
        }
        case CommandRule::EraseAll:
            s.store.erase(rule.group);
            break;
    }
    return StatusPayload(0);
}

}  // namespace

Answer SimDevice::Respond(const Request& request) {
    State& s = *state_;
    const uint32_t cmd = request.head.cmd;
    Handler handler;
    std::optional<CommandRule> rule;
    std::optional<Fault> fault;
    Head head;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        head.type = s.type;
        if (auto h = s.handlers.find(cmd); h != s.handlers.end())
            handler = h->second;
        else if (auto r = s.rules.find(cmd); r != s.rules.end())
            rule = r->second;
        auto f = s.faults.find(cmd);
        if (f == s.faults.end() && cmd != kLogin && cmd != kHeartbeat) f = s.faults.find(0);
        if (f != s.faults.end()) {
            fault = f->second;
            if (f->second.once) s.faults.erase(f);
        }
    }

    std::optional<Bytes> plain;
    bool closeAfter = false;
    if (handler) {
        plain = handler(request);
    } else if (rule) {
        plain = ApplyRule(s, *rule, request.plain);
        closeAfter = rule->closeAfterReply;
    } else {
        plain = StatusPayload(kResultInvalidCommand);
    }

    Answer answer;
    answer.close = closeAfter;
    head.cmd = cmd;
    head.identity = request.head.identity;
    Fault f = fault.value_or(Fault{});
    answer.delay = f.delay;
    answer.fragmented = f.fragmented;
    if (f.kind == Fault::CloseInstead || (!plain && f.kind == Fault::CloseAfterReply)) {
        answer.close = true;
        return answer;
    }
    if (!plain || f.kind == Fault::Silent) return answer;

    switch (f.kind) {
        case Fault::WrongCommand:
            head.cmd = f.value != 0 ? static_cast<uint32_t>(f.value) : cmd + 1;
            break;
        case Fault::ResultCode:
            plain = StatusPayload(static_cast<int32_t>(static_cast<uint32_t>(f.value)));
            break;
        case Fault::ResultWithBody:
            if (plain->size() < 4) plain->resize(4, 0);
            PutU32(plain->data(), static_cast<uint32_t>(f.value));
            break;
        case Fault::SizeDelta:
            plain->resize(static_cast<size_t>(std::max<int64_t>(0, int64_t(plain->size()) + f.value)), 0);
            break;
        case Fault::ShortPayload:
            plain->resize(static_cast<size_t>(std::clamp<int64_t>(f.value, 0, 3)), 0);
            break;
        case Fault::WrongIdentity:
            head.identity += static_cast<uint32_t>(f.value != 0 ? f.value : 1);
            break;
        case Fault::CloseAfterReply:
            answer.close = true;
            break;
        default:
            break;
    }

    if (f.kind == Fault::Oversized) {
        int64_t claimed = f.value > 0 ? f.value : kDefaultOversize;
        head.length = static_cast<uint32_t>(claimed);
        size_t body = claimed <= kMaxOversizeBody ? static_cast<size_t>(claimed) : 0;
        answer.bytes.assign(kHeadSize + body, 'A');
        PutHead(answer.bytes.data(), head);
        return answer;
    }

    answer.bytes = BuildMessage(head, *plain);
    if (f.kind == Fault::BadBase64) {
        if (answer.bytes.size() == kHeadSize) {
            answer.bytes.resize(kHeadSize + 4, 'A');
            head.length = 4;
            PutHead(answer.bytes.data(), head);
        }
        answer.bytes[kHeadSize] = '*';
    }
    if (f.kind == Fault::Duplicate) {
        Bytes once = answer.bytes;
        answer.bytes.insert(answer.bytes.end(), once.begin(), once.end());
    }
    return answer;
}

}  // namespace devsim
