// The device simulator: loopback TCP devices that speak the protocol with
// their own codec, keep per-device record stores, record every request they
// decode, push events and misbehave on demand.
//
// A SimDevice is the device (type, credentials, rules, handlers, faults,
// record store, transfer state); a SimServer puts one device on one port of
// 127.0.0.1 and serves any number of connections to it, one thread each.
//
// Every reply's plain payload is the result code (int32 LE) followed by the
// record; its head carries the request's cmd and identity and the device's
// type, unless a fault says otherwise. A command nobody knows is answered with
// result code 4 (invalid command) and no record.
//
// What a device answers by default (every type):
//   1001 login        user name at bytes 0-15, password at 16-31 of the
//                     payload (NUL-terminated texts); mismatch: result 7;
//                     match: result 0 + the login record (SetLoginInfo)
//   1007 heartbeat    result 0, unless SetAnswerHeartbeat(false)
//   1003 password     new password text at byte 0 of the 32-byte payload
//   1029/1031/1030    upgrade start (reply: 32 bytes, transfer id at 0),
//                     data (transfer id, n, n bytes), stop (transfer id)
//   1045/1046         configuration export block / import block
//   and the record rules below, group names in quotes (key: request bytes
//   0-1 where one is given; Get of an unset key answers a zero record whose
//   key bytes are the requested key, so reads round-trip):
//   1008/1009 "time" 8            1010/1011 "ntp" 48
//   1012-1015 "planTemplate" 112, key  (Get/Delete/Set/Clear)
//   1016-1019 "weekPlan" 320, key      1020-1023 "holidayPlan" 80, key
//   1024/10000 "deviceInfo" 208   1025/1026 "name" 80
//   1027/1028 "network1" 80       1047/1048 "network2" 80
//   1042/1043 "rs485" 48          1044 "idList" 288, key: id kind (bytes 0-3)
//   1041 "log" 652 / 1040 clears it; 1034 clears "event"
//   1400 "testControl" 256        1004 reboot, 1005 format, 1006 restore,
//                                 1036 subscribe, 1037 unsubscribe: status
//
// Adding a device family: put its rules in a file of its own under lib/ and
// register them once per type code; every SimDevice of that type runs the
// function after the common set, so a family may also replace common rules:
//
//   namespace { const bool registered = devsim::RegisterFamily(100, [](devsim::SimDevice& d) {
//       using R = devsim::CommandRule;
//       d.SetRule(2006, {R::Record, 65, "accChannel", 0, 1});
//       d.SetRule(2007, {R::Store, 0, "accChannel", 0, 1});
//   }); }
//
// The library is built so that every file of it is linked into its users,
// which is what lets such a file register itself.
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
    int connection = 0;  // index of the connection it came on (accept order, from 0)
};

// What to do instead of (or on top of) the normal answer. A fault set for cmd
// 0 applies to every command except login (1001) and heartbeat (1007), which
// take only faults set for them by number; a fault for the exact cmd wins.
// A command that the device would not answer stays unanswered whatever the
// fault, except that the two Close kinds still close.
struct Fault {
    enum Kind {
        None,
        Silent,           // never answer
        WrongCommand,     // answer with cmd + 1 (or `value` when non-zero)
        ResultCode,       // answer with result code `value` (raw low 32 bits) and no record
        ResultWithBody,   // result code `value`, normal record after it
        SizeDelta,        // record `value` bytes longer (negative: shorter)
        ShortPayload,     // a deciphered payload of exactly `value` bytes (0-3)
        BadBase64,        // a payload that is not base64 (right length, one bad character)
        WrongIdentity,    // answer with identity + `value` (+1 when `value` is 0)
        CloseAfterReply,  // answer, then close the connection
        CloseInstead,     // close without answering
        Oversized,        // a frame whose length field claims `value` bytes (0: 1 MiB - 21, so the
                          // frame is one byte over 1 MiB); that many filler bytes follow, up to 4 MiB
        Duplicate,        // send the answer twice, in one write
    };
    Kind kind = None;
    int64_t value = 0;
    std::chrono::milliseconds delay{0};  // before answering (applies to every kind); the
                                         // connection keeps serving other requests meanwhile
    bool once = false;                   // cleared after it fired once
    bool fragmented = false;             // send the answer in small pieces with small pauses
};

// What a command does when no handler says otherwise.
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
    std::string group;             // store group shared by the Set/Get/Delete/Clear of one record kind
    uint32_t keyOffset = 0;        // where the key starts in the request payload (Record/Store/Erase);
                                   // a zero record for an unset key gets the key at the same offset
    uint32_t keyWidth = 0;         // key bytes; 0: the group holds one record
    bool closeAfterReply = false;  // close the connection right after replying (reboot-like)
};

// Custom answer: given the request, the plain reply payload (result code
// first) or nullopt to stay silent. Called on the connection's thread with no
// lock of the simulator held, so it may call the device's methods.
using Handler = std::function<std::optional<Bytes>(const Request&)>;

