#include "Base/Device.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "Base/Codec.h"
#include "Base/Credentials.h"
#include "Base/ErrorText.h"
#include "Base/Logger.h"
#include "Base/NetworkAdapters.h"
#include "Base/TcpClient.h"
#include "Base/ThreadPool.h"

namespace tsl {

namespace {

constexpr uint32_t kCmdLogin = 1001;
constexpr uint32_t kCmdHeartbeat = 1007;
constexpr uint32_t kLoginPayloadSize = 80;
constexpr uint32_t kHeartbeatPayloadSize = 20;
constexpr auto kTick = std::chrono::milliseconds(100);
// Largest text that can decipher into the event area (1,024 bytes plus a
// whole block of padding).
constexpr uint32_t kMaxEventText = 4 * ((kEventAreaSize + 16 + 2) / 3);

bool IsPushed(uint32_t cmd) {
    return (cmd / 100) % 10 == 8;
}

// A plain payload for the log: with its passwords masked, if it has any.
void LogPlain(uint32_t cmd, bool reply, const uint8_t* payload, uint32_t length) {
    if (!HoldsSecrets(cmd, reply)) {
        LOG_HEX(payload, length);
        return;
    }
    std::vector<uint8_t> masked(payload, payload + length);
    MaskSecrets(cmd, reply, masked.data(), length);
    LOG_HEX(masked.data(), masked.size());
}

}  // namespace

// One request waiting for its reply. It has a lock of its own, so that
// handing it the reply and waking it never touches the device's table lock,
// and a waking one never queues behind another for it.
struct Device::Waiter {
    uint32_t identity;
    uint32_t cmd;
    std::mutex mutex;
    std::condition_variable cond;
    bool filled = false;
    // A write failed: the request may never have gone out.
    bool dropped = false;
    std::vector<uint8_t> message;
};

Device::Device(const char* ip, uint32_t port)
    : ip_(ip ? ip : ""),
      port_(port),
      events_(std::make_shared<EventQueue>()),
      tcpClient_(std::make_unique<TcpClient>(ip_, static_cast<uint16_t>(port))) {
    tcpClient_->SetMessageCallback([this](const std::vector<uint8_t>& message) { OnReceive(message); });
    tcpClient_->SetDropCallback([this] { OnDropped(); });
    FramingConfig framing;
    framing.bufferSize = 1048576;
    framing.headerLength = kHeadSize;
    framing.lengthOffset = kLengthOffset;
    framing.lengthWidth = 4;
    tcpClient_->SetFraming(framing);
}

Device::~Device() {
    Shutdown();
}

void Device::Shutdown() {
    {
        std::lock_guard<std::mutex> lock(heartbeatMutex_);
        running_ = false;
    }
    heartbeatWake_.notify_all();
    if (heartbeatThread_.joinable() && heartbeatThread_.get_id() != std::this_thread::get_id())
        heartbeatThread_.join();
    // Joins the receive thread without reporting the close.
    tcpClient_.reset();
}

void Device::OnEvent(EventMessage) {}

int32_t Device::Connect() {
    tcpClient_->SetCloseCallback([this] { OnClosed(); });
    // A device that stops reading must not hold a sender (and every request
    // queued behind it, and the heartbeat) longer than a request may take.
    tcpClient_->SetSendTimeout(timeoutMs() > 100 ? timeoutMs() : 100);
    if (tcpClient_->Connect(timeoutMs()) != 0) return ERR_CONNECT_TIMEOUT;
    std::string local = tcpClient_->GetLocalAddress();
    const auto& adapters = LocalAdapters();
    auto it = adapters.find(local);
    std::lock_guard<std::mutex> lock(addressMutex_);
    localIp_ = local;
    if (it != adapters.end()) localMac_ = it->second;
    return 0;
}

int32_t Device::Login(const char* user, const char* password, void* loginInfo) {
    char payload[kLoginPayloadSize] = {};
    std::snprintf(payload, 16, "%s", user ? user : "");
    std::snprintf(payload + 16, 16, "%s", password ? password : "");
    std::snprintf(payload + 32, 18, "%s", localMac().c_str());
    std::snprintf(payload + 50, 16, "%s", localIp().c_str());
    int32_t status =
        Call(IdentityModule::Common, kCmdLogin, payload, kLoginPayloadSize, loginInfo, kLoginRecordSize);
    if (status != 0) return status;
    {
        std::lock_guard<std::mutex> lock(heartbeatMutex_);
        if (heartbeatThread_.joinable()) return 0;
        running_ = true;
    }
    heartbeatThread_ = std::thread([this] { HeartbeatLoop(); });
    return 0;
}

int32_t Device::Subscribe(uint8_t mode) {
    uint8_t payload[32] = {};
    payload[0] = mode;
    return Call(IdentityModule::Common, 1036, payload, sizeof payload);
}

int32_t Device::Unsubscribe() {
    return Call(IdentityModule::Common, 1037, nullptr, 0);
}

int32_t Device::Logout() {
    if (tcpClient_) tcpClient_->Close();
    return 0;
}

std::string Device::localIp() const {
    std::lock_guard<std::mutex> lock(addressMutex_);
    return localIp_;
}

std::string Device::localMac() const {
    std::lock_guard<std::mutex> lock(addressMutex_);
    return localMac_;
}

void Device::SetDisconnectHook(HandleCallback hook) {
    HandleCallback fire;
    {
        std::lock_guard<std::mutex> lock(callbackMutex_);
        disconnectHook_ = std::move(hook);
        if (closed_) fire = disconnectHook_;
    }
    if (fire) fire(handle());
}

bool Device::SetDisconnectCallback(HandleCallback callback) {
    HandleCallback previous;
    // Held across the store: a removal claimed after it reads this callback,
    // one claimed before refuses it.
    std::lock_guard<std::mutex> removal(removalMutex_);
    if (removalClaimed_) return false;
    std::lock_guard<std::mutex> lock(callbackMutex_);
    previous = std::move(disconnectCallback_);
    disconnectCallback_ = std::move(callback);
    return true;
}

Device::HandleCallback Device::disconnectCallback() const {
    std::lock_guard<std::mutex> lock(callbackMutex_);
    return disconnectCallback_;
}

void Device::BeginOwnRemoval() {
    std::lock_guard<std::mutex> lock(removalMutex_);
    ++ownRemovals_;
}

bool Device::EndOwnRemoval() {
    std::lock_guard<std::mutex> lock(removalMutex_);
    if (--ownRemovals_ > 0 || !disconnectDeferred_) return false;
    disconnectDeferred_ = false;
    return true;
}

bool Device::ClaimRemoval() {
    std::lock_guard<std::mutex> lock(removalMutex_);
    --ownRemovals_;
    disconnectDeferred_ = false;
    if (removalClaimed_) return false;
    removalClaimed_ = true;
    return true;
}

bool Device::ClaimDisconnect() {
    std::lock_guard<std::mutex> lock(removalMutex_);
    if (removalClaimed_) return false;
    if (ownRemovals_ > 0) {
        disconnectDeferred_ = true;
        return false;
    }
    removalClaimed_ = true;
    return true;
}

void Device::OnClosed() {
    HandleCallback hook;
    {
        std::lock_guard<std::mutex> lock(callbackMutex_);
        closed_ = true;
        hook = disconnectHook_;
    }
    if (hook) hook(handle());
}

int32_t Device::Call(IdentityModule module, uint32_t cmd, const void* payload, uint32_t length, void* reply,
                     uint32_t replySize) {
    if (kHeadSize + EncodedPayloadSize(length) > kRequestBufferSize) {
        LOG_ERROR("Encode payload error");
        return ERR_REQUEST_ENCODE;
    }
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kRequestBufferSize]);
    WriteHead(buffer.get(), MakeHead(type(), cmd, NextIdentity(module), length));
    if (length) std::memcpy(buffer.get() + kHeadSize, payload, length);
    return SendAndReceive(buffer.get(), reply, replySize);
}

