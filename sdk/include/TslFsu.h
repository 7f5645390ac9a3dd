// Power and environment monitoring units (type 102): TSL_NET_FSU_* exports
// and Np_Fsu* records.
#pragma once

#include "TslDev.h"

#ifdef __cplusplus
#include <functional>
#endif

#pragma pack(push, 1)

// Text fields hold NUL-terminated UTF-8 unless a comment says otherwise.

typedef struct Np_FsuEventInfo {
    int32_t eventCode;
    Np_Time time;
    uint8_t channel;
    uint8_t channelIndex;  // index within the channel
    int32_t sourceType;    // 1 device, 2 input, 3 output, 4 ADC, 5 Modbus
    float value;
    float threshold;
    uint8_t reserved[54];
} TSL_PACKED Np_FsuEventInfo;
TSL_CHECK_SIZE(Np_FsuEventInfo, 80);
TSL_CHECK_OFFSET(Np_FsuEventInfo, channel, 12);
TSL_CHECK_OFFSET(Np_FsuEventInfo, sourceType, 14);
TSL_CHECK_OFFSET(Np_FsuEventInfo, value, 18);
TSL_CHECK_OFFSET(Np_FsuEventInfo, threshold, 22);

typedef struct Np_FsuEventList {
    int32_t total;
    int32_t pageNo;
    int32_t count;
    Np_FsuEventInfo records[5];
} TSL_PACKED Np_FsuEventList;
TSL_CHECK_SIZE(Np_FsuEventList, 412);

// One page of stored Modbus, analog, input or output history; the device
// defines its layout.
typedef struct Np_FsuEventDataList {
    uint8_t data[892];
} TSL_PACKED Np_FsuEventDataList;
TSL_CHECK_SIZE(Np_FsuEventDataList, 892);

// Pushed live data (4800 to 4803); the device defines their layout.
typedef struct Np_FsuModbusData {
    uint8_t data[448];
} TSL_PACKED Np_FsuModbusData;
TSL_CHECK_SIZE(Np_FsuModbusData, 448);

typedef struct Np_FsuAnalogData {
    uint8_t data[848];
} TSL_PACKED Np_FsuAnalogData;
TSL_CHECK_SIZE(Np_FsuAnalogData, 848);

typedef struct Np_FsuInputData {
    uint8_t data[544];
} TSL_PACKED Np_FsuInputData;
TSL_CHECK_SIZE(Np_FsuInputData, 544);

typedef struct Np_FsuOutputData {
    uint8_t data[576];
} TSL_PACKED Np_FsuOutputData;
TSL_CHECK_SIZE(Np_FsuOutputData, 576);

typedef struct Np_FsuUserData {
    uint8_t index;  // account 1 to 16
    char name[16];
    char password[16];
    uint8_t valid;
    uint8_t reserved1;
    int32_t permissions;  // bit 0 configure, bit 1 upgrade
    uint8_t reserved[25];
} TSL_PACKED Np_FsuUserData;
TSL_CHECK_SIZE(Np_FsuUserData, 64);
TSL_CHECK_OFFSET(Np_FsuUserData, password, 17);
TSL_CHECK_OFFSET(Np_FsuUserData, valid, 33);
TSL_CHECK_OFFSET(Np_FsuUserData, permissions, 35);

typedef struct Np_FsuIpBindParams {
    uint8_t enable;
    char ip[4][16];  // dotted decimal
    uint8_t reserved[31];
} TSL_PACKED Np_FsuIpBindParams;
TSL_CHECK_SIZE(Np_FsuIpBindParams, 96);
TSL_CHECK_OFFSET(Np_FsuIpBindParams, reserved, 65);

typedef struct Np_FsuMacBindParams {
    uint8_t enable;
    char mac[4][18];
    uint8_t reserved[23];
} TSL_PACKED Np_FsuMacBindParams;
TSL_CHECK_SIZE(Np_FsuMacBindParams, 96);
TSL_CHECK_OFFSET(Np_FsuMacBindParams, reserved, 73);

