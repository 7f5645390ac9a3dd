// Access-control devices (type 100): TSL_NET_Acc_* exports and Np_Acc* records.
#pragma once

#include "TslDev.h"

#pragma pack(push, 1)

typedef struct Np_AccEventInfo {
    int32_t eventCode;
    Np_Time time;
    uint8_t doorNo;
    char cardNo[32];
    uint8_t direction;  // 1 entry, 2 exit
    uint8_t reserved[18];
} TSL_PACKED Np_AccEventInfo;
TSL_CHECK_SIZE(Np_AccEventInfo, 64);
TSL_CHECK_OFFSET(Np_AccEventInfo, time, 4);
TSL_CHECK_OFFSET(Np_AccEventInfo, doorNo, 12);
TSL_CHECK_OFFSET(Np_AccEventInfo, cardNo, 13);
TSL_CHECK_OFFSET(Np_AccEventInfo, direction, 45);

// One page of stored events.
typedef struct Np_AccEventList {
    int32_t total;
    int32_t pageNo;
    int32_t count;
    Np_AccEventInfo records[5];
} TSL_PACKED Np_AccEventList;
TSL_CHECK_SIZE(Np_AccEventList, 332);
TSL_CHECK_OFFSET(Np_AccEventList, records, 12);

// One card; `cardNo` is its key. A card number the get and delete
// operations can name has at most 31 characters.
typedef struct Np_AccCardInfo {
    char cardNo[32];
    uint8_t firstCard;  // 1 first card
    uint8_t cardType;   // 1 ordinary, 2 duress, 3 offline, 4 VIP, 5 blacklist
    Np_Time validFrom;
    Np_Time validTo;
    char password[8];  // all 8 bytes significant; NUL only when shorter
    char userName[32];
    int32_t employeeNo;
    uint16_t doorRights[16];  // doors 1 to 16
    uint8_t reserved[32];
    uint8_t groups[8];  // card-group numbers, ended by the first 0
    uint8_t reserved2[9];
} TSL_PACKED Np_AccCardInfo;
TSL_CHECK_SIZE(Np_AccCardInfo, 175);
TSL_CHECK_OFFSET(Np_AccCardInfo, firstCard, 32);
TSL_CHECK_OFFSET(Np_AccCardInfo, validFrom, 34);
TSL_CHECK_OFFSET(Np_AccCardInfo, validTo, 42);
TSL_CHECK_OFFSET(Np_AccCardInfo, password, 50);
TSL_CHECK_OFFSET(Np_AccCardInfo, userName, 58);
TSL_CHECK_OFFSET(Np_AccCardInfo, employeeNo, 90);
TSL_CHECK_OFFSET(Np_AccCardInfo, doorRights, 94);
TSL_CHECK_OFFSET(Np_AccCardInfo, reserved, 126);
TSL_CHECK_OFFSET(Np_AccCardInfo, groups, 158);
TSL_CHECK_OFFSET(Np_AccCardInfo, reserved2, 166);

typedef struct Np_AccCardGroupInfo {
    char cardNo[32];
    uint8_t groupNo;
    uint8_t reserved[31];
} TSL_PACKED Np_AccCardGroupInfo;
TSL_CHECK_SIZE(Np_AccCardGroupInfo, 64);
TSL_CHECK_OFFSET(Np_AccCardGroupInfo, groupNo, 32);

// The card-group numbers of one card, ended by the first 0.
typedef struct Np_AccCardGroupList {
    uint8_t groups[32];
} TSL_PACKED Np_AccCardGroupList;
TSL_CHECK_SIZE(Np_AccCardGroupList, 32);