int32_t Device::SendAndReceive(uint8_t* request, void* reply, uint32_t replySize) {
    MessageHead head = ReadHead(request);
    uint8_t* payload = request + kHeadSize;
    Logger& log = Logger::Instance();
    const bool debug = log.Enabled(kLogDebug);
    if (debug) {
        LOG_DEBUG("Send head: type[%d] cmd[%d] identity[%d]", head.type, head.cmd, head.identity);
        LOG_HEX(request, kHeadSize);
        LOG_DEBUG("Send payload ori: len[%d]", head.length);
        if (head.length <= kRequestBufferSize - kHeadSize) LogPlain(head.cmd, false, payload, head.length);
    }

    uint32_t encoded = 0;
    if (EncodePayload(payload, static_cast<int32_t>(head.length), payload, &encoded) != 0) {
        LOG_ERROR("Encode payload error");
        return ERR_REQUEST_ENCODE;
    }
    std::memcpy(request + kLengthOffset, &encoded, sizeof encoded);
    if (debug) {
        LOG_DEBUG("Send payload enc: len[%d]", encoded);
        // The cipher key is no secret, so a credential's cipher text is one too.
        if (!HoldsSecrets(head.cmd, false)) LOG_HEX(payload, encoded);
    }

    // Registered before sending, so that no reply can come before its waiter.
    // Shared, so that the receive thread can wake it after letting the table go.
    auto waiter = std::make_shared<Waiter>();
    waiter->identity = head.identity;
    waiter->cmd = head.cmd;
    {
        std::lock_guard<std::mutex> lock(responseMutex_);
        waiters_.push_back(waiter);
    }
    // Gone from the table unless the receive thread took it first.
    auto unregister = [this, &waiter] {
        std::lock_guard<std::mutex> lock(responseMutex_);
        for (auto it = waiters_.begin(); it != waiters_.end(); ++it)
            if (*it == waiter) {
                waiters_.erase(it);
                NoteFinished(waiter->identity, waiter->cmd);
                return true;
            }
        return false;
    };

    const int64_t ticket = tcpClient_ ? tcpClient_->Post(request, kHeadSize + encoded) : -1;
    if (ticket < 0) {
        unregister();
        LOG_ERROR("Send payload error");
        return ERR_REQUEST_SEND;
    }

    std::vector<uint8_t> message;
    {
        std::unique_lock<std::mutex> lock(waiter->mutex);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs());
        auto undelivered = [&] { return waiter->dropped && tcpClient_->Undelivered(ticket); };
        bool woken = waiter->cond.wait_until(lock, deadline, [&] { return waiter->filled || undelivered(); });
        if (!waiter->filled) {
            lock.unlock();
            if (unregister()) {
                if (woken) {
                    LOG_ERROR("Send payload error");
                    return ERR_REQUEST_SEND;
                }
                LOG_ERROR("Recv timeout");
                return ERR_RESPONSE_TIMEOUT;
            }
            // The receive thread has just taken it and is filing the reply.
            lock.lock();
            waiter->cond.wait(lock, [&] { return waiter->filled; });
        }
        message = std::move(waiter->message);
    }

    MessageHead got = ReadHead(message.data());
    uint32_t textLength = static_cast<uint32_t>(message.size() - kHeadSize);
    if (debug) {
        LOG_DEBUG("Recv head: type[%d] cmd[%d] identity[%d]", got.type, got.cmd, got.identity);
        LOG_HEX(message.data(), kHeadSize);
        LOG_DEBUG("Recv payload ori: len[%d]", got.length);
        if (!HoldsSecrets(got.cmd, true)) LOG_HEX(message.data() + kHeadSize, textLength);
    }
    if (got.cmd != head.cmd) {
        LOG_ERROR("Recv request command mismatch");
        return ERR_RESPONSE_CMD_MISMATCH;
    }
    uint8_t* text = message.data() + kHeadSize;
    uint32_t plain = 0;
    if (DecodePayload(text, static_cast<int32_t>(textLength), text, &plain) != 0) {
        LOG_ERROR("Decode payload error");
        return ERR_RESPONSE_DECODE;
    }
    if (plain < 4) {
        LOG_DEBUG("Recv payload dec: len[%d] rc[none]", plain);
        return ERR_RESPONSE_LENGTH;
    }
    int32_t code;
    std::memcpy(&code, text, sizeof code);
    if (debug) {
        LOG_DEBUG("Recv payload dec: len[%d] rc[%d]", plain, code);
        LogPlain(head.cmd, true, text, plain);
    }
    if (code != 0) return DeviceRefusal(code);
    if (replySize == 0 || reply == nullptr) return 0;
    if (plain != 4 + replySize) return ERR_RESPONSE_LENGTH;
    std::memcpy(reply, text + 4, replySize);
    return 0;
}

