// Asynchronous double-buffered file logger.
//
// Callers format a record on their own thread and copy it into the current
// 4,000,000-byte buffer under a short lock; one writer thread moves filled
// buffers to the file, starts a new file on a new day or past 50 MiB and moves
// the previous one into a dated folder. Nothing is written before Init.
// Diagnostics of the logger itself go to standard error, never to the log.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tsl {

enum LogLevel : int32_t { kLogError = 0, kLogWarn = 1, kLogInfo = 2, kLogDebug = 3, kLogTrace = 4 };

const char* LevelName(int32_t level);

// Wall-clock time in microseconds since the Unix epoch. Tests inject one to
// move the logger across midnight.
using LogClock = std::function<int64_t()>;

// Where the log goes: folder (ends with "/"), file name and its extension.
struct LogLocation {
    std::string folder;
    std::string fileName;
    std::string extension;
    std::string FullPath() const { return folder + fileName; }
};

// The folder beside callerPath, the file name from fileName (or, when that
// has none, from callerPath) and its extension (".log" when it has none).
LogLocation ResolveLogLocation(const char* callerPath, const char* folder, const char* fileName);

// Bytes FormatHexDump writes for `length` bytes: the column head line and one
// line per 16 bytes, each ending with a line end.
size_t HexDumpSize(size_t length);
size_t FormatHexDump(char* out, const uint8_t* data, size_t length);

class Logger {
  public:
    static constexpr size_t kBufferSize = 4000000;
    static constexpr int64_t kRollSize = 52428800;
    // With more full buffers than this waiting, all but the two oldest are
    // dropped, by the push that makes them so (and by the writer's pass).
    static constexpr size_t kMaxQueuedBuffers = 25;
    // Longer messages are cut to kMessageSize - 1 characters.
    static constexpr size_t kMessageSize = 8192;

    // The process-wide logger the macros write to.
    static Logger& Instance();

    // Own instances are for tests and benchmarks; an empty clock is the wall
    // clock.
    explicit Logger(LogClock clock = {});
    // Does what Shutdown does if it was not called.
    ~Logger();
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    // True when a record of this level would be written; callers test it
    // before formatting anything.
    bool Enabled(int32_t level) const {
        return enabled_.load(std::memory_order_acquire) && level <= threshold_;
    }

    // Sets the location and starts the writer. Only the first call counts:
    // later calls, and calls after Shutdown, are ignored, so the log never
    // moves while the writer has a file open.
    void Init(const char* callerPath, const char* folder, const char* fileName) noexcept;
    void Log(int32_t level, const char* file, int line, const char* func, const char* fmt, ...) noexcept
        __attribute__((format(printf, 6, 7)));
    void HexDump(const char* file, int line, const char* func, const void* data, size_t length) noexcept;
    // Appends one finished record (whole lines) to the current buffer.
    void Push(const char* text, size_t length) noexcept;
    // Writes everything pushed so far and stops the writer; later records are
    // dropped. Idempotent; concurrent callers return once the writer is gone.
    void Shutdown() noexcept;

  private:
    struct State;
    struct OutFile;

    void WriterLoop();
    void StopWriter();
    size_t FormatPrefix(char* out, int32_t level, const char* file, int line, const char* func) const;
    int64_t Now() const;

    std::unique_ptr<State> state_;
    std::atomic<bool> enabled_{false};
    const int32_t threshold_ = kLogTrace;
};

}  // namespace tsl

#define TSL_LOG_AT(level, func, ...)                                                                 \
    do {                                                                                             \
        ::tsl::Logger& tslLogger_ = ::tsl::Logger::Instance();                                       \
        if (tslLogger_.Enabled(level)) tslLogger_.Log(level, __FILE__, __LINE__, func, __VA_ARGS__); \
    } while (0)

#define LOG_ERROR(...) TSL_LOG_AT(::tsl::kLogError, __func__, __VA_ARGS__)
#define LOG_WARN(...) TSL_LOG_AT(::tsl::kLogWarn, __func__, __VA_ARGS__)
#define LOG_INFO(...) TSL_LOG_AT(::tsl::kLogInfo, __func__, __VA_ARGS__)
#define LOG_DEBUG(...) TSL_LOG_AT(::tsl::kLogDebug, __func__, __VA_ARGS__)
#define LOG_HEX(data, length)                                               \
    do {                                                                    \
        ::tsl::Logger& tslLogger_ = ::tsl::Logger::Instance();              \
        if (tslLogger_.Enabled(::tsl::kLogDebug))                           \
            tslLogger_.HexDump(__FILE__, __LINE__, __func__, data, length); \
    } while (0)
