// The simulator's UDP side: answers discovery searches and broadcast network
// setup for any number of simulated devices, and misbehaves on demand.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "SimCodec.h"

namespace devsim {

constexpr uint16_t kDiscoveryPort = 7000;
constexpr uint32_t kCmdSearch = 1000;
constexpr uint32_t kCmdNetworkSetup = 1500;
constexpr size_t kSearchRecordSize = 288;

// How a search reply is spoiled on its way out.
enum class Corruption {
    None,
    Truncate,       // cut to `truncateTo` bytes
    LengthBeyond,   // length field 10 more than the text that follows
    HugeLength,     // length field 0xFFFFFFFF
    ShortRecord,    // result code and a record one byte short
    MacWithoutNul,  // MAC field filled to all 20 bytes
    BadCipher,      // payload text that is not base64
    Oversized,      // a 3,000-byte datagram claiming all of it as payload
};

// How a device answers network setup.
enum class SetupAnswer {
    Reply,         // result code `setupResult`
    Silent,        // no answer
    Undecodable,   // command 1500 with a payload that does not decode
    WrongCommand,  // a well-formed answer carrying command 1501
};

struct DiscoveryDevice {
    // The search record.
    std::string serial = "SIM-0000000000";
    std::string name = "simulated device";
    std::string typeName = "simulator";
    std::string firmware = "V1.0.0";
    uint32_t tcpPort = 8000;
    std::string mac = "02:5a:00:00:00:01";
    std::string ip = "10.9.0.2";
    std::string mask = "255.255.255.0";
    std::string gateway = "10.9.0.254";
    uint8_t activated = 1;
    std::string client1;
    std::string client2;
    std::string hardware = "HW-1";
    uint32_t type = 100;

    // Search behaviour: answered when the request asks for `type` or for 0.
    bool answerSearch = true;
    int32_t searchResult = 0;
    std::chrono::milliseconds delay{0};
    int copies = 1;  // identical replies per request
    Corruption corruption = Corruption::None;
    size_t truncateTo = 0;

    // Network setup behaviour.
    SetupAnswer setupAnswer = SetupAnswer::Reply;
    int32_t setupResult = 0;
};

// The 288-byte record of a device.
Bytes SearchRecord(const DiscoveryDevice& device);
// "02:5a:" and the index in the last four bytes: distinct and ordered like
// the indexes.
std::string SimMac(uint32_t index);
// `count` devices of `type` with MACs SimMac(first), SimMac(first + 1), ...
std::vector<DiscoveryDevice> MakeDevices(size_t count, uint32_t type, uint32_t first = 0);

struct DiscoveryOptions {
    std::string bindAddress = "0.0.0.0";
    uint16_t port = kDiscoveryPort;
    std::string interface;  // answer only what arrives on this link (empty: all)
};

// One request as the responder saw it.
struct SeenRequest {
    Head head;
    Bytes plain;  // deciphered payload
    bool decoded = false;
    std::string from;  // sender address text
};

class DiscoveryResponder {
  public:
    // Binds at once; throws std::system_error when it cannot.
    explicit DiscoveryResponder(DiscoveryOptions options = {});
    ~DiscoveryResponder();
    DiscoveryResponder(const DiscoveryResponder&) = delete;
    DiscoveryResponder& operator=(const DiscoveryResponder&) = delete;

    uint16_t Port() const;
    void SetDevices(std::vector<DiscoveryDevice> devices);
    void AddDevice(DiscoveryDevice device);

    std::vector<SeenRequest> Requests() const;
    size_t RepliesSent() const;
    // True once at least `count` replies went out.
    bool WaitForReplies(size_t count, std::chrono::milliseconds limit) const;
    void Stop();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace devsim
