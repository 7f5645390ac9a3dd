#include <QDateTimeEdit>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextCodec>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GuiHarness.h"
#include "LogQueryForm.h"
#include "PageKit.h"
#include "WorkbookCheck.h"

using guitest::Box;
using guitest::child;
using guitest::click;
using guitest::GuiTest;
using guitest::SimUnit;

namespace {

constexpr uint32_t kLogCmd = 1041;
constexpr uint32_t kEventCmd = 1035;

const QString kOk = QString::fromUtf8("执行成功！");
const QString kAgain = QString::fromUtf8("请重新查询!");
const QString kOutOfRange = QString::fromUtf8("超出范围!");

std::string gbk(const char* utf8) {
    return QTextCodec::codecForName("GBK")->fromUnicode(QString::fromUtf8(utf8)).toStdString();
}

template <size_t N>
void setText(char (&field)[N], const std::string& bytes) {
    std::memset(field, 0, N);
    std::memcpy(field, bytes.data(), std::min(bytes.size(), N));
}

Np_Time at(int second) {
    Np_Time t{};
    t.year = 2024;
    t.month = 3;
    t.day = 5;
    t.hour = 6;
    t.minute = 7;
    t.second = static_cast<uint8_t>(second);
    return t;
}

// The simulator serves `records` page by page as the query asks, with the
// list head claiming `total` (the record count unless given).
template <class List, class Record>
void serve(SimUnit& unit, uint32_t cmd, std::vector<Record> records, int64_t total = -1) {
    unit.device->SetHandler(cmd, [records, total](const devsim::Request& r) -> std::optional<devsim::Bytes> {
        Np_EventQuery q{};
        std::memcpy(&q, r.plain.data(), std::min(r.plain.size(), sizeof q));
        List list{};
        const int64_t page = kit::load<int32_t>(KIT_CFIELD(q, pageNo));
        const int64_t first = (page - 1) * 5;
        int32_t count = 0;
        for (int64_t i = first; i >= 0 && i < first + 5 && i < static_cast<int64_t>(records.size()); ++i)
            list.records[count++] = records[static_cast<size_t>(i)];
        kit::store<uint32_t>(KIT_FIELD(list, total),
                             static_cast<uint32_t>(total < 0 ? static_cast<int64_t>(records.size()) : total));
        kit::store<uint32_t>(KIT_FIELD(list, pageNo), static_cast<uint32_t>(page));
        kit::store<int32_t>(KIT_FIELD(list, count), count);
        return devsim::StatusPayload(0, guitest::bytesOf(list));
    });
}

Np_LogInfo logRecord(int i, const std::string& content, const std::string& user = "管理员") {
    Np_LogInfo r{};
    setText(r.ipAddress, "10.0.0." + std::to_string(i));
    r.logType = i % 2 ? 1 : 2;
    r.time = at(i);
    setText(r.userName, user);
    setText(r.content, content);
    return r;
}

std::vector<Np_LogInfo> twelveLogs() {
    std::vector<Np_LogInfo> logs;
    for (int i = 1; i <= 12; ++i) logs.push_back(logRecord(i, "第" + std::to_string(i) + "条"));
    return logs;
}

class LogPageTest : public GuiTest {
  protected:
    // Built once the test's clock is in place: the editors start from it.
    void SetUp() override {
        GuiTest::SetUp();
        form = std::make_unique<LogQueryForm>();
        page = form.get();
    }
    void TearDown() override {
        form.reset();
        GuiTest::TearDown();
    }

    std::unique_ptr<LogQueryForm> form;
    LogQueryForm* page = nullptr;

