// One connection to one device: framing, receive dispatch, heartbeat and the
// request exchange every family operation goes through.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Base/CallbackSlot.h"
#include "Base/MessageHead.h"
#include "TslDefs.h"

namespace tsl {

class TcpClient;

// A pushed message, deciphered.
struct EventMessage {
    uint32_t cmd = 0;
    std::vector<uint8_t> payload;
};

constexpr size_t kEventAreaSize = 1024;
constexpr int32_t kMaxQueuedEvents = 1024;
constexpr uint32_t kLoginRecordSize = 128;

class Device : public std::enable_shared_from_this<Device> {
  public:
    using HandleCallback = std::function<void(int)>;

    Device(const char* ip, uint32_t port);
    virtual ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // Family classes override this; it runs on a pool worker.
    virtual void OnEvent(EventMessage message);

    int32_t Connect();
    // Login exchange (1001); on success starts the heartbeat.
    int32_t Login(const char* user, const char* password, void* loginInfo);
    int32_t Logout();

    // Exchanges a request built in `request` (head then plain payload, at
    // least kRequestBufferSize bytes). replySize 0: status only. A null
    // `reply` with a record size succeeds without a length check.
    int32_t SendAndReceive(uint8_t* request, void* reply, uint32_t replySize);
    template <class Record>
    int32_t SendAndReceive(uint8_t* request, Record* reply) {
        return SendAndReceive(request, reply, sizeof(Record));
    }
    int32_t SendAndReceive(uint8_t* request) { return SendAndReceive(request, nullptr, 0); }
    // One-way: enciphers and sends, reports nothing.
    void Send(uint8_t* request);

    // Builds one request in its own buffer (head with this device's type and
    // the module's next identity, then `length` payload bytes) and exchanges it.
    int32_t Call(IdentityModule module, uint32_t cmd, const void* payload, uint32_t length,
                 void* reply = nullptr, uint32_t replySize = 0);

    // Event subscription: 1036 with mode 1 (basic) or 2 (full); 1037 ends it.
    int32_t Subscribe(uint8_t mode);
    int32_t Unsubscribe();

    uint32_t type() const { return type_.load(); }
    void setType(uint32_t type) { type_ = type; }
    int32_t handle() const { return handle_.load(); }
    void setHandle(int32_t handle) { handle_ = handle; }
    int32_t timeoutMs() const { return timeoutMs_.load(); }
    void setTimeoutMs(int32_t ms);
    uint64_t context() const { return context_.load(); }
    void setContext(uint64_t context) { context_ = context; }
    const std::string& ip() const { return ip_; }
    uint32_t port() const { return port_; }
    std::string localIp() const;
    std::string localMac() const;

    // The table's hook for a lost connection. Installing it on a device
    // whose connection has already ended reports the loss at once.
    void SetDisconnectHook(HandleCallback hook);
    // False once the device's removal is claimed: the callback has then been
    // read for the last time, and one stored now would never be called.
    bool SetDisconnectCallback(HandleCallback callback);
    HandleCallback disconnectCallback() const;

    // Exactly one path reports and removes a lost device. Reboot, Format and
    // Restore announce themselves before their request, so that a device
    // closing right after its reply is reported by the export, on the
    // caller's thread, and not also by the disconnect task.
    void BeginOwnRemoval();
    // The export's request failed: true when a disconnect arrived meanwhile
    // and must now be handled by the disconnect task after all.
    bool EndOwnRemoval();
    // The export succeeded: true unless the removal was already claimed.
    bool ClaimRemoval();
    // The disconnect task: true when it is the one to report and remove.
    bool ClaimDisconnect();
    // Every call into the caller's code (events, disconnect, asynchronous
    // progress) passes here. Once Cleanup has let the device go none starts
    // any more, and CloseCallbacks returns only when those in progress have
    // ended, so nothing reaches the caller afterwards.
    template <class F>
    bool CallBack(F&& call) {
        return callbacks_.Pass(std::forward<F>(call));
    }
    void CloseCallbacks() { callbacks_.Close(); }

    // Events are delivered only while the device table holds the device.
    void setRegistered(bool registered) { registered_ = registered; }
    bool registered() const { return registered_.load(); }

    // File transfers; progress goes to `progress` (> 0 progress, 0 done,
    // < 0 the failure, which is also returned).
    using Progress = std::function<void(int handle, int value)>;
    int32_t StartUpgrade(const char* path, const Progress& progress);
    int32_t ExportConfigFile(const char* path, const Progress& progress);
    int32_t ImportConfigFile(const char* path, const Progress& progress);

    std::atomic<bool> upgradeStop{true};
    std::atomic<bool> exportStop{false};
    std::atomic<bool> importStop{false};

  protected:
    // Stops the heartbeat and joins the device's threads; family destructors
    // call it first so that no callback of theirs runs while they tear down.
    void Shutdown();

  private:
    struct Waiter;

    void OnReceive(const std::vector<uint8_t>& message);
    void OnClosed();
    // A write failed: every waiter checks whether its request went out.
    void OnDropped();
    void HeartbeatLoop();
    void DeliverEvent(uint32_t cmd, const uint8_t* text, uint32_t length);

    CallGate callbacks_;
    mutable std::mutex callbackMutex_;
    HandleCallback disconnectHook_;
    HandleCallback disconnectCallback_;
    bool closed_ = false;

    std::atomic<uint32_t> type_{0};
    std::atomic<uint64_t> context_{0};
    std::atomic<int32_t> handle_{0};
    std::atomic<uint64_t> missedHeartbeats_{0};
    std::atomic<int32_t> timeoutMs_{5000};
    std::atomic<bool> running_{false};
    std::mutex removalMutex_;
    bool removalClaimed_ = false;
    int ownRemovals_ = 0;
    bool disconnectDeferred_ = false;
    std::atomic<bool> registered_{false};

    std::mutex heartbeatMutex_;
    std::condition_variable heartbeatWake_;
    bool heartbeatRetime_ = false;
    std::thread heartbeatThread_;

    const std::string ip_;
    const uint32_t port_;
    mutable std::mutex addressMutex_;
    std::string localIp_;
    std::string localMac_;

    // Requests waiting for their reply; replies nobody waits for are dropped.
    std::mutex responseMutex_;
    std::vector<std::shared_ptr<Waiter>> waiters_;
    // Requests answered or timed out lately (identity and command): a late or
    // repeated reply to one of them is dropped, not taken for a reply to
    // another command by a request of another module with the same identity.
    std::vector<uint64_t> finished_;
    size_t finishedNext_ = 0;
    void NoteFinished(uint32_t identity, uint32_t cmd);
    bool RecentlyFinished(uint32_t identity, uint32_t cmd) const;

    // Events queued on the pool but not yet run, shared with the tasks so
    // that a task outliving its device can still count itself out.
    struct EventQueue {
        std::atomic<int32_t> pending{0};
        std::atomic<bool> overflowReported{false};
    };
    std::shared_ptr<EventQueue> events_;

    // Last member: destroyed first, so the receive thread has ended before
    // anything it reads goes away.
    std::unique_ptr<TcpClient> tcpClient_;
};

}  // namespace tsl
