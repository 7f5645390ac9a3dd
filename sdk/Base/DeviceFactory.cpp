#include "Base/DeviceFactory.h"

namespace tsl {

// Every type is a plain device until the family classes arrive.
std::shared_ptr<Device> CreateFamilyDevice(int type, const char* ip, uint32_t port) {
    auto device = std::make_shared<Device>(ip, port);
    device->setType(static_cast<uint32_t>(type));
    return device;
}

}  // namespace tsl