// Base parameters; intervals in minutes, frame intervals and time-out in ms.
typedef struct Np_FsuDeviceInfo {
    uint8_t modbusUpload;
    uint8_t analogUpload;
    uint8_t inputUpload;
    uint8_t outputUpload;
    uint32_t uploadInterval;
    uint8_t storageEnable;
    uint32_t normalRecordInterval;
    uint32_t alarmRecordInterval;
    uint8_t tamperBuzzerOff;  // 1: the tamper buzzer is disabled
    uint8_t motionBuzzerOff;  // 1: the motion buzzer is disabled
    uint8_t modbusTcpId;
    uint8_t frameIntervalA;  // ports 1 to 4
    uint8_t frameIntervalB;  // ports 5 to 9
    int16_t responseTimeout;
    uint8_t reserved[8];
} TSL_PACKED Np_FsuDeviceInfo;
TSL_CHECK_SIZE(Np_FsuDeviceInfo, 32);
TSL_CHECK_OFFSET(Np_FsuDeviceInfo, uploadInterval, 4);
TSL_CHECK_OFFSET(Np_FsuDeviceInfo, normalRecordInterval, 9);
TSL_CHECK_OFFSET(Np_FsuDeviceInfo, alarmRecordInterval, 13);
TSL_CHECK_OFFSET(Np_FsuDeviceInfo, tamperBuzzerOff, 17);
TSL_CHECK_OFFSET(Np_FsuDeviceInfo, responseTimeout, 22);

// One Modbus peripheral.
typedef struct Np_FsuModbusParams {
    uint8_t channel;  // peripheral 0 to 15
    uint8_t enable;
    uint8_t deviceType;
    uint8_t address;        // slave address
    uint8_t readFunction;   // 0 none, 1, 3
    uint8_t writeFunction;  // 0 none, 5, 6, 15, 16
    uint8_t activeUpload;
    uint16_t startAddress;
    uint8_t dataLength;  // 1 to 8 registers
    char name[31];
    uint8_t reserved[23];
} TSL_PACKED Np_FsuModbusParams;
TSL_CHECK_SIZE(Np_FsuModbusParams, 64);
TSL_CHECK_OFFSET(Np_FsuModbusParams, startAddress, 7);
TSL_CHECK_OFFSET(Np_FsuModbusParams, name, 10);
TSL_CHECK_OFFSET(Np_FsuModbusParams, reserved, 41);

// The current values of one Modbus peripheral.
typedef struct Np_FsuModbusValues {
    uint8_t channel;
    uint8_t deviceType;
    float values[8];
    uint8_t validLength;  // registers holding data
    uint8_t online;
    char names[8][31];
    char units[8][16];
    uint8_t reserved[100];
} TSL_PACKED Np_FsuModbusValues;
TSL_CHECK_SIZE(Np_FsuModbusValues, 512);
TSL_CHECK_OFFSET(Np_FsuModbusValues, values, 2);
TSL_CHECK_OFFSET(Np_FsuModbusValues, validLength, 34);
TSL_CHECK_OFFSET(Np_FsuModbusValues, names, 36);
TSL_CHECK_OFFSET(Np_FsuModbusValues, units, 284);
TSL_CHECK_OFFSET(Np_FsuModbusValues, reserved, 412);

typedef struct Np_FsuModbusWrite {
    uint8_t channel;
    uint16_t values[8];
    uint8_t count;  // values used, 0 to 8
    uint8_t writeFunction;
    uint8_t reserved[29];
} TSL_PACKED Np_FsuModbusWrite;
TSL_CHECK_SIZE(Np_FsuModbusWrite, 48);
TSL_CHECK_OFFSET(Np_FsuModbusWrite, count, 17);
TSL_CHECK_OFFSET(Np_FsuModbusWrite, writeFunction, 18);

// Selects a register group (a; b and c zero) or a register table record.
typedef struct Np_FsuRegisterKey {
    uint8_t a;
    uint8_t b;
    uint8_t c;
    uint8_t reserved[29];
} TSL_PACKED Np_FsuRegisterKey;
TSL_CHECK_SIZE(Np_FsuRegisterKey, 32);

