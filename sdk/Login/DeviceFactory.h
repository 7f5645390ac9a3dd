#pragma once

#include <memory>

#include "Base/Device.h"

namespace tsl {

// The family object for a device type code (100 to 105).
std::shared_ptr<Device> CreateFamilyDevice(int type, const char* ip, uint32_t port);

}  // namespace tsl
