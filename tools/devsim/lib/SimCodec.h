// The simulator's own payload codec, written straight on OpenSSL so that a
// fault in the SDK's codec cannot hide behind a shared implementation.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace devsim {

using Bytes = std::vector<uint8_t>;

constexpr size_t kHeadSize = 22;

struct Head {
    uint32_t magic = 0xFFFFFFFFu;
    uint16_t version = 0x0200;
    uint32_t type = 0;
    uint32_t cmd = 0;
    uint32_t identity = 0;
    uint32_t length = 0;
};

// Little-endian field by field, independent of struct packing.
void PutHead(uint8_t* out, const Head& h);
Head GetHead(const uint8_t* in);

// PKCS#7 + AES-128-ECB + base64 (standard alphabet, padded).
std::string Encipher(const Bytes& plain);
// Inverse; nullopt on anything a correct peer would not send.
std::optional<Bytes> Decipher(const uint8_t* text, size_t length);

// A whole message: head with the enciphered length, then the text.
Bytes BuildMessage(Head head, const Bytes& plain);

void PutU32(uint8_t* p, uint32_t v);
uint32_t GetU32(const uint8_t* p);

}  // namespace devsim
