// Request round trips through the SDK and the simulator, beside a raw TCP
// ping-pong of the same sizes on loopback (no cipher): the physical floor.
// Then threads sharing one device against a peer that answers at once,
// beside the same peer driven without the SDK, quiet and loaded.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DevSim.h"
#include "Loopback.h"
#include "TslDev.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Sim {
    std::shared_ptr<devsim::SimDevice> device;
    std::unique_ptr<devsim::SimServer> server;
    int handle = 0;
    explicit Sim(int type)
        : device(std::make_shared<devsim::SimDevice>(type)),
          server(std::make_unique<devsim::SimServer>(device)) {
        server->SetRecordRequests(false);
        Np_LoginInfo info;
        handle = TSL_NET_DEV_Login(type, "127.0.0.1", server->Port(), "admin", "admin123", 5000, &info);
    }
    ~Sim() { TSL_NET_DEV_Logout(handle); }
};

void Percentiles(benchmark::State& state, std::vector<double>& us) {
    if (us.empty()) return;
    std::sort(us.begin(), us.end());
    state.counters["p50_us"] = us[us.size() / 2];
    state.counters["p99_us"] = us[us.size() * 99 / 100];
}

// 0: GetTime (8-byte record), 1: status only (SetTime), 2: 51,336-byte reply.
int Exchange(int kind, int handle, std::vector<uint8_t>& big) {
    Np_Time t{};
    switch (kind) {
        case 0:
            return TSL_NET_DEV_GetTime(handle, &t);
        case 1:
            return TSL_NET_DEV_SetTime(handle, t);
        default:
            return TSL_NET_DEV_TestControl(handle, true, reinterpret_cast<char*>(big.data()));
    }
}

void BM_SdkRoundTrip(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    if (state.range(1)) TSL_NET_DEV_SetLogPath("/tmp/tsl_bench/bench");
    Sim sim(100);
    std::vector<uint8_t> big(51336 + 64);
    if (kind == 2) {
        // The large case: a 51,336-byte record (the fingerprint user record's
        // size) comes back and is deciphered in full; the length check then
        // refuses it for TestControl's 256 bytes, which costs nothing.
        sim.device->SetHandler(1400, [](const devsim::Request&) { return devsim::Bytes(4 + 51336, 0); });
    }
    std::vector<double> us;
    for (auto _ : state) {
        auto t0 = Clock::now();
        int rc = Exchange(kind, sim.handle, big);
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        if (kind != 2 && rc != 0) state.SkipWithError("request failed");
    }
    Percentiles(state, us);
}

// A raw echo on loopback: read `in` bytes, write `out` bytes back.
struct RawPeer {
    int listener = -1, server = -1, client = -1;
    std::thread thread;
    std::atomic<bool> stop{false};
    RawPeer(size_t in, size_t out) {
        uint16_t port = 0;
        listener = tsltest::ListenOnLoopback(1, &port);
        client = tsltest::ConnectToLoopback(port);
        server = accept(listener, nullptr, nullptr);
        tsltest::NoDelay(server);
        thread = std::thread([this, in, out] {
            std::vector<char> buf(std::max(in, out));
            while (!stop) {
                if (!ReadAll(server, buf.data(), in)) return;
                if (send(server, buf.data(), out, MSG_NOSIGNAL) <= 0) return;
            }
        });
    }
    ~RawPeer() {
        stop = true;
        shutdown(client, SHUT_RDWR);
        shutdown(server, SHUT_RDWR);
        thread.join();
        close(client);
        close(server);
        close(listener);
    }
    static bool ReadAll(int fd, char* p, size_t n) {
        while (n) {
            ssize_t r = recv(fd, p, n, 0);
            if (r <= 0) return false;
            p += r;
            n -= static_cast<size_t>(r);
        }
        return true;
    }
};

