// A simulated device on 127.0.0.1 logged in through the SDK's exports.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "DevSim.h"
#include "TslDev.h"

namespace tsltest {

struct SimLogin {
    std::shared_ptr<devsim::SimDevice> device;
    std::unique_ptr<devsim::SimServer> server;
    int handle = 0;
    Np_LoginInfo info{};

    explicit SimLogin(int type, int timeoutMs = 2000)
        : device(std::make_shared<devsim::SimDevice>(static_cast<uint32_t>(type))),
          server(std::make_unique<devsim::SimServer>(device)) {
        handle = TSL_NET_DEV_Login(type, "127.0.0.1", server->Port(), "admin", "admin123", timeoutMs, &info);
        EXPECT_GT(handle, 0) << "login to the simulated device of type " << type;
    }
    ~SimLogin() {
        if (handle > 0) TSL_NET_DEV_Logout(handle);
    }

    // The plain payload of the last request with `cmd`, or an empty one.
    devsim::Bytes LastPayload(uint32_t cmd) const {
        auto requests = server->RequestsFor(cmd);
        return requests.empty() ? devsim::Bytes{} : requests.back().plain;
    }
};

template <class T>
devsim::Bytes BytesOf(const T& record) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&record);
    return devsim::Bytes(p, p + sizeof record);
}

// A record filled with a recognisable pattern.
template <class T>
T Patterned(uint8_t seed) {
    T record;
    uint8_t* p = reinterpret_cast<uint8_t*>(&record);
    for (size_t i = 0; i < sizeof record; ++i) p[i] = static_cast<uint8_t>(seed + i * 7);
    return record;
}

// Polls until `done` holds; false when `limit` passed first.
inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::seconds(3)) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace tsltest
