// Discovery and broadcast network setup over every local IPv4 address.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "TslDiscovery.h"

namespace tsl {

class UdpSocket;

// A datagram in a zeroed area of kDatagramArea bytes, `received` of them
// filled; both decode its payload in place. A search reply: true and the
// record for a decoded success whose MAC text ends within its field.
constexpr size_t kDatagramArea = 2048;
bool DecodeSearchReply(uint8_t* area, int received, Np_SearchInfo* record);
// A network setup reply: its outcome (0, a refusal status, or -6 when it does
// not decode), or none for a datagram that is no reply to the setup.
std::optional<int32_t> DecodeSetupReply(uint8_t* area, int received);

class Manager {
  public:
    // Created on first use with one broadcast socket per local address; the
    // socket set is fixed from then on.
    static Manager& Instance();
    // Closes the sockets (library unload). Searches afterwards find nothing.
    static void ShutdownInstance();

    // One record per MAC, in byte order of the MAC text. Type 0 asks every type.
    std::vector<Np_SearchInfo> Search(uint32_t type);
    // 0, -1000 - c for a refusal with code c (-18 for c below 1), -4, -6 or -7.
    int32_t SetNetworkInfo(const Np_NetworkInfo& info);

    size_t SocketCount();

  private:
    explicit Manager(bool openSockets);
    ~Manager();
    Manager(const Manager&) = delete;
    Manager& operator=(const Manager&) = delete;

    using Deadline = std::chrono::steady_clock::time_point;
    // Both read only until the deadline: a host that keeps sending holds no
    // caller (nor the mutex) past the reply window.
    void Drain(Deadline deadline);
    // Hands each datagram arriving until the deadline to take(socket index,
    // bytes, length), in a zeroed area.
    template <class Take>
    void Collect(Deadline deadline, Take&& take);
    void CloseSockets();

    std::vector<std::unique_ptr<UdpSocket>> sockets_;
    std::mutex mutex_;  // one search or setup at a time
};

}  // namespace tsl
