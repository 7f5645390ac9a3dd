// IoT I/O devices (type 101): TSL_NET_IoT_* exports and Np_IoT* records.
//
// 64 inputs and 64 outputs (ports 1 to 64, states read in 8 groups of 8),
// ordinary and LoRa work-mode tables, 8 Modbus channels. Reading a setting:
// put its key (channel, group, work-mode id) into byte 0 of the record and
// call the Get; the reply overwrites the whole record, and only on success.
#pragma once

#include "TslDev.h"

#pragma pack(push, 1)

typedef struct Np_LinkageEventInfo {
    int32_t eventCode;
    Np_Time time;
    uint8_t channel;  // the triggering channel
    uint8_t reserved[19];
} TSL_PACKED Np_LinkageEventInfo;
TSL_CHECK_SIZE(Np_LinkageEventInfo, 32);
TSL_CHECK_OFFSET(Np_LinkageEventInfo, time, 4);
TSL_CHECK_OFFSET(Np_LinkageEventInfo, channel, 12);

typedef struct Np_IoTEventList {
    int32_t total;
    int32_t pageNo;
    int32_t count;  // meaningful entries of `records`
    Np_LinkageEventInfo records[5];
} TSL_PACKED Np_IoTEventList;
TSL_CHECK_SIZE(Np_IoTEventList, 172);
TSL_CHECK_OFFSET(Np_IoTEventList, records, 12);

typedef struct Np_IoTInputParams {
    uint8_t channel;       // 1 to 64, the key
    uint8_t debounceTime;  // seconds
    uint8_t inputType;     // 0 normally closed, 1 with a 2.2 kOhm line resistor, 2 normally open
    char name[31];
    uint8_t reserved[30];
} TSL_PACKED Np_IoTInputParams;
TSL_CHECK_SIZE(Np_IoTInputParams, 64);
TSL_CHECK_OFFSET(Np_IoTInputParams, name, 3);
TSL_CHECK_OFFSET(Np_IoTInputParams, reserved, 34);

typedef struct Np_IoTOutputParams {
    uint8_t channel;     // 1 to 64, the key
    uint8_t closeDelay;  // seconds, each of the four
    uint8_t closeHold;
    uint8_t openDelay;
    uint8_t openHold;
    char name[31];
    uint8_t reserved[28];
} TSL_PACKED Np_IoTOutputParams;
TSL_CHECK_SIZE(Np_IoTOutputParams, 64);
TSL_CHECK_OFFSET(Np_IoTOutputParams, name, 5);
TSL_CHECK_OFFSET(Np_IoTOutputParams, reserved, 36);

// Group g holds ports 8g-7 to 8g.
typedef struct Np_IoTInputState {
    uint8_t group;     // 1 to 8, the key
    uint8_t online;    // non-zero: the group's unit is online
    uint8_t ports[8];  // 0 low, 1 normal, 2 high
    uint8_t reserved[278];
} TSL_PACKED Np_IoTInputState;
TSL_CHECK_SIZE(Np_IoTInputState, 288);
TSL_CHECK_OFFSET(Np_IoTInputState, ports, 2);
TSL_CHECK_OFFSET(Np_IoTInputState, reserved, 10);

typedef struct Np_IoTOutputState {
    uint8_t group;  // 1 to 8, the key
    uint8_t reserved1;
    uint8_t ports[8];  // 0 open, 1 closed
    uint8_t reserved2[278];
} TSL_PACKED Np_IoTOutputState;
TSL_CHECK_SIZE(Np_IoTOutputState, 288);
TSL_CHECK_OFFSET(Np_IoTOutputState, ports, 2);
TSL_CHECK_OFFSET(Np_IoTOutputState, reserved2, 10);

typedef struct Np_IoTIOControl {
    // Actions on one output (port 1 to 64): 1 close, 2 open, 7 return to
    // closed, 8 return to open. On all outputs (port 1): 9 close, 10 open,
    // 11 close in sequence, 12 open in sequence, 13 return to closed, 14
    // return to open.
    uint8_t port;
    uint8_t action;
    uint8_t reserved[30];
} TSL_PACKED Np_IoTIOControl;
TSL_CHECK_SIZE(Np_IoTIOControl, 32);