    QTableView* view() { return child<QTableView>(page, "tableView"); }
    QStringList headers() {
        QStringList h;
        auto* m = view()->model();
        for (int c = 0; m && c < m->columnCount(); ++c) h << m->headerData(c, Qt::Horizontal).toString();
        return h;
    }
    std::vector<QStringList> rows() {
        std::vector<QStringList> out;
        auto* m = view()->model();
        for (int r = 0; m && r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c) cells << m->index(r, c).data().toString();
            out.push_back(cells);
        }
        return out;
    }
    QString label(const char* name) { return child<QLabel>(page, name)->text(); }
    bool enabled(const char* name) { return child<QPushButton>(page, name)->isEnabled(); }
    void chooseEvents(bool events) {
        child<QComboBox>(page, "typeComboBox")->setCurrentIndex(events ? 1 : 0);
    }
    void setRange(const QDateTime& from, const QDateTime& to) {
        child<QDateTimeEdit>(page, "beginDateTimeEdit")->setDateTime(from);
        child<QDateTimeEdit>(page, "endDateTimeEdit")->setDateTime(to);
    }
    void expectBox(Prompt::Kind kind, const QString& text) {
        const Box b = prompt.take();
        EXPECT_EQ(b.kind, kind);
        EXPECT_EQ(b.title, QString::fromUtf8("提示"));
        EXPECT_EQ(b.text, text);
    }
    // The page asked for in the last request of `cmd`.
    int askedPage(const SimUnit& u, uint32_t cmd) {
        return kit::load<int32_t>(u.lastPayload(cmd).data() + offsetof(Np_EventQuery, pageNo));
    }
    std::string exportFile(const std::string& device, const char* kind) {
        return path(QString::fromStdString(device + "_" + std::to_string(clock.seconds) + "_" + kind +
                                           ".xlsx"))
            .toStdString();
    }
};

}  // namespace

TEST_F(LogPageTest, AQueryShowsPageOneAndThePagesMoveThroughTheRest) {
    auto& unit = addDevice(100);
    serve<Np_LogList>(unit, kLogCmd, twelveLogs());

    // Nothing shown yet: paging asks for a new query, a jump is out of range.
    click(page, "lastPageButton");
    expectBox(Prompt::Warning, kAgain);
    click(page, "nextPageButton");
    expectBox(Prompt::Warning, kAgain);
    guitest::typeInto(child<QLineEdit>(page, "pageEdit"), "1");
    click(page, "jumpButton");
    expectBox(Prompt::Warning, kOutOfRange);
    EXPECT_EQ(unit.count(kLogCmd), 0u);
    EXPECT_EQ(label("pageLabel"), QString::fromUtf8("第 页"));
    EXPECT_EQ(label("pageNumLabel"), QString::fromUtf8("共 页"));

    // The query: the editors' times (today from the clock), page 1 of 5.
    click(page, "queryButton");
    expectBox(Prompt::Information, kOk);
    Np_EventQuery q{};
    const QDate today = QDateTime::fromSecsSinceEpoch(clock.seconds).date();
    q.startTime = kit::toNpTime(QDateTime(today, QTime(0, 0, 0)));
    q.endTime = kit::toNpTime(QDateTime(today, QTime(23, 59, 59)));
    q.pageNo = 1;
    q.pageSize = 5;
    EXPECT_EQ(unit.lastPayload(kLogCmd), guitest::bytesOf(q));
    EXPECT_EQ(headers(), (QStringList{"Ip地址", "日志类型", "触发时间", "内容"}));
    ASSERT_EQ(rows().size(), 5u);
    EXPECT_EQ(rows()[0], (QStringList{"10.0.0.1", "系统操作", "2024-03-05 06:07:01", "第1条"}));
    EXPECT_EQ(rows()[1][1], QString::fromUtf8("配置"));
    EXPECT_EQ(label("pageLabel"), QString::fromUtf8("第1页"));
    EXPECT_EQ(label("pageNumLabel"), QString::fromUtf8("共3页"));
    EXPECT_FALSE(enabled("lastPageButton"));
    EXPECT_TRUE(enabled("nextPageButton"));

    // Paging shows no box; the page shown is the one the device returned.
    struct Step {
        const char* button;
        const char* jumpTo;
        int page;
        size_t rows;
        bool last, next;
    };
    const Step steps[] = {
        {"nextPageButton", nullptr, 2, 5, true, true}, {"nextPageButton", nullptr, 3, 2, true, false},
        {"lastPageButton", nullptr, 2, 5, true, true}, {"jumpButton", "1", 1, 5, false, true},
        {"jumpButton", "3", 3, 2, true, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.button) + " " + (s.jumpTo ? s.jumpTo : ""));
        if (s.jumpTo) guitest::typeInto(child<QLineEdit>(page, "pageEdit"), QString::fromLatin1(s.jumpTo));
        click(page, s.button);
        EXPECT_TRUE(prompt.takeAll().empty());
        EXPECT_EQ(askedPage(unit, kLogCmd), s.page);
        EXPECT_EQ(rows().size(), s.rows);
        EXPECT_EQ(rows()[0][0], QString("10.0.0.%1").arg((s.page - 1) * 5 + 1));
        EXPECT_EQ(label("pageLabel"), QString::fromUtf8("第%1页").arg(s.page));
        EXPECT_EQ(enabled("lastPageButton"), s.last);
        EXPECT_EQ(enabled("nextPageButton"), s.next);
    }

    // Out of range: nothing requested, the page stays.
    const size_t before = unit.count(kLogCmd);
    for (const char* typed : {"0", "-1", "abc", "4", ""}) {
        SCOPED_TRACE(typed);
        guitest::typeInto(child<QLineEdit>(page, "pageEdit"), QString::fromLatin1(typed));
        click(page, "jumpButton");
        expectBox(Prompt::Warning, kOutOfRange);
    }
    EXPECT_EQ(unit.count(kLogCmd), before);
    EXPECT_EQ(label("pageLabel"), QString::fromUtf8("第3页"));
}

