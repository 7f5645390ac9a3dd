#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimeEdit>

#include "GuiHarness.h"
#include "PageKit.h"
#include "PlanConfigForm.h"

using guitest::bytesOf;
using guitest::child;
using guitest::click;
using guitest::GuiTest;

namespace {

class PlanPageTest : public GuiTest {
  protected:
    PlanConfigForm page;
    QComboBox* combo(const char* name) { return child<QComboBox>(&page, name); }
    QTimeEdit* time(const char* name) { return child<QTimeEdit>(&page, name); }
    void setId(const char* box, const char* id) { combo(box)->setEditText(QString::fromLatin1(id)); }
    // Reads plan `id` of a group, expecting success.
    void get(const char* box, const char* id, const char* button) {
        setId(box, id);
        click(&page, button);
        EXPECT_EQ(prompt.take().kind, Prompt::Information) << button;
    }
};

devsim::Bytes key(uint16_t id) {
    return {static_cast<uint8_t>(id & 0xFF), static_cast<uint8_t>(id >> 8)};
}

Np_TimeSegment segment(int seed) {
    const uint8_t s = static_cast<uint8_t>(seed);
    return {static_cast<uint8_t>(s % 24),       static_cast<uint8_t>(s % 60),
            static_cast<uint8_t>((s + 7) % 60), 0,
            static_cast<uint8_t>((s + 1) % 24), static_cast<uint8_t>((s + 2) % 60),
            static_cast<uint8_t>(s % 59),       0};
}

// A week plan in weekday order, distinct segments; spare and trailing bytes
// carry values that a set must give back.
Np_WeekPlan weekPlan(uint16_t id) {
    Np_WeekPlan p = guitest::patterned<Np_WeekPlan>(3);
    p.id = id;
    for (int d = 0; d < 7; ++d) {
        p.days[d].weekday = static_cast<uint8_t>(d);
        for (int n = 0; n < 5; ++n) {
            const Np_TimeSegment s = segment(d * 10 + n);
            p.days[d].segments[n].startHour = s.startHour;
            p.days[d].segments[n].startMinute = s.startMinute;
            p.days[d].segments[n].startSecond = s.startSecond;
            p.days[d].segments[n].endHour = s.endHour;
            p.days[d].segments[n].endMinute = s.endMinute;
            p.days[d].segments[n].endSecond = s.endSecond;
        }
    }
    return p;
}

}  // namespace

TEST_F(PlanPageTest, AWeekPlanComesBackInWeekdayOrderAndBrowsingChangesNothing) {
    auto& unit = addDevice(100);
    const Np_WeekPlan expected = weekPlan(300);
    // The device sends Monday first and Sunday last; Monday ends at 24:00:00,
    // which no time edit shows.
    Np_WeekPlan served = expected;
    for (int i = 0; i < 7; ++i) served.days[i] = expected.days[(i + 1) % 7];
    served.days[0].segments[4].endHour = 24;
    served.days[0].segments[4].endMinute = 0;
    served.days[0].segments[4].endSecond = 0;
    Np_WeekPlan sent = expected;
    sent.days[1].segments[4] = served.days[0].segments[4];
    unit.device->PutRecord("weekPlan", key(300), bytesOf(served));

    get("planIdComboBox", "300", "planGetButton");
    EXPECT_EQ(combo("planWeekComboBox")->currentText(), QString::fromUtf8("日"));
    EXPECT_EQ(time("planTimeEdit_00")->time(), QTime(0, 0, 7));
    for (int day : {1, 2, 6, 1, 0}) combo("planWeekComboBox")->setCurrentIndex(day);
    click(&page, "planSetButton");
    prompt.take();
    EXPECT_EQ(unit.lastPayload(1018), bytesOf(sent));

    // A day the reply does not name stays empty under its own weekday; an
    // entry naming no weekday is dropped.
    served = expected;
    served.days[3].weekday = 9;
    sent = expected;
    std::memset(&sent.days[3], 0, sizeof sent.days[3]);
    sent.days[3].weekday = 3;
    unit.device->PutRecord("weekPlan", key(300), bytesOf(served));
    get("planIdComboBox", "300", "planGetButton");
    combo("planWeekComboBox")->setCurrentIndex(3);
    EXPECT_EQ(time("planTimeEdit_41")->time(), QTime(0, 0, 0));
    click(&page, "planSetButton");
    prompt.take();
    EXPECT_EQ(unit.lastPayload(1018), bytesOf(sent));
}

