// Login: where the device table meets the families. The only export that
// needs to know every family class, so the core itself needs none of them.
#include <memory>

#include "Base/DeviceTable.h"
#include "Login/DeviceFactory.h"
#include "TslDev.h"

using namespace tsl;

TSL_EXTERN_C TSL_API int TSL_NET_DEV_Login(int deviceType, const char* ip, int port, const char* user,
                                           const char* password, int timeoutMs, Np_LoginInfo* info) {
    try {
        if (deviceType < 100 || deviceType > 105) return ERR_DEVICE_TYPE;
        // Cut to 16 bits, 65536 + p would log in on port p.
        if (port < 1 || port > 65535) return ERR_CONNECT_TIMEOUT;
        std::shared_ptr<Device> device = CreateFamilyDevice(deviceType, ip, static_cast<uint32_t>(port));
        device->setTimeoutMs(timeoutMs);
        if (device->Connect() != 0) return ERR_CONNECT_TIMEOUT;
        int32_t status = device->Login(user, password, info);
        if (status != 0) return status < 0 ? status : ERR_SDK_UNKNOWN;
        // 0 when no handle is free; the device then closes as it goes.
        return DeviceTable::Instance().Insert(device);
    } catch (...) {
        return ERR_SDK_UNKNOWN;
    }
}