// The parameters of one group of 8 registers, column by column.
typedef struct Np_FsuRegisterParams {
    uint8_t channel;
    float valueA[8];
    float valueB[8];
    uint8_t upperEnabled[8];
    float upperThreshold[8];
    uint8_t lowerEnabled[8];
    float lowerThreshold[8];
    float hysteresis[8];
    uint8_t thresholdType[8];  // 1 upper and lower limits, 2 equal to
    char name[8][31];
    char unit[8][16];
    uint8_t reserved[79];
} TSL_PACKED Np_FsuRegisterParams;
TSL_CHECK_SIZE(Np_FsuRegisterParams, 640);
TSL_CHECK_OFFSET(Np_FsuRegisterParams, valueB, 33);
TSL_CHECK_OFFSET(Np_FsuRegisterParams, upperEnabled, 65);
TSL_CHECK_OFFSET(Np_FsuRegisterParams, upperThreshold, 73);
TSL_CHECK_OFFSET(Np_FsuRegisterParams, lowerEnabled, 105);
TSL_CHECK_OFFSET(Np_FsuRegisterParams, lowerThreshold, 113);
TSL_CHECK_OFFSET(Np_FsuRegisterParams, hysteresis, 145);
TSL_CHECK_OFFSET(Np_FsuRegisterParams, thresholdType, 177);
TSL_CHECK_OFFSET(Np_FsuRegisterParams, name, 185);
TSL_CHECK_OFFSET(Np_FsuRegisterParams, unit, 433);
TSL_CHECK_OFFSET(Np_FsuRegisterParams, reserved, 561);

typedef struct Np_FsuRegisterDesc {
    uint8_t channel;
    char desc[8][128];
} TSL_PACKED Np_FsuRegisterDesc;
TSL_CHECK_SIZE(Np_FsuRegisterDesc, 1025);

// One register's parameters; the device defines the layout.
typedef struct Np_FsuRegisterParamsSingle {
    uint8_t data[96];
} TSL_PACKED Np_FsuRegisterParamsSingle;
TSL_CHECK_SIZE(Np_FsuRegisterParamsSingle, 96);

typedef struct Np_FsuRegisterMap {
    uint8_t typeNo;
    uint8_t count;  // addresses used, 0 to 100
    int16_t regAddr[100];
    int32_t platformBaseAddr;
    uint8_t reserved[50];
} TSL_PACKED Np_FsuRegisterMap;
TSL_CHECK_SIZE(Np_FsuRegisterMap, 256);
TSL_CHECK_OFFSET(Np_FsuRegisterMap, regAddr, 2);
TSL_CHECK_OFFSET(Np_FsuRegisterMap, platformBaseAddr, 202);

typedef struct Np_FsuAnalogParams {
    uint8_t channel;  // 1 to 16
    uint8_t kind;     // 1 current, 2 voltage
    uint8_t deviceType;
    uint8_t enabled;
    float registerA;
    float registerB;
    uint8_t upperEnabled;
    float upperThreshold;
    uint8_t lowerEnabled;
    float lowerThreshold;
    float offset;
    char name[31];
    char unit[16];
    uint8_t reserved[23];
} TSL_PACKED Np_FsuAnalogParams;
TSL_CHECK_SIZE(Np_FsuAnalogParams, 96);
TSL_CHECK_OFFSET(Np_FsuAnalogParams, registerA, 4);
TSL_CHECK_OFFSET(Np_FsuAnalogParams, upperThreshold, 13);
TSL_CHECK_OFFSET(Np_FsuAnalogParams, lowerThreshold, 18);
TSL_CHECK_OFFSET(Np_FsuAnalogParams, offset, 22);
TSL_CHECK_OFFSET(Np_FsuAnalogParams, name, 26);
TSL_CHECK_OFFSET(Np_FsuAnalogParams, unit, 57);
TSL_CHECK_OFFSET(Np_FsuAnalogParams, reserved, 73);

typedef struct Np_FsuAnalogCalibrateParams {
    int16_t values[16];  // mV or uA, channel 1 first
    uint8_t reserved[32];
} TSL_PACKED Np_FsuAnalogCalibrateParams;
TSL_CHECK_SIZE(Np_FsuAnalogCalibrateParams, 64);

typedef struct Np_FsuAnalogChannelData {
    uint8_t channel;
    float value;  // mV or uA
    char name[31];
    char unit[16];
    uint8_t reserved[28];
} TSL_PACKED Np_FsuAnalogChannelData;
TSL_CHECK_SIZE(Np_FsuAnalogChannelData, 80);
TSL_CHECK_OFFSET(Np_FsuAnalogChannelData, name, 5);
TSL_CHECK_OFFSET(Np_FsuAnalogChannelData, unit, 36);
TSL_CHECK_OFFSET(Np_FsuAnalogChannelData, reserved, 52);

typedef struct Np_FsuRs485Info {
    uint8_t port;  // 1 to 8 RS485, 9 RS232
    int32_t baudRate;
    int32_t dataBits;  // 8 or 9
    int32_t stopBits;  // 1 or 2
    int32_t parity;    // 0 none, 1 even, 2 odd
    uint8_t reserved[31];
} TSL_PACKED Np_FsuRs485Info;
TSL_CHECK_SIZE(Np_FsuRs485Info, 48);
TSL_CHECK_OFFSET(Np_FsuRs485Info, baudRate, 1);
TSL_CHECK_OFFSET(Np_FsuRs485Info, parity, 13);

