// Records per second of the file logger against spdlog's asynchronous file
// logger, writing the same text in the same run, from 1 and 8 threads.
//
// The time of one iteration runs from the first record until the last one is
// in the file (the logger stopped), so queueing fast and writing late does not
// pay. Every file is read back afterwards: "lost" must stay 0. "call_ns" is
// what one record costs the calling thread.
#include <benchmark/benchmark.h>
#include <spdlog/async.h>
#include <spdlog/async_logger.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "Base/Logger.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kLineRecords = 200000;  // per iteration, over all threads
constexpr int kDumpRecords = 100000;
constexpr char kLineMark[] = "]Send head: ";
constexpr char kDumpMark[] = "| Decoded Text\n";

// A request head and the start of its enciphered payload.
const uint8_t kPacket[32] = {0xff, 0xff, 0xff, 0xff, 0x00, 0x02, 0x64, 0x00, 0x00, 0x00, 0xd6,
                             0x07, 0x00, 0x00, 0x2a, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00,
                             'q',  'X',  '9',  'b',  'L',  '2',  'm',  'Z',  '+',  '/'};

struct TempFolder {
    fs::path path;
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "tsl_bench_logger_XXXXXX").string();
        if (mkdtemp(pattern.data())) path = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

struct Totals {
    size_t bytes = 0;
    size_t marks = 0;
};

Totals Count(const fs::path& dir, std::string_view mark) {
    Totals totals;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string text(static_cast<size_t>(entry.file_size()), '\0');
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        totals.bytes += text.size();
        for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + mark.size()))
            ++totals.marks;
    }
    return totals;
}

// Runs `records` calls of one(i) spread over `threads` threads; returns the
// time the calling threads spent, added up.
template <class One>
std::chrono::nanoseconds RunThreads(int threads, int records, const One& one) {
    std::atomic<int64_t> spent{0};
    std::atomic<int> ready{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            ++ready;
            while (ready.load() < threads) std::this_thread::yield();
            auto start = Clock::now();
            for (int i = t; i < records; i += threads) one(i);
            spent += (Clock::now() - start).count();
        });
    for (std::thread& w : workers) w.join();
    return std::chrono::nanoseconds(spent.load());
}

size_t DumpText(char* out) {
    out[0] = '\n';  // spdlog ends the line itself: the dump goes after its prefix
    size_t n = 1 + tsl::FormatHexDump(out + 1, kPacket, sizeof kPacket);
    return n - 1;  // and its own line end
}

enum class Kind { kLine, kDump };

struct Result {
    double seconds;
    std::chrono::nanoseconds spent;
};

Result RunTessaly(const fs::path& dir, Kind kind, int threads, int records) {
    tsl::Logger logger;
    logger.Init((dir / "bench").c_str(), "./log/", "Tessaly.log");
    auto start = Clock::now();
    auto spent = RunThreads(threads, records, [&](int i) {
        if (kind == Kind::kLine) {
            if (logger.Enabled(tsl::kLogInfo))
                logger.Log(tsl::kLogInfo, __FILE__, __LINE__, "Send",
                           "Send head: type[%d] cmd[%d] identity[%d]", 100, 2006, i);
        } else if (logger.Enabled(tsl::kLogDebug)) {
            logger.HexDump(__FILE__, __LINE__, "Send", kPacket, sizeof kPacket);
        }
    });
    logger.Shutdown();
    return {std::chrono::duration<double>(Clock::now() - start).count(), spent};
}

Result RunSpdlog(const fs::path& dir, Kind kind, int threads, int records) {
    auto pool = std::make_shared<spdlog::details::thread_pool>(8192, 1);
    auto sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>((dir / "spdlog.log").string(), true);
    auto logger =
        std::make_shared<spdlog::async_logger>("bench", sink, pool, spdlog::async_overflow_policy::block);
    logger->set_pattern("%l %Y%m%d %H:%M:%S.%f %t %s:%# %!]%v");
    logger->set_level(spdlog::level::trace);
    auto start = Clock::now();
    auto spent = RunThreads(threads, records, [&](int i) {
        if (kind == Kind::kLine) {
            logger->log(spdlog::source_loc{__FILE__, __LINE__, "Send"}, spdlog::level::info,
                        "Send head: type[{}] cmd[{}] identity[{}]", 100, 2006, i);
        } else {
            char text[512];
            size_t n = DumpText(text);
            logger->log(spdlog::source_loc{__FILE__, __LINE__, "Send"}, spdlog::level::debug, "{}",
                        std::string_view(text, n));
        }
    });
    // The pool drains its queue before its worker is joined; the last
    // message releases the logger and so closes the file.
    logger.reset();
    sink.reset();
    pool.reset();
    return {std::chrono::duration<double>(Clock::now() - start).count(), spent};
}

template <Result (*Run)(const fs::path&, Kind, int, int), Kind kKind>
void BM_Logger(benchmark::State& state) {
    const int threads = static_cast<int>(state.range(0));
    const int records = kKind == Kind::kLine ? kLineRecords : kDumpRecords;
    const char* mark = kKind == Kind::kLine ? kLineMark : kDumpMark;
    size_t lost = 0, bytes = 0;
    double spentNs = 0;
    for (auto _ : state) {
        TempFolder dir;
        Result r = Run(dir.path, kKind, threads, records);
        state.SetIterationTime(r.seconds);
        Totals totals = Count(dir.path, mark);
        lost += static_cast<size_t>(records) - std::min(totals.marks, static_cast<size_t>(records));
        bytes += totals.bytes;
        spentNs += static_cast<double>(r.spent.count());
    }
    const double all = static_cast<double>(state.iterations()) * records;
    state.SetItemsProcessed(static_cast<int64_t>(all));
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["call_ns"] = spentNs / all;
    state.counters["lost"] = static_cast<double>(lost);
    if (lost) state.SkipWithError("records lost");
}

void Threads(benchmark::internal::Benchmark* b) {
    b->ArgName("threads")->Arg(1)->Arg(8)->UseManualTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK_TEMPLATE(BM_Logger, RunTessaly, Kind::kLine)->Name("Tessaly/line")->Apply(Threads);
BENCHMARK_TEMPLATE(BM_Logger, RunSpdlog, Kind::kLine)->Name("spdlog/line")->Apply(Threads);
BENCHMARK_TEMPLATE(BM_Logger, RunTessaly, Kind::kDump)->Name("Tessaly/hexdump32")->Apply(Threads);
BENCHMARK_TEMPLATE(BM_Logger, RunSpdlog, Kind::kDump)->Name("spdlog/hexdump32")->Apply(Threads);

}  // namespace

BENCHMARK_MAIN();
