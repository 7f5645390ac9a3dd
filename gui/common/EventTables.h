// The texts of log and event records as the tables and the workbook export
// show them: one list of cells per record, in column order, and the column
// headers of each layout. Kept apart from the pages so every page that shows
// device events builds the same cells.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

#include "TslAcc.h"
#include "TslDev.h"
#include "TslFsu.h"
#include "TslIoT.h"
#include "TslUit.h"

namespace tables {

QString npTimeText(const Np_Time& time);  // "%04d-%02d-%02d %02d:%02d:%02d"
// "1-设备" ... "5-MODBUS"; "UNKNOWN" otherwise.
QString sourceTypeText(int32_t code);
// "系统操作", "配置", "事件"; "Unknown" otherwise.
QString logTypeText(int32_t type);
// "进", "出"; empty otherwise.
QString directionText(uint8_t direction);
// The registry's text of an event code (its decimal digits when it has none).
QString eventText(int32_t code);

// Log pages: the operating user's column only for the types that have one.
bool logHasUser(int deviceType);
QStringList logHeader(int deviceType);
QStringList logCells(const Np_LogInfo& record, int deviceType);

// Event pages; every layout starts with the event number and its text.
QStringList accEventHeader();
QStringList iotEventHeader();
QStringList measuredEventHeader();  // FSU and UIT events
QStringList accEventCells(const Np_AccEventInfo& record);
QStringList iotEventCells(const Np_LinkageEventInfo& record);
QStringList fsuEventCells(const Np_FsuEventInfo& record);
QStringList uitEventCells(const Np_UitEventInfo& record);

}  // namespace tables
