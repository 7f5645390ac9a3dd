// Firmware upgrade and configuration export/import as a device sees them.
#include <algorithm>

#include "DevSim.h"
#include "SimState.h"

namespace devsim {

namespace {

constexpr uint32_t kUpgradeStart = 1029;
constexpr uint32_t kUpgradeStop = 1030;
constexpr uint32_t kUpgradeData = 1031;
constexpr uint32_t kExportBlock = 1045;
constexpr uint32_t kImportBlock = 1046;
constexpr uint32_t kExportStop = 3;
constexpr uint32_t kLastBlock = 2;
constexpr uint32_t kMoreBlocks = 1;

Upgrade* FindUpgrade(SimDevice::State& s, uint32_t id) {
    for (Upgrade& u : s.upgrades)
        if (u.id == id) return &u;
    return nullptr;
}

Bytes Block(const SimDevice::State& s, uint32_t index) {
    Bytes block(kConfigBlockSize, 0);
    PutU32(block.data() + 4, index);
    PutU32(block.data() + 12, index + 1 == s.exportData.size() ? kLastBlock : kMoreBlocks);
    const Bytes& data = s.exportData[index];
    std::copy_n(data.begin(), std::min(data.size(), kConfigDataSize), block.begin() + 16);
    return block;
}

}  // namespace

void AddTransferHandlers(SimDevice& d) {
    SimDevice::State* s = d.state().get();  // handlers live in the state they point to
    {
        std::lock_guard<std::mutex> lock(s->mutex);
        for (uint32_t i = 0; i < 3; ++i) {
            Bytes data(kConfigDataSize);
            for (size_t j = 0; j < data.size(); ++j) data[j] = static_cast<uint8_t>(i * 7 + j);
            s->exportData.push_back(std::move(data));
        }
    }

    d.SetHandler(kUpgradeStart, [s](const Request& r) -> std::optional<Bytes> {
        if (r.plain.size() < 4) return StatusPayload(kResultLengthMismatch);
        std::lock_guard<std::mutex> lock(s->mutex);
        Upgrade u;
        u.id = s->nextUpgradeId++;
        u.size = GetU32(r.plain.data());
        s->upgrades.push_back(u);
        Bytes record(32, 0);
        PutU32(record.data(), u.id);
        return StatusPayload(0, record);
    });
    d.SetHandler(kUpgradeData, [s](const Request& r) -> std::optional<Bytes> {
        if (r.plain.size() < 8) return StatusPayload(kResultLengthMismatch);
        uint32_t n = GetU32(r.plain.data() + 4);
        if (n > r.plain.size() - 8) return StatusPayload(kResultLengthMismatch);
        std::lock_guard<std::mutex> lock(s->mutex);
        Upgrade* u = FindUpgrade(*s, GetU32(r.plain.data()));
        if (!u) return StatusPayload(kResultInvalidParam);
        u->data.insert(u->data.end(), r.plain.begin() + 8, r.plain.begin() + 8 + n);
        u->chunks.push_back(n);
        return StatusPayload(0);
    });
    d.SetHandler(kUpgradeStop, [s](const Request& r) -> std::optional<Bytes> {
        if (r.plain.size() < 4) return StatusPayload(kResultLengthMismatch);
        std::lock_guard<std::mutex> lock(s->mutex);
        Upgrade* u = FindUpgrade(*s, GetU32(r.plain.data()));
        if (!u) return StatusPayload(kResultInvalidParam);
        u->stopped = true;
        return StatusPayload(0);
    });
    d.SetHandler(kExportBlock, [s](const Request& r) -> std::optional<Bytes> {
        if (r.plain.size() < 16) return StatusPayload(kResultLengthMismatch);
        uint32_t index = GetU32(r.plain.data() + 4);
        uint32_t mode = GetU32(r.plain.data() + 12);
        if (mode == kExportStop) return StatusPayload(0);
        if (mode != 0 && mode != 1) return StatusPayload(kResultInvalidParam);
        std::lock_guard<std::mutex> lock(s->mutex);
        if (index >= s->exportData.size()) return StatusPayload(kResultNotFound);
        Bytes block = Block(*s, index);
        if (s->exportWrongIndex == index) PutU32(block.data() + 4, index + 1);
        return StatusPayload(0, block);
    });
    d.SetHandler(kImportBlock, [s](const Request& r) -> std::optional<Bytes> {
        if (r.plain.size() != kConfigBlockSize) return StatusPayload(kResultLengthMismatch);
        std::lock_guard<std::mutex> lock(s->mutex);
        s->imported.push_back(r.plain);
        return StatusPayload(0);
    });
}

std::vector<Upgrade> SimDevice::Upgrades() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->upgrades;
}

void SimDevice::SetExportData(std::vector<Bytes> data) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->exportData = std::move(data);
}

void SimDevice::SetExportWrongIndex(std::optional<uint32_t> index) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->exportWrongIndex = index;
}

std::vector<Bytes> SimDevice::ExportBlocks() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    std::vector<Bytes> blocks;
    for (uint32_t i = 0; i < state_->exportData.size(); ++i) blocks.push_back(Block(*state_, i));
    return blocks;
}

std::vector<Bytes> SimDevice::ImportedBlocks() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->imported;
}

}  // namespace devsim
