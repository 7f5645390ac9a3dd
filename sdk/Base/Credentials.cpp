#include "Base/Credentials.h"

#include <cstddef>

#include "TslAcc.h"
#include "TslFsu.h"

namespace tsl {

namespace {

constexpr uint32_t kResult = 4;    // a reply's result code
constexpr uint32_t kListHead = 4;  // the card count in front of a card list
constexpr uint32_t kCardSize = sizeof(Np_AccCardInfo);
constexpr uint32_t kCardPassword = offsetof(Np_AccCardInfo, password);
constexpr uint32_t kCardPasswordSize = sizeof(Np_AccCardInfo::password);
constexpr uint32_t kDuress = offsetof(Np_AccChannelInfo, duressPassword);
constexpr uint32_t kSuper = offsetof(Np_AccChannelInfo, superPassword);
constexpr uint32_t kChannelPasswordSize = sizeof(Np_AccChannelInfo::duressPassword);
constexpr uint32_t kFsuPassword = offsetof(Np_FsuUserData, password);
constexpr uint32_t kFsuPasswordSize = sizeof(Np_FsuUserData::password);

constexpr SecretField kFields[] = {
    // Login: user, password, local MAC and address; password change: the text.
    {1001, false, 16, 16},
    {1003, false, 0, 32},
    // Cards: the get reply holds up to five, add and modify send one.
    {2000, true, kResult + kListHead + 0 * kCardSize + kCardPassword, kCardPasswordSize},
    {2000, true, kResult + kListHead + 1 * kCardSize + kCardPassword, kCardPasswordSize},
    {2000, true, kResult + kListHead + 2 * kCardSize + kCardPassword, kCardPasswordSize},
    {2000, true, kResult + kListHead + 3 * kCardSize + kCardPassword, kCardPasswordSize},
    {2000, true, kResult + kListHead + 4 * kCardSize + kCardPassword, kCardPasswordSize},
    {2003, false, kListHead + kCardPassword, kCardPasswordSize},
    {2004, false, kListHead + kCardPassword, kCardPasswordSize},
    // A door's duress and super passwords.
    {2006, true, kResult + kDuress, kChannelPasswordSize},
    {2006, true, kResult + kSuper, kChannelPasswordSize},
    {2007, false, kDuress, kChannelPasswordSize},
    {2007, false, kSuper, kChannelPasswordSize},
    // FSU user accounts.
    {4001, true, kResult + kFsuPassword, kFsuPasswordSize},
    {4003, false, kFsuPassword, kFsuPasswordSize},
};

}  // namespace

const SecretField* SecretFields(size_t* count) {
    *count = sizeof kFields / sizeof kFields[0];
    return kFields;
}

bool HoldsSecrets(uint32_t cmd, bool reply) {
    for (const SecretField& f : kFields)
        if (f.cmd == cmd && f.reply == reply) return true;
    return false;
}

void MaskSecrets(uint32_t cmd, bool reply, uint8_t* payload, uint32_t length) {
    for (const SecretField& f : kFields) {
        if (f.cmd != cmd || f.reply != reply) continue;
        for (uint32_t i = f.offset; i < f.offset + f.width && i < length; ++i) payload[i] = '*';
    }
}

}  // namespace tsl
