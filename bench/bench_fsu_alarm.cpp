// The FSU alarm page: building it with its 49 row widgets, and filling each
// row list from one read against the simulator on 127.0.0.1. Offscreen; the
// boxes are swallowed so nothing waits for a click.
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTemporaryDir>

#include <cstring>
#include <memory>

#include "DevSim.h"
#include "DeviceRegistry.h"
#include "FsuAlarmForm.h"
#include "GuiBench.h"
#include "Prompt.h"
#include "TslFsu.h"

namespace {

class SilentPrompt : public Prompt {
  public:
    void information(QWidget*, const QString&, const QString&) override {}
    void warning(QWidget*, const QString&, const QString&) override {}
    bool question(QWidget*, const QString&, const QString&) override { return false; }
};

struct Unit {
    std::shared_ptr<devsim::SimDevice> device = std::make_shared<devsim::SimDevice>(102);
    devsim::SimServer server{device};
    int handle = 0;

    Unit() {
        server.SetRecordRequests(false);
        Np_FsuInputState in{};
        Np_FsuOutputState out{};
        for (int i = 0; i < 16; ++i) {
            in.state[i] = static_cast<uint8_t>(i % 3);
            std::snprintf(in.name[i], sizeof in.name[i], "输入端口%d", i + 1);
        }
        for (int i = 0; i < 17; ++i) {
            out.state[i] = static_cast<uint8_t>(i % 2);
            std::snprintf(out.name[i], sizeof out.name[i], "输出端口%d", i + 1);
        }
        const auto* ib = reinterpret_cast<const uint8_t*>(&in);
        const auto* ob = reinterpret_cast<const uint8_t*>(&out);
        device->PutRecord("fsuInputState", {}, devsim::Bytes(ib, ib + sizeof in));
        device->PutRecord("fsuOutputState", {}, devsim::Bytes(ob, ob + sizeof out));

        handle = guibench::loginCurrent(server, 102);
    }
    ~Unit() {
        if (handle > 0) TSL_NET_DEV_Logout(handle);
    }
};

void BM_BuildAlarmForm(benchmark::State& state) {
    for (auto _ : state) {
        FsuAlarmForm page;
        benchmark::DoNotOptimize(&page);
    }
}
BENCHMARK(BM_BuildAlarmForm)->Unit(benchmark::kMillisecond);

void FillFromOneRead(benchmark::State& state, const char* button) {
    Unit unit;
    FsuAlarmForm page;
    auto* b = page.findChild<QAbstractButton*>(button);
    for (auto _ : state) b->click();
}
void BM_FillInputStates(benchmark::State& state) {
    FillFromOneRead(state, "inputStateGetButton");
}
void BM_FillOutputStates(benchmark::State& state) {
    FillFromOneRead(state, "outputStateGetButton");
}
void BM_FillAlarmFilter(benchmark::State& state) {
    FillFromOneRead(state, "alarmGetButton");
}
BENCHMARK(BM_FillInputStates)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillOutputStates)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillAlarmFilter)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;  // the registry's saved list goes here, not into the caller's folder
    DeviceRegistry::instance().setFilePath(dir.filePath("devices.bin"));
    SilentPrompt prompt;
    Prompt::install(&prompt);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Prompt::install(nullptr);
    return 0;
}
