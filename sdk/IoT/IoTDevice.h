#pragma once

#include "Base/Family.h"
#include "Base/Request.h"
#include "TslIoT.h"

namespace tsl {

class IoTDevice : public EventDevice<Np_LinkageEventInfo> {
  public:
    IoTDevice(const char* ip, uint32_t port) : EventDevice<Np_LinkageEventInfo>(ip, port, 101) {}

    // Every IoT request; the operations are the rows in IoTDevice.cpp.
    int32_t Run(const Operation& op, const void* in, uint32_t key, void* out) {
        return Perform(*this, IdentityModule::IoT, op, in, key, out);
    }
};

}  // namespace tsl
