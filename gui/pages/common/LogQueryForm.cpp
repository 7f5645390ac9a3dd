#include "LogQueryForm.h"

#include <QDateTime>
#include <QHeaderView>

#include <cmath>
#include <string>

#include "DeviceRegistry.h"
#include "PageKit.h"
#include "PageKitEvents.h"
#include "PageKitRunner.h"
#include "Prompt.h"
#include "XlsxWorkbook.h"

namespace {

constexpr int kPageSize = 5;
constexpr int kNoType = 0;     // no device is current
constexpr int kNoDevice = -1;  // what the SDK answers for handle 0

bool hasEvents(int type) {
    return type == TSL_DEVICE_ACC || type == TSL_DEVICE_IOT || type == TSL_DEVICE_FSU ||
           type == TSL_DEVICE_UIT;
}

struct Head {
    uint32_t total;
    uint32_t pageNo;
    int32_t count;
};

template <class List>
Head headOf(const List& list) {
    return {kit::load<uint32_t>(KIT_CFIELD(list, total)), kit::load<uint32_t>(KIT_CFIELD(list, pageNo)),
            kit::load<int32_t>(KIT_CFIELD(list, count))};
}

int pageCount(uint32_t total) {
    return static_cast<int>(std::ceil(total / static_cast<double>(kPageSize)));
}

// Every event family's cells, as the live tables show them.
const auto eventRow = [](const auto& record) { return kit::eventCells(record); };

template <class List, class Cells>
std::vector<QStringList> rowsOf(const List& list, Cells cells) {
    std::vector<QStringList> rows;
    const size_t n = kit::clampCount(headOf(list).count, sizeof list.records / sizeof list.records[0]);
    for (size_t i = 0; i < n; ++i) rows.push_back(cells(list.records[i]));
    return rows;
}

// The rows of the page a list holds, as the table shows them.
template <class Lists>
std::vector<QStringList> pageRows(int kind, const Lists& l, int deviceType) {
    switch (kind) {
        case LogQueryForm::kLogKind:
            return rowsOf(l.log, [deviceType](const Np_LogInfo& r) { return kit::logCells(r, deviceType); });
        case TSL_DEVICE_ACC:
            return rowsOf(l.acc, eventRow);
        case TSL_DEVICE_IOT:
            return rowsOf(l.iot, eventRow);
        case TSL_DEVICE_FSU:
            return rowsOf(l.fsu, eventRow);
        case TSL_DEVICE_UIT:
            return rowsOf(l.uit, eventRow);
        default:
            return {};
    }
}

template <class Lists>
Head headOf(int kind, const Lists& l) {
    switch (kind) {
        case LogQueryForm::kLogKind:
            return headOf(l.log);
        case TSL_DEVICE_ACC:
            return headOf(l.acc);
        case TSL_DEVICE_IOT:
            return headOf(l.iot);
        case TSL_DEVICE_FSU:
            return headOf(l.fsu);
        case TSL_DEVICE_UIT:
            return headOf(l.uit);
        default:
            return {0, 0, 0};
    }
}

// The workbook's rows leave out the event number the table shows first.
xlsx::Row exportRow(int kind, const QStringList& cells) {
    xlsx::Row row;
    for (int i = kind == LogQueryForm::kLogKind ? 0 : 1; i < cells.size(); ++i)
        row.push_back(cells[i].toUtf8().toStdString());
    return row;
}

xlsx::Row exportHeader(int kind, int deviceType) {
    switch (kind) {
        case TSL_DEVICE_ACC:
            return exportRow(kind, kit::eventHeaders(kit::EventFamily::Acc));
        case TSL_DEVICE_IOT:
            return {"事件类型", "触发时间", "."};
        case TSL_DEVICE_FSU:
        case TSL_DEVICE_UIT:
            return exportRow(kind, kit::eventHeaders(kit::EventFamily::Fsu));
        default:
            return exportRow(LogQueryForm::kLogKind, kit::logHeaders(deviceType));
    }
}

// "./<device>_<seconds>_log.xlsx": characters that cannot stand in a file
// name become "_" (the device keeps its name everywhere else).
std::string exportPath(std::string device, bool events) {
    for (char& c : device) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || c == '/' || c == '\\') c = '_';
    }
    return "./" + device + "_" + std::to_string(Clock::current().secondsSinceEpoch()) +
           (events ? "_event.xlsx" : "_log.xlsx");
}

}  // namespace

