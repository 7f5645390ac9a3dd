#pragma once

#include <cstdint>
#include <string_view>

namespace tsl {

// Text of a status code; codes without their own text get the fallback. The
// views point at literals that live as long as the process.
std::string_view GetErrorCodeText(int32_t code);

}  // namespace tsl
