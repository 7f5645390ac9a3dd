#pragma once

#include "Base/Device.h"
#include "Base/Request.h"
#include "TslNtp.h"

namespace tsl {

namespace ntp {
// The caller's record is not sent: the request is 128 zero bytes.
constexpr Operation kGetDeviceLocationInfo{(103u << 16) + 1, Payload::Zero, sizeof(Np_NtpLocationInfo),
                                           sizeof(Np_NtpLocationInfo)};
}  // namespace ntp

// Pushed messages are deciphered and ignored (the base handler).
class NtpDevice : public Device {
  public:
    NtpDevice(const char* ip, uint32_t port) : Device(ip, port) { setType(103); }

    int32_t GetDeviceLocationInfo(Np_NtpLocationInfo* info) {
        return Perform(*this, IdentityModule::Ntp, ntp::kGetDeviceLocationInfo, nullptr, 0, info);
    }
};

}  // namespace tsl
