// What the access-control page seeds share beyond Seeds.h: the keys under
// which the simulator keeps a card's or an id's records.
#pragma once

#include <cstring>

#include "Seeds.h"

namespace accseed {

inline devsim::Bytes key(const char* text) {
    return devsim::Bytes(text, text + std::strlen(text));
}

inline devsim::Bytes key(uint8_t id) {
    return devsim::Bytes{id};
}

}  // namespace accseed
