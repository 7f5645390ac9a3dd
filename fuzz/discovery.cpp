// One discovery datagram, as the sockets deliver it into their zeroed area,
// through the search and the network setup decoders.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "Base/Manager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A longer datagram is cut to the area, as the receive call does.
    const size_t received = size < tsl::kDatagramArea ? size : tsl::kDatagramArea;
    uint8_t area[tsl::kDatagramArea];

    std::memset(area, 0, sizeof area);
    std::memcpy(area, data, received);
    Np_SearchInfo record;
    if (tsl::DecodeSearchReply(area, static_cast<int>(received), &record) &&
        strnlen(record.mac, sizeof record.mac) == sizeof record.mac)
        std::abort();

    std::memset(area, 0, sizeof area);
    std::memcpy(area, data, received);
    auto outcome = tsl::DecodeSetupReply(area, static_cast<int>(received));
    if (outcome && *outcome > 0) std::abort();  // a refusal must never read as success
    return 0;
}