LogQueryForm::LogQueryForm(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    const QDate today = QDateTime::fromSecsSinceEpoch(Clock::current().secondsSinceEpoch()).date();
    ui.beginDateTimeEdit->setDateTime(QDateTime(today, QTime(0, 0, 0)));
    ui.endDateTimeEdit->setDateTime(QDateTime(today, QTime(23, 59, 59)));
    kit::addItems(ui.typeComboBox, {{"日志", 0}, {"事件", 1}});
    logModel_.setHorizontalHeaderLabels(kit::logHeaders(TSL_DEVICE_ACC));
    fsuLogModel_.setHorizontalHeaderLabels(kit::logHeaders(TSL_DEVICE_FSU));
    uitLogModel_.setHorizontalHeaderLabels(kit::logHeaders(TSL_DEVICE_UIT));
    kit::setHeaders(&accModel_, kit::EventFamily::Acc);
    kit::setHeaders(&iotModel_, kit::EventFamily::IoT);
    kit::setHeaders(&fsuModel_, kit::EventFamily::Fsu);
    kit::setHeaders(&uitModel_, kit::EventFamily::Uit);
    // Rows keep the device's order until the user sorts by a column.
    ui.tableView->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    ui.tableView->setSortingEnabled(true);
    ui.tableView->resizeColumnsToContents();
}

LogQueryForm::~LogQueryForm() {
    ui.tableView->setModel(nullptr);
}

void LogQueryForm::readTimes() {
    queryStart = kit::toNpTime(ui.beginDateTimeEdit->dateTime());
    queryEnd = kit::toNpTime(ui.endDateTimeEdit->dateTime());
}

Np_EventQuery LogQueryForm::query(int page) const {
    Np_EventQuery q{};
    q.startTime = queryStart;
    q.endTime = queryEnd;
    q.pageNo = page;
    q.pageSize = kPageSize;
    return q;
}

int LogQueryForm::fetch(int handle, int kind, const Np_EventQuery& q, Lists& l) {
    switch (kind) {
        case kLogKind:
            return TSL_NET_DEV_GetLog(handle, q, &l.log);
        case TSL_DEVICE_ACC:
            return TSL_NET_Acc_GetEvent(handle, q, &l.acc);
        case TSL_DEVICE_IOT:
            return TSL_NET_IoT_GetEvent(handle, q, &l.iot);
        case TSL_DEVICE_FSU:
            return TSL_NET_FSU_GetEvent(handle, q, &l.fsu);
        case TSL_DEVICE_UIT:
            return TSL_NET_UIT_GetEvent(handle, q, &l.uit);
        default:
            return kNoDevice;
    }
}

void LogQueryForm::on_queryButton_clicked() {
    readTimes();
    const int kind =
        ui.typeComboBox->currentIndex() == 0 ? kLogKind : DeviceRegistry::instance().currentType();
    if (kind != kLogKind && kind != kNoType && !hasEvents(kind)) {
        kit::showSuccess(this);  // a type that stores no events
        return;
    }
    const Np_EventQuery q = query(1);
    Lists reply = table_;
    kit::run(
        this, kit::Read, [&](int h) { return fetch(h, kind, q, reply); },
        [&] {
            table_ = reply;
            fill(kind);
        });
}

void LogQueryForm::queryPage(int page) {
    const bool current = shownKind == kLogKind ||
                         (hasEvents(shownKind) && shownKind == DeviceRegistry::instance().currentType());
    if (!current) {
        kit::warn(this, QString::fromUtf8("请重新查询!"));
        return;
    }
    const int kind = shownKind;
    const Np_EventQuery q = query(page);
    Lists reply = table_;
    kit::run(
        this, kit::Read.quiet(), [&](int h) { return fetch(h, kind, q, reply); },
        [&] {
            table_ = reply;
            fill(kind);
        });
}

void LogQueryForm::on_lastPageButton_clicked() {
    queryPage(shownKind == kNothingShown ? 1 : static_cast<int>(headOf(shownKind, table_).pageNo) - 1);
}

void LogQueryForm::on_nextPageButton_clicked() {
    queryPage(shownKind == kNothingShown ? 1 : static_cast<int>(headOf(shownKind, table_).pageNo) + 1);
}

void LogQueryForm::on_jumpButton_clicked() {
    const qint64 n = kit::toInt(ui.pageEdit->text());
    const int pages = shownKind == kNothingShown ? 0 : pageCount(headOf(shownKind, table_).total);
    if (n < 1 || n > pages) {
        kit::warn(this, QString::fromUtf8("超出范围!"));
        return;
    }
    queryPage(static_cast<int>(n));
}

void LogQueryForm::on_logClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_DEV_ClearLog(h); });
}

void LogQueryForm::on_eventClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_DEV_ClearEvent(h); });
}

