#include "Base/Codec.h"

#include <openssl/evp.h>

#include <atomic>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "Base/MessageHead.h"

namespace tsl {

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const uint8_t kPayloadKey[16] = {'w', 's', 'e', 'l', '@', 'D', 'O', 'R',
                                 '-', '*', '-', '*', '1', '9', '7', '5'};

constexpr int8_t kInvalid = -1;
constexpr int8_t kPad = -2;

struct DecodeTable {
    int8_t v[256];
    constexpr DecodeTable() : v() {
        for (int i = 0; i < 256; ++i) v[i] = kInvalid;
        for (int i = 0; i < 26; ++i) v['A' + i] = static_cast<int8_t>(i);
        for (int i = 0; i < 26; ++i) v['a' + i] = static_cast<int8_t>(26 + i);
        for (int i = 0; i < 10; ++i) v['0' + i] = static_cast<int8_t>(52 + i);
        v['+'] = v['-'] = 62;
        v['/'] = v['_'] = 63;
        v['='] = v['.'] = kPad;
    }
};
constexpr DecodeTable kDecode;

std::atomic<uint64_t> g_cipherGeneration{1};

[[noreturn]] void ThrowInvalid() {
    throw std::runtime_error("Input is not valid base64-encoded data.");
}

}  // namespace

// The expanded key lives in two template contexts. Contexts are not safe for
// concurrent use, so each thread keeps copies (the schedule is copied, never
// re-expanded) tagged with the generation of the cipher they came from.
struct Aes128::Impl {
    EVP_CIPHER_CTX* enc = nullptr;
    EVP_CIPHER_CTX* dec = nullptr;
    uint64_t generation = 0;
};

namespace {
struct ThreadContexts {
    uint64_t generation = 0;
    EVP_CIPHER_CTX* enc = nullptr;
    EVP_CIPHER_CTX* dec = nullptr;
    ~ThreadContexts() {
        EVP_CIPHER_CTX_free(enc);
        EVP_CIPHER_CTX_free(dec);
    }
};
thread_local ThreadContexts t_contexts;

ThreadContexts& ContextsFor(const EVP_CIPHER_CTX* enc, const EVP_CIPHER_CTX* dec, uint64_t generation) {
    ThreadContexts& t = t_contexts;
    if (t.generation != generation) {
        if (!t.enc) t.enc = EVP_CIPHER_CTX_new();
        if (!t.dec) t.dec = EVP_CIPHER_CTX_new();
        if (!t.enc || !t.dec || EVP_CIPHER_CTX_copy(t.enc, enc) != 1 || EVP_CIPHER_CTX_copy(t.dec, dec) != 1)
            throw std::bad_alloc();
        t.generation = generation;
    }
    return t;
}
}  // namespace

Aes128::Aes128(const uint8_t key[16]) : impl_(new Impl) {
    impl_->enc = EVP_CIPHER_CTX_new();
    impl_->dec = EVP_CIPHER_CTX_new();
    if (!impl_->enc || !impl_->dec ||
        EVP_EncryptInit_ex(impl_->enc, EVP_aes_128_ecb(), nullptr, key, nullptr) != 1 ||
        EVP_DecryptInit_ex(impl_->dec, EVP_aes_128_ecb(), nullptr, key, nullptr) != 1) {
        EVP_CIPHER_CTX_free(impl_->enc);
        EVP_CIPHER_CTX_free(impl_->dec);
        throw std::runtime_error("AES-128 key schedule could not be built");
    }
    EVP_CIPHER_CTX_set_padding(impl_->enc, 0);
    EVP_CIPHER_CTX_set_padding(impl_->dec, 0);
    impl_->generation = g_cipherGeneration.fetch_add(1);
}

Aes128::~Aes128() {
    EVP_CIPHER_CTX_free(impl_->enc);
    EVP_CIPHER_CTX_free(impl_->dec);
}

// With padding off and whole blocks in, ECB keeps no state between calls, so
// Update alone is the complete operation.
void Aes128::EncryptBlocks(uint8_t* data, size_t count) const {
    ThreadContexts& t = ContextsFor(impl_->enc, impl_->dec, impl_->generation);
    int outLen = 0;
    if (EVP_EncryptUpdate(t.enc, data, &outLen, data, static_cast<int>(count * 16)) != 1)
        throw std::runtime_error("AES-128 encryption failed");
}

void Aes128::DecryptBlocks(uint8_t* data, size_t count) const {
    ThreadContexts& t = ContextsFor(impl_->enc, impl_->dec, impl_->generation);
    int outLen = 0;
    if (EVP_DecryptUpdate(t.dec, data, &outLen, data, static_cast<int>(count * 16)) != 1)
        throw std::runtime_error("AES-128 decryption failed");
}

// Never destroyed: receive threads may still decipher while the process exits.
const Aes128& PayloadCipher() {
    static const Aes128* cipher = new Aes128(kPayloadKey);
    return *cipher;
}

