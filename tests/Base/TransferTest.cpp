// Firmware upgrade and configuration export/import against the simulator.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "FileSizeLimit.h"
#include "ReplacedTargets.h"
#include "SimFixture.h"

using namespace std::chrono_literals;
using devsim::Bytes;
using tsltest::SimLogin;

namespace {

struct TempFile {
    std::string path;
    explicit TempFile(const std::string& name)
        : path("/tmp/tsl_transfer_" + std::to_string(getpid()) + "_" + name) {}
    ~TempFile() { std::remove(path.c_str()); }
    void Write(const Bytes& bytes) const {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    Bytes Read() const {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
};

Bytes Pattern(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 31 + 7);
    return b;
}

// Collects progress values; thread-safe for the asynchronous forms.
struct Progress {
    std::mutex m;
    std::condition_variable cv;
    std::vector<int> values;
    std::function<void(int, int)> Callback() {
        return [this](int, int v) {
            std::lock_guard<std::mutex> lock(m);
            values.push_back(v);
            cv.notify_all();
        };
    }
    std::vector<int> WaitForEnd() {
        std::unique_lock<std::mutex> lock(m);
        cv.wait_for(lock, 5s, [&] { return !values.empty() && values.back() <= 0; });
        return values;
    }
};

}  // namespace

TEST(Upgrade, ChunksAndProgress) {
    struct Case {
        int type;
        size_t size;
        std::vector<uint32_t> chunks;
        std::vector<int> progress;
    } cases[] = {
        {100, 2500, {1024, 1024, 452}, {4096, 8192, 10000, 0}},
        {104, 100000, {51200, 48800}, {5120, 10000, 0}},
        {101, 2048, {1024, 1024}, {5000, 10000, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        SimLogin dev(c.type);
        TempFile file("fw.bin");
        Bytes content = Pattern(c.size);
        file.Write(content);
        Progress progress;
        EXPECT_EQ(0, TSL_NET_DEV_StartUpgrade(dev.handle, file.path.c_str(), progress.Callback()));
        EXPECT_EQ(c.progress, progress.values);
        auto upgrades = dev.device->Upgrades();
        ASSERT_EQ(1u, upgrades.size());
        EXPECT_EQ(c.size, upgrades[0].size);
        EXPECT_EQ(c.chunks, upgrades[0].chunks);
        EXPECT_EQ(content, upgrades[0].data);
    }
}

TEST(Upgrade, LargeFileProgressStaysInRange) {
    SimLogin dev(100);
    TempFile file("big.bin");
    file.Write(Pattern(1 << 20));
    Progress progress;
    ASSERT_EQ(0, TSL_NET_DEV_StartUpgrade(dev.handle, file.path.c_str(), progress.Callback()));
    ASSERT_EQ(1025u, progress.values.size());
    int previous = 0;
    for (size_t i = 0; i + 1 < progress.values.size(); ++i) {
        ASSERT_GE(progress.values[i], 1);
        ASSERT_LE(progress.values[i], 10000);
        ASSERT_GE(progress.values[i], previous);
        previous = progress.values[i];
    }
    EXPECT_EQ(0, progress.values.back());
}

TEST(Upgrade, RefusedFiles) {
    SimLogin dev(100);
    Progress missing;
    EXPECT_EQ(-9, TSL_NET_DEV_StartUpgrade(dev.handle, "/nonexistent/fw.bin", missing.Callback()));
    EXPECT_EQ(std::vector<int>{-9}, missing.values);
    // A size that 32 bits cannot announce is refused before anything is sent.
    TempFile huge("huge.bin");
    {
        FILE* f = std::fopen(huge.path.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        if (ftruncate(fileno(f), (off_t(1) << 32)) != 0) GTEST_SKIP() << "no sparse file here";
        std::fclose(f);
    }
    Progress progress;
    EXPECT_EQ(-9, TSL_NET_DEV_StartUpgrade(dev.handle, huge.path.c_str(), progress.Callback()));
    EXPECT_TRUE(dev.server->RequestsFor(1029).empty());
}

TEST(Upgrade, StopFlag) {
    SimLogin dev(100);
    EXPECT_EQ(-18, TSL_NET_DEV_StopUpgrade(dev.handle));  // never upgraded
    TempFile file("fw.bin");
    file.Write(Pattern(10 * 1024));
    std::vector<int> values;
    int h = dev.handle;
    EXPECT_EQ(-10, TSL_NET_DEV_StartUpgrade(dev.handle, file.path.c_str(), [&](int, int v) {
        values.push_back(v);
        if (values.size() == 2) {
            EXPECT_EQ(0, TSL_NET_DEV_StopUpgrade(h));
        }
    }));
    EXPECT_EQ((std::vector<int>{1000, 2000, -10}), values);
    auto stops = dev.server->RequestsFor(1030);
    ASSERT_EQ(1u, stops.size());
    EXPECT_EQ(dev.device->Upgrades().at(0).id, devsim::GetU32(stops[0].plain.data()));
    EXPECT_EQ(-18, TSL_NET_DEV_StopUpgrade(dev.handle));
}

TEST(Upgrade, RefusedStartReportsTheDeviceCode) {
    SimLogin dev(100);
    dev.device->SetFault(1029, {devsim::Fault::ResultCode, 30});
    TempFile file("fw.bin");
    file.Write(Pattern(100));
    Progress progress;
    EXPECT_EQ(-1030, TSL_NET_DEV_StartUpgrade(dev.handle, file.path.c_str(), progress.Callback()));
    EXPECT_EQ(std::vector<int>{-1030}, progress.values);
}

TEST(ConfigExport, BlocksToFile) {
    SimLogin dev(100);
    TempFile file("cfg.bin");
    Progress progress;
    EXPECT_EQ(0, TSL_NET_DEV_StopExportConfigFile(dev.handle));  // never exported: flag was clear
    EXPECT_EQ(-18, TSL_NET_DEV_StopExportConfigFile(dev.handle));
    ASSERT_EQ(0, TSL_NET_DEV_ExportConfigFile(dev.handle, file.path.c_str(), progress.Callback()));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 0}), progress.values);
    Bytes expected;
    for (const Bytes& block : dev.device->ExportBlocks())
        expected.insert(expected.end(), block.begin(), block.end());
    EXPECT_EQ(3084u, expected.size());
    EXPECT_EQ(expected, file.Read());
    auto requests = dev.server->RequestsFor(1045);
    ASSERT_EQ(3u, requests.size());
    for (uint32_t i = 0; i < 3; ++i) {
        ASSERT_EQ(28u, requests[i].plain.size());
        EXPECT_EQ(0xFFFFFFFFu, devsim::GetU32(requests[i].plain.data()));
        EXPECT_EQ(i, devsim::GetU32(requests[i].plain.data() + 4));
        EXPECT_EQ(i == 0 ? 0u : 1u, devsim::GetU32(requests[i].plain.data() + 12));
    }
}

TEST(ConfigExport, WrongIndexAndStop) {
    SimLogin dev(100);
    TempFile file("cfg.bin");
    dev.device->SetExportWrongIndex(1u);
    Progress wrong;
    EXPECT_EQ(-18, TSL_NET_DEV_ExportConfigFile(dev.handle, file.path.c_str(), wrong.Callback()));
    EXPECT_EQ((std::vector<int>{1, -18}), wrong.values);
    dev.device->SetExportWrongIndex(std::nullopt);

    dev.server->ClearRequests();
    std::vector<int> values;
    int h = dev.handle;
    EXPECT_EQ(-12, TSL_NET_DEV_ExportConfigFile(dev.handle, file.path.c_str(), [&](int, int v) {
        values.push_back(v);
        if (v == 1) TSL_NET_DEV_StopExportConfigFile(h);
    }));
    EXPECT_EQ((std::vector<int>{1, -12}), values);
    EXPECT_FALSE(std::filesystem::exists(file.path)) << "no partial file that looks like a backup";
    auto requests = dev.server->RequestsFor(1045);
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(3u, devsim::GetU32(requests[1].plain.data() + 12));
}

namespace {

namespace fs = std::filesystem;

using tsltest::replaced::Folder;

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Concatenated(const std::vector<Bytes>& blocks) {
    Bytes all;
    for (const Bytes& b : blocks) all.insert(all.end(), b.begin(), b.end());
    return all;
}

}  // namespace

// An export that does not end well leaves the user's previous backup byte
// for byte, or no file where there was none; nothing is left beside it.
TEST(ConfigExport, AFailedExportKeepsThePreviousFile) {
    using devsim::Fault;
    struct Case {
        const char* name;
        bool existing;
        bool async;
        int status;  // 1: a failure whose code the connection decides
        std::vector<int> values;
        std::function<void(SimLogin&)> before;           // before the export starts
        std::function<void(SimLogin&, int)> onProgress;  // at every progress value
    };
    const auto atFirstBlock = [](std::function<void(SimLogin&)> act) {
        return [act](SimLogin& dev, int v) {
            if (v == 1) act(dev);
        };
    };
    const Case cases[] = {
        {"refused at once",
         true,
         false,
         -1008,
         {-1008},
         [](SimLogin& dev) {
             dev.device->SetFault(1045, {Fault::ResultCode, 8});
         },
         {}},
        {"refused midway", true, false, -1008, {1, -1008}, {}, atFirstBlock([](SimLogin& dev) {
             dev.device->SetFault(1045, {Fault::ResultCode, 8});
         })},
        {"dropped midway", true, false, 1, {1}, {}, atFirstBlock([](SimLogin& dev) {
             dev.device->SetFault(1045, {Fault::CloseInstead});
         })},
        {"stopped midway", true, false, -12, {1, -12}, {}, atFirstBlock([](SimLogin& dev) {
             TSL_NET_DEV_StopExportConfigFile(dev.handle);
         })},
        {"stopped midway, asynchronous", true, true, -12, {1, -12}, {}, atFirstBlock([](SimLogin& dev) {
             TSL_NET_DEV_StopExportConfigFile(dev.handle);
         })},
        {"wrong block midway",
         true,
         false,
         -18,
         {1, -18},
         [](SimLogin& dev) { dev.device->SetExportWrongIndex(1u); },
         {}},
        {"stopped midway, no file before", false, false, -12, {1, -12}, {}, atFirstBlock([](SimLogin& dev) {
             TSL_NET_DEV_StopExportConfigFile(dev.handle);
         })},
    };
    const Bytes previous = Pattern(1500);
    // Kept for the whole test: an asynchronous task may still be leaving the
    // callback when the next case starts.
    std::vector<std::unique_ptr<Progress>> kept;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kept.push_back(std::make_unique<Progress>());
        Progress& progress = *kept.back();
        SimLogin dev(100);
        Folder folder;
        ASSERT_FALSE(folder.path.empty());
        const fs::path target = folder.path / "cfg.bin";
        if (c.existing) WriteFile(target, previous);
        if (c.before) c.before(dev);
        auto report = progress.Callback();
        auto callback = [&](int h, int v) {
            if (c.onProgress) c.onProgress(dev, v);
            report(h, v);
        };
        int status;
        if (c.async) {
            ASSERT_EQ(0, TSL_NET_DEV_ExportConfigFileAsync(dev.handle, target.c_str(), callback));
            status = progress.WaitForEnd().back();
        } else {
            status = TSL_NET_DEV_ExportConfigFile(dev.handle, target.c_str(), callback);
        }
        std::vector<int> values = progress.WaitForEnd();
        if (c.status == 1) {
            EXPECT_LT(status, 0);
            ASSERT_FALSE(values.empty());
            EXPECT_EQ(status, values.back());
            values.pop_back();
        } else {
            EXPECT_EQ(c.status, status);
        }
        EXPECT_EQ(c.values, values);
        if (c.existing) {
            EXPECT_EQ(previous, ReadFile(target));
            EXPECT_EQ(std::vector<std::string>{"cfg.bin"}, folder.Names());
        } else {
            EXPECT_TRUE(folder.Names().empty());
        }
    }
}