void Device::Send(uint8_t* request) {
    MessageHead head = ReadHead(request);
    uint32_t encoded = 0;
    if (EncodePayload(request + kHeadSize, static_cast<int32_t>(head.length), request + kHeadSize,
                      &encoded) != 0) {
        TSL_LOG_AT(kLogError, "Send", "Encode payload error");
        return;
    }
    std::memcpy(request + kLengthOffset, &encoded, sizeof encoded);
    if (tcpClient_) tcpClient_->Post(request, kHeadSize + encoded);
}

void Device::setTimeoutMs(int32_t ms) {
    {
        std::lock_guard<std::mutex> lock(heartbeatMutex_);
        timeoutMs_ = ms;
        heartbeatRetime_ = true;
    }
    heartbeatWake_.notify_all();
}

void Device::HeartbeatLoop() {
    using Clock = std::chrono::steady_clock;
    // Ticks lie on a 100 ms grid from the start; `tick` is this round's.
    const auto start = Clock::now();
    auto tick = start;
    auto last = start;
    while (missedHeartbeats_.load() < 2) {
        const auto interval = std::chrono::milliseconds(timeoutMs());
        if (Clock::now() - last > interval) {
            uint8_t buffer[kHeadSize + 64] = {};
            WriteHead(buffer, MakeHead(type(), kCmdHeartbeat, NextIdentity(IdentityModule::Common),
                                       kHeartbeatPayloadSize));
            buffer[kHeadSize] = static_cast<uint8_t>(kHeartbeatPayloadSize);
            // Counted before it goes out: a quick reply must find it counted,
            // or its reset would be undone and a live device closed.
            ++missedHeartbeats_;
            Send(buffer);
            last = tick;
        }
        tick += kTick;
        // Ticks before the next beat is due have nothing to do, so the thread
        // sleeps through them; right after the second unanswered beat the
        // next tick decides about closing.
        if (missedHeartbeats_.load() < 2)
            while (tick < last + interval) tick += kTick;
        std::unique_lock<std::mutex> lock(heartbeatMutex_);
        heartbeatWake_.wait_until(lock, tick, [this] { return !running_.load() || heartbeatRetime_; });
        if (!running_.load()) return;
        if (heartbeatRetime_) {
            // A new interval counts from the next tick on.
            heartbeatRetime_ = false;
            tick = start + ((Clock::now() - start) / kTick + 1) * kTick;
            lock.unlock();
            std::this_thread::sleep_until(tick);
        }
    }
    tcpClient_->Close();
}