TEST_F(LogPageTest, EachLayoutShowsItsRecordsWithTheTextRules) {
    struct Case {
        int type;
        bool events;
        std::function<void(SimUnit&)> serveOne;
        QStringList header, row;
        bool nextEnabled;  // one record: page 1 of 1
    };
    const QString time = "2024-03-05 06:07:08";
    const Case cases[] = {
        {100,
         true,
         [](SimUnit& u) {
             Np_AccEventInfo e{};
             e.eventCode = 1;
             e.time = at(8);
             e.doorNo = 3;
             setText(e.cardNo, gbk("卡甲01"));
             e.direction = 2;
             serve<Np_AccEventList>(u, kEventCmd, std::vector<Np_AccEventInfo>{e});
         },
         {"事件号", "事件类型", "触发时间", "门号", "卡号", "动作"},
         {"1", "正常刷卡开门", time, "3", "卡甲01", "出"},
         false},
        {101,
         true,
         [](SimUnit& u) {
             Np_LinkageEventInfo e{};
             e.eventCode = 99999;
             e.time = at(8);
             e.channel = 7;
             serve<Np_IoTEventList>(u, kEventCmd, std::vector<Np_LinkageEventInfo>{e});
         },
         {"事件号", "事件类型", "触发时间", "触发通道"},
         {"99999", "99999", time, "7"},
         false},
        {102,
         true,
         [](SimUnit& u) {
             Np_FsuEventInfo e{};
             e.eventCode = 2;
             e.time = at(8);
             e.channel = 4;
             e.channelIndex = 5;
             e.sourceType = 4;
             e.value = 12.5f;
             e.threshold = 1e-5f;
             serve<Np_FsuEventList>(u, kEventCmd, std::vector<Np_FsuEventInfo>{e});
         },
         {"事件号", "事件类型", "触发时间", "触发通道", "通道中索引", "事件类型", "当前值", "阈值"},
         {"2", "首卡开门", time, "4", "5", "4-ADC", "12.5", "1e-05"},
         false},
        {105,
         true,
         [](SimUnit& u) {
             Np_UitEventInfo e{};
             e.eventCode = 3;
             e.time = at(8);
             e.channel = 1;
             e.channelIndex = 2;
             e.sourceType = 6;
             e.value = 1234567.0f;
             e.threshold = -0.5f;
             serve<Np_UitEventList>(u, kEventCmd, std::vector<Np_UitEventInfo>{e});
         },
         {"事件号", "事件类型", "触发时间", "触发通道", "通道中索引", "事件类型", "当前值", "阈值"},
         {"3", "胁迫开门", time, "1", "2", "UNKNOWN", "1.23457e+06", "-0.5"},
         false},
        {102,
         false,
         [](SimUnit& u) {
             serve<Np_LogList>(u, kLogCmd,
                               std::vector<Np_LogInfo>{logRecord(8, gbk("开门成功"), gbk("值班员"))});
         },
         {"Ip地址", "日志类型", "触发时间", "操作用户", "内容"},
         {"10.0.0.8", "配置", time, "值班员", "开门成功"},
         false},
        {105,
         false,
         [](SimUnit& u) {
             Np_LogInfo r = logRecord(8, "配置更改");
             r.logType = 4;
             serve<Np_LogList>(u, kLogCmd, std::vector<Np_LogInfo>{r});
         },
         {"Ip地址", "日志类型", "触发时间", "操作用户", "内容"},
         {"10.0.0.8", "事件", time, "管理员", "配置更改"},
         false},
        {104,
         false,
         [](SimUnit& u) {
             Np_LogInfo r = logRecord(8, gbk("格式化"));
             r.logType = 3;
             serve<Np_LogList>(u, kLogCmd, std::vector<Np_LogInfo>{r});
         },
         {"Ip地址", "日志类型", "触发时间", "内容"},
         {"10.0.0.8", "Unknown", time, "格式化"},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + (c.events ? " events" : " log"));
        auto& unit = addDevice(c.type);
        c.serveOne(unit);
        chooseEvents(c.events);
        click(page, "queryButton");
        expectBox(Prompt::Information, kOk);
        EXPECT_EQ(headers(), c.header);
        ASSERT_EQ(rows().size(), 1u);
        EXPECT_EQ(rows()[0], c.row);
        EXPECT_EQ(label("pageNumLabel"), QString::fromUtf8("共1页"));
        EXPECT_EQ(enabled("nextPageButton"), c.nextEnabled);
    }
}

