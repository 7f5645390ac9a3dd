// Access-control events pushed by the simulator on 127.0.0.1 to a callback:
// how many one device delivers a second, and how long one takes from the
// push to the callback. Bursts stay below the per-device queue bound of
// 1,024, so every event must arrive ("lost" counts those that did not).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "DevSim.h"
#include "Tessaly.h"

namespace {

using Clock = std::chrono::steady_clock;

class Session {
  public:
    Session() : device_(std::make_shared<devsim::SimDevice>(100)), server_(device_) {
        server_.SetRecordRequests(false);
        Np_LoginInfo info;
        handle_ = TSL_NET_DEV_Login(100, "127.0.0.1", server_.Port(), "admin", "admin123", 2000, &info);
        if (handle_ > 0) TSL_NET_Acc_SetEventCallback(handle_, [this](int, Np_AccEventInfo) { Arrived(); });
    }
    ~Session() {
        if (handle_ <= 0) return;
        // Unsubscribing waits for callbacks still running, which use this.
        TSL_NET_Acc_SetEventCallback(handle_, TSL_AccEventCallback{});
        TSL_NET_DEV_Logout(handle_);
    }
    bool ok() const { return handle_ > 0; }
    devsim::SimServer& server() { return server_; }

    // Waits until `count` events have arrived in all; false on a time-out.
    bool WaitFor(uint64_t count, std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) {
        std::unique_lock<std::mutex> lock(mutex_);
        target_ = count;
        return arrived_.wait_for(lock, limit, [&] { return delivered_.load() >= count; });
    }
    uint64_t delivered() const { return delivered_.load(); }
    Clock::time_point last() const { return Clock::time_point(Clock::duration(last_.load())); }

  private:
    // Workers run this concurrently: only the event that completes a wait
    // takes the lock.
    void Arrived() {
        last_.store(Clock::now().time_since_epoch().count());
        if (delivered_.fetch_add(1) + 1 >= target_.load()) {
            std::lock_guard<std::mutex> lock(mutex_);
            arrived_.notify_one();
        }
    }

    std::shared_ptr<devsim::SimDevice> device_;
    devsim::SimServer server_;
    int handle_ = 0;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::atomic<uint64_t> delivered_{0};
    std::atomic<uint64_t> target_{~uint64_t(0)};
    std::atomic<Clock::rep> last_{0};
};

devsim::Bytes Event() {
    Np_AccEventInfo event{};
    event.eventCode = 4101;
    event.doorNo = 1;
    std::strcpy(event.cardNo, "4000123456");
    event.direction = 1;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&event);
    return devsim::Bytes(p, p + sizeof event);
}

// Bursts of range(0) events, glued into one write.
void BM_AccEventThroughput(benchmark::State& state) {
    Session session;
    if (!session.ok()) {
        state.SkipWithError("login to the simulator failed");
        return;
    }
    const size_t burst = static_cast<size_t>(state.range(0));
    const devsim::Bytes one = session.server().Message(1800, Event());
    devsim::Bytes batch;
    for (size_t i = 0; i < burst; ++i) batch.insert(batch.end(), one.begin(), one.end());

    uint64_t pushed = 0;
    for (auto _ : state) {
        session.server().PushRaw(batch);
        pushed += burst;
        session.WaitFor(pushed);
    }
    const uint64_t lost = pushed - session.delivered();
    state.SetItemsProcessed(static_cast<int64_t>(session.delivered()));
    state.counters["lost"] = static_cast<double>(lost);
}

// One event at a time: from just before the push to the callback.
void BM_AccEventLatency(benchmark::State& state) {
    Session session;
    if (!session.ok()) {
        state.SkipWithError("login to the simulator failed");
        return;
    }
    const devsim::Bytes one = session.server().Message(1800, Event());
    std::vector<double> micros;
    micros.reserve(1 << 16);
    uint64_t pushed = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        session.server().PushRaw(one);
        if (!session.WaitFor(++pushed)) {
            state.SkipWithError("an event did not arrive");
            return;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(session.last() - start).count());
    }
    std::sort(micros.begin(), micros.end());
    auto at = [&](double q) {
        return micros.empty() ? 0.0 : micros[static_cast<size_t>(q * (micros.size() - 1))];
    };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
}

}  // namespace

BENCHMARK(BM_AccEventThroughput)->Arg(256)->Arg(1000)->UseRealTime();
BENCHMARK(BM_AccEventLatency)->UseRealTime();
BENCHMARK_MAIN();
