// Library-wide and common device exports (TSL_NET_DEV_*) and their records.
#pragma once

#include "TslDefs.h"
#include "TslDiscovery.h"

#ifdef __cplusplus
#include <functional>
#endif

#pragma pack(push, 1)

// A device date and time; shown as "%04d-%02d-%02d %02d:%02d:%02d".
typedef struct Np_Time {
    uint16_t year;
    uint8_t month;
    uint8_t day;
    uint8_t hour;
    uint8_t minute;
    uint8_t second;
    uint8_t reserved;
} TSL_PACKED Np_Time;
TSL_CHECK_SIZE(Np_Time, 8);

typedef struct Np_Date {
    uint16_t year;
    uint8_t month;
    uint8_t day;
} TSL_PACKED Np_Date;
TSL_CHECK_SIZE(Np_Date, 4);

// The 128-byte reply of a login; the SDK reads none of it.
typedef struct Np_LoginInfo {
    uint8_t data[128];
} TSL_PACKED Np_LoginInfo;
TSL_CHECK_SIZE(Np_LoginInfo, 128);

typedef struct Np_DeviceInfo {
    char serialNo[48];
    char deviceName[32];
    char deviceModel[32];
    char mac[18];
    char protocolVersion[8];
    char firmwareVersion[40];
    char hardwareVersion[30];
} TSL_PACKED Np_DeviceInfo;
TSL_CHECK_SIZE(Np_DeviceInfo, 208);
TSL_CHECK_OFFSET(Np_DeviceInfo, deviceModel, 80);
TSL_CHECK_OFFSET(Np_DeviceInfo, mac, 112);
TSL_CHECK_OFFSET(Np_DeviceInfo, protocolVersion, 130);
TSL_CHECK_OFFSET(Np_DeviceInfo, firmwareVersion, 138);
TSL_CHECK_OFFSET(Np_DeviceInfo, hardwareVersion, 178);

typedef struct Np_DeviceNameInfo {
    char name[32];
    char model[32];
    uint8_t reserved[16];
} TSL_PACKED Np_DeviceNameInfo;
TSL_CHECK_SIZE(Np_DeviceNameInfo, 80);

typedef struct Np_DeviceNetworkInfo {
    uint8_t mode;  // 0 manual, 1 automatic
    uint8_t reserved1;
    char ip[16];
    char mask[16];
    char gateway[16];
    int32_t port;
    uint8_t reserved2[26];
} TSL_PACKED Np_DeviceNetworkInfo;
TSL_CHECK_SIZE(Np_DeviceNetworkInfo, 80);
TSL_CHECK_OFFSET(Np_DeviceNetworkInfo, port, 50);

typedef struct Np_Rs485Port {
    int32_t baudRate;
    int32_t dataBits;
    int32_t stopBits;
    int32_t parity;  // 0 none, 1 even, 2 odd
} TSL_PACKED Np_Rs485Port;
TSL_CHECK_SIZE(Np_Rs485Port, 16);

typedef struct Np_DeviceRs485Info {
    Np_Rs485Port upstream;
    Np_Rs485Port downstream;
    uint8_t reserved[16];
} TSL_PACKED Np_DeviceRs485Info;
TSL_CHECK_SIZE(Np_DeviceRs485Info, 48);

typedef struct Np_NtpInfo {
    uint8_t enable;
    char serverIp[16];
    int32_t serverPort;
    uint8_t reserved[27];
} TSL_PACKED Np_NtpInfo;
TSL_CHECK_SIZE(Np_NtpInfo, 48);
TSL_CHECK_OFFSET(Np_NtpInfo, serverPort, 17);

typedef struct Np_TimeSegment {
    uint8_t startHour;
    uint8_t startMinute;
    uint8_t startSecond;
    uint8_t reserved1;
    uint8_t endHour;
    uint8_t endMinute;
    uint8_t endSecond;
    uint8_t reserved2;
} TSL_PACKED Np_TimeSegment;
TSL_CHECK_SIZE(Np_TimeSegment, 8);

typedef struct Np_PlanDay {
    uint8_t weekday;  // 0 Sunday to 6 Saturday
    Np_TimeSegment segments[5];
} TSL_PACKED Np_PlanDay;
TSL_CHECK_SIZE(Np_PlanDay, 41);

