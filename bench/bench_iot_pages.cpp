// The IoT pages with rows per port, offscreen against the simulator on
// 127.0.0.1: how long building one takes (the main window builds every page
// at start) and how long a read takes to fill it, next to the bare requests
// of that read, so the page's own share shows.
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>

#include <cstdlib>
#include <memory>

#include "DevSim.h"
#include "DeviceRegistry.h"
#include "GuiBench.h"
#include "GuiResources.h"
#include "IotLoraWorkmodeForm.h"
#include "IotStateForm.h"
#include "IotWorkmodeForm.h"
#include "Prompt.h"
#include "Tessaly.h"

namespace {

// Boxes are answered at once and counted, so a failure shows in the figures.
class SilentPrompt : public Prompt {
  public:
    int warnings = 0;
    void information(QWidget*, const QString&, const QString&) override {}
    void warning(QWidget*, const QString&, const QString&) override { ++warnings; }
    bool question(QWidget*, const QString&, const QString&) override { return true; }
};

struct Session {
    std::shared_ptr<devsim::SimDevice> device = std::make_shared<devsim::SimDevice>(101);
    devsim::SimServer server{device};
    int handle = 0;

    Session() {
        server.SetRecordRequests(false);
        handle = guibench::loginCurrent(server, 101);
    }
    ~Session() {
        if (handle > 0) TSL_NET_DEV_Logout(handle);
    }
};

Session& session() {
    static Session s;
    return s;
}
SilentPrompt& silent() {
    static SilentPrompt p;
    return p;
}

template <class Page>
void BM_Build(benchmark::State& state) {
    for (auto _ : state) {
        Page page;
        benchmark::DoNotOptimize(&page);
    }
}

void press(QWidget* page, const char* button) {
    page->findChild<QAbstractButton*>(button)->click();
}

void BM_StateRead(benchmark::State& state) {
    session();
    IotStateForm page;
    for (auto _ : state) press(&page, "getButton");
    state.counters["warnings"] = silent().warnings;
}

void BM_StateRequestsOnly(benchmark::State& state) {
    const int h = session().handle;
    for (auto _ : state) {
        for (uint8_t g = 1; g <= 8; ++g) {
            Np_IoTInputState in{};
            Np_IoTOutputState out{};
            in.group = out.group = g;
            benchmark::DoNotOptimize(TSL_NET_IoT_GetInputState(h, &in));
            benchmark::DoNotOptimize(TSL_NET_IoT_GetOutputState(h, &out));
        }
    }
}

template <class Page>
void BM_WorkmodeRead(benchmark::State& state) {
    session();
    Page page;
    page.template findChild<QLineEdit*>("workmodeIdEdit")->setText("1");
    for (auto _ : state) press(&page, "getButton");
    state.counters["warnings"] = silent().warnings;
}

void BM_WorkmodeRequestOnly(benchmark::State& state) {
    const int h = session().handle;
    for (auto _ : state) {
        Np_IoTWorkModeParams rec{};
        rec.workModeId = 1;
        benchmark::DoNotOptimize(TSL_NET_IoT_GetWorkModeParams(h, &rec));
    }
}

BENCHMARK_TEMPLATE(BM_Build, IotStateForm)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Build, IotWorkmodeForm)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Build, IotLoraWorkmodeForm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StateRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StateRequestsOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_WorkmodeRead, IotWorkmodeForm)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_WorkmodeRead, IotLoraWorkmodeForm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorkmodeRequestOnly)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    initGuiResources();
    Prompt::install(&silent());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Prompt::install(nullptr);
    return 0;
}
