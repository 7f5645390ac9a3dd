// The fixed head in front of every message, on TCP and UDP alike.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tsl {

constexpr uint32_t kMessageMagic = 0xFFFFFFFFu;
constexpr uint16_t kMessageVersion = 0x0200;
constexpr size_t kHeadSize = 22;
constexpr size_t kLengthOffset = 18;
constexpr size_t kRequestBufferSize = 102400;

#pragma pack(push, 1)
struct MessageHead {
    uint32_t magic;
    uint16_t version;
    uint32_t type;
    uint32_t cmd;
    uint32_t identity;
    uint32_t length;
};
#pragma pack(pop)

static_assert(sizeof(MessageHead) == kHeadSize, "MessageHead is 22 bytes");
static_assert(offsetof(MessageHead, version) == 4, "version offset");
static_assert(offsetof(MessageHead, type) == 6, "type offset");
static_assert(offsetof(MessageHead, cmd) == 10, "cmd offset");
static_assert(offsetof(MessageHead, identity) == 14, "identity offset");
static_assert(offsetof(MessageHead, length) == kLengthOffset, "length offset");

// The host is little-endian like the wire; reading through memcpy keeps
// unaligned heads inside byte buffers well defined.
inline MessageHead ReadHead(const void* bytes) {
    MessageHead h;
    std::memcpy(&h, bytes, sizeof h);
    return h;
}

inline void WriteHead(void* bytes, const MessageHead& h) {
    std::memcpy(bytes, &h, sizeof h);
}

inline MessageHead MakeHead(uint32_t type, uint32_t cmd, uint32_t identity, uint32_t length) {
    return MessageHead{kMessageMagic, kMessageVersion, type, cmd, identity, length};
}

// One identity counter per request-building module; identities are unique
// within a module only.
enum class IdentityModule : int { Common, Discovery, Acc, IoT, Fsu, Fpr, Uit, Ntp, Count };

uint32_t NextIdentity(IdentityModule module);

}  // namespace tsl
