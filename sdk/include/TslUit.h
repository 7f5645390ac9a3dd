// Fire-alarm user information transmission devices (type 105):
// TSL_NET_UIT_* exports and Np_Uit* records.
#pragma once

#include "TslDev.h"

#pragma pack(push, 1)

typedef struct Np_UitEventInfo {
    int32_t eventCode;
    Np_Time time;
    uint8_t channel;
    uint8_t channelIndex;
    int32_t sourceType;  // 1 device, 2 input, 3 output, 4 ADC, 5 Modbus
    float value;
    float threshold;
    uint8_t reserved[54];
} TSL_PACKED Np_UitEventInfo;
TSL_CHECK_SIZE(Np_UitEventInfo, 80);
TSL_CHECK_OFFSET(Np_UitEventInfo, time, 4);
TSL_CHECK_OFFSET(Np_UitEventInfo, channelIndex, 13);
TSL_CHECK_OFFSET(Np_UitEventInfo, sourceType, 14);
TSL_CHECK_OFFSET(Np_UitEventInfo, channel, 12);
TSL_CHECK_OFFSET(Np_UitEventInfo, sourceType, 14);
TSL_CHECK_OFFSET(Np_UitEventInfo, value, 18);
TSL_CHECK_OFFSET(Np_UitEventInfo, threshold, 22);

// One page of the event log.
typedef struct Np_UitEventList {
    int32_t total;
    int32_t pageNo;
    int32_t count;
    Np_UitEventInfo records[5];
} TSL_PACKED Np_UitEventList;
TSL_CHECK_SIZE(Np_UitEventList, 412);
TSL_CHECK_OFFSET(Np_UitEventList, records, 12);

// The host control panel's manufacturer.
typedef struct Np_UitManufInfo {
    int32_t manufacturer;  // 0 none, 1 the named one, 2 other
    uint8_t reserved[60];
} TSL_PACKED Np_UitManufInfo;
TSL_CHECK_SIZE(Np_UitManufInfo, 64);

// The server the device reports to.
typedef struct Np_UitServerInfo {
    uint8_t serverNo;
    uint8_t enable;
    char address[16];  // IPv4 dotted decimal, at most 15 characters
    int32_t port;
    uint8_t reserved[42];
} TSL_PACKED Np_UitServerInfo;
TSL_CHECK_SIZE(Np_UitServerInfo, 64);
TSL_CHECK_OFFSET(Np_UitServerInfo, address, 2);
TSL_CHECK_OFFSET(Np_UitServerInfo, port, 18);

#pragma pack(pop)

typedef void (*TSL_UitEventCallback)(int handle, Np_UitEventInfo* event, void* context);

TSL_EXTERN_C TSL_API int TSL_NET_UIT_GetManufInfo(int handle, Np_UitManufInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_UIT_SetManufInfo(int handle, Np_UitManufInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_UIT_DeleteManufInfo(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_UIT_GetServerInfo(int handle, Np_UitServerInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_UIT_SetServerInfo(int handle, Np_UitServerInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_UIT_DeleteServerInfo(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_UIT_GetEvent(int handle, Np_EventQuery query, Np_UitEventList* list);

// Events: a callback subscribes (basic or full), null unsubscribes.
TSL_EXTERN_C TSL_API int TSL_NET_UIT_SetEventCallback(int handle, TSL_UitEventCallback callback);
TSL_EXTERN_C TSL_API int TSL_NET_UIT_SetEventCallbackFull(int handle, TSL_UitEventCallback callback);

#ifdef __cplusplus
// The std::function forms; caller and library share compiler and library.
TSL_API int TSL_NET_UIT_SetEventCallback(int handle,
                                         std::function<void(int handle, Np_UitEventInfo event)> callback);
TSL_API int TSL_NET_UIT_SetEventCallbackFull(int handle,
                                             std::function<void(int handle, Np_UitEventInfo event)> callback);
#endif
