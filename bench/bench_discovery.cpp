// Wall time of a whole search against 1, 50 and 300 simulated devices. It
// broadcasts, so it runs only inside the namespace wrapper:
//   tests/netns/netns_run.sh build/bench/bench_discovery
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "Discovery.h"
#include "TslDiscovery.h"
#include "netns/Netns.h"

namespace {

void BM_Search(benchmark::State& state) {
    const size_t devices = static_cast<size_t>(state.range(0));
    auto responder = netns::InPeer([] { return std::make_unique<devsim::DiscoveryResponder>(); });
    responder->SetDevices(devsim::MakeDevices(devices, 100));
    std::vector<Np_SearchInfo> list(256);

    int fewest = -1;
    double slowestMs = 0;
    for (auto _ : state) {
        int count = 0;
        auto start = std::chrono::steady_clock::now();
        TSL_NET_DEV_Search(list.data(), &count, 0);
        double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        slowestMs = std::max(slowestMs, ms);
        fewest = fewest < 0 ? count : std::min(fewest, count);
    }
    state.counters["devices"] = static_cast<double>(devices);
    state.counters["found_min"] = fewest;
    state.counters["slowest_ms"] = slowestMs;
}
BENCHMARK(BM_Search)->Arg(1)->Arg(50)->Arg(300)->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    std::string refusal = netns::BroadcastRefusal();
    if (!refusal.empty()) {
        std::fprintf(stderr, "refusing to run: this benchmark broadcasts; %s\n", refusal.c_str());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
