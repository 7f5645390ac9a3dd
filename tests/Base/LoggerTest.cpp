#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Base/Logger.h"
#include "TslDev.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tsl::Logger;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    std::string text(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    return text;
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start) + "<no line end>");
    return lines;
}

bool WaitForText(const fs::path& path, const std::string& text) {
    for (auto limit = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < limit;) {
        if (ReadFile(path).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

// Microseconds since the epoch of a local calendar time.
int64_t LocalMicros(int year, int month, int day, int hour, int minute, int second, int micros) {
    tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&t)) * 1000000 + micros;
}

// Runs body in a forked child (fresh process-wide logger) and returns its exit
// code; exit() runs the static destructors, as library unload would.
int RunInChild(const std::function<int()>& body) {
    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) std::exit(body());
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

class LoggerTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "tsl_logger_XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern.data()));
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A logger on the fake clock whose folder is dir_/log.
    std::unique_ptr<Logger> Start() {
        auto logger = std::make_unique<Logger>([this] { return now_.load(); });
        logger->Init((dir_ / "prog").c_str(), "./log/", "Tessaly.log");
        return logger;
    }
    fs::path LogDir() const { return dir_ / "log"; }
    fs::path MainFile() const { return LogDir() / "Tessaly.log"; }
    static std::string Tid() { return std::to_string(gettid()); }

    fs::path dir_;
    std::atomic<int64_t> now_{LocalMicros(2024, 1, 15, 6, 7, 8, 42)};
};

TEST(LoggerNames, LevelNamesAndLocations) {
    const std::pair<int32_t, const char*> names[] = {
        {0, "ERROR"}, {1, "WARN"}, {2, "INFO"}, {3, "DEBUG"}, {4, "TRACE"}, {7, "UNKNOWN"}, {-1, "UNKNOWN"}};
    for (const auto& [level, name] : names) EXPECT_STREQ(name, tsl::LevelName(level)) << level;

    struct Case {
        const char* caller;
        const char* fileName;
        const char* folder;
        const char* file;
        const char* ext;
    };
    const Case cases[] = {
        {"/opt/tessaly/app", "Tessaly.log", "/opt/tessaly/./log//", "Tessaly.log", ".log"},
        {"app", "Tessaly.log", "./log//", "Tessaly.log", ".log"},
        {"/opt/tessaly/app", "", "/opt/tessaly/./log//", "app", ".log"},
        {"/opt/tessaly/app", "sub/trace.txt", "/opt/tessaly/./log//", "trace.txt", ".txt"},
    };
    for (const Case& c : cases) {
        tsl::LogLocation loc = tsl::ResolveLogLocation(c.caller, "./log/", c.fileName);
        EXPECT_EQ(c.folder, loc.folder) << c.caller << " " << c.fileName;
        EXPECT_EQ(c.file, loc.fileName) << c.caller << " " << c.fileName;
        EXPECT_EQ(c.ext, loc.extension) << c.caller << " " << c.fileName;
    }
}

TEST_F(LoggerTest, RecordLines) {
    auto logger = Start();
    logger->Log(tsl::kLogInfo, "/src/sdk/Base/Device.h", 42, "Send", "head: type[%d] cmd[%d]", 100, 2006);
    logger->Log(tsl::kLogError, "C:\\src\\Tcp.cpp", 7, "Connect", "%s", "refused");
    logger->Log(5, "a.cpp", 1, "f", "above the threshold");
    logger->Log(tsl::kLogInfo, nullptr, 1, "f", "no file");
    logger->Log(tsl::kLogInfo, "a.cpp", 1, nullptr, "no function");
    const char* noFormat = nullptr;
    logger->Log(tsl::kLogInfo, "a.cpp", 1, "f", noFormat);
    std::string longText(10000, 'x');
    logger->Log(tsl::kLogWarn, "a.cpp", 3, "Long", "%s", longText.c_str());
    logger->Shutdown();

    const std::string stamp = "20240115 06:07:08.000042 " + Tid() + " ";
    std::vector<std::string> expected = {
        "Log file created at: 2024/01/15 06:07:08",
        "INFO " + stamp + "Device.h:42 Send]head: type[100] cmd[2006]",
        "ERROR " + stamp + "Tcp.cpp:7 Connect]refused",
        "WARN " + stamp + "a.cpp:3 Long]" + std::string(Logger::kMessageSize - 1, 'x'),
    };
    EXPECT_EQ(expected, Lines(ReadFile(MainFile())));
}

