// The payload decoder on arbitrary text: it must never read or write out of
// bounds, and whatever it accepts must come back unchanged through the encoder.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "Base/Codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20) return 0;
    const int32_t count = static_cast<int32_t>(size);

    // Into a separate area exactly as long as the text, and in place.
    // One spare byte each, so that no area is empty (memcmp wants real pointers).
    std::vector<uint8_t> out(size + 1);
    uint32_t plain = 0;
    const bool decoded = tsl::DecodePayload(data, count, out.data(), &plain) == 0;
    std::vector<uint8_t> inPlace(data, data + size);
    inPlace.push_back(0);
    uint32_t plainInPlace = 0;
    const bool decodedInPlace = tsl::DecodePayload(inPlace.data(), count, inPlace.data(), &plainInPlace) == 0;
    if (decoded != decodedInPlace) std::abort();
    if (decoded) {
        if (plain != plainInPlace || plain > size || std::memcmp(out.data(), inPlace.data(), plain) != 0)
            std::abort();
        std::vector<uint8_t> text(tsl::EncodedPayloadSize(plain) + 1);
        uint32_t encoded = 0;
        if (tsl::EncodePayload(out.data(), static_cast<int32_t>(plain), text.data(), &encoded) != 0)
            std::abort();
        std::vector<uint8_t> back(encoded + 1);
        uint32_t again = 0;
        if (tsl::DecodePayload(text.data(), static_cast<int32_t>(encoded), back.data(), &again) != 0 ||
            again != plain || std::memcmp(back.data(), out.data(), plain) != 0)
            std::abort();
    }

    try {
        tsl::Base64Decode(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const std::runtime_error&) {
    }
    return 0;
}
