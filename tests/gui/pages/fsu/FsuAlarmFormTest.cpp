#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "FsuAlarmForm.h"
#include "FsuAlarmWidget.h"
#include "FsuInputStateWidget.h"
#include "FsuOutputStateWidget.h"
#include "FsuPageTest.h"
#include "GuiHarness.h"
#include "PageKit.h"
#include "TslFsu.h"

using guitest::bytesOf;
using guitest::child;
using guitest::click;

namespace {

constexpr uint32_t kSetInput = 4036, kClearInput = 4037, kSetOutput = 4040, kClearOutput = 4041;
constexpr uint32_t kAlarmRead = 4060, kAlarmWrite = 4061;

const QString kOk = QString::fromUtf8("执行成功！");

class FsuAlarmFormTest : public FsuPageTest<FsuAlarmForm> {
  protected:
    template <class Row>
    std::vector<Row*> rows() {
        const auto all = page.findChildren<Row*>();
        return std::vector<Row*>(all.begin(), all.end());
    }
};

}  // namespace

TEST_F(FsuAlarmFormTest, RowsAndItemsAsBuilt) {
    const auto inputs = rows<FsuInputStateWidget>();
    const auto outputs = rows<FsuOutputStateWidget>();
    const auto alarms = rows<FsuAlarmWidget>();
    ASSERT_EQ(inputs.size(), 16u);
    ASSERT_EQ(outputs.size(), 17u);
    ASSERT_EQ(alarms.size(), 16u);
    for (size_t i = 0; i < outputs.size(); ++i) EXPECT_EQ(outputs[i]->number(), static_cast<int>(i + 1));
    EXPECT_EQ(w<QComboBox>("outputChannelComboBox")->count(), 17);
    EXPECT_EQ(w<QComboBox>("outputChannelComboBox")->itemData(16).toInt(), 17);
    EXPECT_EQ(w<QComboBox>("inputChannelComboBox")->count(), 16);
    EXPECT_EQ(w<QComboBox>("inputAlarmTypeComboBox")->itemText(4), QString::fromUtf8("4-短路/开路"));
    EXPECT_EQ(alarms[0]->comboBox()->itemText(2), QString::fromUtf8("2-过滤检测"));
}

TEST_F(FsuAlarmFormTest, AlarmFilterRoundTripKeepsAModeNoItemShows) {
    Np_FsuAlarmFilterInfo served;
    std::memset(&served, 0x77, sizeof served);
    served.channel = 7;
    for (int i = 0; i < 16; ++i) served.filterMode[i] = static_cast<uint8_t>(i % 3);
    served.filterMode[4] = 2;
    served.filterMode[9] = 9;  // no item shows it
    unit->device->PutRecord("fsuAlarmFilter", {7}, bytesOf(served));

    guitest::typeInto(w<QLineEdit>("alarmChannelEdit"), "7");
    click(&page, "alarmGetButton");
    EXPECT_EQ(prompt.take().text, kOk);
    EXPECT_EQ(unit->lastPayload(kAlarmRead)[0], 7);
    const auto alarms = rows<FsuAlarmWidget>();
    EXPECT_EQ(alarms[4]->comboBox()->currentText(), QString::fromUtf8("2-过滤检测"));
    EXPECT_EQ(alarms[9]->comboBox()->currentIndex(), -1);

    click(&page, "alarmSetButton");
    EXPECT_EQ(prompt.take().text, kOk);
    Np_FsuAlarmFilterInfo expected = served;
    std::memset(expected.reserved, 0, sizeof expected.reserved);
    EXPECT_EQ(unit->lastPayload(kAlarmWrite), bytesOf(expected)) << "mode 9 goes back as 9, not 255";

    // An empty channel edit addresses channel 0; one beyond a byte is refused.
    w<QLineEdit>("alarmChannelEdit")->clear();
    click(&page, "alarmSetButton");
    prompt.take();
    EXPECT_EQ(unit->lastPayload(kAlarmWrite)[0], 0);
    const size_t writes = unit->count(kAlarmWrite);
    w<QLineEdit>("alarmChannelEdit")->setText("300");
    click(&page, "alarmSetButton");
    EXPECT_EQ(prompt.take().kind, Prompt::Warning);
    EXPECT_EQ(unit->count(kAlarmWrite), writes);
}