typedef struct Np_WeekPlan {
    uint16_t id;
    Np_PlanDay days[7];
    uint8_t reserved[31];
} TSL_PACKED Np_WeekPlan;
TSL_CHECK_SIZE(Np_WeekPlan, 320);
TSL_CHECK_OFFSET(Np_WeekPlan, reserved, 289);

typedef struct Np_HolidayPlan {
    uint16_t id;
    Np_Date startDate;
    Np_Date endDate;
    Np_TimeSegment segments[5];
    uint8_t reserved[30];
} TSL_PACKED Np_HolidayPlan;
TSL_CHECK_SIZE(Np_HolidayPlan, 80);
TSL_CHECK_OFFSET(Np_HolidayPlan, segments, 10);

typedef struct Np_PlanTemplate {
    uint16_t id;
    uint16_t weekPlanId;
    uint16_t holidayPlanIds[24];
    char name[60];
} TSL_PACKED Np_PlanTemplate;
TSL_CHECK_SIZE(Np_PlanTemplate, 112);
TSL_CHECK_OFFSET(Np_PlanTemplate, name, 52);

typedef struct Np_IdListQuery {
    uint32_t kind;  // 0 linkage, 1 multi-card, 2 templates, 3 week plans, 4 holiday plans, 5 work modes
    uint8_t reserved[28];
} TSL_PACKED Np_IdListQuery;
TSL_CHECK_SIZE(Np_IdListQuery, 32);

typedef struct Np_IdList {
    uint32_t value;
    uint32_t count;
    uint8_t ids[280];
} TSL_PACKED Np_IdList;
TSL_CHECK_SIZE(Np_IdList, 288);

typedef struct Np_EventQuery {
    Np_Time startTime;
    Np_Time endTime;
    int32_t pageNo;  // from 1
    int32_t pageSize;
    uint8_t reserved[24];
} TSL_PACKED Np_EventQuery;
TSL_CHECK_SIZE(Np_EventQuery, 48);

// Head of every log and event page.
typedef struct Np_ListHead {
    int32_t total;
    int32_t pageNo;
    int32_t count;
} TSL_PACKED Np_ListHead;
TSL_CHECK_SIZE(Np_ListHead, 12);

typedef struct Np_LogInfo {
    char ipAddress[16];
    int32_t logType;  // 1 system operation, 2 configuration, 4 event
    Np_Time time;
    char userName[64];
    char content[36];
} TSL_PACKED Np_LogInfo;
TSL_CHECK_SIZE(Np_LogInfo, 128);
TSL_CHECK_OFFSET(Np_LogInfo, time, 20);
TSL_CHECK_OFFSET(Np_LogInfo, userName, 28);
TSL_CHECK_OFFSET(Np_LogInfo, content, 92);

typedef struct Np_LogList {
    int32_t total;
    int32_t pageNo;
    int32_t count;
    Np_LogInfo records[5];
} TSL_PACKED Np_LogList;
TSL_CHECK_SIZE(Np_LogList, 652);

#pragma pack(pop)

typedef void (*TSL_DisconnectCallback)(int handle, void* context);
typedef void (*TSL_ProgressCallback)(int handle, int value, void* context);

// Library.
TSL_EXTERN_C TSL_API int TSL_NET_DEV_Init(void);
// Starts the log file in "./log/" beside `path`; nothing is logged before.
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetLogPath(const char* path);
// A line of the caller's own in the same log, at `level` (0 ERROR to 4
// TRACE); 0. Before the log is started, for a null text or another level,
// nothing is written.
TSL_EXTERN_C TSL_API int TSL_NET_DEV_WriteLog(int level, const char* text);
// Text of a status code (UTF-8); valid for the life of the process.
TSL_EXTERN_C TSL_API const char* TSL_NET_DEV_GetErrorCodeStr(int code);

