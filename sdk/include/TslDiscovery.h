// Discovery and broadcast network setup records and exports.
#pragma once

#include "TslDefs.h"

// One device found by a search. Text fields hold NUL-terminated text.
typedef struct TSL_PACKED Np_SearchInfo {
    char serialNumber[48];
    char deviceName[32];
    char deviceTypeName[32];
    char firmwareVersion[40];
    uint32_t port;  // TCP port of the device
    char mac[20];   // the key a search merges replies by
    char ip[16];
    char subnetMask[16];
    char gateway[16];
    uint8_t activated;  // 0 not activated, other values activated
    char client1[16];
    char client2[16];
    char hardwareVersion[16];
    uint32_t deviceType;  // 100 to 105
    uint8_t reserved[11];
} Np_SearchInfo;

TSL_CHECK_SIZE(Np_SearchInfo, 288);
TSL_CHECK_OFFSET(Np_SearchInfo, deviceName, 48);
TSL_CHECK_OFFSET(Np_SearchInfo, deviceTypeName, 80);
TSL_CHECK_OFFSET(Np_SearchInfo, firmwareVersion, 112);
TSL_CHECK_OFFSET(Np_SearchInfo, port, 152);
TSL_CHECK_OFFSET(Np_SearchInfo, mac, 156);
TSL_CHECK_OFFSET(Np_SearchInfo, ip, 176);
TSL_CHECK_OFFSET(Np_SearchInfo, subnetMask, 192);
TSL_CHECK_OFFSET(Np_SearchInfo, gateway, 208);
TSL_CHECK_OFFSET(Np_SearchInfo, activated, 224);
TSL_CHECK_OFFSET(Np_SearchInfo, client1, 225);
TSL_CHECK_OFFSET(Np_SearchInfo, client2, 241);
TSL_CHECK_OFFSET(Np_SearchInfo, hardwareVersion, 257);
TSL_CHECK_OFFSET(Np_SearchInfo, deviceType, 273);
TSL_CHECK_OFFSET(Np_SearchInfo, reserved, 277);

// New network settings for a device, passed through to it unchanged; the
// layout inside is the device's.
typedef struct TSL_PACKED Np_NetworkInfo {
    uint8_t data[112];
} Np_NetworkInfo;

TSL_CHECK_SIZE(Np_NetworkInfo, 112);

// Broadcasts a search for `deviceType` (0: every type) from every local IPv4
// address and collects the replies for 300 ms. `*count` receives the number
// of devices found, which may exceed 256; at most the first 256 records, in
// MAC order, are written to `list`. Returns 0.
TSL_EXTERN_C TSL_API int TSL_NET_DEV_Search(Np_SearchInfo* list, int* count, int deviceType);

// Broadcasts new network settings. 0 when a device accepted them, -1000 - c
// when it refused with code c, -4 without a reply, -6 for a reply that does
// not decode, -7 when the request cannot be enciphered.
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetNetworkInfo(Np_NetworkInfo info);