// The settings of one door.
typedef struct Np_AccChannelInfo {
    uint8_t channel;         // door 1 to 16; the key
    uint8_t lockType;        // 0 default, 1 inverted
    uint8_t magneticType;    // 0 normally closed, 1 normally open
    uint8_t openButtonType;  // 0 normally open, 1 inverted
    uint8_t ioType;          // 0 button, 1 four-state button, 2 auxiliary input, 3 unused
    uint8_t openDuration;    // s
    uint8_t alarmTime;       // s
    uint8_t dailyFirst;
    uint16_t leaderTime;  // min
    char duressPassword[8];
    char superPassword[8];
    char releaseCode[8];
    uint16_t templateId;
    uint8_t antiPassback;
    uint8_t openCount;
    uint8_t reserved[27];
} TSL_PACKED Np_AccChannelInfo;
TSL_CHECK_SIZE(Np_AccChannelInfo, 65);
TSL_CHECK_OFFSET(Np_AccChannelInfo, leaderTime, 8);
TSL_CHECK_OFFSET(Np_AccChannelInfo, duressPassword, 10);
TSL_CHECK_OFFSET(Np_AccChannelInfo, superPassword, 18);
TSL_CHECK_OFFSET(Np_AccChannelInfo, releaseCode, 26);
TSL_CHECK_OFFSET(Np_AccChannelInfo, templateId, 34);
TSL_CHECK_OFFSET(Np_AccChannelInfo, antiPassback, 36);
TSL_CHECK_OFFSET(Np_AccChannelInfo, reserved, 38);

typedef struct Np_AccWorkModeParams {
    uint8_t workModeId;  // the key
    uint8_t channel;
    uint16_t templateId;
    uint8_t exitMode;   // 0 normal, 1 card, 2 card and password, 3 password,
    uint8_t entryMode;  // 4 normally open, 5 normally closed
    uint8_t reserved[26];
} TSL_PACKED Np_AccWorkModeParams;
TSL_CHECK_SIZE(Np_AccWorkModeParams, 32);
TSL_CHECK_OFFSET(Np_AccWorkModeParams, templateId, 2);
TSL_CHECK_OFFSET(Np_AccWorkModeParams, entryMode, 5);

typedef struct Np_AccChannelState {
    uint8_t channel;  // the key
    uint8_t lockState;
    uint8_t doorState;
    uint8_t modeState;  // 1 to 9
    uint8_t reserved[28];
} TSL_PACKED Np_AccChannelState;
TSL_CHECK_SIZE(Np_AccChannelState, 32);

typedef struct Np_AccChannelControl {
    uint8_t channel;
    uint8_t command;  // 1 open, 2 close, 3 normally open, 4 normally closed, 5 normal
    uint8_t reserved[30];
} TSL_PACKED Np_AccChannelControl;
TSL_CHECK_SIZE(Np_AccChannelControl, 32);

typedef struct Np_AccIOControl {
    uint8_t ioNo;
    uint8_t command;  // 1 momentary, 2 normal state, 3 hold
    uint8_t reserved[30];
} TSL_PACKED Np_AccIOControl;
TSL_CHECK_SIZE(Np_AccIOControl, 32);

typedef struct Np_AccIOParams {
    uint8_t ioNo;            // the key
    uint8_t outputPolarity;  // 0 normally closed, 1 normally open
    uint8_t inputPolarity;
    uint8_t outputDuration;  // s
    uint8_t reserved[28];
} TSL_PACKED Np_AccIOParams;
TSL_CHECK_SIZE(Np_AccIOParams, 32);

// Multi-door interlock of one door.
typedef struct Np_AccMultiLockInfo {
    uint8_t doorNo;  // the key
    uint8_t count;
    uint8_t doors[62];
} TSL_PACKED Np_AccMultiLockInfo;
TSL_CHECK_SIZE(Np_AccMultiLockInfo, 64);
TSL_CHECK_OFFSET(Np_AccMultiLockInfo, doors, 2);

typedef struct Np_AccAntiInfo {
    uint8_t count;
    uint8_t readers[63];
} TSL_PACKED Np_AccAntiInfo;
TSL_CHECK_SIZE(Np_AccAntiInfo, 64);