TEST_F(FsuAlarmFormTest, PortParametersRoundTrip) {
    Np_FsuInputParams in;
    std::memset(&in, 0x42, sizeof in);
    in.channel = 16;
    in.delay = 200;
    in.inputType = 1;
    kit::copyText(in.name, QString::fromUtf8("机房门磁"));
    in.alarmType = 4;
    unit->device->PutRecord("fsuInput", {16}, bytesOf(in));
    Np_FsuOutputParams out;
    std::memset(&out, 0x24, sizeof out);
    out.channel = 17;
    out.delay = 255;
    kit::copyText(out.name, QString::fromUtf8("声光告警器输出端口abc"));  // 30 bytes
    unit->device->PutRecord("fsuOutput", {17}, bytesOf(out));

    w<QComboBox>("inputChannelComboBox")->setCurrentIndex(15);
    w<QComboBox>("outputChannelComboBox")->setCurrentIndex(16);
    click(&page, "inputGetButton");
    click(&page, "outputGetButton");
    EXPECT_EQ(prompt.takeAll().size(), 2u);
    EXPECT_EQ(w<QLineEdit>("inputNameEdit")->text(), QString::fromUtf8("机房门磁"));
    EXPECT_EQ(w<QLineEdit>("outputDelayTimeEdit")->text(), "255");
    click(&page, "inputSetButton");
    click(&page, "outputSetButton");
    EXPECT_EQ(prompt.takeAll().size(), 2u);
    std::memset(in.reserved, 0, sizeof in.reserved);
    std::memset(out.reserved, 0, sizeof out.reserved);
    EXPECT_EQ(unit->lastPayload(kSetInput), bytesOf(in));
    EXPECT_EQ(unit->lastPayload(kSetOutput), bytesOf(out));
}

