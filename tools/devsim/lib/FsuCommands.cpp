// What a monitoring unit (type 102) answers, beyond the common set.
//
// Record groups (key: request byte 0 unless said otherwise): "fsuUser" 64,
// "fsuIpBind" 96 and "fsuMacBind" 96 (one each), "fsuDeviceInfo" 32,
// "fsuModbusParams" 64, "fsuModbusValues" 512 (4019 stores "fsuModbusWrite"),
// "fsuRegisterParams" 640, "fsuRegisterSingle" (key bytes 0-2), "fsuAnalog"
// 96, "fsuCalibrate" 64, "fsuAnalogData" 80, "fsuRs485" 48, "fsuInput" 64,
// "fsuInputState" 800, "fsuOutput" 64, "fsuOutputState" 848, "fsuIOControl"
// (what 4043 last sent per output), "fsuLinkage" 32, the history pages
// "fsuModbusHistory", "fsuAnalogHistory", "fsuInputHistory",
// "fsuOutputHistory" 892, "event" 412 (1035), "fsuRegisterMap" 256,
// "fsuRegisterDesc" 1025, "fsuAlarmFilter" 48.
//
// 4060 and 4061 serve two tables. A 32-byte read whose bytes 1 and 2 are zero
// is an alarm filter read; any other one reads the register table record at
// key bytes 0-2 ("fsuModbusRow"), answering status byte 1 where there is none.
// A 48-byte write stores an alarm filter, a 576-byte one appends a register
// table record at the next key in export order (a 1-12, b 1-24, c 0-8).
// 4063 stores the head ("fsuModbusHead", 1024) and empties the records; 4064
// clears the head.
//
// Structure file: chunks of 4059 (index from 0, length, data) collect into an
// upload that the end chunk (length 0) commits as "fsuStructFile" (empty key);
// 4058 answers block n of the committed file (tag n, length, data).
#include <algorithm>

#include "DevSim.h"
#include "SimState.h"