// A disk that fills midway is a failed write: -9, and the old file stays.
TEST(ConfigExport, AFullDiskKeepsThePreviousFile) {
    SimLogin dev(100);
    Folder folder;
    const fs::path target = folder.path / "cfg.bin";
    const Bytes previous = Pattern(1500);
    WriteFile(target, previous);
    Progress progress;
    int status;
    {
        tsltest::FileSizeLimit full(1500);  // room for one block of three
        status = TSL_NET_DEV_ExportConfigFile(dev.handle, target.c_str(), progress.Callback());
    }
    EXPECT_EQ(-9, status);
    EXPECT_EQ((std::vector<int>{1, -9}), progress.values);
    EXPECT_EQ(previous, ReadFile(target));
    EXPECT_EQ(std::vector<std::string>{"cfg.bin"}, folder.Names());
}

// A finished export replaces the file whole; a link stays a link to the new
// content, and a pipe is written through, never replaced.
TEST(ConfigExport, AFinishedExportReplacesTheFile) {
    SimLogin dev(100);
    const Bytes exported = Concatenated(dev.device->ExportBlocks());
    Folder folder;
    const fs::path target = folder.path / "cfg.bin";
    WriteFile(target, Pattern(5000));
    ASSERT_EQ(0, TSL_NET_DEV_ExportConfigFile(dev.handle, target.c_str(), std::function<void(int, int)>{}));
    EXPECT_EQ(exported, ReadFile(target));
    EXPECT_EQ(std::vector<std::string>{"cfg.bin"}, folder.Names());
    // The mode the file had, here the one the umask gave it.
    const mode_t mask = umask(022);
    umask(mask);
    struct stat st;
    ASSERT_EQ(0, stat(target.c_str(), &st));
    EXPECT_EQ(0666u & ~mask, st.st_mode & 0777u);

    const fs::path link = folder.path / "link.bin";
    fs::create_symlink(target, link);
    WriteFile(target, Pattern(10));
    ASSERT_EQ(0, TSL_NET_DEV_ExportConfigFile(dev.handle, link.c_str(), std::function<void(int, int)>{}));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(exported, ReadFile(target));
    EXPECT_EQ((std::vector<std::string>{"cfg.bin", "link.bin"}), folder.Names());

    const fs::path fifo = folder.path / "cfg.fifo";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_EQ(0, TSL_NET_DEV_ExportConfigFile(dev.handle, fifo.c_str(), std::function<void(int, int)>{}));
    Bytes piped(exported.size() + 1);
    EXPECT_EQ(static_cast<ssize_t>(exported.size()), read(reader, piped.data(), piped.size()));
    piped.resize(exported.size());
    close(reader);
    EXPECT_EQ(exported, piped);
    EXPECT_EQ(fs::file_type::fifo, fs::status(fifo).type());
}