TEST_F(LoggerTest, HexDumpLayout) {
    const std::string head = "         00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F | Decoded Text";
    const std::vector<uint8_t> sixteen = {0x00, 0x1f, 0x20, 0x41, 0x7e, 0x7f, 0x80, 0xff,
                                          'h',  'e',  'l',  'l',  'o',  ' ',  '!',  '~'};
    std::vector<uint8_t> twenty(16);
    for (int i = 0; i < 16; ++i) twenty[static_cast<size_t>(i)] = static_cast<uint8_t>("0123456789abcdef"[i]);
    twenty.insert(twenty.end(), {0x00, 'X', 0x0a, 'Z'});
    struct Case {
        std::vector<uint8_t> data;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {{}, {}},
        {sixteen, {"00000000 00 1f 20 41 7e 7f 80 ff 68 65 6c 6c 6f 20 21 7e | .. A~...hello !~"}},
        {twenty,
         {"00000000 30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66 | 0123456789abcdef",
          "00000010 00 58 0a 5a " + std::string(12 * 3, ' ') + "| .X.Z" + std::string(12, ' ')}},
    };
    auto logger = Start();
    for (const Case& c : cases) logger->HexDump("/x/Proto.cpp", 9, "Send", c.data.data(), c.data.size());
    // Too large for the stack area: the heap path, offsets past one byte.
    std::vector<uint8_t> large(2000);
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<uint8_t>(i);
    logger->HexDump("/x/Proto.cpp", 10, "Recv", large.data(), large.size());
    logger->Shutdown();

    std::vector<std::string> expected = {"Log file created at: 2024/01/15 06:07:08"};
    for (const Case& c : cases) {
        expected.push_back("DEBUG 20240115 06:07:08.000042 " + Tid() + " Proto.cpp:9 Send]");
        expected.push_back(head);
        expected.insert(expected.end(), c.rows.begin(), c.rows.end());
    }
    std::vector<std::string> lines = Lines(ReadFile(MainFile()));
    ASSERT_EQ(expected.size() + 2 + 125, lines.size());
    EXPECT_EQ(expected, std::vector<std::string>(lines.begin(), lines.begin() + expected.size()));
    EXPECT_EQ("DEBUG 20240115 06:07:08.000042 " + Tid() + " Proto.cpp:10 Recv]", lines[expected.size()]);
    EXPECT_EQ("000007c0 c0 c1 c2 c3 c4 c5 c6 c7 c8 c9 ca cb cc cd ce cf | ................", lines.back());
}

// Three starts within one second: each earlier file is archived under its
// own name, none replaced.
TEST_F(LoggerTest, RestartArchivesThePreviousFile) {
    for (const char* text : {"first", "second", "third"}) {
        auto logger = Start();
        logger->Log(tsl::kLogInfo, "a.cpp", 1, "f", "%s", text);
    }
    const fs::path day = LogDir() / "20240115";
    const std::string header = "Log file created at: 2024/01/15 06:07:08\n";
    const std::string record = "INFO 20240115 06:07:08.000042 " + Tid() + " a.cpp:1 f]";
    EXPECT_EQ(header + record + "first\n", ReadFile(day / "Tessaly.log_20240115060708.log"));
    EXPECT_EQ(header + record + "second\n", ReadFile(day / "Tessaly.log_20240115060708_1.log"));
    EXPECT_EQ(header + record + "third\n", ReadFile(MainFile()));
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(LogDir()))
        names.insert(fs::relative(entry.path(), LogDir()).string());
    EXPECT_EQ((std::set<std::string>{"Tessaly.log", "20240115", "20240115/Tessaly.log_20240115060708.log",
                                     "20240115/Tessaly.log_20240115060708_1.log"}),
              names);
}

