#pragma once

#include "Base/Family.h"
#include "Base/Request.h"
#include "TslFpr.h"

namespace tsl {

// Command codes of this family carry the type code in their high half.
constexpr uint32_t FprCommand(uint32_t n) {
    return (104u << 16) + n;
}

class FprDevice : public EventDevice<Np_FprEventInfo> {
  public:
    FprDevice(const char* ip, uint32_t port) : EventDevice<Np_FprEventInfo>(ip, port, 104) {}

    // Every fingerprint-reader request; the operations are the rows in FprDevice.cpp.
    int32_t Run(const Operation& op, const void* in, void* out) {
        return Perform(*this, IdentityModule::Fpr, op, in, 0, out);
    }

  protected:
    bool Accepts(uint32_t cmd) const override { return cmd == kEventCommand; }

  private:
    static constexpr uint32_t kEventCommand = 1800;
};

}  // namespace tsl
