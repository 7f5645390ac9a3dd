// Helpers of the FSU suites.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

#include "DevSim.h"
#include "SimFixture.h"
#include "TslFsu.h"

namespace fsutest {

using devsim::Bytes;
using namespace std::chrono_literals;

constexpr int kFsu = 102;
constexpr auto kWait = 2000ms;  // for what must come
constexpr auto kQuiet = 100ms;  // for what must not

inline Bytes Pattern(size_t size, uint8_t seed) {
    Bytes b(size);
    for (size_t i = 0; i < size; ++i) b[i] = static_cast<uint8_t>(seed + i * 13 + (i >> 8));
    return b;
}

inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kWait) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// Requests other than login and heartbeat.
inline size_t OperationCount(const devsim::SimServer& server) {
    size_t n = 0;
    for (const auto& r : server.Requests())
        if (r.head.cmd != 1001 && r.head.cmd != 1007) ++n;
    return n;
}

}  // namespace fsutest
