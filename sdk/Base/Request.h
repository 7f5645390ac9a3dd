// The one request path of every export: an operation is a command, a payload
// shape and a reply size; Perform builds and exchanges it.
#pragma once

#include <cstdint>
#include <cstring>

#include "Base/Device.h"

namespace tsl {

enum class Payload : uint8_t {
    None,         // length 0
    Whole,        // the caller's record, requestSize bytes
    Zero,         // requestSize zero bytes
    Key8,         // requestSize bytes, zero but an 8-bit key at 0
    Key16,        // requestSize bytes, zero but a 16-bit key at 0-1
    RecordKey8,   // like Key8, the key is the first byte of the reply record
    RecordKey16,  // like Key16, the key is the first two bytes of the reply record
};

struct Operation {
    uint32_t cmd;
    Payload payload;
    uint32_t requestSize;  // bytes of payload (0 for None)
    uint32_t replySize;    // reply record bytes; 0: status only
};

// Row builders; the record types give the sizes, so a row cannot disagree
// with its record.
constexpr uint32_t kKeyPayloadSize = 32;

constexpr Operation Bare(uint32_t cmd) {
    return {cmd, Payload::None, 0, 0};
}
// The caller's record, status reply.
template <class Record>
constexpr Operation Write(uint32_t cmd) {
    return {cmd, Payload::Whole, sizeof(Record), 0};
}
// No payload, a record back.
template <class Reply>
constexpr Operation Read(uint32_t cmd) {
    return {cmd, Payload::None, 0, sizeof(Reply)};
}
// Keyed by the first byte of the caller's record, which the reply overwrites.
template <class Reply>
constexpr Operation KeyedRead(uint32_t cmd) {
    return {cmd, Payload::RecordKey8, kKeyPayloadSize, sizeof(Reply)};
}
// An 8-bit index in front of 32 zero bytes, status reply.
constexpr Operation Indexed(uint32_t cmd) {
    return {cmd, Payload::Key8, kKeyPayloadSize, 0};
}
// The caller's query record, a record back.
template <class Request, class Reply>
constexpr Operation Query(uint32_t cmd) {
    return {cmd, Payload::Whole, sizeof(Request), sizeof(Reply)};
}

// `in`: the caller's record for Whole; `key`: for Key8/Key16; `out`: the
// reply record (also the key's source for RecordKey*), written only on success.
inline int32_t Perform(Device& device, IdentityModule module, const Operation& op, const void* in,
                       uint32_t key, void* out) {
    uint8_t small[256];
    const void* payload = nullptr;
    uint32_t length = op.payload == Payload::None ? 0 : op.requestSize;
    switch (op.payload) {
        case Payload::None:
            break;
        case Payload::Whole:
            payload = in;
            break;
        case Payload::Zero:
        case Payload::Key8:
        case Payload::Key16:
        case Payload::RecordKey8:
        case Payload::RecordKey16: {
            if (length > sizeof small) return ERR_SDK_UNKNOWN;
            std::memset(small, 0, length);
            if (op.payload == Payload::RecordKey8 || op.payload == Payload::RecordKey16) {
                if (!out) return ERR_SDK_UNKNOWN;
                std::memcpy(small, out, op.payload == Payload::RecordKey8 ? 1 : 2);
            } else if (op.payload == Payload::Key8) {
                small[0] = static_cast<uint8_t>(key);
            } else if (op.payload == Payload::Key16) {
                uint16_t k = static_cast<uint16_t>(key);
                std::memcpy(small, &k, 2);
            }
            payload = small;
            break;
        }
    }
    return device.Call(module, op.cmd, payload, length, out, op.replySize);
}

}  // namespace tsl