typedef struct Np_FsuInputParams {
    uint8_t channel;    // 1 to 16
    uint8_t delay;      // seconds
    uint8_t inputType;  // 0 normal, 1 end-of-line resistor
    char name[31];
    uint8_t alarmType;  // 0 none, 1 short, 2 end-of-line, 3 open, 4 short or open
    uint8_t reserved[29];
} TSL_PACKED Np_FsuInputParams;
TSL_CHECK_SIZE(Np_FsuInputParams, 64);
TSL_CHECK_OFFSET(Np_FsuInputParams, name, 3);
TSL_CHECK_OFFSET(Np_FsuInputParams, alarmType, 34);

typedef struct Np_FsuOutputParams {
    uint8_t channel;  // 1 to 17
    uint8_t delay;    // seconds
    char name[31];
    uint8_t reserved[31];
} TSL_PACKED Np_FsuOutputParams;
TSL_CHECK_SIZE(Np_FsuOutputParams, 64);
TSL_CHECK_OFFSET(Np_FsuOutputParams, reserved, 33);

typedef struct Np_FsuInputState {
    uint8_t state[16];  // 0 low level, 1 normal, 2 high level
    char name[16][31];
    uint8_t reserved[288];
} TSL_PACKED Np_FsuInputState;
TSL_CHECK_SIZE(Np_FsuInputState, 800);
TSL_CHECK_OFFSET(Np_FsuInputState, reserved, 512);

// 16 outputs plus the separately controlled one.
typedef struct Np_FsuOutputState {
    uint8_t state[17];  // 0 open, 1 closed
    char name[17][31];
    uint8_t reserved[304];
} TSL_PACKED Np_FsuOutputState;
TSL_CHECK_SIZE(Np_FsuOutputState, 848);
TSL_CHECK_OFFSET(Np_FsuOutputState, reserved, 544);

typedef struct Np_FsuAlarmFilterInfo {
    uint8_t channel;
    uint8_t filterMode[16];  // per input: 0 not configured, 1 display, 2 filter detection
    uint8_t reserved[31];
} TSL_PACKED Np_FsuAlarmFilterInfo;
TSL_CHECK_SIZE(Np_FsuAlarmFilterInfo, 48);

typedef struct Np_FsuIOControl {
    uint8_t output;   // 1 to 16, 17 the separately controlled output
    uint8_t command;  // 1 normally closed, 2 normally open, 3 close momentarily, 4 restore
    uint8_t reserved[30];
} TSL_PACKED Np_FsuIOControl;
TSL_CHECK_SIZE(Np_FsuIOControl, 32);

// An input event switches an output.
typedef struct Np_FsuLinkageInfo {
    uint8_t linkageId;
    int32_t eventNumber;
    uint8_t inputChannel;
    uint8_t channelIndex;
    uint8_t outputType;  // 1 I/O output
    uint8_t outputChannel;
    uint8_t actionType;  // 1 normally closed, 2 normally open, 3 close momentarily, 4 restore
    uint8_t reserved[22];
} TSL_PACKED Np_FsuLinkageInfo;
TSL_CHECK_SIZE(Np_FsuLinkageInfo, 32);
TSL_CHECK_OFFSET(Np_FsuLinkageInfo, inputChannel, 5);
TSL_CHECK_OFFSET(Np_FsuLinkageInfo, actionType, 9);

// The register table's 32 column names; a name of 32 bytes has no NUL.
typedef struct Np_FsuModbusHead {
    char names[32][32];
} TSL_PACKED Np_FsuModbusHead;
TSL_CHECK_SIZE(Np_FsuModbusHead, 1024);

