// Discovery and broadcast network setup over every local IPv4 address.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "TslDiscovery.h"

namespace tsl {

class UdpSocket;

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
