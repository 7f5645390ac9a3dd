#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QTableView>
#include <QTextCodec>

#include <atomic>
#include <memory>
#include <thread>

#include "EventSubscribeForm.h"
#include "GuiHarness.h"

using guitest::bytesOf;
using guitest::child;
using guitest::click;
using guitest::GuiTest;

namespace {

const Np_Time kTime{2024, 5, 6, 7, 8, 9, 0};

Np_AccEventInfo accEvent(int32_t code, uint8_t direction = 1) {
    Np_AccEventInfo e{};
    e.eventCode = code;
    e.time = kTime;
    e.doorNo = 3;
    std::strcpy(e.cardNo, "4000123456");
    e.direction = direction;
    return e;
}

template <class Record>
Record channelEvent(int32_t code, int32_t source, float value, float threshold) {
    Record e{};
    e.eventCode = code;
    e.time = kTime;
    e.channel = 4;
    e.channelIndex = 2;
    e.sourceType = source;
    e.value = value;
    e.threshold = threshold;
    return e;
}

class EventPageTest : public GuiTest {
  protected:
    std::unique_ptr<EventSubscribeForm> page = std::make_unique<EventSubscribeForm>();

    QAbstractItemModel* shown() { return child<QTableView>(page.get(), "tableView")->model(); }
    int rows() { return shown() ? shown()->rowCount() : -1; }
    QStringList row(int r) {
        QStringList cells;
        for (int c = 0; c < shown()->columnCount(); ++c) cells << shown()->index(r, c).data().toString();
        return cells;
    }
    QStringList headers() {
        QStringList h;
        for (int c = 0; c < shown()->columnCount(); ++c)
            h << shown()->headerData(c, Qt::Horizontal).toString();
        return h;
    }
    // One event pushed by the device into a table with room, waited for until it is drawn.
    void push(guitest::SimUnit& unit, const devsim::Bytes& record) {
        const int before = rows();
        unit.server->Push(1800, record);
        EXPECT_TRUE(guitest::waitFor([&] { return rows() == before + 1; }));
    }
};

QStringList utf8(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* t : texts) out << QString::fromUtf8(t);
    return out;
}

}  // namespace

