// What the desktop program's benchmarks share: a simulated device that the
// registry knows, logged in and current, and the process's resident memory.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

#include "DevSim.h"
#include "DeviceRegistry.h"
#include "TslDev.h"

namespace guibench {

inline long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// Adds the device behind `server` to the registry as `name`, logs it in and
// makes it current. The handle, or the failed login's status.
inline int loginCurrent(const devsim::SimServer& server, int type, const std::string& name = "bench") {
    Device d;
    d.name = name;
    d.ip = "127.0.0.1";
    d.port = server.Port();
    d.type = type;
    d.username = "admin";
    d.password = "admin123";
    DeviceRegistry& registry = DeviceRegistry::instance();
    registry.add(d);
    Np_LoginInfo info{};
    const int handle =
        TSL_NET_DEV_Login(type, d.ip.c_str(), d.port, d.username.c_str(), d.password.c_str(), 5000, &info);
    if (handle <= 0) return handle;
    registry.setHandle(name, handle);
    registry.setCurrent(name);
    return handle;
}

}  // namespace guibench
