#include <algorithm>
#include <cstring>

#include "Base/Manager.h"
#include "TslDiscovery.h"

namespace {
constexpr size_t kMaxSearchRecords = 256;
}

TSL_EXTERN_C TSL_API int TSL_NET_DEV_Search(Np_SearchInfo* list, int* count, int deviceType) {
    try {
        std::vector<Np_SearchInfo> found = tsl::Manager::Instance().Search(static_cast<uint32_t>(deviceType));
        if (count) *count = static_cast<int>(found.size());
        if (list && !found.empty())
            std::memcpy(list, found.data(),
                        std::min(found.size(), kMaxSearchRecords) * sizeof(Np_SearchInfo));
        return ERR_SUCCESS;
    } catch (...) {
        if (count) *count = 0;
        return ERR_SDK_UNKNOWN;
    }
}

TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetNetworkInfo(Np_NetworkInfo info) {
    try {
        return tsl::Manager::Instance().SetNetworkInfo(info);
    } catch (...) {
        return ERR_SDK_UNKNOWN;
    }
}