// One work-mode rule: which input conditions drive which outputs. The
// ordinary and the LoRa tables share the layout.
typedef struct Np_IoTWorkModeParams {
    uint8_t workModeId;  // the key
    uint16_t templateId;
    uint8_t mode;              // 0 one to one, 4 any condition to all, 5 all conditions to all, 6 timed,
                               // 7 interlock
    uint8_t inputEnable[64];   // input 1 first: takes part (1) or not
    uint8_t inputLevel[64];    // level that makes the condition true: 0 low, 1 normal, 2 high
    uint8_t outputAction[64];  // output 1 first: 0 follow, 1 pulse
    uint8_t outputEnable[64];  // takes part (1) or not
    uint8_t outputState[64];   // driven to: 0 open, 1 closed
    uint8_t reserved[28];
} TSL_PACKED Np_IoTWorkModeParams;
TSL_CHECK_SIZE(Np_IoTWorkModeParams, 352);
TSL_CHECK_OFFSET(Np_IoTWorkModeParams, templateId, 1);
TSL_CHECK_OFFSET(Np_IoTWorkModeParams, mode, 3);
TSL_CHECK_OFFSET(Np_IoTWorkModeParams, inputEnable, 4);
TSL_CHECK_OFFSET(Np_IoTWorkModeParams, inputLevel, 68);
TSL_CHECK_OFFSET(Np_IoTWorkModeParams, outputAction, 132);
TSL_CHECK_OFFSET(Np_IoTWorkModeParams, outputEnable, 196);
TSL_CHECK_OFFSET(Np_IoTWorkModeParams, outputState, 260);
TSL_CHECK_OFFSET(Np_IoTWorkModeParams, reserved, 324);

typedef Np_IoTWorkModeParams Np_IoTLoraWorkModeParams;

typedef struct Np_IoTLoraWorkModeKey {
    uint8_t workModeId;
    uint8_t reserved[31];
} TSL_PACKED Np_IoTLoraWorkModeKey;
TSL_CHECK_SIZE(Np_IoTLoraWorkModeKey, 32);

typedef struct Np_IoTModbusParams {
    uint8_t channel;  // 1 to 8, the key
    uint8_t enable;
    uint8_t deviceType;  // 0 to 15; 1 the IoT gateway
    uint8_t slaveAddress;
    uint8_t readFunction;   // Modbus function code: 0 or 3
    uint8_t writeFunction;  // 0, 6 or 16
    uint8_t activeUpload;   // the device sends the data on its own
    uint16_t registerStart;
    uint8_t registerCount;
    char name[31];
    uint8_t reserved[23];
} TSL_PACKED Np_IoTModbusParams;
TSL_CHECK_SIZE(Np_IoTModbusParams, 64);
TSL_CHECK_OFFSET(Np_IoTModbusParams, registerStart, 7);
TSL_CHECK_OFFSET(Np_IoTModbusParams, registerCount, 9);
TSL_CHECK_OFFSET(Np_IoTModbusParams, name, 10);
TSL_CHECK_OFFSET(Np_IoTModbusParams, reserved, 41);

typedef struct Np_IoTModbusData {
    uint8_t channel;  // the key
    uint8_t deviceType;
    float values[16];
    uint8_t validLength;
    uint8_t online;
    char names[16][31];
    char units[16][16];
    uint8_t reserved[12];
} TSL_PACKED Np_IoTModbusData;
TSL_CHECK_SIZE(Np_IoTModbusData, 832);
TSL_CHECK_OFFSET(Np_IoTModbusData, values, 2);
TSL_CHECK_OFFSET(Np_IoTModbusData, validLength, 66);
TSL_CHECK_OFFSET(Np_IoTModbusData, online, 67);
TSL_CHECK_OFFSET(Np_IoTModbusData, names, 68);
TSL_CHECK_OFFSET(Np_IoTModbusData, units, 564);
TSL_CHECK_OFFSET(Np_IoTModbusData, reserved, 820);

typedef struct Np_IoTModbusWrite {
    uint8_t channel;
    uint16_t values[16];
    uint8_t count;       // values used, 0 to 16
    uint8_t startIndex;  // register 1 to 16 at which writing starts
    uint8_t reserved[29];
} TSL_PACKED Np_IoTModbusWrite;
TSL_CHECK_SIZE(Np_IoTModbusWrite, 64);
TSL_CHECK_OFFSET(Np_IoTModbusWrite, values, 1);
TSL_CHECK_OFFSET(Np_IoTModbusWrite, count, 33);
TSL_CHECK_OFFSET(Np_IoTModbusWrite, startIndex, 34);

typedef struct Np_IoTRegisterParams {
    uint8_t channel;  // the key
    float registerA[16];
    float registerB[16];
    char names[16][31];
    char units[16][16];
    uint8_t reserved[31];
} TSL_PACKED Np_IoTRegisterParams;
TSL_CHECK_SIZE(Np_IoTRegisterParams, 912);
TSL_CHECK_OFFSET(Np_IoTRegisterParams, registerB, 65);
TSL_CHECK_OFFSET(Np_IoTRegisterParams, names, 129);
TSL_CHECK_OFFSET(Np_IoTRegisterParams, units, 625);
TSL_CHECK_OFFSET(Np_IoTRegisterParams, reserved, 881);

