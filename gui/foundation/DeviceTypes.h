// The six device type codes and their names, in tree and combo-box order.
#pragma once

#include "TslDefs.h"

constexpr int kFirstType = TSL_DEVICE_ACC;
constexpr int kTypeCount = TSL_DEVICE_UIT - TSL_DEVICE_ACC + 1;
// By type code minus the first.
inline constexpr const char* kTypeNames[kTypeCount] = {"门禁设备",  "物联设备", "动环设备",
                                                       "NTP服务器", "指纹仪",   "用传"};

constexpr bool knownType(int type) {
    return type >= kFirstType && type < kFirstType + kTypeCount;
}
