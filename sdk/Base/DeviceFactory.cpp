#include "Base/DeviceFactory.h"

#include "Fpr/FprDevice.h"
#include "IoT/IoTDevice.h"

namespace tsl {

// The families not yet served by a class of their own are plain devices.
std::shared_ptr<Device> CreateFamilyDevice(int type, const char* ip, uint32_t port) {
    switch (type) {
        case 101: return std::make_shared<IoTDevice>(ip, port);
        case 104: return std::make_shared<FprDevice>(ip, port);
        default: {
            auto device = std::make_shared<Device>(ip, port);
            device->setType(static_cast<uint32_t>(type));
            return device;
        }
    }
}

}  // namespace tsl
