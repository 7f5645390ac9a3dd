// Discovery and broadcast network setup over every local IPv4 address.
#pragma once

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
    // 0, -1000 - c for a refusal with code c, -4, -6 or -7.
    int32_t SetNetworkInfo(const Np_NetworkInfo& info);

    size_t SocketCount();

  private:
    explicit Manager(bool openSockets);
    ~Manager();
    Manager(const Manager&) = delete;
    Manager& operator=(const Manager&) = delete;

    void Drain();
    void CloseSockets();

    std::vector<std::unique_ptr<UdpSocket>> sockets_;
    std::mutex mutex_;  // one search or setup at a time
};

}  // namespace tsl