// Both forms, since the asynchronous one opens the file on a worker.
TEST(ConfigExport, TheReplacedFileKeepsItsModeAndOwner) {
    SimLogin dev(100);
    const Bytes blocks = Concatenated(dev.device->ExportBlocks());
    const std::string exported(blocks.begin(), blocks.end());
    tsltest::ExpectEachTargetKeepsItsModeAndOwner(
        [&](const std::string& path) {
            return TSL_NET_DEV_ExportConfigFile(dev.handle, path.c_str(), std::function<void(int, int)>{});
        },
        exported);
    tsltest::ExpectEachTargetKeepsItsModeAndOwner(
        [&](const std::string& path) {
            Progress progress;
            const int started =
                TSL_NET_DEV_ExportConfigFileAsync(dev.handle, path.c_str(), progress.Callback());
            return started != 0 ? started : progress.WaitForEnd().back();
        },
        exported);
}

TEST(ConfigExport, AFolderThatRefusesATemporaryIsWrittenInPlace) {
    SimLogin dev(100);
    const Bytes blocks = Concatenated(dev.device->ExportBlocks());
    tsltest::ExpectWrittenInPlaceWhereTheFolderRefuses(
        [&](const std::string& path) {
            return TSL_NET_DEV_ExportConfigFile(dev.handle, path.c_str(), std::function<void(int, int)>{});
        },
        std::string(blocks.begin(), blocks.end()),
        [&](const std::string& path) {
            dev.device->SetFault(1045, {devsim::Fault::ResultCode, 8});
            const int status =
                TSL_NET_DEV_ExportConfigFile(dev.handle, path.c_str(), std::function<void(int, int)>{});
            dev.device->ClearFaults();
            return status;
        });
}

