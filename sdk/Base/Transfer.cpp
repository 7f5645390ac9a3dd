// Firmware upgrade and configuration export/import, block by block.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "Base/Device.h"
#include "Base/ReplacingFile.h"

namespace tsl {

namespace {

constexpr uint32_t kCmdUpgradeStart = 1029;
constexpr uint32_t kCmdUpgradeStop = 1030;
constexpr uint32_t kCmdUpgradeData = 1031;
constexpr uint32_t kCmdExportBlock = 1045;
constexpr uint32_t kCmdImportBlock = 1046;
constexpr uint32_t kConfigBlockSize = 1028;
constexpr uint32_t kLastBlockState = 2;
// A configuration is a few dozen blocks; this is far beyond any.
constexpr uint64_t kMaxImportSize = uint64_t(65536) * kConfigBlockSize;

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

void Report(const Device::Progress& progress, int handle, int value) {
    if (progress) progress(handle, value);
}

int32_t Finish(const Device::Progress& progress, int handle, int32_t status) {
    Report(progress, handle, status);
    return status;
}

void PutU32(uint8_t* p, uint32_t v) {
    std::memcpy(p, &v, 4);
}
uint32_t GetU32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

}  // namespace

int32_t Device::StartUpgrade(const char* path, const Progress& progress) {
    const int h = handle();
    File file(path ? std::fopen(path, "rb") : nullptr);
    if (!file) return Finish(progress, h, ERR_FILE_OPEN);
    if (fseeko(file.get(), 0, SEEK_END) != 0) return Finish(progress, h, ERR_FILE_OPEN);
    off_t end = ftello(file.get());
    // The size travels as 32 bits: a larger file cannot be announced.
    if (end < 0 || end > static_cast<off_t>(UINT32_MAX) || fseeko(file.get(), 0, SEEK_SET) != 0)
        return Finish(progress, h, ERR_FILE_OPEN);
    const uint32_t size = static_cast<uint32_t>(end);

    // Cleared before the start request, so a stop pressed meanwhile counts.
    upgradeStop = false;
    uint8_t start[32] = {};
    PutU32(start, size);
    uint8_t startReply[32] = {};
    int32_t status =
        Call(IdentityModule::Common, kCmdUpgradeStart, start, sizeof start, startReply, sizeof startReply);
    if (status != 0) {
        upgradeStop = true;
        return Finish(progress, h, status);
    }
    const uint32_t transferId = GetU32(startReply);
    const uint32_t chunk = type() == 104 ? 51200 : 1024;
    std::vector<uint8_t> data(8 + chunk);
    PutU32(data.data(), transferId);
    uint64_t sent = 0;
    for (;;) {
        if (upgradeStop.load()) {
            uint8_t stop[32] = {};
            PutU32(stop, transferId);
            Call(IdentityModule::Common, kCmdUpgradeStop, stop, sizeof stop);
            return Finish(progress, h, ERR_UPGRADE_INTERRUPTED);
        }
        size_t n = std::fread(data.data() + 8, 1, chunk, file.get());
        if (n == 0) {
            if (std::ferror(file.get())) return Finish(progress, h, ERR_FILE_OPEN);
            break;
        }
        PutU32(data.data() + 4, static_cast<uint32_t>(n));
        sent += n;
        status = Call(IdentityModule::Common, kCmdUpgradeData, data.data(), static_cast<uint32_t>(8 + n));
        if (status != 0) return Finish(progress, h, status);
        uint64_t value = size ? sent * 10000 / size : 10000;
        if (value < 1) value = 1;
        if (value > 10000) value = 10000;
        Report(progress, h, static_cast<int>(value));
        if (n < chunk && std::feof(file.get())) break;
    }
    return Finish(progress, h, 0);
}

int32_t Device::ExportConfigFile(const char* path, const Progress& progress) {
    const int h = handle();
    // Written beside the target: a refused, dropped or stopped export leaves
    // the previous backup as it was, never a cut one.
    ReplacingFile file(path);
    if (!file.open()) return Finish(progress, h, ERR_FILE_OPEN);
    // Gone before the last call: a caller looking at the folder then finds
    // no temporary beside its file.
    auto fail = [&](int32_t status) {
        file.abandon();
        return Finish(progress, h, status);
    };
    exportStop = false;
    auto request = [](uint8_t* out, uint32_t index, uint32_t mode) {
        std::memset(out, 0, 28);
        PutU32(out, 0xFFFFFFFFu);
        PutU32(out + 4, index);
        PutU32(out + 12, mode);
    };
    uint8_t req[28];
    std::vector<uint8_t> block(kConfigBlockSize);
    for (uint32_t i = 0; !exportStop.load(); ++i) {
        request(req, i, i == 0 ? 0 : 1);
        int32_t status =
            Call(IdentityModule::Common, kCmdExportBlock, req, sizeof req, block.data(), kConfigBlockSize);
        if (status != 0) return fail(status);
        if (GetU32(block.data() + 4) != i) return fail(ERR_SDK_UNKNOWN);
        if (!file.write(block.data(), kConfigBlockSize)) return fail(ERR_FILE_OPEN);
        Report(progress, h, static_cast<int>(i + 1));
        if (GetU32(block.data() + 12) == kLastBlockState)
            return file.commit() ? Finish(progress, h, 0) : fail(ERR_FILE_OPEN);
    }
    request(req, 0, 3);
    Call(IdentityModule::Common, kCmdExportBlock, req, sizeof req);
    return fail(ERR_EXPORT_STOPPED);
}

int32_t Device::ImportConfigFile(const char* path, const Progress& progress) {
    const int h = handle();
    // Cleared first, as upgrade and export do: a stop pressed while the file
    // is read counts.
    importStop = false;
    std::vector<uint8_t> content;
    {
        File file(path ? std::fopen(path, "rb") : nullptr);
        if (!file) return Finish(progress, h, ERR_FILE_OPEN);
        // The whole file is held in memory: one that cannot be a
        // configuration is refused before it is read.
        struct stat st;
        if (fstat(fileno(file.get()), &st) == 0 && S_ISREG(st.st_mode)) {
            if (st.st_size % kConfigBlockSize != 0 || static_cast<uint64_t>(st.st_size) > kMaxImportSize)
                return Finish(progress, h, ERR_FILE_OPEN);
            content.reserve(static_cast<size_t>(st.st_size));
        }
        uint8_t buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, file.get())) > 0) {
            if (content.size() + n > kMaxImportSize) return Finish(progress, h, ERR_FILE_OPEN);
            content.insert(content.end(), buf, buf + n);
        }
        if (std::ferror(file.get())) return Finish(progress, h, ERR_FILE_OPEN);
    }
    if (content.size() % kConfigBlockSize != 0) return Finish(progress, h, ERR_FILE_OPEN);
    const uint64_t count = content.size() / kConfigBlockSize;
    for (uint64_t k = 1; k <= count; ++k) {
        if (importStop.load()) return Finish(progress, h, ERR_IMPORT_STOPPED);
        int32_t status = Call(IdentityModule::Common, kCmdImportBlock,
                              content.data() + (k - 1) * kConfigBlockSize, kConfigBlockSize);
        if (status != 0) return Finish(progress, h, status);
        Report(progress, h, static_cast<int>(10000 * k / count));
    }
    return Finish(progress, h, 0);
}

}  // namespace tsl