TEST_F(PlanPageTest, EditedDaysAreKeptAcrossTheWeekdaySwitch) {
    auto& unit = addDevice(100);
    setId("planIdComboBox", "5");
    combo("planWeekComboBox")->setCurrentIndex(1);
    time("planTimeEdit_00")->setTime(QTime(8, 30, 0));
    combo("planWeekComboBox")->setCurrentIndex(2);
    time("planTimeEdit_01")->setTime(QTime(17, 0, 5));
    combo("planWeekComboBox")->setCurrentIndex(1);
    EXPECT_EQ(time("planTimeEdit_00")->time(), QTime(8, 30, 0));
    EXPECT_EQ(time("planTimeEdit_01")->time(), QTime(0, 0, 0));
    click(&page, "planSetButton");
    prompt.take();
    EXPECT_EQ(combo("planWeekComboBox")->currentIndex(), 0);
    Np_WeekPlan sent{};
    sent.id = 5;
    for (int d = 0; d < 7; ++d) sent.days[d].weekday = static_cast<uint8_t>(d);
    sent.days[1].segments[0].startHour = 8;
    sent.days[1].segments[0].startMinute = 30;
    sent.days[2].segments[0].endHour = 17;
    sent.days[2].segments[0].endSecond = 5;
    EXPECT_EQ(unit.lastPayload(1018), bytesOf(sent));

    // Ids are 16 bits: a larger one is refused, not cut.
    setId("planIdComboBox", "70000");
    click(&page, "planDeleteButton");
    EXPECT_EQ(prompt.take().kind, Prompt::Warning);
    EXPECT_EQ(unit.count(1017), 0u);
}

TEST_F(PlanPageTest, AHolidayPlanRoundTripsWithTimesAndDatesTheEditsCannotShow) {
    auto& unit = addDevice(101);
    Np_HolidayPlan served{};
    served.id = 12;
    served.startDate = {2024, 10, 1};
    served.endDate = {2024, 13, 7};  // no date
    for (int n = 0; n < 5; ++n) {
        const Np_TimeSegment s = segment(40 + n);
        std::memcpy(&served.segments[n], &s, sizeof s);
    }
    served.segments[2].startHour = 24;
    unit.device->PutRecord("holidayPlan", key(12), bytesOf(served));
    get("holidayIdComboBox", "12", "holidayGetButton");
    EXPECT_EQ(child<QDateEdit>(&page, "holidayDateEdit0")->date(), QDate(2024, 10, 1));
    click(&page, "holidaySetButton");
    prompt.take();
    EXPECT_EQ(unit.lastPayload(1022), bytesOf(served));

    // Once the user edits such an edit, what it shows is written.
    child<QDateEdit>(&page, "holidayDateEdit1")->setDate(QDate(2024, 12, 31));
    time("holidayTimeEdit_20")->setTime(QTime(6, 0, 0));
    click(&page, "holidaySetButton");
    prompt.take();
    Np_HolidayPlan edited = served;
    edited.endDate = {2024, 12, 31};
    edited.segments[2].startHour = 6;
    edited.segments[2].startMinute = 0;
    edited.segments[2].startSecond = 0;
    EXPECT_EQ(unit.lastPayload(1022), bytesOf(edited));
}

