// The bytes of plain payloads that must never reach the log: every password
// field of every record, in requests and in replies.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tsl {

struct SecretField {
    uint32_t cmd;
    bool reply;       // in the reply (offsets count its 4-byte result code) or the request
    uint32_t offset;  // into the plain payload
    uint32_t width;
};

// The whole table, for the log and for the test that holds it to the records.
const SecretField* SecretFields(size_t* count);

// True when the plain payload of `cmd` in that direction holds a password;
// its enciphered form is then kept out of the log too (the cipher key is in
// the library, so the cipher text would give the password away).
bool HoldsSecrets(uint32_t cmd, bool reply);
// Overwrites the password bytes of a plain payload with '*'.
void MaskSecrets(uint32_t cmd, bool reply, uint8_t* payload, uint32_t length);

}  // namespace tsl
