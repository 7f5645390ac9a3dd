#include "EventTables.h"

#include "DeviceRegistry.h"
#include "PageKit.h"

namespace tables {

namespace {

QStringList labels(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* t : texts) list << QString::fromUtf8(t);
    return list;
}

// Texts a device fills are read by the detected rule: a device that writes
// GBK shows its text, and whatever the bytes, the cell holds valid text.
template <size_t N>
QString deviceText(const char (&field)[N]) {
    return kit::text(field, kit::TextRule::Detected);
}

// The FSU and UIT events share one layout under two record types.
template <class Record>
QStringList measuredCells(const Record& r) {
    return {QString::number(kit::load<int32_t>(KIT_CFIELD(r, eventCode))),
            eventText(kit::load<int32_t>(KIT_CFIELD(r, eventCode))),
            npTimeText(r.time),
            QString::number(r.channel),
            QString::number(r.channelIndex),
            sourceTypeText(kit::load<int32_t>(KIT_CFIELD(r, sourceType))),
            kit::floatText(kit::loadFloat(KIT_CFIELD(r, value))),
            kit::floatText(kit::loadFloat(KIT_CFIELD(r, threshold)))};
}

}  // namespace

QString npTimeText(const Np_Time& time) {
    return kit::timeText(time);
}

QString sourceTypeText(int32_t code) {
    return kit::stateText({{1, "1-设备"}, {2, "2-输入"}, {3, "3-输出"}, {4, "4-ADC"}, {5, "5-MODBUS"}}, code);
}

QString logTypeText(int32_t type) {
    switch (type) {
        case 1:
            return QString::fromUtf8("系统操作");
        case 2:
            return QString::fromUtf8("配置");
        case 4:
            return QString::fromUtf8("事件");
        default:
            return QStringLiteral("Unknown");
    }
}

QString directionText(uint8_t direction) {
    return direction == 1 ? QString::fromUtf8("进") : direction == 2 ? QString::fromUtf8("出") : QString();
}

QString eventText(int32_t code) {
    // The registry's texts are in the local 8-bit code page.
    return QString::fromLocal8Bit(DeviceRegistry::eventText(code).c_str());
}

bool logHasUser(int deviceType) {
    return deviceType == 102 || deviceType == 105;
}

QStringList logHeader(int deviceType) {
    if (logHasUser(deviceType)) return labels({"Ip地址", "日志类型", "触发时间", "操作用户", "内容"});
    return labels({"Ip地址", "日志类型", "触发时间", "内容"});
}

QStringList logCells(const Np_LogInfo& r, int deviceType) {
    QStringList cells{deviceText(r.ipAddress), logTypeText(kit::load<int32_t>(KIT_CFIELD(r, logType))),
                      npTimeText(r.time)};
    if (logHasUser(deviceType)) cells << deviceText(r.userName);
    cells << deviceText(r.content);
    return cells;
}

QStringList accEventHeader() {
    return labels({"事件号", "事件类型", "触发时间", "门号", "卡号", "动作"});
}

QStringList iotEventHeader() {
    return labels({"事件号", "事件类型", "触发时间", "触发通道"});
}

QStringList measuredEventHeader() {
    return labels({"事件号", "事件类型", "触发时间", "触发通道", "通道中索引", "事件类型", "当前值", "阈值"});
}

QStringList accEventCells(const Np_AccEventInfo& r) {
    const int32_t code = kit::load<int32_t>(KIT_CFIELD(r, eventCode));
    return {QString::number(code),     eventText(code),      npTimeText(r.time),
            QString::number(r.doorNo), deviceText(r.cardNo), directionText(r.direction)};
}

QStringList iotEventCells(const Np_LinkageEventInfo& r) {
    const int32_t code = kit::load<int32_t>(KIT_CFIELD(r, eventCode));
    return {QString::number(code), eventText(code), npTimeText(r.time), QString::number(r.channel)};
}

QStringList fsuEventCells(const Np_FsuEventInfo& r) {
    return measuredCells(r);
}

QStringList uitEventCells(const Np_UitEventInfo& r) {
    return measuredCells(r);
}

}  // namespace tables
