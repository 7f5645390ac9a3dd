#include "Base/Logger.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "TslDev.h"

namespace fs = std::filesystem;

namespace tsl {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kHexHead[] = "         00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F | Decoded Text\n";
constexpr size_t kHexHeadSize = sizeof(kHexHead) - 1;
constexpr size_t kHexLineSize = 76;  // "%08x " + 16 cells of 3 + "| " + 16 + "\n"
// Bound of a prefix: level, time, thread id and line plus the two names cut
// to kNameMax each.
constexpr size_t kNameMax = 256;
constexpr size_t kPrefixMax = 64 + 2 * kNameMax;
constexpr char kHeaderText[] = "Log file created at: ";

int64_t WallClockMicros() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

int64_t FloorSeconds(int64_t micros) {
    return micros >= 0 ? micros / 1000000 : -((-micros + 999999) / 1000000);
}

tm LocalTime(int64_t micros) {
    time_t seconds = static_cast<time_t>(FloorSeconds(micros));
    tm t{};
    localtime_r(&seconds, &t);
    return t;
}

std::string FormatLocal(int64_t micros, const char* format) {
    tm t = LocalTime(micros);
    char text[64];
    size_t n = strftime(text, sizeof text, format, &t);
    return std::string(text, n);
}

char* AppendDecimal(char* p, int64_t value) {
    uint64_t v = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    if (value < 0) *p++ = '-';
    char digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v);
    while (n) *p++ = digits[--n];
    return p;
}

char* AppendBounded(char* p, const char* text, size_t max) {
    size_t n = strnlen(text, max);
    memcpy(p, text, n);
    return p + n;
}

const char* BaseName(const char* path) {
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\') base = p + 1;
    return base;
}

// "%Y%m%d %H:%M:%S." of the last second this thread logged in.
struct SecondText {
    int64_t second = INT64_MIN;
    char text[18] = {};
};
thread_local SecondText t_second;

struct ThreadIdText {
    size_t length = 0;
    char text[24] = {};
};
thread_local ThreadIdText t_threadId;

// A forked child's thread has a new id: forget the one cached before.
void ForgetThreadId() {
    t_threadId.length = 0;
}

// One line each, so that a report does not run into what is printed next.
void Report(const std::string& what) {
    fprintf(stderr, "Exception:%s\n", what.c_str());
}

std::string ErrnoText(const std::string& what, int error) {
    return what + ": " + strerror(error);
}

