#pragma once

#include "Base/Family.h"
#include "Base/Request.h"
#include "TslUit.h"

namespace tsl {

namespace uit {
constexpr uint32_t Command(uint32_t n) {
    return (105u << 16) + n;
}
// The reads send no key: the request is a zero record.
constexpr Operation kGetManufInfo{Command(1), Payload::Zero, sizeof(Np_UitManufInfo),
                                  sizeof(Np_UitManufInfo)};
constexpr Operation kSetManufInfo{Command(2), Payload::Whole, sizeof(Np_UitManufInfo), 0};
constexpr Operation kDeleteManufInfo{Command(3), Payload::None, 0, 0};
constexpr Operation kGetServerInfo{Command(4), Payload::Zero, sizeof(Np_UitServerInfo),
                                   sizeof(Np_UitServerInfo)};
constexpr Operation kSetServerInfo{Command(5), Payload::Whole, sizeof(Np_UitServerInfo), 0};
constexpr Operation kDeleteServerInfo{Command(6), Payload::None, 0, 0};
constexpr Operation kGetEvent{1035, Payload::Whole, sizeof(Np_EventQuery), sizeof(Np_UitEventList)};
}  // namespace uit

class UitDevice : public EventDevice<Np_UitEventInfo> {
  public:
    UitDevice(const char* ip, uint32_t port) : EventDevice<Np_UitEventInfo>(ip, port, 105) {}

    int32_t SetEventCallbackPtr(EventCallbackPtr callback) { return SetEventCallback(Adapt(callback)); }
    int32_t SetEventCallbackFullPtr(EventCallbackPtr callback) {
        return SetEventCallbackFull(Adapt(callback));
    }

    int32_t GetManufInfo(Np_UitManufInfo* info) { return Run(uit::kGetManufInfo, nullptr, info); }
    int32_t SetManufInfo(const Np_UitManufInfo& info) { return Run(uit::kSetManufInfo, &info); }
    int32_t DeleteManufInfo() { return Run(uit::kDeleteManufInfo); }
    int32_t GetServerInfo(Np_UitServerInfo* info) { return Run(uit::kGetServerInfo, nullptr, info); }
    int32_t SetServerInfo(const Np_UitServerInfo& info) { return Run(uit::kSetServerInfo, &info); }
    int32_t DeleteServerInfo() { return Run(uit::kDeleteServerInfo); }
    int32_t GetEvent(const Np_EventQuery& query, Np_UitEventList* list) {
        return Run(uit::kGetEvent, &query, list);
    }

  private:
    int32_t Run(const Operation& op, const void* in = nullptr, void* out = nullptr) {
        return Perform(*this, IdentityModule::Uit, op, in, 0, out);
    }
};

}  // namespace tsl
