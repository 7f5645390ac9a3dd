#include "Fsu/FsuDevice.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tsl {

namespace {

constexpr uint32_t kCmdEvent = 1800;
constexpr uint32_t kCmdModbusData = 4800;
constexpr uint32_t kCmdAnalogData = 4801;
constexpr uint32_t kCmdInputData = 4802;
constexpr uint32_t kCmdOutputData = 4803;

#pragma pack(push, 1)
struct StructBlockRequest {
    uint32_t index;
    uint8_t reserved[28];
};
struct StructBlock {
    uint32_t tag;
    int32_t length;  // 0 or less: no more data
    uint8_t data[FsuDevice::kStructBlockSize];
};
struct StructChunk {
    uint32_t index;
    uint32_t length;
    uint8_t data[FsuDevice::kStructBlockSize];
};
#pragma pack(pop)
static_assert(sizeof(StructBlockRequest) == 32, "structure file read request");
static_assert(sizeof(StructBlock) == 1032, "structure file block");
static_assert(sizeof(StructChunk) == 1032, "structure file chunk");

constexpr Operation kReadStructBlock{4058, Payload::Whole, sizeof(StructBlockRequest), sizeof(StructBlock)};
constexpr Operation kWriteStructChunk{4059, Payload::Whole, sizeof(StructChunk), 0};

}  // namespace

FsuDevice::~FsuDevice() {
    // Emptied before the connection goes; no delivery can run now, each one
    // holds the device.
    outputData_.Set({});
    inputData_.Set({});
    analogData_.Set({});
    modbusData_.Set({});
}

int32_t FsuDevice::SetModbusDataCallback(DataCallback<Np_FsuModbusData> callback) {
    modbusData_.Set(std::move(callback));
    return 0;
}

int32_t FsuDevice::SetAnalogDataCallback(DataCallback<Np_FsuAnalogData> callback) {
    analogData_.Set(std::move(callback));
    return 0;
}

int32_t FsuDevice::SetInputDataCallback(DataCallback<Np_FsuInputData> callback) {
    inputData_.Set(std::move(callback));
    return 0;
}

int32_t FsuDevice::SetOutputDataCallback(DataCallback<Np_FsuOutputData> callback) {
    outputData_.Set(std::move(callback));
    return 0;
}

template <class Record>
void FsuDevice::Deliver(CallbackSlot<DataCallback<Record>>& slot, const EventMessage& message) {
    if (message.payload.size() != sizeof(Record)) return;
    Record record;
    std::memcpy(&record, message.payload.data(), sizeof record);
    if (!registered()) return;
    CallBack([&] { slot.Invoke(handle(), record); });
}

void FsuDevice::OnEvent(EventMessage message) {
    switch (message.cmd) {
        case kCmdEvent:
            DeliverRecord(message);
            break;
        case kCmdModbusData:
            Deliver(modbusData_, message);
            break;
        case kCmdAnalogData:
            Deliver(analogData_, message);
            break;
        case kCmdInputData:
            Deliver(inputData_, message);
            break;
        case kCmdOutputData:
            Deliver(outputData_, message);
            break;
        default:
            break;
    }
}

int32_t FsuDevice::GetStructFile(uint8_t* buffer, uint32_t* length) {
    *length = 0;
    for (uint32_t index = 0; index * kStructBlockSize < kStructReadLimit; ++index) {
        StructBlockRequest request{};
        request.index = index;
        StructBlock block{};
        int32_t status = Perform(kReadStructBlock, &request, 0, &block);
        if (status != 0) return status;
        if (block.length <= 0) return 0;
        if (block.length > static_cast<int32_t>(kStructBlockSize)) return ERR_RESPONSE_LENGTH;
        // Packed after the previous block, whatever that one's length, so a
        // short block in the middle leaves no gap; ten blocks of at most
        // 1,024 bytes always fit.
        std::memcpy(buffer + *length, block.data, static_cast<size_t>(block.length));
        *length += static_cast<uint32_t>(block.length);
    }
    return 0;
}

int32_t FsuDevice::SetStructFile(const uint8_t* data, int length) {
    if (length > kStructWriteLimit) return ERR_FILE_OPEN;
    uint32_t index = 0;
    for (int offset = 0; offset < length; offset += static_cast<int>(kStructBlockSize), ++index) {
        StructChunk chunk{};
        chunk.index = index;
        chunk.length = static_cast<uint32_t>(std::min<int>(length - offset, kStructBlockSize));
        std::memcpy(chunk.data, data + offset, chunk.length);
        int32_t status = Perform(kWriteStructChunk, &chunk);
        if (status != 0) return status;
    }
    // Always closed with the end chunk, a full-sized file too: the device
    // commits the file on it.
    StructChunk end{};
    end.index = index;
    return Perform(kWriteStructChunk, &end);
}

}  // namespace tsl