void Device::OnReceive(const std::vector<uint8_t>& message) {
    if (message.size() < kHeadSize) return;
    MessageHead head = ReadHead(message.data());
    const uint8_t* text = message.data() + kHeadSize;
    const uint32_t textLength = static_cast<uint32_t>(message.size() - kHeadSize);
    if (IsPushed(head.cmd)) {
        DeliverEvent(head.cmd, text, textLength);
        return;
    }
    if (head.cmd == kCmdHeartbeat) {
        missedHeartbeats_ = 0;
        return;
    }
    // A reply goes to the request with its identity and command (a login
    // reply to the login, whatever its identity). A wrong command still goes
    // to a request of that identity, which reports the mismatch.
    std::shared_ptr<Waiter> target;
    {
        std::lock_guard<std::mutex> lock(responseMutex_);
        for (const auto& w : waiters_) {
            bool exact = head.cmd == kCmdLogin ? w->cmd == kCmdLogin
                                               : (w->identity == head.identity && w->cmd == head.cmd);
            if (exact) {
                target = w;
                break;
            }
        }
        if (!target && head.cmd != kCmdLogin && !RecentlyFinished(head.identity, head.cmd))
            for (const auto& w : waiters_)
                if (w->identity == head.identity && w->cmd != kCmdLogin) {
                    target = w;
                    break;
                }
        if (target) {
            NoteFinished(target->identity, target->cmd);
            for (auto it = waiters_.begin(); it != waiters_.end(); ++it)
                if (*it == target) {
                    waiters_.erase(it);
                    break;
                }
        }
    }
    if (!target) {
        LOG_DEBUG("Drop unawaited response: cmd[%d] identity[%d]", head.cmd, head.identity);
        return;
    }
    std::vector<uint8_t> copy(message);
    {
        std::lock_guard<std::mutex> lock(target->mutex);
        target->message = std::move(copy);
        target->filled = true;
    }
    // Woken outside its lock, so that it need not wait for it at once.
    target->cond.notify_one();
}

