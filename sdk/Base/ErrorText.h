#pragma once

#include <cstdint>
#include <string_view>

namespace tsl {

// Text of a status code; codes without their own text get the fallback. The
// views point at literals that live as long as the process.
std::string_view GetErrorCodeText(int32_t code);

// A device's result code c (not 0) as a status: -1000 - c for the codes a
// device sends (1 and up); any other (0 or below, or too large to map) is
// -18, never a code of the SDK's own such as -1 "invalid handle".
int32_t DeviceRefusal(int32_t code);

}  // namespace tsl