// One register table record. Its columns are what the head names them; the
// fields are named after their CSV cell. Texts fill their field without NUL
// when they are as long as it.
typedef struct Np_FsuModbusRecord {
    uint8_t status;  // read: 0 a record exists at the key
    char cell0[31];
    uint8_t cell1to8[8];
    uint8_t cell9;
    uint16_t cell10;
    uint8_t cell11;
    char cell12[31];
    char cell13[16];
    int32_t cell14;
    uint8_t cell15;
    uint16_t cell16;
    char cell17[31];
    char cell18[16];
    char cell19[16];
    char cell20[128];
    float cell21;
    float cell22;
    uint8_t cell23;
    float cell24;
    uint8_t cell25;
    float cell26;
    float cell27;
    uint8_t cell28;
    uint8_t cell29;
    uint8_t reserved[263];
} TSL_PACKED Np_FsuModbusRecord;
TSL_CHECK_SIZE(Np_FsuModbusRecord, 576);
TSL_CHECK_OFFSET(Np_FsuModbusRecord, cell1to8, 32);
TSL_CHECK_OFFSET(Np_FsuModbusRecord, cell10, 41);
TSL_CHECK_OFFSET(Np_FsuModbusRecord, cell12, 44);
TSL_CHECK_OFFSET(Np_FsuModbusRecord, cell14, 91);
TSL_CHECK_OFFSET(Np_FsuModbusRecord, cell16, 96);
TSL_CHECK_OFFSET(Np_FsuModbusRecord, cell17, 98);
TSL_CHECK_OFFSET(Np_FsuModbusRecord, cell20, 161);
TSL_CHECK_OFFSET(Np_FsuModbusRecord, cell21, 289);
TSL_CHECK_OFFSET(Np_FsuModbusRecord, cell24, 298);
TSL_CHECK_OFFSET(Np_FsuModbusRecord, cell26, 303);
TSL_CHECK_OFFSET(Np_FsuModbusRecord, cell28, 311);
TSL_CHECK_OFFSET(Np_FsuModbusRecord, reserved, 313);

#pragma pack(pop)

// The record pointer of a callback refers to a copy valid during the call;
// `context` is the device's context when the callback was set.
typedef void (*TSL_FsuEventCallback)(int handle, Np_FsuEventInfo* event, void* context);
typedef void (*TSL_FsuModbusDataCallback)(int handle, const Np_FsuModbusData* data, void* context);
typedef void (*TSL_FsuAnalogDataCallback)(int handle, const Np_FsuAnalogData* data, void* context);
typedef void (*TSL_FsuInputDataCallback)(int handle, const Np_FsuInputData* data, void* context);
typedef void (*TSL_FsuOutputDataCallback)(int handle, const Np_FsuOutputData* data, void* context);

// User accounts.
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetUserData(int handle, Np_FsuUserData* user);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteUserData(int handle, uint8_t index);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetUserData(int handle, Np_FsuUserData user);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearUserData(int handle);

