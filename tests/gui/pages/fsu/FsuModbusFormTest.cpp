#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTextCursor>
#include <QTextEdit>

#include <cstring>
#include <memory>

#include "ClickedComboBox.h"
#include "FsuModbusForm.h"
#include "GuiHarness.h"
#include "PageKit.h"
#include "TslFsu.h"
#include "pages/TypedNumbers.h"

using guitest::Box;
using guitest::bytesOf;
using guitest::child;
using guitest::click;
using guitest::GuiTest;
using guitest::recordOf;
using guitest::SimUnit;

namespace {

QString u(const char* text) {
    return QString::fromUtf8(text);
}

template <size_t N>
void put(char (&field)[N], const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::memset(field, 0, N);
    std::memcpy(field, bytes.constData(), std::min<size_t>(N, static_cast<size_t>(bytes.size())));
}

// 42 three-byte characters and one digit: 127 bytes.
QString description(int i) {
    return QString::number(i) + QString(42, QChar(0x6C34 + i));
}

Np_FsuRegisterParams registerGroup(uint8_t channel) {
    Np_FsuRegisterParams p{};
    p.channel = channel;
    for (int i = 0; i < 8; ++i) {
        kit::storeFloat(KIT_FIELD(p, valueA) + 4 * i, 1.5f + i);
        kit::storeFloat(KIT_FIELD(p, valueB) + 4 * i, -0.25f - i);
        p.upperEnabled[i] = i % 2;
        kit::storeFloat(KIT_FIELD(p, upperThreshold) + 4 * i, 1000.0f + i);
        p.lowerEnabled[i] = (i + 1) % 2;
        kit::storeFloat(KIT_FIELD(p, lowerThreshold) + 4 * i, -50.5f + i);
        kit::storeFloat(KIT_FIELD(p, hysteresis) + 4 * i, 0.125f * (i + 1));
        p.thresholdType[i] = static_cast<uint8_t>(1 + i % 2);
        put(p.name[i], u("温度传感器") + QString::number(i));
        put(p.unit[i], u("℃") + QString::number(i));
    }
    return p;
}

Np_FsuRegisterDesc descriptions(uint8_t channel) {
    Np_FsuRegisterDesc d{};
    d.channel = channel;
    for (int i = 0; i < 8; ++i) put(d.desc[i], description(i));
    return d;
}

class FsuModbusFormTest : public GuiTest {
  protected:
    // A unit whose serial ports have `perPort` channels each.
    SimUnit& unit(int perPort = 2, std::string name = {}) {
        SimUnit& s = addDevice(102, name, false, false);
        devsim::Bytes info(128, 0);
        info[kInfoBlockOffset + 67] = static_cast<uint8_t>(perPort);
        s.device->SetLoginInfo(info);
        login(s);
        DeviceRegistry::instance().setCurrent(s.name);
        return s;
    }
    // Opens a channel list as a press does and picks channel n (item n - 1).
    void pick(const char* combo, int n) {
        auto* box = child<ClickedComboBox>(page.get(), combo);
        box->clicked();
        box->setCurrentIndex(n - 1);
    }
    template <class W = QLineEdit>
    W* w(const char* name) {
        return child<W>(page.get(), name);
    }
    QString text(const char* name) { return w(name)->text(); }
    QString shownDesc() { return w<QTextEdit>("regDescEdit")->toPlainText(); }