TEST_F(LogPageTest, AnEmptyPageAndTheTypesWithoutEvents) {
    auto& ntp = addDevice(103);
    auto& fpr = addDevice(104);
    chooseEvents(true);
    for (auto* u : {&ntp, &fpr}) {
        DeviceRegistry::instance().setCurrent(u->name);
        click(page, "queryButton");
        expectBox(Prompt::Information, kOk);
        EXPECT_EQ(u->count(kEventCmd), 0u);
    }
    EXPECT_EQ(view()->model(), nullptr);

    // No device at all: the invalid-handle failure, as on every page.
    DeviceRegistry::instance().setCurrent("nobody");
    click(page, "queryButton");
    expectBox(Prompt::Warning, QString::fromUtf8("执行失败！ret = -1, 无效句柄"));

    // No records: page count 0; "下一页" on for events (1 is not 0), off for the log.
    auto& acc = addDevice(100);
    serve<Np_AccEventList>(acc, kEventCmd, std::vector<Np_AccEventInfo>{});
    serve<Np_LogList>(acc, kLogCmd, std::vector<Np_LogInfo>{});
    click(page, "queryButton");
    expectBox(Prompt::Information, kOk);
    EXPECT_EQ(label("pageNumLabel"), QString::fromUtf8("共0页"));
    EXPECT_EQ(label("pageLabel"), QString::fromUtf8("第1页"));
    EXPECT_TRUE(rows().empty());
    EXPECT_FALSE(enabled("lastPageButton"));
    EXPECT_TRUE(enabled("nextPageButton"));
    chooseEvents(false);
    click(page, "queryButton");
    expectBox(Prompt::Information, kOk);
    EXPECT_FALSE(enabled("nextPageButton"));

    // Access events shown, then an IoT device current: paging asks again.
    chooseEvents(true);
    click(page, "queryButton");
    prompt.takeAll();
    addDevice(101);
    click(page, "nextPageButton");
    expectBox(Prompt::Warning, kAgain);
}

TEST_F(LogPageTest, AFailedQueryChangesNothing) {
    auto& unit = addDevice(102);
    serve<Np_LogList>(unit, kLogCmd, twelveLogs());
    click(page, "queryButton");
    prompt.takeAll();
    const auto shown = rows();
    unit.device->SetFault(kLogCmd, {devsim::Fault::ResultCode, 4});
    for (const char* button : {"queryButton", "nextPageButton"}) {
        click(page, button);
        expectBox(Prompt::Warning, QString::fromUtf8("执行失败！ret = -1004, 命令无效"));
        EXPECT_EQ(rows(), shown);
        EXPECT_EQ(label("pageLabel"), QString::fromUtf8("第1页"));
    }
}