TEST(ConfigImport, BlocksFromFile) {
    SimLogin dev(100);
    TempFile file("cfg.bin");
    Bytes content = Pattern(3084);
    file.Write(content);
    Progress progress;
    ASSERT_EQ(0, TSL_NET_DEV_ImportConfigFile(dev.handle, file.path.c_str(), progress.Callback()));
    EXPECT_EQ((std::vector<int>{3333, 6666, 10000, 0}), progress.values);
    Bytes received;
    for (const Bytes& block : dev.device->ImportedBlocks())
        received.insert(received.end(), block.begin(), block.end());
    EXPECT_EQ(content, received);

    file.Write(Pattern(3000));
    dev.server->ClearRequests();
    Progress refused;
    EXPECT_EQ(-9, TSL_NET_DEV_ImportConfigFile(dev.handle, file.path.c_str(), refused.Callback()));
    EXPECT_EQ(std::vector<int>{-9}, refused.values);
    EXPECT_TRUE(dev.server->RequestsFor(1046).empty());

    file.Write({});
    Progress empty;
    EXPECT_EQ(0, TSL_NET_DEV_ImportConfigFile(dev.handle, file.path.c_str(), empty.Callback()));
    EXPECT_EQ(std::vector<int>{0}, empty.values);
}

TEST(ConfigImport, Stop) {
    SimLogin dev(100);
    TempFile file("cfg.bin");
    file.Write(Pattern(1028 * 4));
    std::vector<int> values;
    int h = dev.handle;
    EXPECT_EQ(-13, TSL_NET_DEV_ImportConfigFile(dev.handle, file.path.c_str(), [&](int, int v) {
        values.push_back(v);
        if (values.size() == 1) TSL_NET_DEV_StopImportConfigFile(h);
    }));
    EXPECT_EQ((std::vector<int>{2500, -13}), values);
}