bool WriteAll(int fd, const char* data, size_t length) {
    while (length) {
        ssize_t n = ::write(fd, data, length);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

// Moves `from` to base + ext, or base + "_N" + ext when that is taken; never
// replaces a file already there.
bool RenameUnique(const std::string& from, const std::string& base, const std::string& ext) {
    for (int i = 0; i < 10000; ++i) {
        std::string to = base + (i ? "_" + std::to_string(i) : std::string()) + ext;
        if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
        int error = errno;
        if (error == EEXIST) continue;
        if (error == EINVAL || error == ENOSYS) {
            // A file system without no-replace renames: check, then rename.
            if (::access(to.c_str(), F_OK) == 0) continue;
            if (::rename(from.c_str(), to.c_str()) == 0) return true;
            error = errno;
        }
        Report(ErrnoText("cannot move " + from + " to " + to, error));
        return false;
    }
    Report("no free archive name for " + from);
    return false;
}

// Creates base + ext, or base + "_N" + ext, that did not exist before.
int CreateUnique(const std::string& base, const std::string& ext, std::string* path) {
    for (int i = 0; i < 10000; ++i) {
        *path = base + (i ? "_" + std::to_string(i) : std::string()) + ext;
        int fd = ::open(path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Text memory comes straight from the kernel, already zero. Buffers made
// ahead of need have their pages populated at once, so that records are not
// copied into untouched pages under the lock.
struct LogBuffer {
    char* data = nullptr;
    size_t used = 0;
    explicit LogBuffer(char* memory) : data(memory) {}
    ~LogBuffer() { ::munmap(data, Logger::kBufferSize); }
    LogBuffer(const LogBuffer&) = delete;
    LogBuffer& operator=(const LogBuffer&) = delete;
    size_t Free() const { return Logger::kBufferSize - used; }
};
using BufferPtr = std::unique_ptr<LogBuffer>;

BufferPtr NewBuffer(bool populate) noexcept {
    void* memory = ::mmap(nullptr, Logger::kBufferSize, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | (populate ? MAP_POPULATE : 0), -1, 0);
    if (memory == MAP_FAILED) return nullptr;
    auto* buffer = new (std::nothrow) LogBuffer(static_cast<char*>(memory));
    if (!buffer) ::munmap(memory, Logger::kBufferSize);
    return BufferPtr(buffer);
}

}  // namespace

const char* LevelName(int32_t level) {
    static const char* const kNames[] = {"ERROR", "WARN", "INFO", "DEBUG", "TRACE"};
    return level >= 0 && level <= kLogTrace ? kNames[level] : "UNKNOWN";
}

LogLocation ResolveLogLocation(const char* callerPath, const char* folder, const char* fileName) {
    fs::path caller(callerPath ? callerPath : "");
    LogLocation loc;
    loc.folder = (caller.parent_path() / fs::path(folder ? folder : "")).string() + "/";
    fs::path name = fs::path(fileName ? fileName : "").filename();
    if (name.empty()) name = caller.filename();
    loc.fileName = name.string();
    loc.extension = name.extension().string();
    if (loc.extension.empty()) loc.extension = ".log";
    return loc;
}

size_t HexDumpSize(size_t length) {
    return kHexHeadSize + (length + 15) / 16 * kHexLineSize;
}

size_t FormatHexDump(char* out, const uint8_t* data, size_t length) {
    char* p = out;
    memcpy(p, kHexHead, kHexHeadSize);
    p += kHexHeadSize;
    for (size_t offset = 0; offset < length; offset += 16) {
        for (int shift = 28; shift >= 0; shift -= 4) *p++ = kHexDigits[(offset >> shift) & 0xF];
        *p++ = ' ';
        size_t n = length - offset < 16 ? length - offset : 16;
        const uint8_t* row = data + offset;
        char* text = p + 16 * 3 + 2;
        for (size_t i = 0; i < 16; ++i) {
            if (i < n) {
                uint8_t b = row[i];
                p[0] = kHexDigits[b >> 4];
                p[1] = kHexDigits[b & 0xF];
                p[2] = ' ';
                text[i] = b >= 0x20 && b <= 0x7E ? static_cast<char>(b) : '.';
            } else {
                p[0] = p[1] = p[2] = ' ';
                text[i] = ' ';
            }
            p += 3;
        }
        p[0] = '|';
        p[1] = ' ';
        p = text + 16;
        *p++ = '\n';
    }
    return static_cast<size_t>(p - out);
}

// Writer-side file state; only the writer thread touches it.
struct Logger::OutFile {
    int fd = -1;
    std::string path;  // of the open file; may differ from the full path
    int64_t position = 0;
    bool writeFailed = false;
};

struct Logger::State {
    LogClock clock;
    LogLocation location;

    std::mutex mutex;
    std::condition_variable wake;
    std::thread writer;
    bool started = false;
    bool stopping = false;   // Shutdown asked: the writer makes its final pass
    bool accepting = false;  // Push copies text only while this holds
    BufferPtr current;
    BufferPtr spare;
    std::vector<BufferPtr> full;
    size_t dropped = 0;  // full buffers dropped by Push since the writer's last pass

    std::once_flag shutdownOnce;

    int64_t Now() const { return clock ? clock() : WallClockMicros(); }

    // Writer thread only.
    OutFile out;
    int currentDay = -1;

    void OpenLogFile();
    void CloseLogFile();
    void ArchiveExisting(const std::string& path);
    void WriteOut(const char* data, size_t length);
};

Logger& Logger::Instance() {
    static Logger logger;
    return logger;
}

Logger::Logger(LogClock clock) : state_(new State) {
    state_->clock = std::move(clock);
    static const int registered = pthread_atfork(nullptr, nullptr, ForgetThreadId);
    (void)registered;
}

Logger::~Logger() {
    Shutdown();
}

int64_t Logger::Now() const {
    return state_->Now();
}

void Logger::Init(const char* callerPath, const char* folder, const char* fileName) noexcept {
    if (!callerPath || !folder || !fileName) return;
    State& s = *state_;
    try {
        LogLocation location = ResolveLogLocation(callerPath, folder, fileName);
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.started || s.stopping) return;
        s.location = std::move(location);
        s.current = NewBuffer(true);
        s.spare = NewBuffer(true);
        if (!s.current) return;
        s.writer = std::thread([this] { WriterLoop(); });
        s.started = true;
        s.accepting = true;
        enabled_.store(true, std::memory_order_release);
    } catch (const std::exception& e) {
        Report(e.what());
    }
}

size_t Logger::FormatPrefix(char* out, int32_t level, const char* file, int line, const char* func) const {
    int64_t now = Now();
    int64_t second = FloorSeconds(now);
    SecondText& st = t_second;
    if (st.second != second) {
        tm t = LocalTime(now);
        char text[32];
        if (strftime(text, sizeof text, "%Y%m%d %H:%M:%S.", &t) == sizeof st.text) {
            memcpy(st.text, text, sizeof st.text);
            st.second = second;
        } else {
            memcpy(st.text, "00000000 00:00:00.", sizeof st.text);
        }
    }
    ThreadIdText& tid = t_threadId;
    if (!tid.length) tid.length = static_cast<size_t>(AppendDecimal(tid.text, gettid()) - tid.text);

    char* p = out;
    const char* name = LevelName(level);
    size_t nameLength = strlen(name);
    memcpy(p, name, nameLength);
    p += nameLength;
    *p++ = ' ';
    memcpy(p, st.text, sizeof st.text);
    p += sizeof st.text;
    uint32_t micros = static_cast<uint32_t>(now - second * 1000000);
    for (int i = 5; i >= 0; --i) {
        p[i] = static_cast<char>('0' + micros % 10);
        micros /= 10;
    }
    p += 6;
    *p++ = ' ';
    memcpy(p, tid.text, tid.length);
    p += tid.length;
    *p++ = ' ';
    p = AppendBounded(p, BaseName(file), kNameMax);
    *p++ = ':';
    p = AppendDecimal(p, line);
    *p++ = ' ';
    p = AppendBounded(p, func, kNameMax);
    *p++ = ']';
    return static_cast<size_t>(p - out);
}

void Logger::Log(int32_t level, const char* file, int line, const char* func, const char* fmt, ...) noexcept {
    if (!fmt || !file || !func || !Enabled(level)) return;
    char text[kPrefixMax + kMessageSize + 1];
    size_t n = FormatPrefix(text, level, file, line, func);
    va_list args;
    va_start(args, fmt);
    int m = vsnprintf(text + n, kMessageSize, fmt, args);
    va_end(args);
    if (m > 0) n += static_cast<size_t>(m) < kMessageSize ? static_cast<size_t>(m) : kMessageSize - 1;
    text[n++] = '\n';
    Push(text, n);
}

void Logger::HexDump(const char* file, int line, const char* func, const void* data, size_t length) noexcept {
    if (!file || !func || !Enabled(kLogDebug)) return;
    if (!data) length = 0;
    if (length >= kBufferSize) return;  // could never fit a buffer
    size_t need = kPrefixMax + 1 + HexDumpSize(length);
    if (need >= kBufferSize) return;
    char local[8192];
    std::unique_ptr<char[]> heap;
    char* text = local;
    if (need > sizeof local) {
        heap.reset(new (std::nothrow) char[need]);
        if (!heap) return;
        text = heap.get();
    }
    size_t n = FormatPrefix(text, kLogDebug, file, line, func);
    text[n++] = '\n';
    n += FormatHexDump(text + n, static_cast<const uint8_t*>(data), length);
    Push(text, n);
}

void Logger::Push(const char* text, size_t length) noexcept {
    if (!text || !length || length >= kBufferSize) return;
    State& s = *state_;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.accepting) return;
        if (s.current && s.current->Free() > length) {
            memcpy(s.current->data + s.current->used, text, length);
            s.current->used += length;
            return;
        }
        try {
            if (s.current) s.full.push_back(std::move(s.current));
        } catch (const std::bad_alloc&) {
            return;  // the full list could not grow: the current buffer stays
        }
        // A stalled writer (a slow or hung disk) must not let the buffers
        // grow without bound: past the limit all but the two oldest go here,
        // not only at the writer's next pass, which says how many.
        if (s.full.size() > kMaxQueuedBuffers) {
            s.dropped += s.full.size() - 2;
            s.current = std::move(s.full.back());
            s.current->used = 0;
            s.full.erase(s.full.begin() + 2, s.full.end());
        }
        if (!s.current) s.current = s.spare ? std::move(s.spare) : NewBuffer(false);
        if (s.current) {
            memcpy(s.current->data, text, length);
            s.current->used = length;
        }
    }
    s.wake.notify_one();
}

void Logger::Shutdown() noexcept {
    try {
        std::call_once(state_->shutdownOnce, [this] { StopWriter(); });
    } catch (const std::exception& e) {
        Report(e.what());
    }
}

void Logger::StopWriter() {
    State& s = *state_;
    enabled_.store(false, std::memory_order_release);
    std::thread writer;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.stopping = true;
        if (!s.started) s.accepting = false;
        writer = std::move(s.writer);
    }
    s.wake.notify_all();
    if (writer.joinable()) writer.join();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.current.reset();
    s.spare.reset();
    s.full.clear();
}