TEST_F(LoggerTest, NewDayStartsANewFile) {
    now_ = LocalMicros(2024, 1, 15, 23, 59, 59, 500000);
    auto logger = Start();
    logger->Log(tsl::kLogInfo, "a.cpp", 1, "f", "before midnight");
    ASSERT_TRUE(WaitForText(MainFile(), "before midnight"));
    now_ = LocalMicros(2024, 1, 16, 0, 0, 0, 250000);
    logger->Log(tsl::kLogInfo, "a.cpp", 2, "f", "after midnight");
    logger->Shutdown();

    EXPECT_EQ("Log file created at: 2024/01/15 23:59:59\nINFO 20240115 23:59:59.500000 " + Tid() +
                  " a.cpp:1 f]before midnight\n",
              ReadFile(LogDir() / "20240115" / "Tessaly.log_20240115235959.log"));
    EXPECT_EQ("Log file created at: 2024/01/16 00:00:00\nINFO 20240116 00:00:00.250000 " + Tid() +
                  " a.cpp:2 f]after midnight\n",
              ReadFile(MainFile()));
}

// Numbered records past the size limit: the first file is archived after
// passing 50 MiB by at most one buffer, and every record is there once, in
// order, over the two files.
TEST_F(LoggerTest, SizeRollLosesNothing) {
    const std::string pad(900, 'p');
    const int count = 66000;  // about 62 MB of records
    auto logger = Start();
    for (int i = 0; i < count; ++i) logger->Log(tsl::kLogInfo, "a.cpp", 1, "f", "seq %d %s", i, pad.c_str());
    logger->Shutdown();

    const fs::path archived = LogDir() / "20240115" / "Tessaly.log_20240115060708.log";
    ASSERT_TRUE(fs::exists(archived));
    EXPECT_GT(fs::file_size(archived), static_cast<uintmax_t>(Logger::kRollSize));
    EXPECT_LE(fs::file_size(archived), static_cast<uintmax_t>(Logger::kRollSize) + Logger::kBufferSize);
    EXPECT_EQ(2, std::distance(fs::recursive_directory_iterator(LogDir()), {}) - 1)
        << "files besides the folder";

    int next = 0;
    for (const fs::path& file : {archived, MainFile()}) {
        std::string text = ReadFile(file);
        ASSERT_EQ(0u, text.rfind("Log file created at: 2024/01/15 06:07:08\n", 0)) << file;
        for (size_t at = text.find("]seq "); at != std::string::npos; at = text.find("]seq ", at + 1)) {
            int seq = std::atoi(text.c_str() + at + 5);
            ASSERT_EQ(next, seq) << file;
            ++next;
        }
    }
    EXPECT_EQ(count, next);
}

TEST_F(LoggerTest, ConcurrentWritersGiveWholeRecords) {
    const int threads = 8, perThread = 4000;
    const std::string payload = "0123456789abcdefghijklmnopqrstuvwxyz";
    const uint8_t bytes[20] = {'w', 'h', 'o', 'l', 'e', 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    auto logger = Start();
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            for (int n = 0; n < perThread; ++n) {
                logger->Log(tsl::kLogInfo, "a.cpp", 1, "f", "t%d n%d %s", t, n, payload.c_str());
                if (n % 10 == 0) logger->HexDump("a.cpp", 2, "g", bytes, sizeof bytes);
            }
        });
    for (std::thread& w : workers) w.join();
    logger->Shutdown();

    const std::vector<std::string> dump = {
        "         00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F | Decoded Text",
        "00000000 77 68 6f 6c 65 00 01 02 03 04 05 06 07 08 09 0a | whole...........",
        "00000010 0b 0c 0d 0e " + std::string(36, ' ') + "| ...." + std::string(12, ' ')};
    std::vector<std::string> lines = Lines(ReadFile(MainFile()));
    std::vector<std::vector<int>> seen(threads, std::vector<int>(perThread, 0));
    int dumps = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.rfind("DEBUG ", 0) == 0) {
            ASSERT_EQ(" a.cpp:2 g]", line.substr(line.size() - 11)) << i;
            ASSERT_LE(i + 3, lines.size() - 1);
            for (size_t k = 0; k < 3; ++k) ASSERT_EQ(dump[k], lines[i + 1 + k]) << i;
            i += 3;
            ++dumps;
            continue;
        }
        size_t at = line.find(" a.cpp:1 f]t");
        ASSERT_EQ(0u, line.rfind("INFO ", 0)) << line;
        ASSERT_NE(std::string::npos, at) << line;
        int t = -1, n = -1;
        char rest[64] = {};
        ASSERT_EQ(3, sscanf(line.c_str() + at + 12, "%d n%d %63s", &t, &n, rest)) << line;
        ASSERT_TRUE(t >= 0 && t < threads && n >= 0 && n < perThread) << line;
        ASSERT_EQ(payload, rest) << line;
        ++seen[static_cast<size_t>(t)][static_cast<size_t>(n)];
    }
    for (int t = 0; t < threads; ++t)
        for (int n = 0; n < perThread; ++n) ASSERT_EQ(1, seen[t][n]) << "t" << t << " n" << n;
    EXPECT_EQ(threads * perThread / 10, dumps);
}

