#include "SimCodec.h"

#include <openssl/evp.h>

#include <cstring>
#include <memory>

namespace devsim {

namespace {
const unsigned char kKey[16] = {'w', 's', 'e', 'l', '@', 'D', 'O', 'R',
                                '-', '*', '-', '*', '1', '9', '7', '5'};

struct CtxFree {
    void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};
using Ctx = std::unique_ptr<EVP_CIPHER_CTX, CtxFree>;

// One context per thread and direction, keyed once: the simulator serves
// many connections at a time.
bool Crypt(bool encrypt, uint8_t* data, size_t n) {
    thread_local Ctx contexts[2];
    Ctx& ctx = contexts[encrypt ? 1 : 0];
    if (!ctx) {
        ctx.reset(EVP_CIPHER_CTX_new());
        if (!ctx ||
            EVP_CipherInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, kKey, nullptr, encrypt ? 1 : 0) != 1) {
            ctx.reset();
            return false;
        }
        EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    }
    int out = 0;
    return EVP_CipherUpdate(ctx.get(), data, &out, data, static_cast<int>(n)) == 1 &&
           static_cast<size_t>(out) == n;
}
}  // namespace

void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutHead(uint8_t* out, const Head& h) {
    PutU32(out, h.magic);
    out[4] = static_cast<uint8_t>(h.version);
    out[5] = static_cast<uint8_t>(h.version >> 8);
    PutU32(out + 6, h.type);
    PutU32(out + 10, h.cmd);
    PutU32(out + 14, h.identity);
    PutU32(out + 18, h.length);
}

Head GetHead(const uint8_t* in) {
    Head h;
    h.magic = GetU32(in);
    h.version = static_cast<uint16_t>(in[4] | in[5] << 8);
    h.type = GetU32(in + 6);
    h.cmd = GetU32(in + 10);
    h.identity = GetU32(in + 14);
    h.length = GetU32(in + 18);
    return h;
}

std::string Encipher(const Bytes& plain) {
    if (plain.empty()) return {};
    size_t padded = (plain.size() / 16 + 1) * 16;
    Bytes work(plain);
    work.resize(padded, static_cast<uint8_t>(padded - plain.size()));
    if (!Crypt(true, work.data(), padded)) return {};
    std::string text(4 * ((padded + 2) / 3) + 1, '\0');
    int n =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), work.data(), static_cast<int>(padded));
    text.resize(static_cast<size_t>(n));
    return text;
}

std::optional<Bytes> Decipher(const uint8_t* text, size_t length) {
    if (length == 0) return Bytes{};
    if (length % 4 != 0) return std::nullopt;
    Bytes raw(length / 4 * 3);
    int n = EVP_DecodeBlock(raw.data(), text, static_cast<int>(length));
    if (n < 0) return std::nullopt;
    // EVP_DecodeBlock counts the padding characters as zero bytes.
    size_t pads = 0;
    if (text[length - 1] == '=') ++pads;
    if (length > 1 && text[length - 2] == '=') ++pads;
    size_t size = static_cast<size_t>(n) - pads;
    if (size == 0 || size % 16 != 0) return std::nullopt;
    raw.resize(size);
    if (!Crypt(false, raw.data(), size)) return std::nullopt;
    uint8_t pad = raw.back();
    if (pad == 0 || pad > 16) return std::nullopt;
    raw.resize(size - pad);
    return raw;
}

Bytes BuildMessage(Head head, const Bytes& plain) {
    std::string text = Encipher(plain);
    head.length = static_cast<uint32_t>(text.size());
    Bytes msg(kHeadSize + text.size());
    PutHead(msg.data(), head);
    std::memcpy(msg.data() + kHeadSize, text.data(), text.size());
    return msg;
}

}  // namespace devsim