namespace devsim {

namespace {

constexpr uint32_t kStructRead = 4058;
constexpr uint32_t kStructWrite = 4059;
constexpr uint32_t kRowRead = 4060;
constexpr uint32_t kRowWrite = 4061;
constexpr uint32_t kHeadWrite = 4063;

constexpr size_t kKeySize = 32;
constexpr size_t kAlarmFilterSize = 48;
constexpr size_t kRowSize = 576;
constexpr size_t kTableHeadSize = 1024;
constexpr size_t kBlockSize = 1024;
constexpr size_t kChunkSize = 8 + kBlockSize;
constexpr size_t kRowsPerB = 9, kRowsPerA = 24 * kRowsPerB, kMaxRows = 12 * kRowsPerA;
constexpr int32_t kResultStorageFull = 9;

const std::string kAlarmFilter = "fsuAlarmFilter";
const std::string kRows = "fsuModbusRow";
const std::string kHead = "fsuModbusHead";
const std::string kStructFile = "fsuStructFile";
const std::string kStructUpload = "fsuStructUpload";

Bytes RowKey(size_t n) {
    return {static_cast<uint8_t>(1 + n / kRowsPerA), static_cast<uint8_t>(1 + n / kRowsPerB % 24),
            static_cast<uint8_t>(n % kRowsPerB)};
}

void AddFsuCommands(SimDevice& d) {
    using R = CommandRule;
    struct Line {
        uint32_t cmd;
        CommandRule rule;
    };
    const Line table[] = {
        {4001, {R::Record, 64, "fsuUser", 0, 1}},
        {4002, {R::Erase, 0, "fsuUser", 0, 1}},
        {4003, {R::Store, 0, "fsuUser", 0, 1}},
        {4004, {R::EraseAll, 0, "fsuUser"}},
        {4005, {R::Record, 96, "fsuIpBind"}},
        {4006, {R::Store, 0, "fsuIpBind"}},
        {4007, {R::EraseAll, 0, "fsuIpBind"}},
        {4008, {R::Record, 96, "fsuMacBind"}},
        {4009, {R::Store, 0, "fsuMacBind"}},
        {4010, {R::EraseAll, 0, "fsuMacBind"}},
        {4011, {R::Record, 32, "fsuDeviceInfo"}},
        {4012, {R::Store, 0, "fsuDeviceInfo"}},
        {4013, {R::EraseAll, 0, "fsuDeviceInfo"}},
        {4014, {R::Record, 64, "fsuModbusParams", 0, 1}},
        {4015, {R::Erase, 0, "fsuModbusParams", 0, 1}},
        {4016, {R::Store, 0, "fsuModbusParams", 0, 1}},
        {4017, {R::EraseAll, 0, "fsuModbusParams"}},
        {4018, {R::Record, 512, "fsuModbusValues", 0, 1}},
        {4019, {R::Store, 0, "fsuModbusWrite", 0, 1}},
        {4020, {R::Record, 640, "fsuRegisterParams", 0, 1}},
        {4021, {R::Erase, 0, "fsuRegisterParams", 0, 1}},
        {4022, {R::Store, 0, "fsuRegisterParams", 0, 1}},
        {4023, {R::EraseAll, 0, "fsuRegisterParams"}},
        {4024, {R::Record, 96, "fsuAnalog", 0, 1}},
        {4025, {R::Erase, 0, "fsuAnalog", 0, 1}},
        {4026, {R::Store, 0, "fsuAnalog", 0, 1}},
        {4027, {R::EraseAll, 0, "fsuAnalog"}},
        {4028, {R::Record, 64, "fsuCalibrate"}},
        {4029, {R::Store, 0, "fsuCalibrate"}},
        {4030, {R::EraseAll, 0, "fsuCalibrate"}},
        {4031, {R::Record, 80, "fsuAnalogData", 0, 1}},
        {4032, {R::Record, 48, "fsuRs485", 0, 1}},
        {4033, {R::Store, 0, "fsuRs485", 0, 1}},
        {4034, {R::EraseAll, 0, "fsuRs485"}},
        {4035, {R::Record, 64, "fsuInput", 0, 1}},
        {4036, {R::Store, 0, "fsuInput", 0, 1}},
        {4037, {R::EraseAll, 0, "fsuInput"}},
        {4038, {R::Record, 800, "fsuInputState"}},
        {4039, {R::Record, 64, "fsuOutput", 0, 1}},
        {4040, {R::Store, 0, "fsuOutput", 0, 1}},
        {4041, {R::EraseAll, 0, "fsuOutput"}},
        {4042, {R::Record, 848, "fsuOutputState"}},
        {4043, {R::Store, 0, "fsuIOControl", 0, 1}},
        {4044, {R::Record, 32, "fsuLinkage", 0, 1}},
        {4045, {R::Erase, 0, "fsuLinkage", 0, 1}},
        {4046, {R::Store, 0, "fsuLinkage", 0, 1}},
        {4047, {R::EraseAll, 0, "fsuLinkage"}},
        {4048, {R::Erase, 0, "fsuRegisterSingle", 0, 3}},
        {4049, {R::Store, 0, "fsuRegisterSingle", 0, 3}},
        {4050, {R::Record, 892, "fsuModbusHistory"}},
        {4051, {R::Record, 892, "fsuAnalogHistory"}},
        {4052, {R::Record, 892, "fsuInputHistory"}},
        {4053, {R::Record, 892, "fsuOutputHistory"}},
        {1035, {R::Record, 412, "event"}},
        {4054, {R::Record, 256, "fsuRegisterMap", 0, 1}},
        {4055, {R::Erase, 0, "fsuRegisterMap", 0, 1}},
        {4056, {R::Store, 0, "fsuRegisterMap", 0, 1}},
        {4057, {R::EraseAll, 0, "fsuRegisterMap"}},
        {4062, {R::Record, 1024, kHead}},
        {4064, {R::EraseAll, 0, kHead}},
        {4065, {R::Record, 1025, "fsuRegisterDesc", 0, 1}},
        {4066, {R::Erase, 0, "fsuRegisterDesc", 0, 1}},
        {4067, {R::Store, 0, "fsuRegisterDesc", 0, 1}},
        {4068, {R::EraseAll, 0, "fsuRegisterDesc"}},
    };
    for (const Line& line : table) d.SetRule(line.cmd, line.rule);

    SimDevice::State* s = d.state().get();  // handlers live in the state they point to

    d.SetHandler(kRowRead, [s](const Request& r) -> std::optional<Bytes> {
        if (r.plain.size() != kKeySize) return StatusPayload(kResultLengthMismatch);
        std::lock_guard<std::mutex> lock(s->mutex);
        if (r.plain[1] == 0 && r.plain[2] == 0) {
            auto& group = s->store[kAlarmFilter];
            auto e = group.find(Bytes{r.plain[0]});
            Bytes record = e != group.end() ? e->second : Bytes{r.plain[0]};
            record.resize(kAlarmFilterSize, 0);
            return StatusPayload(0, record);
        }
        auto& rows = s->store[kRows];
        auto e = rows.find(Bytes(r.plain.begin(), r.plain.begin() + 3));
        Bytes record(kRowSize, 0);
        if (e != rows.end())
            std::copy_n(e->second.begin(), std::min(kRowSize, e->second.size()), record.begin());
        record[0] = e != rows.end() ? 0 : 1;
        return StatusPayload(0, record);
    });
    d.SetHandler(kRowWrite, [s](const Request& r) -> std::optional<Bytes> {
        std::lock_guard<std::mutex> lock(s->mutex);
        if (r.plain.size() == kAlarmFilterSize) {
            s->store[kAlarmFilter][Bytes{r.plain[0]}] = r.plain;
            return StatusPayload(0);
        }
        if (r.plain.size() != kRowSize) return StatusPayload(kResultLengthMismatch);
        auto& rows = s->store[kRows];
        if (rows.size() >= kMaxRows) return StatusPayload(kResultStorageFull);
        rows[RowKey(rows.size())] = r.plain;
        return StatusPayload(0);
    });
    d.SetHandler(kHeadWrite, [s](const Request& r) -> std::optional<Bytes> {
        if (r.plain.size() != kTableHeadSize) return StatusPayload(kResultLengthMismatch);
        std::lock_guard<std::mutex> lock(s->mutex);
        s->store[kHead][Bytes{}] = r.plain;
        s->store.erase(kRows);
        return StatusPayload(0);
    });

    d.SetHandler(kStructWrite, [s](const Request& r) -> std::optional<Bytes> {
        if (r.plain.size() != kChunkSize) return StatusPayload(kResultLengthMismatch);
        const uint32_t index = GetU32(r.plain.data());
        const uint32_t length = GetU32(r.plain.data() + 4);
        if (length > kBlockSize) return StatusPayload(kResultInvalidParam);
        std::lock_guard<std::mutex> lock(s->mutex);
        Bytes& upload = s->store[kStructUpload][Bytes{}];
        if (index == 0) upload.clear();
        if (upload.size() != size_t(index) * kBlockSize && length != 0)
            return StatusPayload(kResultInvalidParam);
        if (length == 0) {
            s->store[kStructFile][Bytes{}] = upload;
            upload.clear();
        } else {
            upload.insert(upload.end(), r.plain.begin() + 8, r.plain.begin() + 8 + length);
        }
        return StatusPayload(0);
    });
    d.SetHandler(kStructRead, [s](const Request& r) -> std::optional<Bytes> {
        if (r.plain.size() != kKeySize) return StatusPayload(kResultLengthMismatch);
        const size_t index = GetU32(r.plain.data());
        std::lock_guard<std::mutex> lock(s->mutex);
        const Bytes& file = s->store[kStructFile][Bytes{}];
        const size_t from = std::min(file.size(), index * kBlockSize);
        const size_t n = std::min(kBlockSize, file.size() - from);
        Bytes block(kChunkSize, 0);
        PutU32(block.data(), static_cast<uint32_t>(index));
        PutU32(block.data() + 4, static_cast<uint32_t>(n));
        std::copy_n(file.begin() + from, n, block.begin() + 8);
        return StatusPayload(0, block);
    });
}

const bool registered = RegisterFamily(102, AddFsuCommands);

}  // namespace

}  // namespace devsim