void Base64EncodeInto(const uint8_t* src, size_t count, char* dst) {
    size_t i = 0;
    for (; i + 3 <= count; i += 3) {
        uint32_t v = (uint32_t(src[i]) << 16) | (uint32_t(src[i + 1]) << 8) | src[i + 2];
        *dst++ = kAlphabet[(v >> 18) & 63];
        *dst++ = kAlphabet[(v >> 12) & 63];
        *dst++ = kAlphabet[(v >> 6) & 63];
        *dst++ = kAlphabet[v & 63];
    }
    size_t rest = count - i;
    if (rest == 1) {
        uint32_t v = uint32_t(src[i]) << 16;
        *dst++ = kAlphabet[(v >> 18) & 63];
        *dst++ = kAlphabet[(v >> 12) & 63];
        *dst++ = '=';
        *dst++ = '=';
    } else if (rest == 2) {
        uint32_t v = (uint32_t(src[i]) << 16) | (uint32_t(src[i + 1]) << 8);
        *dst++ = kAlphabet[(v >> 18) & 63];
        *dst++ = kAlphabet[(v >> 12) & 63];
        *dst++ = kAlphabet[(v >> 6) & 63];
        *dst++ = '=';
    }
}

int64_t Base64DecodeInto(const char* src, size_t count, uint8_t* dst) {
    const uint8_t* s = reinterpret_cast<const uint8_t*>(src);
    uint8_t* out = dst;
    size_t g = 0;
    // Fast path over whole groups that hold no padding.
    while (g + 4 <= count) {
        int8_t w = kDecode.v[s[g]], x = kDecode.v[s[g + 1]], y = kDecode.v[s[g + 2]], z = kDecode.v[s[g + 3]];
        if ((w | x | y | z) < 0) break;
        uint32_t v = (uint32_t(w) << 18) | (uint32_t(x) << 12) | (uint32_t(y) << 6) | uint32_t(z);
        out[0] = uint8_t(v >> 16);
        out[1] = uint8_t(v >> 8);
        out[2] = uint8_t(v);
        out += 3;
        g += 4;
    }
    for (; g < count; g += 4) {
        // A lone last character would pair with the terminator: invalid.
        if (g + 1 >= count) return -1;
        int8_t w = kDecode.v[s[g]], x = kDecode.v[s[g + 1]];
        if (w < 0 || x < 0) return -1;
        *out++ = uint8_t((w << 2) | (x >> 4));
        if (g + 2 >= count) continue;
        int8_t y = kDecode.v[s[g + 2]];
        if (y == kPad) continue;
        if (y < 0) return -1;
        *out++ = uint8_t(((x & 0x0F) << 4) | (y >> 2));
        if (g + 3 >= count) continue;
        int8_t z = kDecode.v[s[g + 3]];
        if (z == kPad) continue;
        if (z < 0) return -1;
        *out++ = uint8_t(((y & 0x03) << 6) | z);
    }
    return out - dst;
}

int Base64CharValue(char c) {
    int8_t v = kDecode.v[static_cast<uint8_t>(c)];
    if (v < 0) ThrowInvalid();
    return v;
}

std::string Base64Encode(const uint8_t* data, size_t count) {
    std::string text(4 * ((count + 2) / 3), '\0');
    Base64EncodeInto(data, count, text.data());
    return text;
}

std::string Base64Decode(const std::string& text) {
    std::string bytes(text.size() / 4 * 3 + 3, '\0');
    int64_t n = Base64DecodeInto(text.data(), text.size(), reinterpret_cast<uint8_t*>(bytes.data()));
    if (n < 0) ThrowInvalid();
    bytes.resize(static_cast<size_t>(n));
    return bytes;
}

int32_t EncodePayload(const uint8_t* src, int32_t count, uint8_t* dst, uint32_t* outCount) {
    try {
        const Aes128& cipher = PayloadCipher();
        if (count == 0) {
            *outCount = 0;
            return 0;
        }
        if (count < 0) return -1;
        size_t padded = (static_cast<size_t>(count) & ~size_t(15)) + 16;
        thread_local std::vector<uint8_t> work;
        if (work.size() < padded) work.resize(padded);
        std::memcpy(work.data(), src, static_cast<size_t>(count));
        std::memset(work.data() + count, static_cast<int>(padded - count), padded - count);
        cipher.EncryptBlocks(work.data(), padded / 16);
        Base64EncodeInto(work.data(), padded, reinterpret_cast<char*>(dst));
        *outCount = static_cast<uint32_t>(4 * ((padded + 2) / 3));
        return 0;
    } catch (...) {
        return -1;
    }
}

int32_t DecodePayload(const uint8_t* src, int32_t count, uint8_t* dst, uint32_t* outCount) {
    try {
        const Aes128& cipher = PayloadCipher();
        if (count == 0) {
            *outCount = 0;
            return 0;
        }
        if (count < 0) return -1;
        // Decoding writes behind the read position, so src == dst is safe.
        int64_t n = Base64DecodeInto(reinterpret_cast<const char*>(src), static_cast<size_t>(count), dst);
        if (n <= 0 || n % 16 != 0) return -1;
        cipher.DecryptBlocks(dst, static_cast<size_t>(n) / 16);
        // A padding count no correct peer sends is refused like bad text.
        uint8_t pad = dst[n - 1];
        if (pad == 0 || pad > 16) return -1;
        *outCount = static_cast<uint32_t>(n - pad);
        return 0;
    } catch (...) {
        return -1;
    }
}

namespace {
std::atomic<uint32_t> g_identities[static_cast<int>(IdentityModule::Count)];
}

uint32_t NextIdentity(IdentityModule module) {
    return g_identities[static_cast<int>(module)].fetch_add(1, std::memory_order_relaxed);
}

}  // namespace tsl