TEST_F(FsuAlarmFormTest, InputParameterEncodings) {
    // An alarm type no item shows leaves no selection and goes back unchanged.
    Np_FsuInputParams in{};
    in.channel = 1;
    in.alarmType = 9;
    in.inputType = 7;
    unit->device->PutRecord("fsuInput", {1}, bytesOf(in));
    click(&page, "inputGetButton");
    EXPECT_EQ(prompt.take().text, kOk);
    EXPECT_EQ(w<QComboBox>("inputAlarmTypeComboBox")->currentIndex(), -1);
    EXPECT_EQ(w<QComboBox>("inputTypeComboBox")->currentIndex(), -1);
    click(&page, "inputSetButton");
    prompt.take();
    devsim::Bytes sent = unit->lastPayload(kSetInput);
    EXPECT_EQ(sent[34], 9);
    EXPECT_EQ(sent[2], 7);

    // The delay is one byte: 300 cannot be typed, and set text is refused, not sent as 44.
    QLineEdit* delay = w<QLineEdit>("inputDelayTimeEdit");
    guitest::typeInto(delay, "300");
    EXPECT_EQ(delay->text(), "30");
    const size_t before = unit->count(kSetInput) + unit->count(kSetOutput);
    for (const char* edit : {"inputDelayTimeEdit", "outputDelayTimeEdit"}) {
        w<QLineEdit>(edit)->setText("300");
    }
    click(&page, "inputSetButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("延时时间（s）的取值范围为0~255"));
    click(&page, "outputSetButton");
    EXPECT_EQ(prompt.take().kind, Prompt::Warning);
    EXPECT_EQ(unit->count(kSetInput) + unit->count(kSetOutput), before);

    // Names are cut to 30 bytes on whole characters while typing.
    QLineEdit* name = w<QLineEdit>("inputNameEdit");
    guitest::typeInto(name, QString::fromUtf8("一二三四五六七八九十壹"));
    EXPECT_EQ(name->text(), QString::fromUtf8("一二三四五六七八九十"));
    guitest::typeInto(w<QLineEdit>("outputNameEdit"), QString(31, 'x'));
    EXPECT_EQ(w<QLineEdit>("outputNameEdit")->text(), QString(30, 'x'));
}

TEST_F(FsuAlarmFormTest, ClearsAskFirst) {
    expectClearAsks("inputClearButton", kClearInput);
    expectClearAsks("outputClearButton", kClearOutput);
}

TEST_F(FsuAlarmFormTest, StatesFillEveryRowAtTheirOffsets) {
    Np_FsuInputState in;
    std::memset(&in, 0x11, sizeof in);
    for (int i = 0; i < 16; ++i) {
        in.state[i] = static_cast<uint8_t>(i % 4);
        kit::copyText(in.name[i], QString("IN%1").arg(i + 1));
    }
    unit->device->PutRecord("fsuInputState", {}, bytesOf(in));
    // Output names start right behind the 17th state byte.
    devsim::Bytes out(sizeof(Np_FsuOutputState), 0);
    for (int i = 0; i < 17; ++i) {
        out[static_cast<size_t>(i)] = static_cast<uint8_t>(i % 3);
        const std::string n = "OUT" + std::to_string(i + 1);
        std::memcpy(out.data() + 17 + 31 * i, n.data(), n.size());
    }
    unit->device->PutRecord("fsuOutputState", {}, out);

    click(&page, "inputStateGetButton");
    click(&page, "outputStateGetButton");
    EXPECT_EQ(prompt.takeAll().size(), 2u);
    const char* inStates[] = {"0-低电平", "1-正常", "2-高电平", "UNKNOWN"};
    const auto inputs = rows<FsuInputStateWidget>();
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(inputs[i]->name(), QString("IN%1").arg(i + 1));
        EXPECT_EQ(inputs[i]->state(), QString::fromUtf8(inStates[i % 4])) << "input " << i + 1;
    }
    const char* outStates[] = {"0-断开", "1-闭合", "UNKNOWN"};
    const auto outputs = rows<FsuOutputStateWidget>();
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(outputs[i]->name(), QString("OUT%1").arg(i + 1));
        EXPECT_EQ(outputs[i]->state(), QString::fromUtf8(outStates[i % 3])) << "output " << i + 1;
    }
}

TEST_F(FsuAlarmFormTest, ALongRowNameIsNeverSqueezedUnderItsState) {
    FsuOutputStateWidget row(17);
    const QString name = QString::fromUtf8("独立控制输出独立控制输");  // 30 bytes, the field's most
    row.setTexts(name, QString::fromUtf8("0-断开"));
    row.resize(row.minimumSizeHint());
    row.show();
    QCoreApplication::processEvents();
    const auto* label = row.findChild<QLabel*>("nameLabel");
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(name));
}

TEST_F(FsuAlarmFormTest, FailedRowReadsChangeNoRow) {
    for (auto* r : rows<FsuInputStateWidget>()) r->setTexts("before", "x");
    for (auto* r : rows<FsuOutputStateWidget>()) r->setTexts("before", "x");
    for (auto* r : rows<FsuAlarmWidget>()) r->setMode(1);
    unit->device->SetFault(0, {devsim::Fault::ResultCode, 4});
    for (const char* b : {"inputStateGetButton", "outputStateGetButton", "alarmGetButton"}) {
        click(&page, b);
        EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1004, 命令无效")) << b;
    }
    for (auto* r : rows<FsuInputStateWidget>()) EXPECT_EQ(r->name(), "before");
    for (auto* r : rows<FsuOutputStateWidget>()) EXPECT_EQ(r->state(), "x");
    for (auto* r : rows<FsuAlarmWidget>()) EXPECT_EQ(r->comboBox()->currentIndex(), 1);
    click(&page, "inputSetButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1004,命令无效"));
}