// A stop pressed while the file is still being read (a pipe here, whose
// writer decides when the reading ends) is not lost.
TEST(ConfigImport, StopWhileTheFileIsReadCounts) {
    SimLogin dev(100);
    TempFile fifo("cfg.fifo");
    ASSERT_EQ(0, mkfifo(fifo.path.c_str(), 0600));
    Progress progress;
    int status = 1;
    std::thread importer(
        [&] { status = TSL_NET_DEV_ImportConfigFile(dev.handle, fifo.path.c_str(), progress.Callback()); });
    // Opening blocks until the import has opened its end.
    int fd = open(fifo.path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(0, TSL_NET_DEV_StopImportConfigFile(dev.handle));
    Bytes content = Pattern(3 * 1028);
    EXPECT_EQ(static_cast<ssize_t>(content.size()), write(fd, content.data(), content.size()));
    close(fd);
    importer.join();
    EXPECT_EQ(-13, status);
    EXPECT_EQ(std::vector<int>{-13}, progress.values);
    EXPECT_TRUE(dev.server->RequestsFor(1046).empty());
}

// The whole file is held in memory, so one far beyond any configuration is
// refused before it is read (a sparse file: nothing is written to disk).
TEST(ConfigImport, HugeFileIsRefusedUnread) {
    SimLogin dev(100);
    TempFile file("huge.bin");
    file.Write({});
    ASSERT_EQ(0, truncate(file.path.c_str(), off_t(1028) * 65537));
    Progress progress;
    EXPECT_EQ(-9, TSL_NET_DEV_ImportConfigFile(dev.handle, file.path.c_str(), progress.Callback()));
    EXPECT_EQ(std::vector<int>{-9}, progress.values);
    EXPECT_TRUE(dev.server->RequestsFor(1046).empty());
}

// Whatever fails inside an asynchronous transfer (here the caller's own
// callback throws) still ends with a final value, -18.
TEST(Transfers, FailureInsideAnAsynchronousTaskIsReported) {
    SimLogin dev(100);
    TempFile file("cfg.bin");
    file.Write(Pattern(2 * 1028));
    using Start = int (*)(int, const char*, std::function<void(int, int)>);
    const Start starts[] = {TSL_NET_DEV_ImportConfigFileAsync, TSL_NET_DEV_StartUpgradeAsync};
    // Kept for the whole test: a task may still be leaving the callback when
    // the next round starts.
    Progress progress[std::size(starts)];
    std::atomic<bool> thrown[std::size(starts)] = {};
    for (size_t i = 0; i < std::size(starts); ++i) {
        auto report = progress[i].Callback();
        ASSERT_EQ(0, starts[i](dev.handle, file.path.c_str(), [&, i, report](int h, int v) {
                      const bool first = !thrown[i].exchange(true);
                      report(h, v);
                      if (first) throw std::runtime_error("caller's failure");
                  }));
        std::vector<int> values = progress[i].WaitForEnd();
        ASSERT_EQ(2u, values.size());
        EXPECT_GT(values[0], 0);
        EXPECT_EQ(-18, values[1]);
    }
}

TEST(Transfers, AsynchronousFormsReportThroughTheCallback) {
    SimLogin dev(100);
    Progress missing;
    EXPECT_EQ(0, TSL_NET_DEV_StartUpgradeAsync(dev.handle, "/nonexistent", missing.Callback()));
    EXPECT_EQ(std::vector<int>{-9}, missing.WaitForEnd());

    TempFile file("cfg.bin");
    Progress exported;
    EXPECT_EQ(0, TSL_NET_DEV_ExportConfigFileAsync(dev.handle, file.path.c_str(), exported.Callback()));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 0}), exported.WaitForEnd());
    Progress imported;
    EXPECT_EQ(0, TSL_NET_DEV_ImportConfigFileAsync(dev.handle, file.path.c_str(), imported.Callback()));
    EXPECT_EQ((std::vector<int>{3333, 6666, 10000, 0}), imported.WaitForEnd());
    EXPECT_EQ(-1, TSL_NET_DEV_ImportConfigFileAsync(999, file.path.c_str(), imported.Callback()));
}

namespace {
std::mutex g_mutex;
std::vector<std::pair<int, void*>> g_calls;
void PointerProgress(int, int value, void* context) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_calls.emplace_back(value, context);
}
}  // namespace

TEST(Transfers, PointerFormReadsTheContextAtEachCall) {
    SimLogin dev(100);
    int context = 0;
    TSL_NET_DEV_SetContext(dev.handle, &context);
    TempFile file("fw.bin");
    file.Write(Pattern(1500));
    ASSERT_EQ(0, TSL_NET_DEV_StartUpgrade(dev.handle, file.path.c_str(), PointerProgress));
    ASSERT_EQ(0, TSL_NET_DEV_StartUpgrade(dev.handle, file.path.c_str(),
                                          static_cast<TSL_ProgressCallback>(nullptr)));
    std::lock_guard<std::mutex> lock(g_mutex);
    ASSERT_EQ(3u, g_calls.size());
    EXPECT_EQ(0, g_calls.back().first);
    for (auto& call : g_calls) EXPECT_EQ(&context, call.second);
}
