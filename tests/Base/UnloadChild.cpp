// Runs one load/unload scenario and exits through the normal exit path.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

#include "DevSim.h"
#include "TslDev.h"

devsim::SimServer* g_keepAlive = nullptr;

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "idle") == 0) return 0;
    auto sim = std::make_shared<devsim::SimDevice>(100);
    auto server = std::make_unique<devsim::SimServer>(sim);
    Np_LoginInfo info;
    int h = TSL_NET_DEV_Login(100, "127.0.0.1", server->Port(), "admin", "admin123", 2000, &info);
    if (h <= 0) return 2;
    TSL_NET_DEV_SetDisconnectCallback(h, [](int, void*) {});
    if (std::strcmp(mode, "events") == 0) {
        // Use the pool once for sure, then exit with the device still logged
        // in and events still arriving.
        std::atomic<bool> ran{false};
        TSL_NET_DEV_StartUpgradeAsync(h, "/nonexistent",
                                      std::function<void(int, int)>([&](int, int) { ran = true; }));
        while (!ran) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        for (int i = 0; i < 200; ++i) server->Push(1800, devsim::Bytes(64, 1));
    }
    std::fflush(stdout);
    // The simulator must outlive the library's unload, so it is never freed;
    // held by a static, it still counts as reachable.
    g_keepAlive = server.release();
    return 0;
}