TEST_F(PlanPageTest, TemplatesRoundTripAndTheirFieldsAreEncodedByteForByte) {
    auto& unit = addDevice(102);
    Np_PlanTemplate served{};
    served.id = 4;
    served.weekPlanId = 300;
    const uint16_t ids[] = {5, 6, 300, 65535};
    std::memcpy(served.holidayPlanIds, ids, sizeof ids);
    std::strcpy(served.name, "模板一");
    unit.device->PutRecord("planTemplate", key(4), bytesOf(served));
    get("templateIdComboBox", "4", "templateGetButton");
    auto* holidays = child<QPlainTextEdit>(&page, "templateHolidayIdTextEdit");
    EXPECT_EQ(holidays->toPlainText(), "5,6,300,65535");
    click(&page, "templateSetButton");
    prompt.take();
    EXPECT_EQ(unit.lastPayload(1014), bytesOf(served));

    QString many;
    for (int i = 1; i <= 24; ++i) many += QString::number(i) + ",";
    struct Case {
        QString name, holidays;
        const char* sentName;
        std::vector<uint16_t> sentIds;  // empty: refused, nothing sent
    };
    const Case cases[] = {
        {"a", "1,,2,x,3,0", "a", {1, 2, 3}},
        {QString(28, 'a') + QString::fromUtf8("模板"), "", "aaaaaaaaaaaaaaaaaaaaaaaaaaaa模", {}},
        {QString(30, 'a') + QString::fromUtf8("模"), "7", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", {7}},
        {"b", many, "b", {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                          13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
        {"c", many + "25", nullptr, {}},
    };
    for (const Case& c : cases) {
        child<QLineEdit>(&page, "templateNameEdit")->setText(c.name);
        holidays->setPlainText(c.holidays);
        const size_t before = unit.count(1014);
        click(&page, "templateSetButton");
        const guitest::Box b = prompt.take();
        if (!c.sentName) {
            EXPECT_EQ(b.kind, Prompt::Warning);
            EXPECT_EQ(unit.count(1014), before);
            continue;
        }
        Np_PlanTemplate expected = served;
        std::memset(expected.holidayPlanIds, 0, sizeof expected.holidayPlanIds);
        if (!c.sentIds.empty()) std::memcpy(expected.holidayPlanIds, c.sentIds.data(), c.sentIds.size() * 2);
        std::memset(expected.name, 0, sizeof expected.name);
        std::strcpy(expected.name, c.sentName);
        EXPECT_EQ(unit.lastPayload(1014), bytesOf(expected)) << c.name.toStdString();
    }
}

TEST_F(PlanPageTest, AFailedReadShowsCodeAndTextAndKeepsEverything) {
    auto& unit = addDevice(100);
    setId("planIdComboBox", "1");
    time("planTimeEdit_10")->setTime(QTime(9, 0, 0));
    setId("holidayIdComboBox", "2");
    time("holidayTimeEdit_00")->setTime(QTime(10, 0, 0));
    child<QLineEdit>(&page, "templateNameEdit")->setText("keep");
    unit.device->SetFault(0, {devsim::Fault::ResultCode, 4});
    for (const char* read : {"planGetButton", "holidayGetButton", "templateGetButton"}) {
        click(&page, read);
        const guitest::Box b = prompt.take();
        EXPECT_EQ(b.kind, Prompt::Warning);
        EXPECT_EQ(b.text, QString::fromUtf8("执行失败！ret = -1004, 命令无效"));
    }
    EXPECT_EQ(time("planTimeEdit_10")->time(), QTime(9, 0, 0));
    EXPECT_EQ(time("holidayTimeEdit_00")->time(), QTime(10, 0, 0));
    EXPECT_EQ(child<QLineEdit>(&page, "templateNameEdit")->text(), "keep");
    // The working copy too: Sunday's edit is sent as it was typed.
    unit.device->ClearFaults();
    click(&page, "planSetButton");
    prompt.take();
    EXPECT_EQ(guitest::recordOf<Np_WeekPlan>(unit.lastPayload(1018)).days[0].segments[1].startHour, 9);
}