TEST_F(LogPageTest, ClearingAsksFirstAndNoSendsNothing) {
    auto& unit = addDevice(100);
    struct Case {
        const char* button;
        uint32_t cmd;
    };
    for (const Case& c : {Case{"logClearButton", 1040}, Case{"eventClearButton", 1034}}) {
        SCOPED_TRACE(c.button);
        prompt.answers = {false};
        click(page, c.button);
        EXPECT_EQ(prompt.take().kind, Prompt::Question);
        EXPECT_EQ(unit.count(c.cmd), 0u);

        prompt.answers = {true};
        click(page, c.button);
        auto boxes = prompt.takeAll();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].title, QString::fromUtf8("二次确认"));
        EXPECT_EQ(boxes[1].text, kOk);
        EXPECT_EQ(unit.count(c.cmd), 1u);

        unit.device->SetFault(c.cmd, {devsim::Fault::ResultCode, 6, {}, true});
        prompt.answers = {true};
        click(page, c.button);
        boxes = prompt.takeAll();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[1].text, QString::fromUtf8("执行失败！ret = -1006,参数无效"));
    }
}

TEST_F(LogPageTest, TheExportWritesEveryPageBelowWhatTheFileHeld) {
    auto& unit = addDevice(102, "fsu/机房\\1");
    auto logs = twelveLogs();
    setText(logs[3].ipAddress, gbk("地址"));
    setText(logs[4].content, std::string("ctl\x01\x02", 5));
    serve<Np_LogList>(unit, kLogCmd, logs);

    click(page, "exportButton");
    expectBox(Prompt::Information, kOk);
    EXPECT_EQ(unit.count(kLogCmd), 4u);  // page 1, then pages 1 to 3
    const std::string file = exportFile("fsu_机房_1", "log");
    ASSERT_TRUE(QFile::exists(QString::fromStdString(file)));

    xlsx::Rows want{{"Ip地址", "日志类型", "触发时间", "操作用户", "内容"}};
    for (int i = 1; i <= 12; ++i)
        want.push_back({"10.0.0." + std::to_string(i), i % 2 ? "系统操作" : "配置",
                        "2024-03-05 06:07:" + std::string(i < 10 ? "0" : "") + std::to_string(i), "管理员",
                        "第" + std::to_string(i) + "条"});
    want[4][0] = "地址";
    want[5][4] = std::string("ctl\x01\x02", 5);
    xlsx::Rows ours;
    ASSERT_EQ(xlsx::readXlsxRows(file, &ours), xlsx::kOk);
    EXPECT_EQ(ours, want);
    auto book = guitest::openWithOpenpyxl(QString::fromStdString(file));
    ASSERT_TRUE(book.ok);
    xlsx::Rows seen = want;
    seen[5][4] = "ctl_x0001__x0002_";
    EXPECT_EQ(book.rows["Sheet1"], seen);

    // The same second again: the second export follows the first one's rows.
    click(page, "exportButton");
    expectBox(Prompt::Information, kOk);
    ASSERT_EQ(xlsx::readXlsxRows(file, &ours), xlsx::kOk);
    xlsx::Rows twice = want;
    twice.insert(twice.end(), want.begin(), want.end());
    EXPECT_EQ(ours, twice);
    EXPECT_EQ(guitest::openWithOpenpyxl(QString::fromStdString(file)).rows["Sheet1"].size(), 26u);
}

