// How late the desktop program's event loop runs while a device keeps it
// waiting: a 10 ms timer runs through one log page press, and each gap
// between its ticks beyond 10 ms is a lateness sample (p50, p99, max).
//   bench_responsive silent   a page read that a silent device lets run
//                             into the 5 s request time-out
//   bench_responsive export   the log export of 100,000 records (20,001
//                             requests, then the workbook)
// The simulated device answers on 127.0.0.1.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "DevSim.h"
#include "DeviceRegistry.h"
#include "GuiBench.h"
#include "LogQueryForm.h"
#include "Prompt.h"

namespace {

constexpr int kTickMs = 10;
constexpr int kExportRecords = 100000;

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5));
    return v[i];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool exporting = argc > 1 && std::strcmp(argv[1], "export") == 0;
    QApplication app(argc, argv);
    guibench::PageBench bench(100);
    if (bench.handle <= 0) return 1;
    if (exporting)
        guibench::serveLogs(*bench.device, kExportRecords);
    else
        bench.device->SetFault(1041, {devsim::Fault::Silent});

    LogQueryForm page;
    page.show();
    QElapsedTimer clockMs;
    clockMs.start();
    std::vector<double> late;
    qint64 last = -1;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(kTickMs);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clockMs.nsecsElapsed();
        if (last >= 0) late.push_back(std::max(0.0, (now - last) / 1e6 - kTickMs));
        last = now;
    });
    qint64 pressMs = 0;
    QEventLoop loop;
    QTimer::singleShot(100, [&] {
        QElapsedTimer press;
        press.start();
        page.findChild<QPushButton*>(exporting ? "exportButton" : "queryButton")->click();
        pressMs = press.elapsed();
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
    });
    tick.start();
    loop.exec();

    std::printf("%s: press %lld ms (%s), %zu ticks\n",
                exporting ? "export of 100,000 records" : "read of a silent device",
                static_cast<long long>(pressMs), bench.prompt.last.toUtf8().constData(), late.size());
    std::printf("  event-loop lateness: p50 %.1f ms, p99 %.1f ms, max %.1f ms\n", percentile(late, 0.5),
                percentile(late, 0.99), late.empty() ? 0.0 : *std::max_element(late.begin(), late.end()));
    return 0;
}