// Login: a handle from 1 to 256, 0 when none is free, negative on failure.
TSL_EXTERN_C TSL_API int TSL_NET_DEV_Login(int deviceType, const char* ip, int port, const char* user,
                                           const char* password, int timeoutMs, Np_LoginInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_Logout(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_Cleanup(void);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetContext(int handle, void* context);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetDisconnectCallback(int handle, TSL_DisconnectCallback callback);

// Common device operations.
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetTime(int handle, Np_Time* time);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetTime(int handle, Np_Time time);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetNtpInfo(int handle, Np_NtpInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetNtpInfo(int handle, Np_NtpInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetPlanTemplate(int handle, Np_PlanTemplate* plan);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_DeletePlanTemplate(int handle, int id);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetPlanTemplate(int handle, Np_PlanTemplate plan);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ClearPlanTemplate(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetWeekPlan(int handle, Np_WeekPlan* plan);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_DeleteWeekPlan(int handle, int id);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetWeekPlan(int handle, Np_WeekPlan plan);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ClearWeekPlan(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetHolidayPlan(int handle, Np_HolidayPlan* plan);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_DeleteHolidayPlan(int handle, int id);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetHolidayPlan(int handle, Np_HolidayPlan plan);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ClearHolidayPlan(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetDeviceInfo(int handle, Np_DeviceInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetDeviceInfo(int handle, Np_DeviceInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetDeviceNameInfo(int handle, Np_DeviceNameInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetDeviceNameInfo(int handle, Np_DeviceNameInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetDeviceNetworkInfo(int handle, Np_DeviceNetworkInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetDeviceNetworkInfo(int handle, Np_DeviceNetworkInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetDeviceNetworkInfo2(int handle, Np_DeviceNetworkInfo* info);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetDeviceNetworkInfo2(int handle, Np_DeviceNetworkInfo info);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetDeviceRs485Info(int handle, Np_DeviceRs485Info* info);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetDeviceRs485Info(int handle, Np_DeviceRs485Info info);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetIdList(int handle, Np_IdListQuery query, Np_IdList* list);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetLog(int handle, Np_EventQuery query, Np_LogList* list);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ClearLog(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ClearEvent(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetPassword(int handle, const char* password);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_Reboot(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_Format(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_Restore(int handle);
// `text` needs room for 256 bytes.
TSL_EXTERN_C TSL_API int TSL_NET_DEV_TestControl(int handle, bool on, char* text);

// File transfers. Progress values: > 0 progress, 0 finished, < 0 failure.
TSL_EXTERN_C TSL_API int TSL_NET_DEV_StartUpgrade(int handle, const char* path,
                                                  TSL_ProgressCallback callback);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_StartUpgradeAsync(int handle, const char* path,
                                                       TSL_ProgressCallback callback);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ExportConfigFile(int handle, const char* path,
                                                      TSL_ProgressCallback callback);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ExportConfigFileAsync(int handle, const char* path,
                                                           TSL_ProgressCallback callback);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ImportConfigFile(int handle, const char* path,
                                                      TSL_ProgressCallback callback);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ImportConfigFileAsync(int handle, const char* path,
                                                           TSL_ProgressCallback callback);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_StopUpgrade(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_StopExportConfigFile(int handle);
TSL_EXTERN_C TSL_API int TSL_NET_DEV_StopImportConfigFile(int handle);

#ifdef __cplusplus
// The std::function forms; caller and library share compiler and library.
TSL_API int TSL_NET_DEV_SetDisconnectCallback(int handle, std::function<void(int handle)> callback);
TSL_API int TSL_NET_DEV_StartUpgrade(int handle, const char* path, std::function<void(int, int)> callback);
TSL_API int TSL_NET_DEV_StartUpgradeAsync(int handle, const char* path,
                                          std::function<void(int, int)> callback);
TSL_API int TSL_NET_DEV_ExportConfigFile(int handle, const char* path,
                                         std::function<void(int, int)> callback);
TSL_API int TSL_NET_DEV_ExportConfigFileAsync(int handle, const char* path,
                                              std::function<void(int, int)> callback);
TSL_API int TSL_NET_DEV_ImportConfigFile(int handle, const char* path,
                                         std::function<void(int, int)> callback);
TSL_API int TSL_NET_DEV_ImportConfigFileAsync(int handle, const char* path,
                                              std::function<void(int, int)> callback);
#endif