void LogQueryForm::on_exportButton_clicked() {
    readTimes();
    const DeviceRegistry& registry = DeviceRegistry::instance();
    const int type = registry.currentType();
    const bool events = ui.typeComboBox->currentIndex() == 1;
    const int kind = events ? type : kLogKind;
    if (events && type != kNoType && !hasEvents(type)) return;
    const std::string path = exportPath(registry.currentName(), events);
    xlsx::Rows rows{exportHeader(kind, type)};

    Np_EventQuery q = query(1);
    Lists first{};
    int pages = 0;
    if (!kit::run(
            this, kit::Read.quiet(), [&](int h) { return fetch(h, kind, q, first); },
            [&] { pages = pageCount(headOf(kind, first).total); }))
        return;
    // A device's total is only a claim: the pages end at the first empty one,
    // and never run past what a worksheet can hold. A claim past that with
    // records on its first page is refused before anything more is fetched.
    if (headOf(kind, first).total > xlsx::kMaxRows - rows.size() && !pageRows(kind, first, type).empty())
        return kit::showFailure(this, xlsx::kFileError, kit::FailText::Write);

    // The pages and the workbook are fetched and written off the GUI thread,
    // with the progress shown; cancelling stops after the page in flight and
    // writes nothing.
    enum class End { Written, ReadFailed, Full, Cancelled };
    End end = End::Written;
    int result = 0;
    const kit::DeviceTag device = kit::currentDevice();
    kit::Progress progress(this, QString::fromUtf8("正在导出，请稍候…"));
    progress.report(0, pages);
    const bool alive = progress.run(this, [&] {
        Lists l{};
        for (int page = 1; page <= pages; ++page) {
            if (progress.cancelled()) {
                end = End::Cancelled;
                return;
            }
            q.pageNo = page;
            result = fetch(device.handle, kind, q, l);
            if (result != 0) {
                end = End::ReadFailed;
                return;
            }
            const std::vector<QStringList> cells = pageRows(kind, l, type);
            if (cells.empty()) break;
            for (const QStringList& c : cells) rows.push_back(exportRow(kind, c));
            if (rows.size() > xlsx::kMaxRows) {
                end = End::Full;
                return;
            }
            progress.report(page, pages);
        }
        if (!progress.commit()) {
            end = End::Cancelled;
            return;
        }
        result = xlsx::writeXlsxRows(path, rows);
    });
    if (!alive || !kit::repliesTo(device)) return;
    switch (end) {
        case End::ReadFailed:
            return kit::showFailure(this, result, kit::FailText::Read);
        case End::Full:
            return kit::showFailure(this, xlsx::kFileError, kit::FailText::Write);
        case End::Cancelled:
            return;
        case End::Written:
            if (result < 0) return kit::showFailure(this, result, kit::FailText::Write);
            return kit::showSuccess(this);
    }
}

void LogQueryForm::fill(int kind) {
    switch (kind) {
        case kLogKind:
            return fillLogTable();
        case TSL_DEVICE_ACC:
            return fillAccEventTable();
        case TSL_DEVICE_IOT:
            return fillIotEventTable();
        case TSL_DEVICE_FSU:
            return fillFsuEventTable();
        case TSL_DEVICE_UIT:
            return fillUitEventTable();
        default:
            return;
    }
}

void LogQueryForm::fillLogTable() {
    const int type = DeviceRegistry::instance().currentType();
    QStandardItemModel& model = type == TSL_DEVICE_FSU   ? fsuLogModel_
                                : type == TSL_DEVICE_UIT ? uitLogModel_
                                                         : logModel_;
    showPage(kLogKind, model, pageRows(kLogKind, table_, type));
}

void LogQueryForm::fillAccEventTable() {
    showPage(TSL_DEVICE_ACC, accModel_, pageRows(TSL_DEVICE_ACC, table_, TSL_DEVICE_ACC));
}

void LogQueryForm::fillIotEventTable() {
    showPage(TSL_DEVICE_IOT, iotModel_, pageRows(TSL_DEVICE_IOT, table_, TSL_DEVICE_IOT));
}

void LogQueryForm::fillFsuEventTable() {
    showPage(TSL_DEVICE_FSU, fsuModel_, pageRows(TSL_DEVICE_FSU, table_, TSL_DEVICE_FSU));
}

void LogQueryForm::fillUitEventTable() {
    showPage(TSL_DEVICE_UIT, uitModel_, pageRows(TSL_DEVICE_UIT, table_, TSL_DEVICE_UIT));
}

void LogQueryForm::showPage(int kind, QStandardItemModel& model, const std::vector<QStringList>& rows) {
    shownKind = kind;
    const Head head = headOf(kind, table_);
    const int pages = pageCount(head.total);
    ui.pageLabel->setText(QString::fromUtf8("第%1页").arg(head.pageNo));
    ui.pageNumLabel->setText(QString::fromUtf8("共%1页").arg(pages));
    ui.lastPageButton->setEnabled(head.pageNo != 1);
    const qint64 shown = head.pageNo;
    ui.nextPageButton->setEnabled(kind == kLogKind ? shown < pages : shown != pages);
    ui.tableView->setModel(&model);
    model.setRowCount(0);
    for (const QStringList& cells : rows) model.appendRow(kit::rowItems(cells));
    ui.tableView->resizeColumnsToContents();
}
