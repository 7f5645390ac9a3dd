// Common definitions of the Tessaly device SDK's public interface.
#pragma once

#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(TSL_BUILDING_LIBRARY)
#define TSL_API __attribute__((visibility("default")))
#else
#define TSL_API
#endif

#ifdef __cplusplus
#define TSL_EXTERN_C extern "C"
#else
#define TSL_EXTERN_C
#endif

// Status of every export: 0 (or a handle) is success.
#ifdef __cplusplus
enum ErrorCode : int32_t {
#else
enum ErrorCode {
#endif
    ERR_SUCCESS = 0,
    ERR_INVALID_HANDLE = -1,
    ERR_DEVICE_TYPE = -2,
    ERR_CONNECT_TIMEOUT = -3,
    ERR_RESPONSE_TIMEOUT = -4,
    ERR_RESPONSE_CMD_MISMATCH = -5,
    ERR_RESPONSE_DECODE = -6,
    ERR_REQUEST_ENCODE = -7,
    ERR_REQUEST_SEND = -8,
    ERR_FILE_OPEN = -9,
    ERR_UPGRADE_INTERRUPTED = -10,
    ERR_SOCKET_CREATE = -11,
    ERR_EXPORT_STOPPED = -12,
    ERR_IMPORT_STOPPED = -13,
    ERR_FILE_PARSE = -14,
    ERR_SOCKET_NOT_CONNECTED = -15,
    ERR_ADDRESS_CONVERT = -16,
    ERR_RESPONSE_LENGTH = -17,
    ERR_SDK_UNKNOWN = -18,
    ERR_DEV_GENERAL = -1001,
    ERR_DEV_VERSION_MISMATCH = -1002,
    ERR_DEV_TYPE_MISMATCH = -1003,
    ERR_DEV_INVALID_COMMAND = -1004,
    ERR_DEV_LENGTH_MISMATCH = -1005,
    ERR_DEV_INVALID_PARAM = -1006,
    ERR_DEV_BAD_CREDENTIALS = -1007,
    ERR_DEV_NOT_FOUND = -1008,
    ERR_DEV_STORAGE_FULL = -1009,
    ERR_DEV_NOT_LOGGED_IN = -1010,
    ERR_DEV_OUT_OF_MEMORY = -1011,
    ERR_DEV_UPGRADING = -1012,
    ERR_DEV_MAX_CLIENTS = -1013,
    ERR_DEV_DOOR_NUMBER = -1014,
    ERR_DEV_WORK_MODE = -1015,
    ERR_DEV_CARD_NUMBER = -1016,
    ERR_DEV_INVALID_MAC = -1017,
    ERR_DEV_INVALID_PORT = -1018,
    ERR_DEV_INVALID_IP_VERSION = -1019,
    ERR_DEV_INVALID_IP = -1020,
    ERR_DEV_SUBNET_MASK = -1021,
    ERR_DEV_INVALID_GATEWAY = -1022,
    ERR_DEV_IP_GATEWAY_SUBNET = -1023,
    ERR_DEV_MAX_EVENT_LINKS = -1024,
    ERR_DEV_WEAK_PASSWORD = -1025,
    ERR_DEV_NOT_ACTIVATED = -1026,
    ERR_DEV_BINDING_MISMATCH = -1027,
    ERR_DEV_MAX_USERS = -1028,
    ERR_DEV_NO_SUCH_USER = -1029,
    ERR_DEV_NO_PERMISSION = -1030,
    ERR_DEV_NOT_ALLOWED = -1031,
    ERR_DEV_MAX_CARD_GROUPS = -1032,
    ERR_DEV_SENSOR_OFFLINE = -1033,
    ERR_DEV_DUPLICATE_IP = -1034,
    ERR_DEV_DUPLICATE_MAC = -1035,
    ERR_DEV_DUPLICATE_USER = -1036,
    ERR_DEV_UPGRADE_CHECKSUM = -1037,
    ERR_DEV_UPGRADE_DEVICE_TYPE = -1038,
    ERR_DEV_SD_CARD = -1039,
    ERR_DEV_INVALID_RS485_PORT = -1040,
    ERR_DEV_INVALID_DEVICE_TYPE = -1041,
    ERR_DEV_CONFIG_MISMATCH = -1042,
    ERR_DEV_INVALID_REGISTER_COUNT = -1043,
    ERR_DEV_INVALID_CHANNEL = -1044,
    ERR_DEV_UPPER_BELOW_LOWER = -1045,
    ERR_DEV_UPPER_EQUALS_LOWER = -1046,
    ERR_DEV_INVALID_HYSTERESIS = -1047,
    ERR_DEV_INVALID_THRESHOLD_TYPE = -1048,
};

// Device type codes.
#ifdef __cplusplus
enum TslDeviceType : int32_t {
#else
enum TslDeviceType {
#endif
    TSL_DEVICE_ACC = 100,
    TSL_DEVICE_IOT = 101,
    TSL_DEVICE_FSU = 102,
    TSL_DEVICE_NTP = 103,
    TSL_DEVICE_FPR = 104,
    TSL_DEVICE_UIT = 105,
};

// Records cross the interface byte-packed.
#define TSL_PACKED __attribute__((packed))

#ifdef __cplusplus
#include <cstddef>
#define TSL_CHECK_SIZE(T, n) static_assert(sizeof(T) == (n), #T " size")
#define TSL_CHECK_OFFSET(T, f, n) static_assert(offsetof(T, f) == (n), #T "." #f " offset")
#else
#define TSL_CHECK_SIZE(T, n) _Static_assert(sizeof(T) == (n), #T " size")
#define TSL_CHECK_OFFSET(T, f, n) _Static_assert(__builtin_offsetof(T, f) == (n), #T "." #f " offset")
#endif