TEST_F(LogPageTest, EventExportsByTypeAndTheirFailures) {
    auto& acc = addDevice(100, "gate");
    chooseEvents(true);
    std::vector<Np_AccEventInfo> events(7);
    for (size_t i = 0; i < events.size(); ++i) {
        events[i].eventCode = 1;
        events[i].time = at(static_cast<int>(i));
        events[i].doorNo = static_cast<uint8_t>(i);
        setText(events[i].cardNo, i == 2 ? gbk("卡乙") : "C" + std::to_string(i));
        events[i].direction = static_cast<uint8_t>(i % 3);
    }
    serve<Np_AccEventList>(acc, kEventCmd, events);
    // The export reads the editors: a later page request uses its times.
    const QDateTime from(QDate(2024, 3, 1), QTime(1, 2, 3)), to(QDate(2024, 3, 9), QTime(4, 5, 6));
    setRange(from, to);
    click(page, "exportButton");
    expectBox(Prompt::Information, kOk);
    xlsx::Rows rows;
    ASSERT_EQ(xlsx::readXlsxRows(exportFile("gate", "event"), &rows), xlsx::kOk);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[0], (xlsx::Row{"事件类型", "触发时间", "门号", "卡号", "动作"}));
    EXPECT_EQ(rows[2], (xlsx::Row{"正常刷卡开门", "2024-03-05 06:07:01", "1", "C1", "进"}));
    EXPECT_EQ(rows[3], (xlsx::Row{"正常刷卡开门", "2024-03-05 06:07:02", "2", "卡乙", "出"}));
    EXPECT_EQ(rows[4][4], "");
    EXPECT_TRUE(guitest::openWithOpenpyxl(QString::fromStdString(exportFile("gate", "event"))).ok);

    setRange(QDateTime(QDate(2020, 1, 1), QTime(0, 0)), QDateTime(QDate(2020, 1, 2), QTime(0, 0)));
    click(page, "queryButton");
    prompt.takeAll();
    setRange(from, to);
    click(page, "exportButton");
    prompt.takeAll();
    setRange(QDateTime(QDate(2020, 1, 1), QTime(0, 0)), QDateTime(QDate(2020, 1, 2), QTime(0, 0)));
    click(page, "nextPageButton");
    const auto q = guitest::recordOf<Np_EventQuery>(acc.lastPayload(kEventCmd));
    EXPECT_EQ(guitest::bytesOf(q.startTime), guitest::bytesOf(kit::toNpTime(from)));
    EXPECT_EQ(guitest::bytesOf(q.endTime), guitest::bytesOf(kit::toNpTime(to)));

    // Headers of the other families; an empty range writes the header alone.
    struct Header {
        int type;
        xlsx::Row row;
    };
    const Header headers[] = {
        {101, {"事件类型", "触发时间", "."}},
        {105, {"事件类型", "触发时间", "触发通道", "通道中索引", "事件类型", "当前值", "阈值"}},
    };
    for (const Header& h : headers) {
        auto& unit = addDevice(h.type);
        if (h.type == 101)
            serve<Np_IoTEventList>(unit, kEventCmd, std::vector<Np_LinkageEventInfo>{});
        else
            serve<Np_UitEventList>(unit, kEventCmd, std::vector<Np_UitEventInfo>{});
        ++clock.seconds;
        click(page, "exportButton");
        expectBox(Prompt::Information, kOk);
        ASSERT_EQ(xlsx::readXlsxRows(exportFile(unit.name, "event"), &rows), xlsx::kOk);
        EXPECT_EQ(rows, xlsx::Rows{h.row});
    }

    // A type without events does nothing and says nothing.
    auto& fpr = addDevice(104);
    ++clock.seconds;
    click(page, "exportButton");
    EXPECT_TRUE(prompt.takeAll().empty());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(exportFile(fpr.name, "event"))));

    // No device: the invalid-handle failure, no file.
    DeviceRegistry::instance().setCurrent("nobody");
    click(page, "exportButton");
    expectBox(Prompt::Warning, QString::fromUtf8("执行失败！ret = -1, 无效句柄"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(exportFile("unknown", "event"))));
}

TEST_F(LogPageTest, AnExportStopsAtAFailureOrAnEmptyPageAndOverwritesNothing) {
    auto& unit = addDevice(100, "door");
    // The second page fails: nothing is written.
    int served = 0;
    unit.device->SetHandler(kLogCmd, [&served](const devsim::Request&) -> std::optional<devsim::Bytes> {
        if (++served == 3) return devsim::StatusPayload(6);
        Np_LogList l{};
        l.total = 12;
        l.pageNo = 1;
        l.count = 5;
        return devsim::StatusPayload(0, guitest::bytesOf(l));
    });
    click(page, "exportButton");
    expectBox(Prompt::Warning, QString::fromUtf8("执行失败！ret = -1006, 参数无效"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(exportFile("door", "log"))));

    // A device claiming four billion records that sends none: one empty page ends it.
    serve<Np_LogList>(unit, kLogCmd, std::vector<Np_LogInfo>{}, 0xffffffffLL);
    const size_t before = unit.count(kLogCmd);
    click(page, "exportButton");
    expectBox(Prompt::Information, kOk);
    EXPECT_EQ(unit.count(kLogCmd) - before, 2u);
    xlsx::Rows rows;
    ASSERT_EQ(xlsx::readXlsxRows(exportFile("door", "log"), &rows), xlsx::kOk);
    EXPECT_EQ(rows.size(), 1u);

    // A file at the export's name that is no workbook stays as it was.
    ++clock.seconds;
    const QString file = QString::fromStdString(exportFile("door", "log"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a workbook");
    }
    click(page, "exportButton");
    expectBox(Prompt::Warning, QString::fromUtf8("执行失败！ret = -14,文件解析错误"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("not a workbook"));
}
