// What the desktop program's benchmarks share: a simulated device that the
// registry knows, logged in and current, and the process's resident memory.
#pragma once

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "DevSim.h"
#include "DeviceRegistry.h"
#include "Prompt.h"
#include "TslDev.h"

namespace guibench {

// Boxes answered No at once, the last text kept; a clock at a fixed second.
class QuietPrompt : public Prompt {
  public:
    QString last;
    void information(QWidget*, const QString&, const QString& text) override { last = text; }
    void warning(QWidget*, const QString&, const QString& text) override { last = text; }
    bool question(QWidget*, const QString&, const QString&) override { return false; }
};

class FixedClock : public Clock {
  public:
    qint64 secondsSinceEpoch() const override { return 1700000000; }
};

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

// Answers the device log query (1041) with `records` log records, five a page.
inline void serveLogs(devsim::SimDevice& device, int records) {
    device.SetHandler(1041, [records](const devsim::Request& r) -> std::optional<devsim::Bytes> {
        Np_EventQuery q{};
        std::memcpy(&q, r.plain.data(), std::min(r.plain.size(), sizeof q));
        Np_LogList list{};
        const int page = q.pageNo;
        list.total = static_cast<uint32_t>(records);
        list.pageNo = page;
        for (int i = 0; i < 5 && (page - 1) * 5 + i < records; ++i) {
            Np_LogInfo& rec = list.records[i];
            const int n = (page - 1) * 5 + i;
            std::snprintf(rec.ipAddress, sizeof rec.ipAddress, "10.0.%d.%d", n / 256 % 256, n % 256);
            rec.logType = 1 + n % 2;
            rec.time = Np_Time{2024, 3, 5, 6, 7, static_cast<uint8_t>(n % 60), 0};
            std::snprintf(rec.content, sizeof rec.content, "记录 %d 开门", n);
            list.count = i + 1;
        }
        const uint8_t* p = reinterpret_cast<const uint8_t*>(&list);
        return devsim::StatusPayload(0, devsim::Bytes(p, p + sizeof list));
    });
}

// What a page benchmark stands on: a fresh working folder, the quiet boxes
// and the fixed clock, and a simulated device of `type` on 127.0.0.1 that the
// registry holds logged in and current (`handle`, or the failed login's
// status). Built once the application is.
struct PageBench {
    explicit PageBench(int type) : device(std::make_shared<devsim::SimDevice>(type)), server(device) {
        QDir::setCurrent(dir.path());
        Prompt::install(&prompt);
        Clock::install(&clock);
        server.SetRecordRequests(false);
        DeviceRegistry::instance().setFilePath(dir.filePath("devices.bin"));
        handle = loginCurrent(server, type);
        if (handle <= 0) std::fprintf(stderr, "login failed: %d\n", handle);
    }
    ~PageBench() {
        if (handle > 0) TSL_NET_DEV_Logout(handle);
        Prompt::install(nullptr);
        Clock::install(nullptr);
    }

    QTemporaryDir dir;
    QuietPrompt prompt;
    FixedClock clock;
    std::shared_ptr<devsim::SimDevice> device;
    devsim::SimServer server;
    int handle = 0;
};

}  // namespace guibench
