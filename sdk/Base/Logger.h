// Asynchronous double-buffered file logger.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace tsl {

enum LogLevel : int32_t { kLogError = 0, kLogWarn = 1, kLogInfo = 2, kLogDebug = 3, kLogTrace = 4 };

const char* LevelName(int32_t level);

class Logger {
public:
    static Logger& Instance();

    // True when a record of this level would be written; callers test it
    // before formatting anything.
    bool Enabled(int32_t level) const {
        return enabled_.load(std::memory_order_acquire) && level <= threshold_;
    }

    void Init(const char* callerPath, const char* folder, const char* fileName);
    void Log(int32_t level, const char* file, int line, const char* func, const char* fmt, ...)
        __attribute__((format(printf, 6, 7)));
    void HexDump(const char* file, int line, const char* func, const void* data, size_t length);
    void Push(const char* text, size_t length);
    // Writes everything queued and stops the writer; later records are dropped.
    void Shutdown();

private:
    Logger();
    ~Logger();
    struct State;
    State* state_;
    std::atomic<bool> enabled_{false};
    int32_t threshold_ = kLogTrace;
};

}  // namespace tsl

#define TSL_LOG_AT(level, func, ...)                                             \
    do {                                                                         \
        ::tsl::Logger& tslLogger_ = ::tsl::Logger::Instance();                   \
        if (tslLogger_.Enabled(level))                                           \
            tslLogger_.Log(level, __FILE__, __LINE__, func, __VA_ARGS__);        \
    } while (0)

#define LOG_ERROR(...) TSL_LOG_AT(::tsl::kLogError, __func__, __VA_ARGS__)
#define LOG_WARN(...) TSL_LOG_AT(::tsl::kLogWarn, __func__, __VA_ARGS__)
#define LOG_INFO(...) TSL_LOG_AT(::tsl::kLogInfo, __func__, __VA_ARGS__)
#define LOG_DEBUG(...) TSL_LOG_AT(::tsl::kLogDebug, __func__, __VA_ARGS__)
#define LOG_HEX(data, length)                                                    \
    do {                                                                         \
        ::tsl::Logger& tslLogger_ = ::tsl::Logger::Instance();                   \
        if (tslLogger_.Enabled(::tsl::kLogDebug))                                \
            tslLogger_.HexDump(__FILE__, __LINE__, __func__, data, length);      \
    } while (0)
