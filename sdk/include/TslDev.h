// Library-wide and common device exports (TSL_NET_DEV_*) and their records.
#pragma once

#include "TslDefs.h"

// Text of a status code (UTF-8); valid for the life of the process.
TSL_EXTERN_C TSL_API const char* TSL_NET_DEV_GetErrorCodeStr(int code);

#include "TslDiscovery.h"

// Starts the log file in "./log/" beside `path`; nothing is logged before.
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetLogPath(const char* path);
