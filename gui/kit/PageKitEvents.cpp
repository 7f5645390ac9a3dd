#include "PageKitEvents.h"

#include <QStandardItem>

#include "DeviceRegistry.h"
#include "PageKit.h"

namespace kit {

namespace {
QStringList utf8List(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* t : texts) out << QString::fromUtf8(t);
    return out;
}

// Texts a device fills are read by the detected rule: a device that writes
// GBK shows its text, and whatever the bytes, the cell holds valid text.
template <size_t N>
QString deviceText(const char (&field)[N]) {
    return text(field, TextRule::Detected);
}

// The FSU and UIT events share their layout.
template <class Record>
QStringList channelEventCells(const Record& e) {
    const int code = load<int32_t>(KIT_CFIELD(e, eventCode));
    return {QString::number(code),
            eventCodeText(code),
            timeText(e.time),
            QString::number(e.channel),
            QString::number(e.channelIndex),
            sourceTypeText(load<int32_t>(KIT_CFIELD(e, sourceType))),
            floatText(loadFloat(KIT_CFIELD(e, value))),
            floatText(loadFloat(KIT_CFIELD(e, threshold)))};
}
}  // namespace

QStringList eventHeaders(EventFamily family) {
    switch (family) {
        case EventFamily::Acc:
            return utf8List({"事件号", "事件类型", "触发时间", "门号", "卡号", "动作"});
        case EventFamily::IoT:
            return utf8List({"事件号", "事件类型", "触发时间", "触发通道"});
        case EventFamily::Fsu:
        case EventFamily::Uit:
            return utf8List(
                {"事件号", "事件类型", "触发时间", "触发通道", "通道中索引", "事件类型", "当前值", "阈值"});
        case EventFamily::Fpr:
            return utf8List({"事件号", "事件类型", "触发时间", "人员编号", "是否胁迫", "通道号",
                             "门锁门磁状态", "开门类型"});
    }
    return {};
}

QString eventCodeText(int code) {
    return QString::fromLocal8Bit(DeviceRegistry::eventText(code).c_str());
}

QString sourceTypeText(qint64 code) {
    return stateText({{1, "1-设备"}, {2, "2-输入"}, {3, "3-输出"}, {4, "4-ADC"}, {5, "5-MODBUS"}}, code);
}

QString directionText(qint64 direction) {
    if (direction == 1) return QString::fromUtf8("进");
    if (direction == 2) return QString::fromUtf8("出");
    return QString();
}

QStringList eventCells(const Np_AccEventInfo& e) {
    const int code = load<int32_t>(KIT_CFIELD(e, eventCode));
    return {QString::number(code),     eventCodeText(code),  timeText(e.time),
            QString::number(e.doorNo), deviceText(e.cardNo), directionText(e.direction)};
}

QStringList eventCells(const Np_LinkageEventInfo& e) {
    const int code = load<int32_t>(KIT_CFIELD(e, eventCode));
    return {QString::number(code), eventCodeText(code), timeText(e.time), QString::number(e.channel)};
}

QStringList eventCells(const Np_FsuEventInfo& e) {
    return channelEventCells(e);
}

QStringList eventCells(const Np_UitEventInfo& e) {
    return channelEventCells(e);
}

QStringList eventCells(const Np_FprEventInfo& e) {
    // The reader sends no event code text and no time: its trigger byte
    // stands in the time column as a number.
    return {QString::number(e.eventNo),     QString(),
            QString::number(e.triggerTime), text(e.personNo),
            QString::number(e.duress),      QString::number(e.channel),
            QString::number(e.lockState),   QString::number(e.openType)};
}

bool logHasUser(int deviceType) {
    return deviceType == TSL_DEVICE_FSU || deviceType == TSL_DEVICE_UIT;
}

QStringList logHeaders(int deviceType) {
    if (logHasUser(deviceType)) return utf8List({"Ip地址", "日志类型", "触发时间", "操作用户", "内容"});
    return utf8List({"Ip地址", "日志类型", "触发时间", "内容"});
}

QString logTypeText(qint64 type) {
    if (type == 1) return QString::fromUtf8("系统操作");
    if (type == 2) return QString::fromUtf8("配置");
    if (type == 4) return QString::fromUtf8("事件");
    return QStringLiteral("Unknown");
}

QStringList logCells(const Np_LogInfo& r, int deviceType) {
    QStringList cells{deviceText(r.ipAddress), logTypeText(load<int32_t>(KIT_CFIELD(r, logType))),
                      timeText(r.time)};
    if (logHasUser(deviceType)) cells << deviceText(r.userName);
    cells << deviceText(r.content);
    return cells;
}

void setHeaders(QStandardItemModel* model, EventFamily family) {
    const QStringList headers = eventHeaders(family);
    model->setColumnCount(headers.size());
    model->setHorizontalHeaderLabels(headers);
}

QList<QStandardItem*> rowItems(const QStringList& cells) {
    QList<QStandardItem*> items;
    for (const QString& c : cells) {
        auto* item = new QStandardItem(c);
        item->setEditable(false);
        items << item;
    }
    return items;
}

// ---------------------------------------------------------------- live rows

NewestRows::NewestRows(EventFamily family, int room) : room_(room) {
    setHeaders(&model_, family);
}

void NewestRows::add(const std::vector<QStringList>& rows) {
    const int fresh = std::min(static_cast<int>(rows.size()), room_);
    if (fresh == 0) return;
    const int excess = model_.rowCount() + fresh - room_;
    if (excess > 0) model_.removeRows(model_.rowCount() - excess, excess);
    // Arrival order, each on top: the newest ends at row 0.
    for (size_t i = rows.size() - static_cast<size_t>(fresh); i < rows.size(); ++i)
        model_.insertRow(0, rowItems(rows[i]));
}

void NewestRows::clear() {
    model_.removeRows(0, model_.rowCount());
}

}  // namespace kit