// One firmware upgrade as the device saw it.
struct Upgrade {
    uint32_t id = 0;               // transfer id given in the start reply
    uint32_t size = 0;             // file size announced by the start request
    Bytes data;                    // the bytes of every data chunk, in order
    std::vector<uint32_t> chunks;  // the size of each data chunk
    bool stopped = false;          // a stop request came
};

constexpr size_t kConfigBlockSize = 1028;
constexpr size_t kConfigDataSize = kConfigBlockSize - 16;

// What the device does about one request; SimServer carries it out.
struct Answer {
    Bytes bytes;  // whole messages to write, in one write (empty: nothing to write)
    std::chrono::milliseconds delay{0};
    bool fragmented = false;
    bool close = false;  // close the connection after writing `bytes`
};

// A plain reply payload: the result code, then the record.
Bytes StatusPayload(int32_t code, const Bytes& record = {});

class SimDevice {
  public:
    explicit SimDevice(uint32_t type, std::string user = "admin", std::string password = "admin123");
    ~SimDevice();
    SimDevice(const SimDevice&) = delete;
    SimDevice& operator=(const SimDevice&) = delete;

    uint32_t Type() const;
    // Changes the type written into the heads; the rules stay those of the
    // type given at construction.
    void SetType(uint32_t type);
    // The login check (1001): user and password must match, else result 7.
    void SetCredentials(std::string user, std::string password);
    std::string User() const;
    std::string Password() const;  // changes with 1003
    // The login reply record, sent as given (128 bytes; zeros by default).
    void SetLoginInfo(const Bytes& record);

    void SetRule(uint32_t cmd, CommandRule rule);    // also drops a handler of cmd
    void SetHandler(uint32_t cmd, Handler handler);  // wins over the rule; empty: removes it
    void SetFault(uint32_t cmd, Fault fault);        // cmd 0: every command (see Fault)
    void ClearFault(uint32_t cmd);
    void ClearFaults();
    void SetAnswerHeartbeat(bool answer);

    // Direct access to the record store, for tests.
    void PutRecord(const std::string& group, const Bytes& key, const Bytes& record);
    std::optional<Bytes> GetRecord(const std::string& group, const Bytes& key) const;

    // Transfers. Upgrades in the order they started.
    std::vector<Upgrade> Upgrades() const;
    // The data part of each exported block (at most 1,012 bytes each, zero
    // padded); the block count is the vector's size. Default: 3 blocks of a
    // fixed pattern.
    void SetExportData(std::vector<Bytes> data);
    // The request for block `index` is answered with index + 1 in the block.
    void SetExportWrongIndex(std::optional<uint32_t> index);
    // The 1,028-byte blocks as an export sends them: index at 4, state at 12
    // (2 for the last block, 1 before it), the data from 16.
    std::vector<Bytes> ExportBlocks() const;
    // The 1,028-byte blocks received by imports (1046), in order.
    std::vector<Bytes> ImportedBlocks() const;

    // The answer to one decoded request (used by SimServer).
    Answer Respond(const Request& request);

    struct State;
    std::shared_ptr<State> state() const { return state_; }

  private:
    std::shared_ptr<State> state_;
};

// Registers a family's rules for a device type code (see the top of this
// file). Safe during static initialisation; returns true.
bool RegisterFamily(uint32_t type, std::function<void(SimDevice&)> addRules);

class SimServer {
  public:
    // Listens on 127.0.0.1; port 0 picks a free one. Throws std::runtime_error
    // when the port cannot be bound.
    explicit SimServer(std::shared_ptr<SimDevice> device, uint16_t port = 0);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    uint16_t Port() const;
    std::shared_ptr<SimDevice> Device() const;
    void Stop();  // closes the port and every connection; idempotent

    size_t ConnectionCount() const;  // connections open now
    size_t AcceptedCount() const;    // connections ever accepted
    // Pushes one message (head cmd, plain payload) to every open connection.
    void Push(uint32_t cmd, const Bytes& plain, uint32_t identity = 0, bool fragmented = false);
    // Writes raw bytes to every open connection (several messages in one
    // buffer go out glued in one write, unless fragmented).
    void PushRaw(const Bytes& bytes, bool fragmented = false);
    // A whole message as this device would send it, for gluing with PushRaw.
    Bytes Message(uint32_t cmd, const Bytes& plain, uint32_t identity = 0) const;
    // Closes every open connection and returns once they are gone.
    void CloseConnections();

    std::vector<Request> Requests() const;
    std::vector<Request> RequestsFor(uint32_t cmd) const;
    // Waits until a request with `cmd` (0: any) was decoded; returns the
    // earliest such request in the log (ClearRequests to wait for a new one).
    std::optional<Request> WaitForRequest(uint32_t cmd, std::chrono::milliseconds limit);
    // Waits until the log holds at least `count` decoded requests with `cmd`.
    bool WaitForCount(uint32_t cmd, size_t count, std::chrono::milliseconds limit);
    void ClearRequests();
    // Recording is on by default; long benchmark runs turn it off.
    void SetRecordRequests(bool record);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace devsim