void Logger::WriterLoop() {
    State& s = *state_;
    BufferPtr reserve1 = NewBuffer(true);
    BufferPtr reserve2 = NewBuffer(true);
    std::vector<BufferPtr> pending;
    pending.reserve(kMaxQueuedBuffers + 8);
    try {
        s.currentDay = LocalTime(Now()).tm_yday;
        s.OpenLogFile();
    } catch (const std::exception& e) {
        Report(e.what());
    }
    bool last = false;
    size_t dropped = 0;
    while (!last) {
        {
            std::unique_lock<std::mutex> lock(s.mutex);
            if (s.full.empty() && !s.stopping) s.wake.wait_for(lock, std::chrono::milliseconds(100));
            // Decided under the same lock Push takes: whatever was pushed
            // before Shutdown is in the buffers taken now.
            last = s.stopping;
            if (last) s.accepting = false;
            try {
                if (s.current) s.full.push_back(std::move(s.current));
            } catch (const std::bad_alloc&) {
            }
            if (!s.current) s.current = std::move(reserve1);
            pending.swap(s.full);
            dropped = s.dropped;
            s.dropped = 0;
            if (!s.spare) s.spare = std::move(reserve2);
        }
        try {
            if (pending.size() > kMaxQueuedBuffers) {
                dropped += pending.size() - 2;
                pending.erase(pending.begin() + 2, pending.end());
            }
            if (dropped > 0) {
                std::string text = "Dropped log messages at " + FormatLocal(Now(), "%Y%m%d %H:%M:%S") + ", " +
                                   std::to_string(dropped) + "larger buffers\n";
                fputs(text.c_str(), stderr);
                s.WriteOut(text.data(), text.size());
            }
            for (BufferPtr& buffer : pending) {
                int day = LocalTime(Now()).tm_yday;
                if (day != s.currentDay) {
                    s.currentDay = day;
                    s.CloseLogFile();
                    s.OpenLogFile();
                } else if (s.out.fd >= 0 && s.out.position > kRollSize) {
                    s.CloseLogFile();
                    s.OpenLogFile();
                }
                s.WriteOut(buffer->data, buffer->used);
            }
        } catch (const std::exception& e) {
            Report(e.what());
        }
        if (pending.size() > 2) pending.erase(pending.begin() + 2, pending.end());
        if (!reserve1 && !pending.empty()) {
            reserve1 = std::move(pending.back());
            pending.pop_back();
            reserve1->used = 0;
        }
        if (!reserve2 && !pending.empty()) {
            reserve2 = std::move(pending.back());
            pending.pop_back();
            reserve2->used = 0;
        }
        pending.clear();
    }
    s.CloseLogFile();
}