// One multi-card combination.
typedef struct Np_AccMultiCardInfo {
    uint8_t combinationId;  // the key
    uint8_t doorNo;
    uint16_t templateId;
    uint8_t ordered;
    uint8_t offline;
    uint8_t readerPosition;  // 0 both sides, 1 outside, 2 inside
    uint8_t count;
    uint8_t groups[5];
    uint8_t dailyFirstGroup;
    uint8_t centralAuth;
    uint8_t reserved[17];
} TSL_PACKED Np_AccMultiCardInfo;
TSL_CHECK_SIZE(Np_AccMultiCardInfo, 32);
TSL_CHECK_OFFSET(Np_AccMultiCardInfo, templateId, 2);
TSL_CHECK_OFFSET(Np_AccMultiCardInfo, groups, 8);
TSL_CHECK_OFFSET(Np_AccMultiCardInfo, centralAuth, 14);

// One linkage task; `eventNo` is unaligned.
typedef struct Np_AccLinkageInfo {
    uint8_t linkageId;  // the key
    int32_t eventNo;
    uint8_t inputSource;  // 0 door, 1 IO input
    uint8_t inputNo;
    uint8_t outputSource;  // 0 door, 1 IO output
    uint8_t outputNo;
    uint8_t actionType;   // 1 open, 2 close, 3 normally open, 4 normally closed, 5 restore
    uint8_t actionDelay;  // s
    uint8_t reserved[21];
} TSL_PACKED Np_AccLinkageInfo;
TSL_CHECK_SIZE(Np_AccLinkageInfo, 32);
TSL_CHECK_OFFSET(Np_AccLinkageInfo, eventNo, 1);
TSL_CHECK_OFFSET(Np_AccLinkageInfo, inputSource, 5);
TSL_CHECK_OFFSET(Np_AccLinkageInfo, actionDelay, 10);

typedef struct Np_AccReaderId {
    char serialNo[16];
    uint8_t address;  // 1 to 8
    uint8_t reserved[15];
} TSL_PACKED Np_AccReaderId;
TSL_CHECK_SIZE(Np_AccReaderId, 32);
TSL_CHECK_OFFSET(Np_AccReaderId, address, 16);

// The controller's parameters.
typedef struct Np_AccDeviceInfo {
    uint8_t emergencySwitch;
    uint8_t batteryLowVoltage;   // tenths
    int32_t recordAlarmPercent;  // hundredths of a percent
    uint8_t globalAntiPassback;
    uint8_t noDefaultOpen;
    uint8_t doorVolume[4];
    uint8_t offlineCentralAuth;
    int32_t simulatedCards;
    int32_t simulatedEvents;
    int32_t simulatedLogs;
    uint8_t defaultFireSignal;
    uint8_t tamperBuzzerOff;
    uint8_t motionBuzzerOff;
    int32_t reserved;
} TSL_PACKED Np_AccDeviceInfo;
TSL_CHECK_SIZE(Np_AccDeviceInfo, 32);
TSL_CHECK_OFFSET(Np_AccDeviceInfo, recordAlarmPercent, 2);
TSL_CHECK_OFFSET(Np_AccDeviceInfo, doorVolume, 8);
TSL_CHECK_OFFSET(Np_AccDeviceInfo, offlineCentralAuth, 12);
TSL_CHECK_OFFSET(Np_AccDeviceInfo, simulatedCards, 13);
TSL_CHECK_OFFSET(Np_AccDeviceInfo, simulatedLogs, 21);
TSL_CHECK_OFFSET(Np_AccDeviceInfo, defaultFireSignal, 25);
TSL_CHECK_OFFSET(Np_AccDeviceInfo, reserved, 28);

typedef struct Np_AccFlashInfo {
    uint32_t storageSize;
    uint32_t storageUsed;
    uint32_t cardCapacity;
    uint32_t cardsIssued;
    uint32_t eventCapacity;
    uint32_t eventsStored;
    uint8_t reserved[24];
} TSL_PACKED Np_AccFlashInfo;
TSL_CHECK_SIZE(Np_AccFlashInfo, 48);