// A file that cannot be archived is left exactly as it was and the log goes
// to a fresh file beside it; an empty one is simply reused.
TEST_F(LoggerTest, FileThatCannotBeArchivedIsKept) {
    struct Case {
        const char* name;
        std::string content;
        bool blockArchiveFolder;
        bool kept;
    };
    const Case cases[] = {
        {"no creation line", "precious record\n", false, true},
        {"unreadable creation line", "Log file created at: soon\nold record\n", false, true},
        {"archive folder blocked", "Log file created at: 2024/01/10 01:02:03\nold record\n", true, true},
        {"empty file", "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(LogDir());
        fs::create_directories(LogDir());
        WriteFile(MainFile(), c.content);
        if (c.blockArchiveFolder) WriteFile(LogDir() / "20240110", "in the way");
        testing::internal::CaptureStderr();
        {
            auto logger = Start();
            logger->Log(tsl::kLogInfo, "a.cpp", 1, "f", "new record");
        }
        std::string diagnostics = testing::internal::GetCapturedStderr();
        const std::string fresh = "Log file created at: 2024/01/15 06:07:08\nINFO 20240115 06:07:08.000042 " +
                                  Tid() + " a.cpp:1 f]new record\n";
        if (c.kept) {
            EXPECT_EQ(c.content, ReadFile(MainFile()));
            EXPECT_EQ(fresh, ReadFile(LogDir() / "Tessaly.log_20240115060708.log"));
            EXPECT_NE(std::string::npos, diagnostics.find("Exception:")) << diagnostics;
        } else {
            EXPECT_EQ(fresh, ReadFile(MainFile()));
            EXPECT_EQ("", diagnostics);
        }
    }
}

TEST_F(LoggerTest, FolderThatCannotBeCreated) {
    WriteFile(LogDir(), "a file where the folder should be");
    testing::internal::CaptureStderr();
    {
        auto logger = Start();
        EXPECT_TRUE(logger->Enabled(tsl::kLogInfo));
        for (int i = 0; i < 1000; ++i) logger->Log(tsl::kLogInfo, "a.cpp", 1, "f", "record %d", i);
        logger->Shutdown();
    }
    std::string diagnostics = testing::internal::GetCapturedStderr();
    EXPECT_EQ(0u, diagnostics.find("Exception:")) << diagnostics;
    EXPECT_EQ('\n', diagnostics.empty() ? 0 : diagnostics.back()) << diagnostics;
    EXPECT_EQ("a file where the folder should be", ReadFile(LogDir()));
}

// A clock that, while closed, holds every thread but the test's own (that is
// the writer) the next time it reads the time.
class WriterGate {
  public:
    explicit WriterGate(const std::atomic<int64_t>& now) : now_(now) {}
    tsl::LogClock Clock() {
        return [this] {
            if (std::this_thread::get_id() != test_) {
                std::unique_lock<std::mutex> lock(mutex_);
                if (closed_) {
                    held_ = true;
                    cv_.notify_all();
                    cv_.wait(lock, [this] { return !closed_; });
                }
            }
            return now_.load();
        };
    }
    void Close() {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        held_ = false;
    }
    void Open() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = false;
        }
        cv_.notify_all();
    }
    bool WaitHeld() {
        std::unique_lock<std::mutex> lock(mutex_);
        return cv_.wait_for(lock, 5s, [this] { return held_; });
    }

  private:
    const std::atomic<int64_t>& now_;
    const std::thread::id test_ = std::this_thread::get_id();
    std::mutex mutex_;
    std::condition_variable cv_;
    bool closed_ = false;
    bool held_ = false;
};

