// Payload codec: PKCS#7 padding, AES-128-ECB under the fixed key, base64 text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tsl {

// AES-128 block cipher. The key schedule is expanded once in the constructor
// and only read afterwards, so one object may be used from any thread.
class Aes128 {
  public:
    explicit Aes128(const uint8_t key[16]);
    ~Aes128();
    Aes128(const Aes128&) = delete;
    Aes128& operator=(const Aes128&) = delete;

    void EncryptBlock(uint8_t block[16]) const { EncryptBlocks(block, 1); }
    void DecryptBlock(uint8_t block[16]) const { DecryptBlocks(block, 1); }
    // ECB over `count` consecutive blocks, in place.
    void EncryptBlocks(uint8_t* data, size_t count) const;
    void DecryptBlocks(uint8_t* data, size_t count) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The cipher of the payload key, built on first use.
const Aes128& PayloadCipher();

// Exact encoded size for a plain count (0 stays 0).
inline uint32_t EncodedPayloadSize(uint32_t plain) {
    if (plain == 0) return 0;
    uint32_t padded = (plain & ~15u) + 16;
    return 4 * ((padded + 2) / 3);
}

// Both work in place (src == dst is allowed); the count is written only on
// success. Return 0 or -1; nothing is thrown.
int32_t EncodePayload(const uint8_t* src, int32_t count, uint8_t* dst, uint32_t* outCount);
int32_t DecodePayload(const uint8_t* src, int32_t count, uint8_t* dst, uint32_t* outCount);

// Base64 with the standard alphabet on output. The decoder accepts both RFC
// 4648 alphabets, "=" and "." as padding and unpadded final groups.
std::string Base64Encode(const uint8_t* data, size_t count);
std::string Base64Decode(const std::string& text);  // throws std::runtime_error
int Base64CharValue(char c);                        // throws std::runtime_error

// Non-throwing decoder beneath both: writes at most count*3/4 bytes to dst
// (dst may equal src) and returns the byte count, or -1 on invalid text.
int64_t Base64DecodeInto(const char* src, size_t count, uint8_t* dst);
// Writes exactly 4*ceil(count/3) characters.
void Base64EncodeInto(const uint8_t* src, size_t count, char* dst);

}  // namespace tsl