void Logger::State::WriteOut(const char* data, size_t length) {
    if (out.fd < 0 || !length) return;
    if (!WriteAll(out.fd, data, length)) {
        if (!out.writeFailed) Report(ErrnoText("cannot write " + out.path, errno));
        out.writeFailed = true;
        return;
    }
    out.position += static_cast<int64_t>(length);
}

void Logger::State::CloseLogFile() {
    if (out.fd >= 0) ::close(out.fd);
    out.fd = -1;
}

// Moves a log file into the folder of the day its first line names. A file
// that cannot be moved stays where it is, untouched.
void Logger::State::ArchiveExisting(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) Report(ErrnoText("cannot read " + path, errno));
        return;
    }
    char head[128];
    ssize_t n;
    do n = ::read(fd, head, sizeof head - 1);
    while (n < 0 && errno == EINTR);
    int error = errno;
    ::close(fd);
    if (n < 0) {
        Report(ErrnoText("cannot read " + path, error));
        return;
    }
    if (n == 0) {
        ::unlink(path.c_str());  // nothing in it to keep
        return;
    }
    head[n] = '\0';
    int year, month, day, hour, minute, second;
    if (sscanf(head, "Log file created at: %d/%d/%d %d:%d:%d", &year, &month, &day, &hour, &minute,
               &second) != 6) {
        Report(path + " does not start with its creation time; left in place");
        return;
    }
    char date[64], stamp[96];
    snprintf(date, sizeof date, "%04d%02d%02d", year, month, day);
    snprintf(stamp, sizeof stamp, "%s%02d%02d%02d", date, hour, minute, second);
    std::string dir = location.folder + date;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
        Report("cannot create " + dir + ": " + ec.message());
        return;
    }
    RenameUnique(path, dir + "/" + location.fileName + "_" + stamp, location.extension);
}

