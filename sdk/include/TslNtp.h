// NTP time servers (type 103): TSL_NET_Ntp_* exports and Np_Ntp* records.
#pragma once

#include "TslDev.h"

#pragma pack(push, 1)

// The satellite receiver's location: texts as the device formats them.
typedef struct Np_NtpLocationInfo {
    char eastWest[16];
    char longitude[16];
    char southNorth[16];
    char latitude[16];
    char antennaStatus[16];
    char satelliteType[16];
    int32_t satelliteNum;
    uint8_t reserved[28];
} TSL_PACKED Np_NtpLocationInfo;
TSL_CHECK_SIZE(Np_NtpLocationInfo, 128);
TSL_CHECK_OFFSET(Np_NtpLocationInfo, southNorth, 32);
TSL_CHECK_OFFSET(Np_NtpLocationInfo, satelliteType, 80);
TSL_CHECK_OFFSET(Np_NtpLocationInfo, satelliteNum, 96);

#pragma pack(pop)

TSL_EXTERN_C TSL_API int TSL_NET_Ntp_GetDevicLocationInfo(int handle, Np_NtpLocationInfo* info);
