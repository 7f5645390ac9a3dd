// The device simulator: loopback TCP devices that speak the protocol with
// their own codec, keep per-device record stores, record every request they
// decode, push events and misbehave on demand.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "SimCodec.h"

namespace devsim {

// One request as the simulator decoded it.
struct Request {
    Head head;    // as received (length = enciphered length)
    Bytes plain;  // deciphered payload (empty when `decoded` is false)
    bool decoded = true;
    int connection = 0;  // index of the connection it came on
};

// What to do instead of (or on top of) the normal answer.
struct Fault {
    enum Kind {
        None,
        Silent,          // never answer
        WrongCommand,    // answer with cmd + 1 (or `value` when non-zero)
        ResultCode,      // answer with result code `value` and no record
        ResultWithBody,  // result code `value`, normal record after it
        SizeDelta,       // record `value` bytes longer (negative: shorter)
        ShortPayload,    // a deciphered payload of exactly `value` bytes (0-3)
        BadBase64,       // a payload that is not base64
        WrongIdentity,   // answer with identity + `value`
        CloseAfterReply, // answer, then close the connection
        CloseInstead,    // close without answering
        Oversized,       // a frame whose length field claims `value` bytes (default > 1 MiB)
        Duplicate,       // send the answer twice
    };
    Kind kind = None;
    int64_t value = 0;
    std::chrono::milliseconds delay{0};  // before answering (applies to every kind)
    bool once = false;                   // cleared after it fired once
    bool fragmented = false;             // send the answer in small pieces
};

// What a command does when no fault says otherwise.
struct CommandRule {
    enum Kind {
        Status,    // reply: result code 0 only
        Record,    // reply: result 0 + `replySize` bytes from the store (zeros until set)
        Store,     // save the request payload under its key; reply status 0
        Erase,     // erase the entry under the request's key; reply status 0
        EraseAll,  // erase every entry of `group`; reply status 0
    };
    Kind kind = Status;
    uint32_t replySize = 0;
    std::string group;       // store group shared by the Set/Get/Delete/Clear of one record kind
    uint32_t keyOffset = 0;  // where the key starts in the request payload (Record/Store/Erase)
    uint32_t keyWidth = 0;   // key bytes; 0: the group holds one record
};

// Custom answer: given the request, the plain reply payload (result code
// first) or nullopt to stay silent.
using Handler = std::function<std::optional<Bytes>(const Request&)>;

class SimDevice {
public:
    explicit SimDevice(uint32_t type, std::string user = "admin", std::string password = "admin123");
    ~SimDevice();

    uint32_t Type() const;
    // The login check (1001): user and password must match, else result 7.
    void SetCredentials(std::string user, std::string password);
    // The 128-byte login reply record.
    void SetLoginInfo(const Bytes& record);

    void SetRule(uint32_t cmd, CommandRule rule);
    void SetHandler(uint32_t cmd, Handler handler);  // wins over the rule
    void SetFault(uint32_t cmd, Fault fault);        // cmd 0: every command
    void ClearFaults();
    void SetAnswerHeartbeat(bool answer);

    // Direct access to the record store, for tests.
    void PutRecord(const std::string& group, const Bytes& key, const Bytes& record);
    std::optional<Bytes> GetRecord(const std::string& group, const Bytes& key) const;

    struct State;
    std::shared_ptr<State> state() const { return state_; }

private:
    std::shared_ptr<State> state_;
};

class SimServer {
public:
    // Listens on 127.0.0.1; port 0 picks a free one.
    explicit SimServer(std::shared_ptr<SimDevice> device, uint16_t port = 0);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    uint16_t Port() const;
    std::shared_ptr<SimDevice> Device() const;
    void Stop();

    size_t ConnectionCount() const;  // connections open now
    size_t AcceptedCount() const;    // connections ever accepted
    // Pushes one message (head cmd, plain payload) to every open connection.
    void Push(uint32_t cmd, const Bytes& plain, uint32_t identity = 0);
    // Writes raw bytes to every open connection.
    void PushRaw(const Bytes& bytes, bool fragmented = false);
    void CloseConnections();

    std::vector<Request> Requests() const;
    std::vector<Request> RequestsFor(uint32_t cmd) const;
    // Waits until a request with `cmd` (0: any) was decoded; returns it.
    std::optional<Request> WaitForRequest(uint32_t cmd, std::chrono::milliseconds limit);
    void ClearRequests();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace devsim