    std::unique_ptr<FsuModbusForm> page = std::make_unique<FsuModbusForm>();
};

TEST_F(FsuModbusFormTest, ChannelListsFollowThePortWidthAndNeverPass255) {
    struct Case {
        int perPort;
        int items;
        const char* last;
    } cases[] = {{2, 18, "9-2(18)"}, {0, 0, ""}, {40, 255, "7-15(255)"}, {255, 255, "1-255(255)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.perPort);
        unit(c.perPort);
        for (const char* name : {"modbusChannelComboBox", "dataChannelComboBox", "regChannelComboBox",
                                 "modbusWriteChannelComboBox"}) {
            auto* box = w<ClickedComboBox>(name);
            box->clicked();
            ASSERT_EQ(box->count(), c.items) << name;
            if (c.items == 0) continue;
            EXPECT_EQ(box->itemText(0), "1-1(1)");
            EXPECT_EQ(box->itemText(c.items - 1), c.last);
            EXPECT_EQ(box->itemData(c.items - 1).toInt(), c.items);
            box->setCurrentIndex(4);
            box->clicked();
            EXPECT_EQ(box->currentIndex(), 4) << "a chosen channel stays chosen";
        }
    }
}

TEST_F(FsuModbusFormTest, PeripheralRoundTripAndChecks) {
    SimUnit& s = unit();
    Np_FsuModbusParams rec{};
    rec.channel = 5;
    rec.enable = 1;
    rec.deviceType = 11;
    rec.address = 200;
    rec.readFunction = 1;
    rec.writeFunction = 15;
    rec.activeUpload = 1;
    rec.startAddress = 40001;
    rec.dataLength = 7;
    put(rec.name, u("一号泵站"));
    s.device->PutRecord("fsuModbusParams", {5}, bytesOf(rec));

    pick("modbusChannelComboBox", 5);
    click(page.get(), "modbusGetButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));
    EXPECT_TRUE(w<QCheckBox>("modbusEnableCheckBox")->isChecked());
    EXPECT_EQ(w<QComboBox>("modbusComboBox")->currentText(), u("设备-11"));
    EXPECT_EQ(text("modbusAddrEdit"), "200");
    EXPECT_EQ(w<QComboBox>("modbusFunReadComboBox")->currentText(), u("1-0x01功能码"));
    EXPECT_EQ(w<QComboBox>("modbusFunWriteComboBox")->currentText(), u("15-0x0F功能码"));
    EXPECT_EQ(text("modbusRegStartEdit"), "40001");
    EXPECT_EQ(w<QSpinBox>("modbusRegNumSpinBox")->value(), 7);
    EXPECT_EQ(text("modbusNameEdit"), u("一号泵站"));

    click(page.get(), "modbusSetButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));
    EXPECT_EQ(s.lastPayload(4016), bytesOf(rec));

    // A number the edit's validator would not let through, put there anyway.
    w("modbusAddrEdit")->setText("300");
    click(page.get(), "modbusSetButton");
    EXPECT_EQ(prompt.take().text, u("外设地址码的取值范围为0~255"));
    w("modbusAddrEdit")->clear();
    click(page.get(), "modbusSetButton");
    EXPECT_EQ(prompt.take().text, u("外设地址不能设置为空"));
    EXPECT_EQ(s.count(4016), 1u);
}

TEST_F(FsuModbusFormTest, ValueWritesEncodeTheListOrRefuseIt) {
    SimUnit& s = unit();
    pick("modbusWriteChannelComboBox", 3);
    w<QComboBox>("modbusWriteChannelBeginComboBox")->setCurrentIndex(1);
    struct Case {
        const char* typed;
        std::vector<uint16_t> values;  // sent
        const char* refusal;           // or refused with this warning
    } cases[] = {
        {"12,,a,7", {12, 7}, nullptr},
        {"1,2,3,4,5,6,7,65535", {1, 2, 3, 4, 5, 6, 7, 65535}, nullptr},
        {"", {}, nullptr},
        {"12,65536", {}, "数据的取值范围为0~65535"},
        {"1,2,3,4,5,6,7,8,9", {}, "数据最多8个"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        s.server->ClearRequests();
        w<QTextEdit>("modbusWriteEdit")->setPlainText(c.typed);
        click(page.get(), "modbusWriteButton");
        const Box b = prompt.take();
        if (c.refusal) {
            EXPECT_EQ(b.kind, Prompt::Warning);
            EXPECT_EQ(b.text, u(c.refusal));
            EXPECT_EQ(s.count(4019), 0u);
            continue;
        }
        EXPECT_EQ(b.text, u("执行成功！"));
        Np_FsuModbusWrite want{};
        want.channel = 3;
        for (size_t i = 0; i < c.values.size(); ++i)
            kit::store<uint16_t>(KIT_FIELD(want, values) + 2 * i, c.values[i]);
        want.count = static_cast<uint8_t>(c.values.size());
        want.writeFunction = 2;  // the start index
        EXPECT_EQ(s.lastPayload(4019), bytesOf(want));
    }
}

TEST_F(FsuModbusFormTest, ValuesShowEntryByEntry) {
    SimUnit& s = unit();
    Np_FsuModbusValues v{};
    v.channel = 6;
    v.deviceType = 9;
    v.validLength = 6;
    v.online = 1;
    for (int i = 0; i < 8; ++i) {
        kit::storeFloat(KIT_FIELD(v, values) + 4 * i, 20.5f + i);
        put(v.names[i], u("湿度") + QString::number(i));
        put(v.units[i], QString("%RH") + QString::number(i));
    }
    put(v.units[7], "ABCDEFGHIJKLMNOPQ");  // the whole field, no NUL
    s.device->PutRecord("fsuModbusValues", {6}, bytesOf(v));

    EXPECT_EQ(text("dataEdit"), "0");
    pick("dataChannelComboBox", 6);
    w<QComboBox>("dataComboBox")->setCurrentIndex(4);
    click(page.get(), "dataGetButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));
    EXPECT_EQ(recordOf<uint8_t>(s.lastPayload(4018)), 6);
    EXPECT_EQ(w<QComboBox>("dataComboBox")->currentIndex(), 0);
    EXPECT_EQ(w<QComboBox>("dataTypeComboBox")->currentText(), u("设备-9"));
    EXPECT_EQ(text("dataLenEdit"), "6");
    EXPECT_TRUE(w<QCheckBox>("dataOnlineCheckBox")->isChecked());
    for (int i = 0; i < 8; ++i) {
        w<QComboBox>("dataComboBox")->setCurrentIndex(i);
        EXPECT_EQ(text("dataEdit"), QString::number(20.5 + i));
        EXPECT_EQ(text("dataNameEdit"), u("湿度") + QString::number(i));
        EXPECT_EQ(text("dataUnitEdit"), i < 7 ? QString("%RH") + QString::number(i) : "ABCDEFGHIJKLMNOP");
    }

    s.device->SetFault(4018, {devsim::Fault::ResultCode, 4});
    click(page.get(), "dataGetButton");
    EXPECT_EQ(prompt.take().text, u("执行失败！ret = -1004, 命令无效"));
    EXPECT_EQ(text("dataUnitEdit"), "ABCDEFGHIJKLMNOP");
}

TEST_F(FsuModbusFormTest, RegisterGroupRoundTrip) {
    SimUnit& s = unit();
    const Np_FsuRegisterParams params = registerGroup(7);
    const Np_FsuRegisterDesc desc = descriptions(7);
    s.device->PutRecord("fsuRegisterParams", {7}, bytesOf(params));
    s.device->PutRecord("fsuRegisterDesc", {7}, bytesOf(desc));

    pick("regChannelComboBox", 7);
    w<QComboBox>("regComboBox")->setCurrentIndex(3);
    click(page.get(), "regGetButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));
    EXPECT_EQ(w<QComboBox>("regComboBox")->currentIndex(), 0);
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 0}) {
        SCOPED_TRACE(i);
        w<QComboBox>("regComboBox")->setCurrentIndex(i);
        EXPECT_EQ(text("regAEdit"), QString::number(1.5 + i));
        EXPECT_EQ(text("regBEdit"), QString::number(-0.25 - i));
        EXPECT_EQ(w<QCheckBox>("regTopCheckBox")->isChecked(), i % 2 == 1);
        EXPECT_EQ(text("regTopEdit"), QString::number(1000 + i));
        EXPECT_EQ(w<QCheckBox>("regDownCheckBox")->isChecked(), i % 2 == 0);
        EXPECT_EQ(text("regDownEdit"), QString::number(-50.5 + i));
        EXPECT_EQ(text("regOffsetEdit"), QString::number(0.125 * (i + 1)));
        EXPECT_EQ(w<QComboBox>("regTypeComboBox")->currentData().toInt(), 1 + i % 2);
        EXPECT_EQ(text("regNameEdit"), u("温度传感器") + QString::number(i));
        EXPECT_EQ(text("regUnitEdit"), u("℃") + QString::number(i));
        EXPECT_EQ(shownDesc(), description(i));
    }
    w<QComboBox>("regComboBox")->setCurrentIndex(5);
    click(page.get(), "regSetButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));
    EXPECT_EQ(s.lastPayload(4022), bytesOf(params));
    EXPECT_EQ(s.lastPayload(4067), bytesOf(desc));
    EXPECT_EQ(w<QComboBox>("regComboBox")->currentIndex(), 0) << "a set shows register 0";
}

TEST_F(FsuModbusFormTest, RegisterEditsEncodeIntoTheirSlots) {
    SimUnit& s = unit();
    pick("regChannelComboBox", 2);
    // Register 0 left with A empty stores 0; register 3 written with A empty stores 1.
    w<QComboBox>("regComboBox")->setCurrentIndex(0);
    w("regAEdit")->clear();
    w("regBEdit")->setText("7");
    w<QComboBox>("regComboBox")->setCurrentIndex(3);
    w("regAEdit")->clear();
    w("regBEdit")->setText("2.5");
    w<QCheckBox>("regTopCheckBox")->setChecked(true);
    w("regTopEdit")->setText("100");
    w("regDownEdit")->setText("-5");
    w("regOffsetEdit")->setText("0.5");
    w<QComboBox>("regTypeComboBox")->setCurrentIndex(1);
    guitest::typeInto(w("regNameEdit"), u("温度"));
    guitest::typeInto(w("regUnitEdit"), u("一二三四五六"));  // the sixth does not fit 15 bytes
    w<QTextEdit>("regDescEdit")->insertPlainText(u("<b>机房</b>"));
    click(page.get(), "regSetButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));

    Np_FsuRegisterParams want{};
    want.channel = 2;
    kit::storeFloat(KIT_FIELD(want, valueB), 7.0f);
    kit::storeFloat(KIT_FIELD(want, valueA) + 12, 1.0f);
    kit::storeFloat(KIT_FIELD(want, valueB) + 12, 2.5f);
    want.upperEnabled[3] = 1;
    kit::storeFloat(KIT_FIELD(want, upperThreshold) + 12, 100.0f);
    kit::storeFloat(KIT_FIELD(want, lowerThreshold) + 12, -5.0f);
    kit::storeFloat(KIT_FIELD(want, hysteresis) + 12, 0.5f);
    want.thresholdType[3] = 2;
    put(want.name[3], u("温度"));
    put(want.unit[3], u("一二三四五"));
    EXPECT_EQ(s.lastPayload(4022), bytesOf(want));
    Np_FsuRegisterDesc wantDesc{};
    wantDesc.channel = 2;
    put(wantDesc.desc[3], u("<b>机房</b>"));
    EXPECT_EQ(s.lastPayload(4067), bytesOf(wantDesc));
}

TEST_F(FsuModbusFormTest, NumbersThatAreNoneAreRefusedWhereverTheRegisterIs) {
    SimUnit& s = unit();
    const Np_FsuRegisterParams params = registerGroup(7);
    s.device->PutRecord("fsuRegisterDesc", {7}, bytesOf(descriptions(7)));
    // A register left behind with its A value, the register on show with its hysteresis.
    const struct {
        bool leftBehind;
        const char* edit;
        size_t offset;
        const char* refusal;
    } places[] = {
        {true, "regAEdit", offsetof(Np_FsuRegisterParams, valueA), "寄存器3 A值的取值范围为-100000~100000"},
        {false, "regOffsetEdit", offsetof(Np_FsuRegisterParams, hysteresis),
         "寄存器3 报警回差的取值范围为-100000~100000"},
    };
    for (const auto& at : places)
        for (const auto& c : guitest::kTypedNumbers) {
            SCOPED_TRACE(std::string(c.typed) + " in " + at.edit);
            s.device->PutRecord("fsuRegisterParams", {7}, bytesOf(params));
            page = std::make_unique<FsuModbusForm>();
            pick("regChannelComboBox", 7);
            click(page.get(), "regGetButton");
            EXPECT_EQ(prompt.take().text, u("执行成功！"));
            w<QComboBox>("regComboBox")->setCurrentIndex(2);
            guitest::typeInto(w(at.edit), c.typed);
            ASSERT_EQ(text(at.edit), c.shown);
            if (at.leftBehind) w<QComboBox>("regComboBox")->setCurrentIndex(5);

            float value = c.value;
            if (c.refused) {
                const size_t sets = s.count(4022) + s.count(4067);
                click(page.get(), "regSetButton");
                EXPECT_EQ(prompt.take().text, u(at.refusal));
                EXPECT_EQ(s.count(4022) + s.count(4067), sets);
                // What was typed waits on its register to be put right.
                w<QComboBox>("regComboBox")->setCurrentIndex(2);
                EXPECT_EQ(text(at.edit), c.shown);
                guitest::typeInto(w(at.edit), "3.75");
                value = 3.75f;
            }
            click(page.get(), "regSetButton");
            EXPECT_EQ(prompt.take().text, u("执行成功！"));
            Np_FsuRegisterParams want = params;
            kit::storeFloat(reinterpret_cast<unsigned char*>(&want) + at.offset + 4 * 2, value);
            EXPECT_EQ(s.lastPayload(4022), bytesOf(want));
        }

    // A read replaces the table, and with it what was left typed in it.
    w<QComboBox>("regComboBox")->setCurrentIndex(4);
    guitest::typeInto(w("regTopEdit"), "-");
    w<QComboBox>("regComboBox")->setCurrentIndex(1);
    s.device->PutRecord("fsuRegisterParams", {7}, bytesOf(params));
    click(page.get(), "regGetButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));
    click(page.get(), "regSetButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));
    EXPECT_EQ(s.lastPayload(4022), bytesOf(params));
}

TEST_F(FsuModbusFormTest, DescriptionFailuresAndUnreadDescriptions) {
    SimUnit& s = unit();
    s.device->PutRecord("fsuRegisterParams", {1}, bytesOf(registerGroup(1)));
    s.device->PutRecord("fsuRegisterDesc", {1}, bytesOf(descriptions(1)));
    pick("regChannelComboBox", 1);

    // A set before any read writes the parameters and leaves the descriptions alone.
    click(page.get(), "regSetButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));
    EXPECT_EQ(s.count(4067), 0u);
    s.device->PutRecord("fsuRegisterParams", {1}, bytesOf(registerGroup(1)));

    // A failed description read says so and shows the parameters; a later set keeps the device's texts.
    s.device->SetFault(4065, {devsim::Fault::ResultCode, 4});
    click(page.get(), "regGetButton");
    Box b = prompt.take();
    EXPECT_EQ(b.kind, Prompt::Warning);
    EXPECT_EQ(b.text, u("执行失败！ret = -1004, 命令无效"));
    EXPECT_EQ(text("regNameEdit"), u("温度传感器0"));
    EXPECT_EQ(shownDesc(), "");
    click(page.get(), "regSetButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));
    EXPECT_EQ(s.count(4067), 0u);
    // ... unless one was edited.
    w<QTextEdit>("regDescEdit")->insertPlainText("x");
    click(page.get(), "regSetButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));
    EXPECT_EQ(recordOf<Np_FsuRegisterDesc>(s.lastPayload(4067)).desc[0][0], 'x');

    // A failed description write shows the writing failure and no success box.
    s.device->ClearFaults();
    click(page.get(), "regGetButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));
    s.device->SetFault(4067, {devsim::Fault::ResultCode, 4});
    click(page.get(), "regSetButton");
    b = prompt.take();
    EXPECT_EQ(b.kind, Prompt::Warning);
    EXPECT_EQ(b.text, u("执行失败！ret = -1004,命令无效"));

    // A failed parameter read changes nothing.
    w<QComboBox>("regComboBox")->setCurrentIndex(2);
    s.device->SetFault(4020, {devsim::Fault::ResultCode, 4});
    click(page.get(), "regGetButton");
    EXPECT_EQ(prompt.take().text, u("执行失败！ret = -1004, 命令无效"));
    EXPECT_EQ(w<QComboBox>("regComboBox")->currentIndex(), 2);
    EXPECT_EQ(text("regNameEdit"), u("温度传感器2"));
}

TEST_F(FsuModbusFormTest, DescriptionLimiterKeepsPlainWholeCharactersWithin127Bytes) {
    SimUnit& s = unit();
    Np_FsuRegisterDesc d{};
    d.channel = 1;
    // 128 bytes and no NUL: "<b>" then 41 three-byte characters and "xx".
    const QString full = "<b>" + QString(41, QChar(0x6C34)) + "xx";
    ASSERT_EQ(full.toUtf8().size(), 128);
    put(d.desc[0], full);
    s.device->PutRecord("fsuRegisterDesc", {1}, bytesOf(d));
    pick("regChannelComboBox", 1);
    click(page.get(), "regGetButton");
    prompt.takeAll();
    EXPECT_EQ(shownDesc(), full.left(full.size() - 1)) << "cut from the end, kept plain";

    // Typing in the middle keeps the text and the cursor where they were.
    auto* edit = w<QTextEdit>("regDescEdit");
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(5);
    edit->setTextCursor(cursor);
    edit->insertPlainText(u("字"));
    EXPECT_EQ(shownDesc(), full.left(full.size() - 1));
    EXPECT_EQ(edit->textCursor().position(), 5);
    // A pasted run that does not fit goes whole characters at a time, from what was pasted.
    edit->clear();
    edit->insertPlainText(QString(40, QChar(0x6C34)));
    edit->insertPlainText(u("😀😀😀"));  // 4 bytes each: 120 + 4 fits, not 128
    EXPECT_EQ(shownDesc(), QString(40, QChar(0x6C34)) + u("😀"));

    click(page.get(), "regSetButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));
    const auto sent = recordOf<Np_FsuRegisterDesc>(s.lastPayload(4067));
    EXPECT_EQ(kit::text(sent.desc[0]), QString(40, QChar(0x6C34)) + u("😀"));
}

TEST_F(FsuModbusFormTest, TheKeptGroupBelongsToItsDevice) {
    SimUnit& first = unit(2, "first");
    first.device->PutRecord("fsuRegisterParams", {1}, bytesOf(registerGroup(1)));
    first.device->PutRecord("fsuRegisterDesc", {1}, bytesOf(descriptions(1)));
    pick("regChannelComboBox", 1);
    click(page.get(), "regGetButton");
    prompt.takeAll();

    SimUnit& second = unit(2, "second");
    click(page.get(), "regSetButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));
    const auto sent = recordOf<Np_FsuRegisterParams>(second.lastPayload(4022));
    // Only the register on show (its edits) reaches the other device; none of the first one's table.
    Np_FsuRegisterParams want{};
    const Np_FsuRegisterParams group = registerGroup(1);
    want.channel = 1;
    std::memcpy(KIT_FIELD(want, valueA), KIT_CFIELD(group, valueA), 4);
    std::memcpy(KIT_FIELD(want, valueB), KIT_CFIELD(group, valueB), 4);
    want.upperEnabled[0] = group.upperEnabled[0];
    std::memcpy(KIT_FIELD(want, upperThreshold), KIT_CFIELD(group, upperThreshold), 4);
    want.lowerEnabled[0] = group.lowerEnabled[0];
    std::memcpy(KIT_FIELD(want, lowerThreshold), KIT_CFIELD(group, lowerThreshold), 4);
    std::memcpy(KIT_FIELD(want, hysteresis), KIT_CFIELD(group, hysteresis), 4);
    want.thresholdType[0] = group.thresholdType[0];
    std::memcpy(want.name[0], group.name[0], sizeof want.name[0]);
    std::memcpy(want.unit[0], group.unit[0], sizeof want.unit[0]);
    EXPECT_EQ(bytesOf(sent), bytesOf(want));
    EXPECT_EQ(second.count(4067), 0u) << "no descriptions were read from this device";
}

}  // namespace