TEST_F(EventPageTest, EachFamilysEventsAppearNewestFirstWithTheirTexts) {
    struct Case {
        int type;
        const char* button;
        uint8_t mode;
        devsim::Bytes first, second;
        QStringList headers, firstCells, secondCells;
    };
    Np_FprEventInfo fpr{};
    fpr.eventNo = 9;
    fpr.triggerTime = 33;
    std::memcpy(fpr.personNo, "P000000001", 10);  // fills the field: no NUL
    fpr.duress = 1;
    fpr.channel = 2;
    fpr.lockState = 3;
    fpr.openType = 4;
    Np_LinkageEventInfo iot{};
    iot.eventCode = 99999;  // no text: its digits
    iot.time = kTime;
    iot.channel = 5;
    const QStringList channelHeaders =
        utf8({"事件号", "事件类型", "触发时间", "触发通道", "通道中索引", "事件类型", "当前值", "阈值"});
    const Case cases[] = {
        {100, "subButton", 1, bytesOf(accEvent(1, 0)), bytesOf(accEvent(2, 2)),
         utf8({"事件号", "事件类型", "触发时间", "门号", "卡号", "动作"}),
         utf8({"1", "正常刷卡开门", "2024-05-06 07:08:09", "3", "4000123456", ""}),
         utf8({"2", "首卡开门", "2024-05-06 07:08:09", "3", "4000123456", "出"})},
        {101, "subfullButton", 2, bytesOf(iot), bytesOf(iot),
         utf8({"事件号", "事件类型", "触发时间", "触发通道"}),
         utf8({"99999", "99999", "2024-05-06 07:08:09", "5"}),
         utf8({"99999", "99999", "2024-05-06 07:08:09", "5"})},
        {102, "subButton", 1, bytesOf(channelEvent<Np_FsuEventInfo>(3, 6, 12.5f, 1e-5f)),
         bytesOf(channelEvent<Np_FsuEventInfo>(4, 1, -3.0f, 1234567.0f)), channelHeaders,
         utf8({"3", "胁迫开门", "2024-05-06 07:08:09", "4", "2", "UNKNOWN", "12.5", "1e-05"}),
         utf8({"4", "卡+密码开门", "2024-05-06 07:08:09", "4", "2", "1-设备", "-3", "1.23457e+06"})},
        {104, "subButton", 1, bytesOf(fpr), bytesOf(fpr),
         utf8({"事件号", "事件类型", "触发时间", "人员编号", "是否胁迫", "通道号", "门锁门磁状态",
               "开门类型"}),
         utf8({"9", "", "33", "P000000001", "1", "2", "3", "4"}),
         utf8({"9", "", "33", "P000000001", "1", "2", "3", "4"})},
        {105, "subfullButton", 2, bytesOf(channelEvent<Np_UitEventInfo>(5, 4, 0.5f, 2.0f)),
         bytesOf(channelEvent<Np_UitEventInfo>(6, 5, 0.25f, 3.0f)), channelHeaders,
         utf8({"5", "卡无效不存在", "2024-05-06 07:08:09", "4", "2", "4-ADC", "0.5", "2"}),
         utf8({"6", "卡过期", "2024-05-06 07:08:09", "4", "2", "5-MODBUS", "0.25", "3"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        auto& unit = addDevice(c.type);
        click(page.get(), c.button);
        ASSERT_EQ(unit.count(1036), 1u);
        EXPECT_EQ(unit.lastPayload(1036).at(0), c.mode);
        EXPECT_EQ(headers(), c.headers);
        push(unit, c.first);
        push(unit, c.second);
        ASSERT_EQ(rows(), 2);
        EXPECT_EQ(row(0), c.secondCells);
        EXPECT_EQ(row(1), c.firstCells);
        // A new subscription starts from an empty table.
        click(page.get(), "subButton");
        EXPECT_EQ(rows(), 0);
    }
    EXPECT_TRUE(prompt.boxes.empty());
}

// The live table and the log page's table show the same card text for the
// same record, whichever code page the device writes.
TEST_F(EventPageTest, ACardNumberInGbkShowsAsTheLogPageShowsIt) {
    auto& unit = addDevice(100);
    click(page.get(), "subButton");
    Np_AccEventInfo e = accEvent(1);
    const QByteArray gbk = QTextCodec::codecForName("GBK")->fromUnicode(QString::fromUtf8("卡甲01"));
    std::memset(e.cardNo, 0, sizeof e.cardNo);
    std::memcpy(e.cardNo, gbk.constData(), static_cast<size_t>(gbk.size()));
    push(unit, bytesOf(e));
    EXPECT_EQ(row(0).at(4), QString::fromUtf8("卡甲01"));
}

TEST_F(EventPageTest, DevicesWithoutThatSubscriptionAreNotAsked) {
    auto& reader = addDevice(104);
    click(page.get(), "subfullButton");  // the reader has no full subscription
    EXPECT_EQ(reader.count(1036), 0u);
    EXPECT_EQ(shown(), nullptr);
    auto& ntp = addDevice(103);
    click(page.get(), "subButton");
    click(page.get(), "subfullButton");
    click(page.get(), "unsubButton");
    EXPECT_EQ(ntp.count(1036) + ntp.count(1037), 0u);
    EXPECT_EQ(shown(), nullptr);
}

TEST_F(EventPageTest, TheTableKeepsTheNewest100InArrivalOrder) {
    auto& unit = addDevice(100);
    click(page.get(), "subButton");
    for (int i = 1; i <= 100; ++i) page->acc_slot(accEvent(i));
    ASSERT_TRUE(guitest::waitFor([&] { return rows() == 100; }));
    EXPECT_EQ(row(0).at(0), "100");
    EXPECT_EQ(row(99).at(0), "1");
    // The 101st, pushed by the device, pushes out the oldest.
    unit.server->Push(1800, bytesOf(accEvent(101)));
    ASSERT_TRUE(guitest::waitFor([&] { return row(0).at(0) == "101"; }));
    EXPECT_EQ(rows(), 100);
    EXPECT_EQ(row(0).at(0), "101");
    EXPECT_EQ(row(99).at(0), "2");
    // A burst larger than the table before it is drawn: only its newest 100 show.
    for (int i = 1000; i < 1250; ++i) page->acc_slot(accEvent(i));
    QCoreApplication::processEvents();
    ASSERT_EQ(rows(), 100);
    for (int r = 0; r < 100; ++r) ASSERT_EQ(row(r).at(0), QString::number(1249 - r)) << r;
}

TEST_F(EventPageTest, UnsubscribingSends1037AndStopsTheRows) {
    auto& unit = addDevice(102);
    click(page.get(), "subButton");
    push(unit, bytesOf(channelEvent<Np_FsuEventInfo>(1, 1, 1, 1)));
    click(page.get(), "unsubButton");
    EXPECT_EQ(unit.count(1037), 1u);
    unit.server->Push(1800, bytesOf(channelEvent<Np_FsuEventInfo>(2, 1, 1, 1)));
    guitest::waitFor([] { return false; }, 300);
    EXPECT_EQ(rows(), 1);  // the table is not cleared either
}

TEST_F(EventPageTest, APageDestroyedWhileEventsPourInIsNeverReached) {
    auto& unit = addDevice(100);
    click(page.get(), "subButton");
    std::atomic<bool> stop{false};
    const devsim::Bytes one = unit.server->Message(1800, bytesOf(accEvent(1)));
    std::thread pusher([&] {
        while (!stop) {
            unit.server->PushRaw(one);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    guitest::waitFor([&] { return rows() > 10; });
    page.reset();  // the subscription stays in force in the SDK
    guitest::waitFor([] { return false; }, 300);
    stop = true;
    pusher.join();
    QCoreApplication::processEvents();
}