long ResidentBytes() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// While the writer is held (a slow or hung disk), a push that makes more than
// 25 full buffers keeps the two oldest: memory stays bounded however many
// records come, and the writer's next pass says how many buffers went.
TEST_F(LoggerTest, HeldWriterKeepsMemoryBoundedAndReportsTheDrops) {
    const struct {
        int records;  // each needs a buffer of its own
        const char* line;
        size_t written;  // buffers that reach the file
    } cases[] = {
        // The 27th record made 26 full buffers: 24 dropped, the two oldest
        // and the newest written.
        {27, "Dropped log messages at 20240115 06:07:08, 24larger buffers\n", 3},
        // Two overflows, then nine more full buffers and the current one.
        {60, "Dropped log messages at 20240115 06:07:08, 48larger buffers\n", 12},
    };
    std::string big(Logger::kBufferSize / 2 + 1, 'b');
    big.back() = '\n';
    for (const auto& c : cases) {
        SCOPED_TRACE(c.records);
        fs::remove_all(LogDir());
        WriterGate gate(now_);
        gate.Close();
        Logger logger(gate.Clock());
        logger.Init((dir_ / "prog").c_str(), "./log/", "Tessaly.log");
        ASSERT_TRUE(gate.WaitHeld());
        const long before = ResidentBytes();
        for (int i = 0; i < c.records; ++i) logger.Push(big.data(), big.size());
            // Unbounded, 2 MB of every buffer would stay in use (120 MB for 60).
            // ThreadSanitizer's shadow of the buffers counts too, and is kept.
#ifndef __SANITIZE_THREAD__
        EXPECT_LT(ResidentBytes() - before, 80L << 20);
#else
        (void)before;
#endif
        testing::internal::CaptureStderr();
        gate.Open();
        logger.Shutdown();
        std::string diagnostics = testing::internal::GetCapturedStderr();
        EXPECT_EQ(c.line, diagnostics);
        std::string text = ReadFile(MainFile());
        EXPECT_NE(std::string::npos, text.find(diagnostics));
        EXPECT_GT(text.size(), c.written * big.size());
        EXPECT_LT(text.size(), (c.written + 1) * big.size());
    }
}

// Records pushed while the writer is busy with a pass, just before Shutdown,
// still reach the file: Shutdown ends with a pass of its own.
TEST_F(LoggerTest, ShutdownDuringAPassWritesWhatCameBefore) {
    WriterGate gate(now_);
    Logger logger(gate.Clock());
    logger.Init((dir_ / "prog").c_str(), "./log/", "Tessaly.log");
    ASSERT_TRUE(WaitForText(MainFile(), "Log file created at: "));
    gate.Close();
    ASSERT_TRUE(gate.WaitHeld());  // inside a pass, its buffers taken
    logger.Log(tsl::kLogInfo, "a.cpp", 1, "f", "last words");
    std::thread stopper([&] { logger.Shutdown(); });
    while (logger.Enabled(tsl::kLogError)) std::this_thread::yield();
    std::this_thread::sleep_for(20ms);
    gate.Open();
    stopper.join();
    EXPECT_NE(std::string::npos, ReadFile(MainFile()).find("]last words\n"));
}