// System properties text; no NUL when it fills all 256 bytes.
typedef struct Np_AccSystemInfo {
    char text[256];
} TSL_PACKED Np_AccSystemInfo;
TSL_CHECK_SIZE(Np_AccSystemInfo, 256);

#pragma pack(pop)

typedef void (*TSL_AccEventCallback)(int handle, Np_AccEventInfo* event, void* context);

// Events: a callback subscribes (basic or full), null unsubscribes.
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetEventCallback(int handle, TSL_AccEventCallback callback);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetEventCallbackFull(int handle, TSL_AccEventCallback callback);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetEvent(int handle, Np_EventQuery query, Np_AccEventList* list);

// Cards. Get and Delete refuse (-18, nothing sent) a card number of 32
// characters: the request has room for 31.
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetCardInfo(int handle, Np_AccCardInfo* card);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_DeleteCardInfo(int handle, const char* cardNo);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetCardInfo(int handle, Np_AccCardInfo card);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ModCardInfo(int handle, Np_AccCardInfo card);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ClearCardInfo(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetCardGroupInfo(int handle, Np_AccCardGroupInfo query,
                                                      Np_AccCardGroupList* groups);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_DeleteCardGroupSingle(int handle, Np_AccCardGroupInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetCardGroupSingle(int handle, Np_AccCardGroupInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ClearCardGroupInfo(int handle, Np_AccCardGroupInfo info);

// Doors.
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetChannelInfo(int handle, Np_AccChannelInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetChannelInfo(int handle, Np_AccChannelInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetChannelState(int handle, Np_AccChannelState* state);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ChannelControl(int handle, Np_AccChannelControl control);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetWorkModeParams(int handle, Np_AccWorkModeParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_DeleteWorkModeParams(int handle, uint8_t workModeId);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetWorkModeParams(int handle, Np_AccWorkModeParams params);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ClearWorkModeParams(int handle);

// Rules.
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetMultiLockInfo(int handle, Np_AccMultiLockInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_DeleteMultiLockInfo(int handle, uint8_t doorNo);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetMultiLockInfo(int handle, Np_AccMultiLockInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ClearMultiLockInfo(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetMultiCardInfo(int handle, Np_AccMultiCardInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_DeleteMultiCardInfo(int handle, uint8_t combinationId);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetMultiCardInfo(int handle, Np_AccMultiCardInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ClearMultiCardInfo(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetLinkageInfo(int handle, Np_AccLinkageInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_DeleteLinkageInfo(int handle, uint8_t linkageId);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetLinkageInfo(int handle, Np_AccLinkageInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ClearLinkageInfo(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetAntiInfo(int handle, Np_AccAntiInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetAntiInfo(int handle, Np_AccAntiInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ClearAntiInfo(int handle);

// Inputs and outputs.
TSL_EXTERN_C TSL_API int TSL_NET_Acc_IOControl(int handle, Np_AccIOControl control);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetIOParams(int handle, Np_AccIOParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetIOParams(int handle, Np_AccIOParams params);

// The controller.
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetDeviceInfo(int handle, Np_AccDeviceInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetDeviceInfo(int handle, Np_AccDeviceInfo info);
// `text` needs room for 256 bytes (an Np_AccSystemInfo).
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetSystemInfo(int handle, char* text);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetFlashInfo(int handle, Np_AccFlashInfo* info);

// Card readers: the query's `address` names the reader; `serialNo` needs
// room for 32 bytes.
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetReaderId(int handle, Np_AccReaderId query, char* serialNo);
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetReaderId(int handle, Np_AccReaderId reader);

#ifdef __cplusplus
// The std::function forms; caller and library share compiler and library.
TSL_API int TSL_NET_Acc_SetEventCallback(int handle,
                                         std::function<void(int handle, Np_AccEventInfo event)> callback);
TSL_API int TSL_NET_Acc_SetEventCallbackFull(int handle,
                                             std::function<void(int handle, Np_AccEventInfo event)> callback);
#endif
