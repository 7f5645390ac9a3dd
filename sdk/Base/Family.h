// What the device families with a pushed event record share: the event
// callback, its subscription setters and the size check on delivery.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <utility>

#include "Base/CallbackSlot.h"
#include "Base/Device.h"

namespace tsl {

template <class Record>
class EventDevice : public Device {
  public:
    using EventCallback = std::function<void(int handle, Record record)>;
    using EventCallbackPtr = void (*)(int handle, Record* record, void* context);

    EventDevice(const char* ip, uint32_t port, uint32_t type) : Device(ip, port) { setType(type); }
    // Whatever the callback holds goes before the connection and its threads
    // (no delivery can run now: each holds the device).
    ~EventDevice() override { eventCallback_.Set({}); }

    // A callback subscribes and is kept only if the device accepts; an empty
    // one unsubscribes and is cleared whatever the device answers.
    int32_t SetEventCallback(EventCallback callback) { return SetCallback(std::move(callback), 1); }
    int32_t SetEventCallbackFull(EventCallback callback) { return SetCallback(std::move(callback), 2); }

    // The pointer form: the context is the one set when the callback is.
    EventCallback Adapt(EventCallbackPtr callback) const {
        if (!callback) return {};
        void* context = reinterpret_cast<void*>(static_cast<uintptr_t>(this->context()));
        return [callback, context](int handle, Record record) { callback(handle, &record, context); };
    }

    void OnEvent(EventMessage message) override {
        if (Accepts(message.cmd)) DeliverRecord(message);
    }

  protected:
    // Families that also look at the command id override this.
    virtual bool Accepts(uint32_t /*cmd*/) const { return true; }

    bool DeliverRecord(const EventMessage& message) {
        if (message.payload.size() != sizeof(Record)) return false;
        Record record;
        std::memcpy(&record, message.payload.data(), sizeof record);
        if (!registered()) return false;
        bool called = false;
        CallBack([&] { called = eventCallback_.Invoke(handle(), record); });
        return called;
    }

  private:
    int32_t SetCallback(EventCallback callback, uint8_t mode) {
        if (callback) {
            int32_t status = Subscribe(mode);
            if (status == 0) eventCallback_.Set(std::move(callback));
            return status;
        }
        int32_t status = Unsubscribe();
        eventCallback_.Set({});
        return status;
    }

    CallbackSlot<EventCallback> eventCallback_;
};

}  // namespace tsl