// One register entry to set, and the key of one to delete: their layout is
// the device's; the SDK carries them whole.
typedef struct Np_IoTRegisterParamsSingle {
    uint8_t data[80];
} TSL_PACKED Np_IoTRegisterParamsSingle;
TSL_CHECK_SIZE(Np_IoTRegisterParamsSingle, 80);

typedef struct Np_IoTRegisterKey {
    uint8_t data[32];
} TSL_PACKED Np_IoTRegisterKey;
TSL_CHECK_SIZE(Np_IoTRegisterKey, 32);

typedef struct Np_IoTAlarmIoInfo {
    uint8_t output12vEnable;
    uint8_t modbusTcpId;
    uint16_t loraId;
    uint8_t reserved[28];
} TSL_PACKED Np_IoTAlarmIoInfo;
TSL_CHECK_SIZE(Np_IoTAlarmIoInfo, 32);
TSL_CHECK_OFFSET(Np_IoTAlarmIoInfo, loraId, 2);

typedef struct Np_IoTLoraControl {
    uint8_t enable;
    uint16_t duration;  // seconds
    uint8_t reserved[29];
} TSL_PACKED Np_IoTLoraControl;
TSL_CHECK_SIZE(Np_IoTLoraControl, 32);
TSL_CHECK_OFFSET(Np_IoTLoraControl, duration, 1);

#pragma pack(pop)

// The record pointer refers to a copy that lives for the call only.
typedef void (*TSL_IoTEventCallback)(int handle, Np_LinkageEventInfo* record, void* context);

TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetWorkModeParams(int handle, Np_IoTWorkModeParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_DeleteWorkModeParams(int handle, uint8_t workModeId);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetWorkModeParams(int handle, Np_IoTWorkModeParams params);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_ClearWorkModeParams(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetInputParams(int handle, Np_IoTInputParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetInputParams(int handle, Np_IoTInputParams params);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_ClearInputParams(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetInputState(int handle, Np_IoTInputState* state);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetOutputParams(int handle, Np_IoTOutputParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetOutputParams(int handle, Np_IoTOutputParams params);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_ClearOutputParams(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetOutputState(int handle, Np_IoTOutputState* state);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_IOControl(int handle, Np_IoTIOControl control);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetModbusParams(int handle, Np_IoTModbusParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_DeleteModbusParams(int handle, uint8_t channel);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetModbusParams(int handle, Np_IoTModbusParams params);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_ClearModbusParams(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetModbusData(int handle, Np_IoTModbusData* data);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetModbusData(int handle, Np_IoTModbusWrite data);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetRegisterParams(int handle, Np_IoTRegisterParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_DeleteRegisterParams(int handle, uint8_t channel);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetRegisterParams(int handle, Np_IoTRegisterParams params);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_ClearRegisterParams(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetAlarmIoInfo(int handle, Np_IoTAlarmIoInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetAlarmIoInfo(int handle, Np_IoTAlarmIoInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_DeleteRegisterParamsSingle(int handle, Np_IoTRegisterKey key);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetRegisterParamsSingle(int handle, Np_IoTRegisterParamsSingle params);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_LoraControl(int handle, Np_IoTLoraControl control);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetLoraWorkModeParams(int handle, Np_IoTLoraWorkModeParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_DeleteLoraWorkModeParams(int handle, Np_IoTLoraWorkModeKey key);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetLoraWorkModeParams(int handle, Np_IoTLoraWorkModeParams params);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_ClearLoraWorkModeParams(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetEvent(int handle, Np_EventQuery query, Np_IoTEventList* events);

// Events: a callback subscribes (basic: real time; Full: every event) and is
// kept only if the device accepts; a null one unsubscribes and is cleared
// whatever the device answers. The context is the one set at registration.
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetEventCallback(int handle, TSL_IoTEventCallback callback);
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetEventCallbackFull(int handle, TSL_IoTEventCallback callback);

#ifdef __cplusplus
TSL_API int TSL_NET_IoT_SetEventCallback(int handle, std::function<void(int, Np_LinkageEventInfo)> callback);
TSL_API int TSL_NET_IoT_SetEventCallbackFull(int handle,
                                             std::function<void(int, Np_LinkageEventInfo)> callback);
#endif
