#include "Login/DeviceFactory.h"

#include "Acc/AccDevice.h"
#include "Fpr/FprDevice.h"
#include "Fsu/FsuDevice.h"
#include "IoT/IoTDevice.h"
#include "Ntp/NtpDevice.h"
#include "Uit/UitDevice.h"

namespace tsl {

std::shared_ptr<Device> CreateFamilyDevice(int type, const char* ip, uint32_t port) {
    switch (type) {
        case 100:
            return std::make_shared<AccDevice>(ip, port);
        case 101:
            return std::make_shared<IoTDevice>(ip, port);
        case 102:
            return std::make_shared<FsuDevice>(ip, port);
        case 103: {
            auto device = std::make_shared<NtpDevice>(ip, port);
            device->setType(103);
            return device;
        }
        case 104:
            return std::make_shared<FprDevice>(ip, port);
        case 105:
            return std::make_shared<UitDevice>(ip, port);
        default:
            return nullptr;
    }
}

}  // namespace tsl