// IP and MAC binding.
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetIpBindParams(int handle, Np_FsuIpBindParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetIpBindParams(int handle, Np_FsuIpBindParams params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearIpBindParams(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetMacBindParams(int handle, Np_FsuMacBindParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetMacBindParams(int handle, Np_FsuMacBindParams params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearMacBindParams(int handle);

// Base parameters.
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetDeviceInfo(int handle, Np_FsuDeviceInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetDeviceInfo(int handle, Np_FsuDeviceInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearDeviceInfo(int handle);

// Modbus peripherals and their values.
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetModbusParams(int handle, Np_FsuModbusParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteModbusParams(int handle, uint8_t channel);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetModbusParams(int handle, Np_FsuModbusParams params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearModbusParams(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetModbusData(int handle, Np_FsuModbusValues* values);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetModbusData(int handle, Np_FsuModbusWrite data);

// Register groups, single registers, descriptions and the register map.
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetRegisterParams(int handle, Np_FsuRegisterParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteRegisterParams(int handle, uint8_t channel);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetRegisterParams(int handle, Np_FsuRegisterParams params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearRegisterParams(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteRegisterParamsSingle(int handle, Np_FsuRegisterKey key);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetRegisterParamsSingle(int handle, Np_FsuRegisterParamsSingle params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetRegisterDesc(int handle, Np_FsuRegisterKey key,
                                                     Np_FsuRegisterDesc* desc);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteRegisterDesc(int handle, Np_FsuRegisterKey key);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetRegisterDesc(int handle, Np_FsuRegisterDesc desc);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearRegisterDesc(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetRegisterMap(int handle, Np_FsuRegisterMap* map);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteRegisterMap(int handle, uint8_t typeNo);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetRegisterMap(int handle, Np_FsuRegisterMap map);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearRegisterMap(int handle);

// Analog channels.
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetAnalogParams(int handle, Np_FsuAnalogParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteAnalogParams(int handle, uint8_t channel);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetAnalogParams(int handle, Np_FsuAnalogParams params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearAnalogParams(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetAnalogCalibrateParams(int handle,
                                                              Np_FsuAnalogCalibrateParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetAnalogCalibrateParams(int handle, Np_FsuAnalogCalibrateParams params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearAnalogCalibrateParams(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetAnalogData(int handle, Np_FsuAnalogChannelData* data);

// Serial ports.
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetRs485Info(int handle, Np_FsuRs485Info* info);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetRs485Info(int handle, Np_FsuRs485Info info);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearRs485Info(int handle);

// Inputs, outputs, alarm filter, output control and linkage.
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetInputParams(int handle, Np_FsuInputParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetInputParams(int handle, Np_FsuInputParams params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearInputParams(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetInputState(int handle, Np_FsuInputState* state);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetOutputParams(int handle, Np_FsuOutputParams* params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetOutputParams(int handle, Np_FsuOutputParams params);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearOutputParams(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetOutputState(int handle, Np_FsuOutputState* state);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetAlarmFilterInfo(int handle, Np_FsuAlarmFilterInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetAlarmFilterInfo(int handle, Np_FsuAlarmFilterInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_IOControl(int handle, Np_FsuIOControl control);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetLinkageInfo(int handle, Np_FsuLinkageInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteLinkageInfo(int handle, uint8_t linkageId);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetLinkageInfo(int handle, Np_FsuLinkageInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearLinkageInfo(int handle);

// Stored history and events, one page per call.
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetModbusEventData(int handle, Np_EventQuery query,
                                                        Np_FsuEventDataList* list);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetAnalogEventData(int handle, Np_EventQuery query,
                                                        Np_FsuEventDataList* list);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetInputEventData(int handle, Np_EventQuery query,
                                                       Np_FsuEventDataList* list);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetOutputEventData(int handle, Np_EventQuery query,
                                                        Np_FsuEventDataList* list);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetEvent(int handle, Np_EventQuery query, Np_FsuEventList* list);

// Structure file: at most 20,480 bytes written; `buffer` of a read holds
// 10,240 bytes, the data contiguous from its start, `length` their count.
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetStructFile(int handle, uint8_t* buffer, uint32_t* length);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetStructFile(int handle, const uint8_t* data, int length);

// Register table: single head and record requests, and CSV files of the
// whole table (a header row of the 32 names, one 30-cell row per record).
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ModbusExportHead(int handle, Np_FsuModbusHead* head);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ModbusExportData(int handle, Np_FsuRegisterKey key,
                                                      Np_FsuModbusRecord* record);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ModbusImportHead(int handle, Np_FsuModbusHead head);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ModbusImportData(int handle, Np_FsuModbusRecord record);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ModbusClearHead(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ModbusExportCsv(int handle, const char* path);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ModbusImportCsv(int handle, const char* path);

// Events: a callback subscribes (basic or full) and is kept only when the
// device accepts; a null one unsubscribes and clears it whatever the answer.
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetEventCallback(int handle, TSL_FsuEventCallback callback);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetEventCallbackFull(int handle, TSL_FsuEventCallback callback);

// Pushed data: stored or cleared (null) without any request; return 0.
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetModbusDataCallback(int handle, TSL_FsuModbusDataCallback callback);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetAnalogDataCallback(int handle, TSL_FsuAnalogDataCallback callback);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetInputDataCallback(int handle, TSL_FsuInputDataCallback callback);
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetOutputDataCallback(int handle, TSL_FsuOutputDataCallback callback);

#ifdef __cplusplus
// The std::function forms; an empty function unsubscribes or clears.
TSL_API int TSL_NET_FSU_SetEventCallback(int handle, std::function<void(int, Np_FsuEventInfo)> callback);
TSL_API int TSL_NET_FSU_SetEventCallbackFull(int handle, std::function<void(int, Np_FsuEventInfo)> callback);
TSL_API int TSL_NET_FSU_SetModbusDataCallback(int handle,
                                              std::function<void(int, Np_FsuModbusData)> callback);
TSL_API int TSL_NET_FSU_SetAnalogDataCallback(int handle,
                                              std::function<void(int, Np_FsuAnalogData)> callback);
TSL_API int TSL_NET_FSU_SetInputDataCallback(int handle, std::function<void(int, Np_FsuInputData)> callback);
TSL_API int TSL_NET_FSU_SetOutputDataCallback(int handle,
                                              std::function<void(int, Np_FsuOutputData)> callback);
#endif
