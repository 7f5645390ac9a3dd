#pragma once

#include <cstdint>
#include <functional>

#include "Base/CallbackSlot.h"
#include "Base/Family.h"
#include "Base/Request.h"
#include "TslFsu.h"

namespace tsl {

class FsuDevice : public EventDevice<Np_FsuEventInfo> {
  public:
    template <class Record>
    using DataCallback = std::function<void(int handle, Record record)>;
    template <class Record>
    using DataCallbackPtr = void (*)(int handle, const Record* record, void* context);

    static constexpr uint32_t kStructBlockSize = 1024;
    static constexpr uint32_t kStructReadLimit = 10 * kStructBlockSize;
    static constexpr int kStructWriteLimit = 20 * kStructBlockSize;

    FsuDevice(const char* ip, uint32_t port) : EventDevice<Np_FsuEventInfo>(ip, port, 102) {}
    ~FsuDevice() override;

    int32_t Perform(const Operation& op, const void* in = nullptr, uint32_t key = 0, void* out = nullptr) {
        return tsl::Perform(*this, IdentityModule::Fsu, op, in, key, out);
    }

    // Data slots only store: no request goes to the device.
    int32_t SetModbusDataCallback(DataCallback<Np_FsuModbusData> callback);
    int32_t SetAnalogDataCallback(DataCallback<Np_FsuAnalogData> callback);
    int32_t SetInputDataCallback(DataCallback<Np_FsuInputData> callback);
    int32_t SetOutputDataCallback(DataCallback<Np_FsuOutputData> callback);

    // The wrapper holds the function and the context of this moment, never
    // the device, so that it cannot keep its device alive.
    template <class Record>
    DataCallback<Record> AdaptData(DataCallbackPtr<Record> callback) const {
        if (!callback) return {};
        void* context = reinterpret_cast<void*>(static_cast<uintptr_t>(this->context()));
        return [callback, context](int handle, Record record) { callback(handle, &record, context); };
    }

    void OnEvent(EventMessage message) override;

    // `buffer` holds kStructReadLimit bytes; blocks are stored one after the
    // other and `length` counts the bytes stored.
    int32_t GetStructFile(uint8_t* buffer, uint32_t* length);
    int32_t SetStructFile(const uint8_t* data, int length);

    int32_t ModbusExportCsv(const char* path);
    int32_t ModbusImportCsv(const char* path);

  private:
    template <class Record>
    void Deliver(CallbackSlot<DataCallback<Record>>& slot, const EventMessage& message);

    // Destroyed in reverse: output, input, analog, Modbus, then the base's
    // event slot.
    CallbackSlot<DataCallback<Np_FsuModbusData>> modbusData_;
    CallbackSlot<DataCallback<Np_FsuAnalogData>> analogData_;
    CallbackSlot<DataCallback<Np_FsuInputData>> inputData_;
    CallbackSlot<DataCallback<Np_FsuOutputData>> outputData_;
};

}  // namespace tsl