void Device::OnDropped() {
    std::lock_guard<std::mutex> table(responseMutex_);
    for (const auto& w : waiters_) {
        {
            std::lock_guard<std::mutex> lock(w->mutex);
            w->dropped = true;
        }
        w->cond.notify_one();
    }
}

void Device::NoteFinished(uint32_t identity, uint32_t cmd) {
    constexpr size_t kRemembered = 256;
    uint64_t key = (uint64_t(identity) << 32) | cmd;
    if (finished_.size() < kRemembered) {
        finished_.push_back(key);
    } else {
        finished_[finishedNext_] = key;
        finishedNext_ = (finishedNext_ + 1) % kRemembered;
    }
}

bool Device::RecentlyFinished(uint32_t identity, uint32_t cmd) const {
    uint64_t key = (uint64_t(identity) << 32) | cmd;
    for (uint64_t k : finished_)
        if (k == key) return true;
    return false;
}

void Device::DeliverEvent(uint32_t cmd, const uint8_t* text, uint32_t length) {
    if (length > kMaxEventText) {
        LOG_DEBUG("Drop oversized push: cmd[%d] len[%d]", cmd, length);
        return;
    }
    uint8_t area[kMaxEventText] = {};
    uint32_t plain = 0;
    if (DecodePayload(text, static_cast<int32_t>(length), area, &plain) != 0) return;
    if (plain > kEventAreaSize) {
        LOG_DEBUG("Drop oversized push: cmd[%d] len[%d]", cmd, plain);
        return;
    }
    if (events_->pending.fetch_add(1) >= kMaxQueuedEvents) {
        events_->pending.fetch_sub(1);
        if (!events_->overflowReported.exchange(true))
            LOG_ERROR("Event queue of device[%d] full: dropping events", handle());
        return;
    }
    EventMessage event{cmd, std::vector<uint8_t>(area, area + plain)};
    std::weak_ptr<Device> weak = weak_from_this();
    auto queue = events_;
    auto task = [weak, queue, event = std::move(event)]() mutable {
        if (queue->pending.fetch_sub(1) <= kMaxQueuedEvents / 2 && queue->overflowReported.load())
            queue->overflowReported = false;
        std::shared_ptr<Device> self = weak.lock();
        if (!self || !self->registered()) return;
        self->OnEvent(std::move(event));
    };
    if (!ThreadPool::Instance().Enqueue(std::move(task)).valid()) events_->pending.fetch_sub(1);
}

}  // namespace tsl