void BM_RawPingPong(benchmark::State& state) {
    // Same bytes as the SDK exchange: request and reply messages on the wire.
    const size_t sizes[][2] = {{22, 22 + 24 + 20}, {22 + 24, 22 + 24}, {22 + 44, 22 + 68460}};
    const size_t in = sizes[state.range(0)][0], out = sizes[state.range(0)][1];
    RawPeer peer(in, out);
    std::vector<char> buf(std::max(in, out));
    std::vector<double> us;
    for (auto _ : state) {
        auto t0 = Clock::now();
        send(peer.client, buf.data(), in, MSG_NOSIGNAL);
        RawPeer::ReadAll(peer.client, buf.data(), out);
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    Percentiles(state, us);
}

void BM_RequestsPerSecond(benchmark::State& state) {
    static std::unique_ptr<Sim> sim;
    if (state.thread_index() == 0) sim = std::make_unique<Sim>(100);
    // Threads start together after the setup above (benchmark syncs them).
    for (auto _ : state) {
        Np_Time t;
        if (TSL_NET_DEV_GetTime(sim ? sim->handle : 0, &t) != 0) state.SkipWithError("request failed");
    }
    state.SetItemsProcessed(state.iterations());
    if (state.thread_index() == 0) sim.reset();
}

long ResidentKiB() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// 256 devices: login, memory, idle heartbeat cost, spread load, cleanup.
void BM_ManyDevices(benchmark::State& state) {
    for (auto _ : state) {
        auto sim = std::make_shared<devsim::SimDevice>(100);
        devsim::SimServer server(sim);
        server.SetRecordRequests(false);
        long before = ResidentKiB();
        auto t0 = Clock::now();
        std::vector<int> handles;
        Np_LoginInfo info;
        for (int i = 0; i < 256; ++i)
            handles.push_back(
                TSL_NET_DEV_Login(100, "127.0.0.1", server.Port(), "admin", "admin123", 1000, &info));
        double loginMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        long after = ResidentKiB();
        // Idle: the simulator is in this process too, so this counts both sides.
        double c0 = CpuSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        double idleCpu = (CpuSeconds() - c0) / 3.0 * 100.0;
        std::atomic<long> done{0};
        auto r0 = Clock::now();
        std::vector<std::thread> threads;
        for (int t = 0; t < 16; ++t)
            threads.emplace_back([&, t] {
                Np_Time time;
                for (int i = 0; i < 2000; ++i)
                    if (TSL_NET_DEV_GetTime(handles[(t * 4 + i) % 64], &time) == 0) ++done;
            });
        for (auto& th : threads) th.join();
        double rps = done / std::chrono::duration<double>(Clock::now() - r0).count();
        auto c1 = Clock::now();
        TSL_NET_DEV_Cleanup();
        double cleanupMs = std::chrono::duration<double, std::milli>(Clock::now() - c1).count();
        state.counters["login_all_ms"] = loginMs;
        state.counters["rss_per_device_KiB"] = double(after - before) / 256;
        state.counters["idle_cpu_pct"] = idleCpu;
        state.counters["rps_64dev_16thr"] = rps;
        state.counters["cleanup_ms"] = cleanupMs;
    }
}

void BM_Upgrade4MiB(benchmark::State& state) {
    Sim sim(100);
    const char* path = "/tmp/tsl_bench_fw.bin";
    {
        std::vector<char> data(4 << 20, 'x');
        FILE* f = std::fopen(path, "wb");
        std::fwrite(data.data(), 1, data.size(), f);
        std::fclose(f);
    }
    for (auto _ : state) {
        if (TSL_NET_DEV_StartUpgrade(sim.handle, path, std::function<void(int, int)>()) != 0)
            state.SkipWithError("upgrade failed");
    }
    state.SetBytesProcessed(state.iterations() * (4 << 20));
    std::remove(path);
}

// A device on 127.0.0.1 that answers every request at once with a reply
// enciphered beforehand, only its identity (and command) patched in, and
// that reads and writes as many messages per call as have arrived. It costs
// next to nothing, so a figure against it is the client's own.
class InstantPeer {
  public:
    InstantPeer() {
        login_ = devsim::BuildMessage(devsim::Head{0xFFFFFFFFu, 0x0200, 100, 1001, 0, 0},
                                      devsim::Bytes(4 + 128, 0));
        heartbeat_ =
            devsim::BuildMessage(devsim::Head{0xFFFFFFFFu, 0x0200, 100, 1007, 0, 0}, devsim::Bytes(4, 0));
        reply_ = devsim::BuildMessage(devsim::Head{0xFFFFFFFFu, 0x0200, 100, 1008, 0, 0},
                                      devsim::Bytes(4 + sizeof(Np_Time), 0));
        listener_ = tsltest::ListenOnLoopback(64, &port_);
        acceptor_ = std::thread([this] {
            for (;;) {
                int fd = accept(listener_, nullptr, nullptr);
                if (fd < 0) return;
                tsltest::NoDelay(fd);
                std::lock_guard<std::mutex> lock(mutex_);
                fds_.push_back(fd);
                connections_.emplace_back([this, fd] { Serve(fd); });
            }
        });
    }
    ~InstantPeer() {
        shutdown(listener_, SHUT_RDWR);
        acceptor_.join();
        std::lock_guard<std::mutex> lock(mutex_);
        for (int fd : fds_) shutdown(fd, SHUT_RDWR);
        for (auto& t : connections_) t.join();
        for (int fd : fds_) close(fd);
        close(listener_);
    }
    uint16_t Port() const { return port_; }
    size_t ReplySize() const { return reply_.size(); }

  private:
    void Serve(int fd) {
        std::vector<uint8_t> in(1 << 20);
        std::vector<uint8_t> out;
        size_t held = 0;
        for (;;) {
            ssize_t n = recv(fd, in.data() + held, in.size() - held, 0);
            if (n <= 0) return;
            held += static_cast<size_t>(n);
            size_t at = 0;
            out.clear();
            while (held - at >= devsim::kHeadSize) {
                devsim::Head h = devsim::GetHead(in.data() + at);
                if (held - at < devsim::kHeadSize + h.length) break;
                const devsim::Bytes& canned = h.cmd == 1001 ? login_ : h.cmd == 1007 ? heartbeat_ : reply_;
                size_t start = out.size();
                out.insert(out.end(), canned.begin(), canned.end());
                devsim::PutU32(out.data() + start + 10, h.cmd);
                devsim::PutU32(out.data() + start + 14, h.identity);
                at += devsim::kHeadSize + h.length;
            }
            std::memmove(in.data(), in.data() + at, held - at);
            held -= at;
            if (!out.empty() && send(fd, out.data(), out.size(), MSG_NOSIGNAL) != ssize_t(out.size())) return;
        }
    }

    devsim::Bytes login_, heartbeat_, reply_;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<int> fds_;
    std::vector<std::thread> connections_;
};

// "Loaded": a spinning thread per core competes with the benchmark's own.
struct Spinners {
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    explicit Spinners(bool on) {
        if (!on) return;
        for (unsigned i = 0; i < std::thread::hardware_concurrency(); ++i)
            threads.emplace_back([this] {
                while (!stop.load(std::memory_order_relaxed)) {
                }
            });
    }
    ~Spinners() {
        stop = true;
        for (auto& t : threads) t.join();
    }
};

// The peer without the SDK: one thread keeps `window` requests in flight on
// one connection (the SDK's own request and reply bytes, 22 and 46), and
// answers each reply with a request as soon as it is read (range(2) 0: one
// message per receive and per send; 1: as many as have arrived).
void BM_RawWindow(benchmark::State& state) {
    const size_t window = static_cast<size_t>(state.range(0));
    const bool batched = state.range(2) != 0;
    InstantPeer peer;
    Spinners load(state.range(1) != 0);
    int fd = tsltest::ConnectToLoopback(peer.Port());
    uint8_t request[devsim::kHeadSize];
    devsim::PutHead(request, devsim::Head{0xFFFFFFFFu, 0x0200, 100, 1008, 0, 0});
    std::vector<uint8_t> out;
    auto queue = [&](size_t count) {
        for (size_t i = 0; i < count; ++i) out.insert(out.end(), request, request + sizeof request);
    };
    queue(window);
    send(fd, out.data(), out.size(), MSG_NOSIGNAL);
    std::vector<uint8_t> in(1 << 16);
    size_t held = 0;
    long replies = 0;
    std::vector<double> us;
    auto t0 = Clock::now();
    for (auto _ : state) {
        const size_t want = batched ? in.size() - held : peer.ReplySize() - held;
        ssize_t n = recv(fd, in.data() + held, want, 0);
        if (n <= 0) {
            state.SkipWithError("peer closed");
            break;
        }
        held += static_cast<size_t>(n);
        size_t at = 0, complete = 0;
        while (held - at >= devsim::kHeadSize) {
            size_t total = devsim::kHeadSize + devsim::GetU32(in.data() + at + 18);
            if (held - at < total) break;
            at += total;
            ++complete;
        }
        std::memmove(in.data(), in.data() + at, held - at);
        held -= at;
        replies += static_cast<long>(complete);
        if (!complete) continue;
        if (window == 1) {
            auto t1 = Clock::now();
            us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
            t0 = t1;
        }
        out.clear();
        queue(complete);
        send(fd, out.data(), out.size(), MSG_NOSIGNAL);
    }
    state.SetItemsProcessed(replies);
    Percentiles(state, us);
    close(fd);
}

// Threads sharing one logged-in device (range(0): loaded); p50 and p99 are
// those of the first thread.
void BM_SharedDevice(benchmark::State& state) {
    static std::unique_ptr<InstantPeer> peer;
    static std::unique_ptr<Spinners> load;
    static int handle = 0;
    if (state.thread_index() == 0) {
        peer = std::make_unique<InstantPeer>();
        Np_LoginInfo info;
        handle = TSL_NET_DEV_Login(100, "127.0.0.1", peer->Port(), "admin", "admin123", 5000, &info);
        load = std::make_unique<Spinners>(state.range(0) != 0);
    }
    std::vector<double> us;
    for (auto _ : state) {
        Np_Time t;
        auto t0 = Clock::now();
        if (TSL_NET_DEV_GetTime(handle, &t) != 0) state.SkipWithError("request failed");
        if (state.thread_index() == 0)
            us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    state.SetItemsProcessed(state.iterations());
    if (state.thread_index() == 0) {
        Percentiles(state, us);
        load.reset();
        TSL_NET_DEV_Logout(handle);
        peer.reset();
    }
}

// One device per thread, all on one peer (range(0): loaded).
void BM_DevicePerThread(benchmark::State& state) {
    static std::unique_ptr<InstantPeer> peer;
    static std::unique_ptr<Spinners> load;
    static std::vector<int> handles;
    if (state.thread_index() == 0) {
        peer = std::make_unique<InstantPeer>();
        handles.clear();
        Np_LoginInfo info;
        for (int i = 0; i < state.threads(); ++i)
            handles.push_back(
                TSL_NET_DEV_Login(100, "127.0.0.1", peer->Port(), "admin", "admin123", 5000, &info));
        load = std::make_unique<Spinners>(state.range(0) != 0);
    }
    for (auto _ : state) {
        Np_Time t;
        if (TSL_NET_DEV_GetTime(handles[static_cast<size_t>(state.thread_index())], &t) != 0)
            state.SkipWithError("request failed");
    }
    state.SetItemsProcessed(state.iterations());
    if (state.thread_index() == 0) {
        load.reset();
        for (int h : handles) TSL_NET_DEV_Logout(h);
        peer.reset();
    }
}

}  // namespace

BENCHMARK(BM_SdkRoundTrip)->ArgsProduct({{0, 1, 2}, {0}})->Iterations(3000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawPingPong)->DenseRange(0, 2)->Iterations(3000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdkRoundTrip)->ArgsProduct({{0, 1, 2}, {1}})->Iterations(3000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RequestsPerSecond)->Threads(1)->Threads(4)->Threads(16)->UseRealTime();
BENCHMARK(BM_ManyDevices)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Upgrade4MiB)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawWindow)->ArgsProduct({{1, 16}, {0, 1}, {0}})->MinTime(1)->UseRealTime();
BENCHMARK(BM_RawWindow)->ArgsProduct({{16}, {0, 1}, {1}})->MinTime(1)->UseRealTime();
BENCHMARK(BM_SharedDevice)->Arg(0)->Arg(1)->Threads(1)->Threads(4)->Threads(16)->MinTime(1)->UseRealTime();
BENCHMARK(BM_DevicePerThread)->Arg(0)->Arg(1)->Threads(16)->MinTime(1)->UseRealTime();
BENCHMARK_MAIN();
