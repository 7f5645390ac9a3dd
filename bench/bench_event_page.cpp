// The event page subscribed to a simulated access controller on 127.0.0.1
// that pushes 10,000 events a second for 10 s. Measured on the GUI thread:
// how late a 10 ms timer fires (the window's responsiveness), the process's
// resident memory over the run, and whether the table ends with the last
// 100 events, newest first. Each event carries its sequence number as its
// event code.
#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "DevSim.h"
#include "DeviceRegistry.h"
#include "EventSubscribeForm.h"
#include "GuiBench.h"
#include "Tessaly.h"

namespace {

constexpr int kRate = 10000;  // events per second
constexpr int kSeconds = 10;  // of pushing
constexpr int kPerTick = 10;  // events glued into one write, every millisecond
constexpr int kTimerMs = 10;

devsim::Bytes event(int32_t sequence) {
    Np_AccEventInfo e{};
    e.eventCode = sequence;
    e.time = {2024, 5, 6, 7, 8, 9, 0};
    e.doorNo = 1;
    std::strcpy(e.cardNo, "4000123456");
    e.direction = 1;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&e);
    return devsim::Bytes(p, p + sizeof e);
}

double at(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(q * (v.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    DeviceRegistry& registry = DeviceRegistry::instance();
    registry.resetForTests();
    registry.setFilePath(dir.filePath("devices.bin"));

    auto device = std::make_shared<devsim::SimDevice>(100);
    devsim::SimServer server(device);
    server.SetRecordRequests(false);
    const int handle = guibench::loginCurrent(server, 100);
    if (handle <= 0) {
        std::fprintf(stderr, "login to the simulator failed: %d\n", handle);
        return 1;
    }

    auto page = std::make_unique<EventSubscribeForm>();
    page->resize(1000, 700);
    page->show();
    page->findChild<QPushButton*>("subButton")->click();
    auto* view = page->findChild<QTableView*>("tableView");

    // Lateness of a 10 ms timer, on the GUI thread.
    std::vector<double> lateMs;
    lateMs.reserve(kSeconds * 1000 / kTimerMs + 100);
    QElapsedTimer sinceTick;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(kTimerMs);
    bool measuring = false;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double elapsed = static_cast<double>(sinceTick.nsecsElapsed()) / 1e6;
        sinceTick.restart();
        if (measuring) lateMs.push_back(std::max(0.0, elapsed - kTimerMs));
    });

    std::atomic<bool> done{false};
    std::atomic<int32_t> pushed{0};
    long rssStart = 0, rssPeak = 0;
    std::vector<long> rssSamples;
    std::thread pusher;

    QTimer::singleShot(500, [&] {
        rssStart = guibench::residentKb();
        measuring = true;
        sinceTick.start();
        tick.start();
        pusher = std::thread([&] {
            using Clock = std::chrono::steady_clock;
            const auto start = Clock::now();
            const int ticks = kRate / kPerTick * kSeconds;
            int32_t sequence = 0;
            for (int t = 0; t < ticks; ++t) {
                devsim::Bytes batch;
                for (int i = 0; i < kPerTick; ++i) {
                    const devsim::Bytes one = server.Message(1800, event(++sequence));
                    batch.insert(batch.end(), one.begin(), one.end());
                }
                server.PushRaw(batch);
                pushed = sequence;
                std::this_thread::sleep_until(start + std::chrono::microseconds(1000LL * (t + 1)));
            }
            done = true;
        });
    });
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const long kb = guibench::residentKb();
        rssSamples.push_back(kb);
        rssPeak = std::max(rssPeak, kb);
        if (done) {
            sampler.stop();
            // Let the last events land, then stop.
            QTimer::singleShot(1000, [&] { app.quit(); });
        }
    });
    sampler.start(1000);
    QElapsedTimer wall;
    wall.start();
    app.exec();
    pusher.join();
    measuring = false;
    const long rssEnd = guibench::residentKb();

    const QAbstractItemModel* model = view->model();
    const int last = pushed;
    int misplaced = 0;
    for (int r = 0; r < 100; ++r)
        if (model->index(r, 0).data().toInt() != last - r) ++misplaced;

    std::printf("events pushed        %d in %d s (%d/s)\n", last, kSeconds, kRate);
    std::printf("timer lateness ms    p50 %.2f  p99 %.2f  max %.2f  (%zu ticks)\n", at(lateMs, 0.5),
                at(lateMs, 0.99), at(lateMs, 1.0), lateMs.size());
    std::printf("resident memory kB   start %ld  peak %ld  end %ld  growth %ld\n", rssStart, rssPeak, rssEnd,
                rssEnd - rssStart);
    std::printf("per-second RSS kB   ");
    for (long kb : rssSamples) std::printf(" %ld", kb);
    std::printf("\n");
    std::printf(
        "table rows           %d; last 100 rows are the last 100 events, newest first: %s (%d misplaced)\n",
        model->rowCount(), misplaced == 0 ? "yes" : "no", misplaced);
    std::printf("top row %s, bottom row %s\n", qPrintable(model->index(0, 0).data().toString()),
                qPrintable(model->index(99, 0).data().toString()));

    page.reset();
    TSL_NET_Acc_SetEventCallback(handle, static_cast<TSL_AccEventCallback>(nullptr));
    TSL_NET_DEV_Logout(handle);
    return misplaced == 0 ? 0 : 2;
}