// The process-wide logger, through the export, in a child of its own.
TEST_F(LoggerTest, SilentUntilSetLogPathThenWritesUntilExit) {
    const fs::path elsewhere = dir_ / "elsewhere";
    int rc = RunInChild([&] {
        if (chdir(dir_.c_str()) != 0) return 10;
        const uint8_t bytes[4] = {1, 2, 3, 4};
        LOG_ERROR("early %d", 1);
        LOG_HEX(bytes, sizeof bytes);
        if (TSL_NET_DEV_SetLogPath(nullptr) != 0) return 11;
        LOG_INFO("still early");
        if (Logger::Instance().Enabled(tsl::kLogError) || fs::exists("log")) return 12;
        if (TSL_NET_DEV_SetLogPath("prog") != 0) return 13;
        TSL_LOG_AT(tsl::kLogInfo, "Send", "head %d", 7);
        // A second location is ignored; the log stays where it is.
        if (TSL_NET_DEV_SetLogPath((elsewhere / "prog").c_str()) != 0) return 14;
        LOG_WARN("after the second call");
        LOG_HEX(bytes, sizeof bytes);
        return 0;  // no Shutdown: the destructor at exit writes what is queued
    });
    ASSERT_EQ(0, rc);
    std::vector<std::string> lines = Lines(ReadFile(MainFile()));
    ASSERT_EQ(6u, lines.size()) << ReadFile(MainFile());
    EXPECT_EQ(0u, lines[0].rfind("Log file created at: ", 0));
    EXPECT_EQ(0u, lines[1].rfind("INFO ", 0));
    EXPECT_NE(std::string::npos, lines[1].find(" Send]head 7"));
    EXPECT_NE(std::string::npos, lines[2].find("]after the second call"));
    EXPECT_EQ("00000000 01 02 03 04 " + std::string(36, ' ') + "| ...." + std::string(12, ' '), lines[5]);
    EXPECT_FALSE(fs::exists(elsewhere));
}

// A caller's own lines go into the same file, but only where a record of the
// library's own would.
TEST_F(LoggerTest, CallersLinesJoinTheLog) {
    int rc = RunInChild([&] {
        if (chdir(dir_.c_str()) != 0) return 10;
        TSL_NET_DEV_WriteLog(tsl::kLogError, "before the log");
        TSL_NET_DEV_SetLogPath("prog");
        const int results[] = {TSL_NET_DEV_WriteLog(tsl::kLogError, "设备列表 100% lost"),
                               TSL_NET_DEV_WriteLog(tsl::kLogDebug, "debug line"),
                               TSL_NET_DEV_WriteLog(-1, "below the levels"),
                               TSL_NET_DEV_WriteLog(tsl::kLogTrace + 1, "above the levels"),
                               TSL_NET_DEV_WriteLog(tsl::kLogError, nullptr)};
        for (int r : results)
            if (r != 0) return 11;
        return 0;
    });
    ASSERT_EQ(0, rc);
    const std::vector<std::string> lines = Lines(ReadFile(MainFile()));
    ASSERT_EQ(3u, lines.size()) << ReadFile(MainFile());
    EXPECT_EQ(0u, lines[1].rfind("ERROR ", 0));
    EXPECT_NE(std::string::npos, lines[1].find("]设备列表 100% lost"));
    EXPECT_EQ(0u, lines[2].rfind("DEBUG ", 0));
    EXPECT_NE(std::string::npos, lines[2].find("]debug line"));
}

TEST_F(LoggerTest, ShutdownWritesEverythingAndStops) {
    // This thread logs before the fork, so the child must not reuse its id.
    Start()->Log(tsl::kLogInfo, "a.cpp", 1, "f", "parent");
    fs::remove_all(LogDir());
    int rc = RunInChild([&] {
        WriteFile(dir_ / "tid", Tid());
        if (TSL_NET_DEV_SetLogPath((dir_ / "prog").c_str()) != 0) return 10;
        for (int i = 0; i < 20000; ++i) LOG_INFO("kept %d", i);
        Logger::Instance().Shutdown();
        Logger::Instance().Shutdown();
        LOG_INFO("dropped");
        TSL_NET_DEV_SetLogPath((dir_ / "prog").c_str());
        LOG_INFO("dropped");
        return Logger::Instance().Enabled(tsl::kLogError) ? 11 : 0;
    });
    ASSERT_EQ(0, rc);
    std::string text = ReadFile(MainFile());
    EXPECT_NE(std::string::npos, text.find("]kept 19999\n"));
    EXPECT_EQ(std::string::npos, text.find("dropped"));
    std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(20001u, lines.size());
    EXPECT_NE(std::string::npos, lines[1].find(" " + ReadFile(dir_ / "tid") + " ")) << lines[1];
}

}  // namespace
