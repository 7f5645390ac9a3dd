// Placeholder until the writer lands: the logger stays disabled.
#include "Base/Logger.h"

#include "TslDev.h"

namespace tsl {

struct Logger::State {};

const char* LevelName(int32_t level) {
    switch (level) {
        case 0: return "ERROR";
        case 1: return "WARN";
        case 2: return "INFO";
        case 3: return "DEBUG";
        case 4: return "TRACE";
        default: return "UNKNOWN";
    }
}

Logger::Logger() : state_(nullptr) {}
Logger::~Logger() {}
Logger& Logger::Instance() {
    static Logger logger;
    return logger;
}
void Logger::Init(const char*, const char*, const char*) {}
void Logger::Log(int32_t, const char*, int, const char*, const char*, ...) {}
void Logger::HexDump(const char*, int, const char*, const void*, size_t) {}
void Logger::Push(const char*, size_t) {}
void Logger::Shutdown() {}

}  // namespace tsl

TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetLogPath(const char* path) {
    if (path) tsl::Logger::Instance().Init(path, "./log/", "Tessaly.log");
    return 0;
}