void Logger::State::OpenLogFile() {
    const std::string fullPath = location.FullPath();
    std::error_code ec;
    fs::create_directories(location.folder, ec);
    if (ec) {
        Report("cannot create " + location.folder + ": " + ec.message());
        return;
    }
    // After a roll from a file that had to take another name, that one is
    // archived too.
    if (!out.path.empty() && out.path != fullPath) ArchiveExisting(out.path);
    ArchiveExisting(fullPath);
    out = OutFile{};

    int64_t now = Now();
    std::string path = fullPath;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EEXIST)
        fd = CreateUnique(location.folder + location.fileName + "_" + FormatLocal(now, "%Y%m%d%H%M%S"),
                          location.extension, &path);
    if (fd < 0) {
        Report(ErrnoText("cannot open " + path, errno));
        return;
    }
    out.fd = fd;
    out.path = path;
    std::string header = kHeaderText + FormatLocal(now, "%Y/%m/%d %H:%M:%S") + "\n";
    WriteOut(header.data(), header.size());
}

}  // namespace tsl

TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetLogPath(const char* path) {
    if (path) tsl::Logger::Instance().Init(path, "./log/", "Tessaly.log");
    return 0;
}

TSL_EXTERN_C TSL_API int TSL_NET_DEV_WriteLog(int level, const char* text) {
    if (text && level >= tsl::kLogError && level <= tsl::kLogTrace) TSL_LOG_AT(level, __func__, "%s", text);
    return 0;
}
