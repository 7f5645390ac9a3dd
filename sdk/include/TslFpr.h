// Fingerprint readers (type 104): TSL_NET_FPR_* exports and Np_Fpr* records.
//
// Apart from the event record, the fields of these records are the device's;
// the SDK carries them whole. An output record is overwritten whole with the
// reply, and only on success.
#pragma once

#include "TslDev.h"

#pragma pack(push, 1)

typedef struct Np_FprEventInfo {
    uint8_t eventNo;
    uint8_t reserved1[8];
    uint8_t triggerTime;
    char personNo[10];  // no terminator when the text fills it
    uint8_t duress;
    uint8_t channel;
    uint8_t lockState;  // lock and door-sensor state
    uint8_t openType;
    uint8_t reserved2[56];
} TSL_PACKED Np_FprEventInfo;
TSL_CHECK_SIZE(Np_FprEventInfo, 80);
TSL_CHECK_OFFSET(Np_FprEventInfo, triggerTime, 9);
TSL_CHECK_OFFSET(Np_FprEventInfo, personNo, 10);
TSL_CHECK_OFFSET(Np_FprEventInfo, duress, 20);
TSL_CHECK_OFFSET(Np_FprEventInfo, openType, 23);

// One user with fingerprint data.
typedef struct Np_FprUserData {
    uint8_t data[51336];
} TSL_PACKED Np_FprUserData;
TSL_CHECK_SIZE(Np_FprUserData, 51336);

// Selects one user.
typedef struct Np_FprUserKey {
    uint8_t data[10];
} TSL_PACKED Np_FprUserKey;
TSL_CHECK_SIZE(Np_FprUserKey, 10);

typedef struct Np_FprUserListQuery {
    uint8_t data[8];
} TSL_PACKED Np_FprUserListQuery;
TSL_CHECK_SIZE(Np_FprUserListQuery, 8);

typedef struct Np_FprUserList {
    uint8_t data[3812];
} TSL_PACKED Np_FprUserList;
TSL_CHECK_SIZE(Np_FprUserList, 3812);

typedef struct Np_FprDeviceParams {
    uint8_t data[48];
} TSL_PACKED Np_FprDeviceParams;
TSL_CHECK_SIZE(Np_FprDeviceParams, 48);

typedef struct Np_FprDeviceInfo {
    uint8_t data[100];
} TSL_PACKED Np_FprDeviceInfo;
TSL_CHECK_SIZE(Np_FprDeviceInfo, 100);

// Fixed (factory) information.
typedef struct Np_FprDeviceFixInfo {
    uint8_t data[20];
} TSL_PACKED Np_FprDeviceFixInfo;
TSL_CHECK_SIZE(Np_FprDeviceFixInfo, 20);

// Door channel control command.
typedef struct Np_FprChannelControl {
    uint8_t data[32];
} TSL_PACKED Np_FprChannelControl;
TSL_CHECK_SIZE(Np_FprChannelControl, 32);

// Auxiliary output control command.
typedef struct Np_FprIOControl {
    uint8_t data[32];
} TSL_PACKED Np_FprIOControl;
TSL_CHECK_SIZE(Np_FprIOControl, 32);

#pragma pack(pop)

// The record pointer refers to a copy that lives for the call only.
typedef void (*TSL_FprEventCallback)(int handle, Np_FprEventInfo* record, void* context);

TSL_EXTERN_C TSL_API int TSL_NET_FPR_AddUserData(int handle, Np_FprUserData user);
TSL_EXTERN_C TSL_API int TSL_NET_FPR_SetUserData(int handle, Np_FprUserData user);
TSL_EXTERN_C TSL_API int TSL_NET_FPR_DeleteUserData(int handle, Np_FprUserKey key);
TSL_EXTERN_C TSL_API int TSL_NET_FPR_GetUserData(int handle, Np_FprUserKey key, Np_FprUserData* user);
TSL_EXTERN_C TSL_API int TSL_NET_FPR_GetUserList(int handle, Np_FprUserListQuery query, Np_FprUserList* list);
TSL_EXTERN_C TSL_API int TSL_NET_FPR_ClearUserData(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_FPR_GetDeviceParams(int handle, Np_FprDeviceParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_FPR_SetDeviceParams(int handle, Np_FprDeviceParams params);
// The information and the fixed-information pairs share their command codes;
// a reply of the other record's length fails with -17 and writes nothing.
TSL_EXTERN_C TSL_API int TSL_NET_FPR_GetDeviceInfo(int handle, Np_FprDeviceInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_FPR_GetDeviceFixInfo(int handle, Np_FprDeviceFixInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_FPR_SetDeviceInfo(int handle, Np_FprDeviceInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_FPR_SetDeviceFixInfo(int handle, Np_FprDeviceFixInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_FPR_ChannelControl(int handle, Np_FprChannelControl control);
TSL_EXTERN_C TSL_API int TSL_NET_FPR_IOControl(int handle, Np_FprIOControl control);

// Events (real time only): a callback subscribes and is kept only if the
// device accepts; a null one unsubscribes and is cleared whatever the device
// answers. The context is the one set at registration.
TSL_EXTERN_C TSL_API int TSL_NET_FPR_SetEventCallback(int handle, TSL_FprEventCallback callback);

#ifdef __cplusplus
TSL_API int TSL_NET_FPR_SetEventCallback(int handle, std::function<void(int, Np_FprEventInfo)> callback);
#endif
