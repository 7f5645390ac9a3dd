#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

#include "GuiHarness.h"
#include "IotModbusForm.h"
#include "PageKit.h"
#include "TslIoT.h"
#include "pages/TypedNumbers.h"

using guitest::bytesOf;
using guitest::child;
using guitest::click;
using guitest::recordOf;
using guitest::typeInto;

namespace {

const uint32_t kGetChannel = 3014, kDeleteChannel = 3015, kSetChannel = 3016, kClearChannel = 3017;
const uint32_t kGetData = 3018, kWriteData = 3019;
const uint32_t kGetRegs = 3020, kDeleteRegs = 3021, kSetRegs = 3022, kClearRegs = 3023;
const uint32_t kGetAlarm = 3024, kSetAlarm = 3025, kLoraControl = 3028;

const QString kOk = QString::fromUtf8("执行成功！");

class IotModbusFormTest : public guitest::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        unit = &addDevice(101);
        page = std::make_unique<IotModbusForm>();
    }
    QLineEdit* edit(const char* name) { return child<QLineEdit>(page.get(), name); }
    QComboBox* combo(const char* name) { return child<QComboBox>(page.get(), name); }
    QCheckBox* check(const char* name) { return child<QCheckBox>(page.get(), name); }
    QSpinBox* spin(const char* name) { return child<QSpinBox>(page.get(), name); }
    void press(const char* button, const QString& box = kOk) {
        click(page.get(), button);
        EXPECT_EQ(prompt.take().text, box) << button;
    }
    void writeValues(const char* text) {
        child<QPlainTextEdit>(page.get(), "modbusWriteEdit")->setPlainText(QString::fromUtf8(text));
        click(page.get(), "modbusWriteButton");
    }

    guitest::SimUnit* unit = nullptr;
    std::unique_ptr<IotModbusForm> page;
};

Np_IoTModbusParams channelRecord() {
    Np_IoTModbusParams r{};
    r.channel = 6;
    r.enable = 1;
    r.deviceType = 13;
    r.slaveAddress = 247;
    r.readFunction = 3;
    r.writeFunction = 16;
    r.activeUpload = 1;
    r.registerStart = 0xA1B2;
    r.registerCount = 125;
    std::strcpy(r.name, "水表 meter-6");
    return r;
}

// Floats that 6 digits cannot show exactly, names that fill their field.
Np_IoTRegisterParams registerRecord() {
    Np_IoTRegisterParams r{};
    r.channel = 3;
    for (int i = 0; i < 16; ++i) {
        kit::storeFloat(KIT_FIELD(r, registerA) + 4 * i, 1.2345678f * static_cast<float>(i + 1));
        kit::storeFloat(KIT_FIELD(r, registerB) + 4 * i, -98765.4321f / static_cast<float>(i + 1));
        std::memset(r.names[i], 'a' + i, i == 5 ? 31 : 10 + i);  // entry 6: no NUL
        std::snprintf(r.units[i], sizeof r.units[i], "单位%d", i + 1);
    }
    return r;
}

Np_IoTModbusData dataRecord() {
    Np_IoTModbusData d{};
    d.channel = 2;
    d.deviceType = 1;
    for (int i = 0; i < 16; ++i) {
        kit::storeFloat(KIT_FIELD(d, values) + 4 * i, 21.5f + static_cast<float>(i) * 1000000.0f);
        std::snprintf(d.names[i], sizeof d.names[i], "温度%d", i + 1);
        std::snprintf(d.units[i], sizeof d.units[i], "u%d", i + 1);
    }
    d.validLength = 12;
    d.online = 2;
    return d;
}

}  // namespace

TEST_F(IotModbusFormTest, AChannelReadFillsTheWidgetsAndASetSendsTheSameBytesBack) {
    const Np_IoTModbusParams r = channelRecord();
    unit->device->PutRecord("iotModbus", {6}, bytesOf(r));
    combo("modbusChannelComboBox")->setCurrentIndex(5);
    press("modbusGetButton");
    EXPECT_EQ(unit->lastPayload(kGetChannel).at(0), 6);
    EXPECT_TRUE(check("modbusEnableCheckBox")->isChecked());
    EXPECT_EQ(combo("modbusComboBox")->currentText(), QString::fromUtf8("设备-13"));
    EXPECT_EQ(edit("modbusAddrEdit")->text(), "247");
    EXPECT_EQ(combo("modbusFunReadComboBox")->currentText(), "3");
    EXPECT_EQ(combo("modbusFunWriteComboBox")->currentText(), "16");
    EXPECT_TRUE(check("modbusSendEnableCheckBox")->isChecked());
    EXPECT_EQ(edit("modbusRegStartEdit")->text(), "41394");
    EXPECT_EQ(edit("modbusRegNumEdit")->text(), "125");
    EXPECT_EQ(edit("modbusRegNameEdit")->text(), QString::fromUtf8("水表 meter-6"));
    press("modbusSetButton");
    EXPECT_EQ(unit->lastPayload(kSetChannel), bytesOf(r));
}

TEST_F(IotModbusFormTest, CodesNoItemShowsAreWrittenBackUnchanged) {
    Np_IoTModbusParams r = channelRecord();
    r.readFunction = 1;
    r.writeFunction = 5;
    r.deviceType = 20;
    unit->device->PutRecord("iotModbus", {6}, bytesOf(r));
    combo("modbusChannelComboBox")->setCurrentIndex(5);
    press("modbusGetButton");
    EXPECT_EQ(combo("modbusFunReadComboBox")->currentIndex(), -1);
    EXPECT_EQ(combo("modbusFunWriteComboBox")->currentIndex(), -1);
    EXPECT_EQ(combo("modbusComboBox")->currentIndex(), -1);
    press("modbusSetButton");
    EXPECT_EQ(unit->lastPayload(kSetChannel), bytesOf(r));
}

TEST_F(IotModbusFormTest, ChannelNumbersOutsideTheirFieldsAreRefused) {
    struct Case {
        const char* addr;
        const char* start;
        const char* count;
        const char* warning;  // null: sent
    };
    const Case cases[] = {
        {"300", "1", "1", "外设地址码的取值范围为0~255"},
        {"1", "70000", "1", "寄存器起始地址的取值范围为0~65535"},
        {"1", "-1", "1", "寄存器起始地址的取值范围为0~65535"},
        {"1", "1", "256", "寄存器数量的取值范围为0~255"},
        {"1", "1", "x", "寄存器数量的取值范围为0~255"},
        {"255", "65535", "", nullptr},
    };
    for (const Case& c : cases) {
        edit("modbusAddrEdit")->setText(c.addr);
        edit("modbusRegStartEdit")->setText(c.start);
        edit("modbusRegNumEdit")->setText(c.count);
        click(page.get(), "modbusSetButton");
        const guitest::Box b = prompt.take();
        if (c.warning) {
            EXPECT_EQ(b.kind, Prompt::Warning);
            EXPECT_EQ(b.text, QString::fromUtf8(c.warning));
        }
    }
    ASSERT_EQ(unit->count(kSetChannel), 1u);
    Np_IoTModbusParams want{};
    want.channel = 1;
    want.slaveAddress = 255;
    want.registerStart = 65535;
    EXPECT_EQ(unit->lastPayload(kSetChannel), bytesOf(want));
}

TEST_F(IotModbusFormTest, ADataReadShowsPointOneAndTheSelectorWalksTheCopy) {
    combo("dataComboBox")->setCurrentIndex(15);
    EXPECT_EQ(edit("dataEdit")->text(), "0");
    EXPECT_EQ(edit("dataNameEdit")->text(), "");

    unit->device->PutRecord("iotModbusData", {2}, bytesOf(dataRecord()));
    combo("dataChannelComboBox")->setCurrentIndex(1);
    press("dataGetButton");
    EXPECT_EQ(unit->lastPayload(kGetData).at(0), 2);
    EXPECT_EQ(combo("dataComboBox")->currentIndex(), 0);
    EXPECT_EQ(edit("dataEdit")->text(), "21.5");
    EXPECT_EQ(edit("dataNameEdit")->text(), QString::fromUtf8("温度1"));
    EXPECT_EQ(edit("dataUnitEdit")->text(), "u1");
    EXPECT_EQ(combo("dataTypeComboBox")->currentText(), QString::fromUtf8("1-物联网关"));
    EXPECT_EQ(edit("dataLenEdit")->text(), "12");
    EXPECT_TRUE(check("dataOnlineCheckBox")->isChecked());
    combo("dataComboBox")->setCurrentIndex(15);
    EXPECT_EQ(edit("dataEdit")->text(), "1.5e+07");
    EXPECT_EQ(edit("dataNameEdit")->text(), QString::fromUtf8("温度16"));
    EXPECT_EQ(edit("dataUnitEdit")->text(), "u16");

    // A failed read keeps the copy and what it shows.
    unit->device->SetFault(kGetData, {devsim::Fault::ResultCode, 4});
    press("dataGetButton", QString::fromUtf8("执行失败！ret = -1004, 命令无效"));
    EXPECT_EQ(combo("dataComboBox")->currentIndex(), 15);
    EXPECT_EQ(edit("dataNameEdit")->text(), QString::fromUtf8("温度16"));
}

TEST_F(IotModbusFormTest, ValueWrites) {
    struct Case {
        const char* text;
        std::vector<uint16_t> values;  // empty: refused
        const char* warning;
    };
    const Case cases[] = {
        {"1,2,,x,300", {1, 2, 300}, nullptr},
        {" 65535 , 0", {65535, 0}, nullptr},
        {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
         nullptr},
        {"70000", {}, "寄存器值的取值范围为0~65535"},
        {"1,99999999999999999999999", {}, "寄存器值的取值范围为0~65535"},
        {"", {}, "数据个数的取值范围为1~16"},
        {"x,,", {}, "数据个数的取值范围为1~16"},
        {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17", {}, "数据个数的取值范围为1~16"},
    };
    combo("modbusWriteChannelComboBox")->setCurrentIndex(7);
    combo("modbusWriteChannelBeginComboBox")->setCurrentIndex(2);
    for (const Case& c : cases) {
        const size_t before = unit->count(kWriteData);
        writeValues(c.text);
        const guitest::Box b = prompt.take();
        if (c.warning) {
            EXPECT_EQ(b.kind, Prompt::Warning) << c.text;
            EXPECT_EQ(b.text, QString::fromUtf8(c.warning)) << c.text;
            EXPECT_EQ(unit->count(kWriteData), before) << c.text;
            continue;
        }
        Np_IoTModbusWrite want{};
        want.channel = 8;
        for (size_t i = 0; i < c.values.size(); ++i) want.values[i] = c.values[i];
        want.count = static_cast<uint8_t>(c.values.size());
        want.startIndex = 3;
        EXPECT_EQ(unit->lastPayload(kWriteData), bytesOf(want)) << c.text;
    }
}

TEST_F(IotModbusFormTest, ARegisterTableWalkedWithoutEditsIsWrittenBackByteForByte) {
    const Np_IoTRegisterParams r = registerRecord();
    unit->device->PutRecord("iotRegister", {3}, bytesOf(r));
    combo("regChannelComboBox")->setCurrentIndex(2);
    press("regGetButton");
    EXPECT_EQ(edit("regAEdit")->text(), "1.23457");
    EXPECT_EQ(edit("regDataUnitEdit")->text(), QString::fromUtf8("单位1"));
    for (int i = 1; i < 16; ++i) combo("regComboBox")->setCurrentIndex(i);
    combo("regComboBox")->setCurrentIndex(5);
    EXPECT_EQ(edit("regDataNameEdit")->text(), QString(31, 'f'));
    press("regSetButton");
    EXPECT_EQ(unit->lastPayload(kSetRegs), bytesOf(r));
    EXPECT_EQ(combo("regComboBox")->currentIndex(), 0);
}

TEST_F(IotModbusFormTest, EditedEntriesGoBackIntoTheCopyWhenTheCursorMoves) {
    const Np_IoTRegisterParams r = registerRecord();
    unit->device->PutRecord("iotRegister", {3}, bytesOf(r));
    combo("regChannelComboBox")->setCurrentIndex(2);
    press("regGetButton");
    typeInto(edit("regAEdit"), "12.5");
    typeInto(edit("regDataNameEdit"), QString::fromUtf8("一二三四五六七八九十壹"));  // 33 bytes
    combo("regComboBox")->setCurrentIndex(1);
    typeInto(edit("regBEdit"), "-0.25");
    typeInto(edit("regDataUnitEdit"), QString::fromUtf8("千瓦时千瓦时"));  // 18 bytes
    press("regSetButton");

    Np_IoTRegisterParams want = r;
    kit::storeFloat(KIT_FIELD(want, registerA), 12.5f);
    kit::copyText(want.names[0], QString::fromUtf8("一二三四五六七八九十"));
    kit::storeFloat(KIT_FIELD(want, registerB) + 4, -0.25f);
    kit::copyText(want.units[1], QString::fromUtf8("千瓦时千瓦"));
    EXPECT_EQ(unit->lastPayload(kSetRegs), bytesOf(want));
    EXPECT_EQ(combo("regComboBox")->currentIndex(), 0);
    EXPECT_EQ(edit("regAEdit")->text(), "12.5");

    // A failed write still goes back to entry 1, from the copy with the edits.
    combo("regComboBox")->setCurrentIndex(3);
    typeInto(edit("regAEdit"), "7");
    unit->device->SetFault(kSetRegs, {devsim::Fault::ResultCode, 4});
    press("regSetButton", QString::fromUtf8("执行失败！ret = -1004,命令无效"));
    EXPECT_EQ(combo("regComboBox")->currentIndex(), 0);
    EXPECT_EQ(edit("regAEdit")->text(), "12.5");
    combo("regComboBox")->setCurrentIndex(3);
    EXPECT_EQ(edit("regAEdit")->text(), "7");
}

TEST_F(IotModbusFormTest, BeforeAnyReadTheTypedEntriesAreWrittenWithZerosElsewhere) {
    typeInto(edit("regAEdit"), "1.5");
    combo("regComboBox")->setCurrentIndex(1);
    typeInto(edit("regAEdit"), "2.5");
    press("regSetButton");
    Np_IoTRegisterParams want{};
    want.channel = 1;
    kit::storeFloat(KIT_FIELD(want, registerA), 1.5f);
    kit::storeFloat(KIT_FIELD(want, registerA) + 4, 2.5f);
    EXPECT_EQ(unit->lastPayload(kSetRegs), bytesOf(want));
}

TEST_F(IotModbusFormTest, NumbersThatAreNoneAreRefusedWhereverTheEntryIs) {
    const Np_IoTRegisterParams r = registerRecord();
    unit->device->PutRecord("iotRegister", {3}, bytesOf(r));
    const QString refusal = QString::fromUtf8("寄存器7 寄存器A的取值范围为-100000~100000");
    for (const bool leftBehind : {false, true})
        for (const auto& c : guitest::kTypedNumbers) {
            SCOPED_TRACE(std::string(c.typed) + (leftBehind ? " left behind" : " on screen"));
            page = std::make_unique<IotModbusForm>();
            combo("regChannelComboBox")->setCurrentIndex(2);
            press("regGetButton");
            combo("regComboBox")->setCurrentIndex(6);
            typeInto(edit("regAEdit"), c.typed);
            ASSERT_EQ(edit("regAEdit")->text(), c.shown);
            if (leftBehind) combo("regComboBox")->setCurrentIndex(9);

            Np_IoTRegisterParams want = r;
            float value = c.value;
            if (c.refused) {
                const size_t sets = unit->count(kSetRegs);
                press("regSetButton", refusal);
                EXPECT_EQ(unit->count(kSetRegs), sets);
                // What was typed waits on its entry to be put right.
                combo("regComboBox")->setCurrentIndex(6);
                EXPECT_EQ(edit("regAEdit")->text(), c.shown);
                typeInto(edit("regAEdit"), "3.75");
                value = 3.75f;
            }
            kit::storeFloat(KIT_FIELD(want, registerA) + 4 * 6, value);
            press("regSetButton");
            EXPECT_EQ(unit->lastPayload(kSetRegs), bytesOf(want));
        }
}

TEST_F(IotModbusFormTest, ATableReadFromOneDeviceIsNeverWrittenToAnother) {
    unit->device->PutRecord("iotRegister", {3}, bytesOf(registerRecord()));
    combo("regChannelComboBox")->setCurrentIndex(2);
    press("regGetButton");
    combo("regComboBox")->setCurrentIndex(4);
    auto& second = addDevice(101, "second");
    press("regSetButton");
    Np_IoTRegisterParams want{};
    want.channel = 3;
    EXPECT_EQ(second.lastPayload(kSetRegs), bytesOf(want));
    EXPECT_EQ(unit->count(kSetRegs), 0u);
    EXPECT_EQ(edit("regAEdit")->text(), "0");
}

TEST_F(IotModbusFormTest, AFailedRegisterReadKeepsTheCopyAndTheEdits) {
    unit->device->PutRecord("iotRegister", {1}, bytesOf(registerRecord()));
    press("regGetButton");
    combo("regComboBox")->setCurrentIndex(2);
    unit->device->SetFault(kGetRegs, {devsim::Fault::ResultCode, 4});
    press("regGetButton", QString::fromUtf8("执行失败！ret = -1004, 命令无效"));
    EXPECT_EQ(combo("regComboBox")->currentIndex(), 2);
    EXPECT_EQ(edit("regDataNameEdit")->text(), QString(12, 'c'));
}

TEST_F(IotModbusFormTest, AlarmOutputAndLoraControl) {
    Np_IoTAlarmIoInfo alarm{};
    alarm.output12vEnable = 1;
    alarm.modbusTcpId = 77;
    alarm.loraId = 200;
    unit->device->PutRecord("iotAlarmIo", {}, bytesOf(alarm));
    press("alarm12vGetButton");
    EXPECT_TRUE(unit->lastPayload(kGetAlarm).empty());
    EXPECT_TRUE(check("alarm12vCheckBox")->isChecked());
    EXPECT_EQ(spin("modbusTcpSpinBox")->value(), 77);
    EXPECT_EQ(spin("loraIdSpinBox")->value(), 200);
    press("alarm12vSetButton");
    EXPECT_EQ(unit->lastPayload(kSetAlarm), bytesOf(alarm));

    check("loraControlEnableCheckBox")->setChecked(true);
    spin("loraTimeSpinBox")->setValue(32767);
    press("loraControlButton");
    Np_IoTLoraControl lora{};
    lora.enable = 1;
    lora.duration = 32767;
    EXPECT_EQ(unit->lastPayload(kLoraControl), bytesOf(lora));
}

TEST_F(IotModbusFormTest, DeletesSendTheChannelAndClearsAsk) {
    combo("modbusChannelComboBox")->setCurrentIndex(7);
    combo("regChannelComboBox")->setCurrentIndex(4);
    press("modbusDeleteButton");
    press("regDeleteButton");
    EXPECT_EQ(unit->lastPayload(kDeleteChannel).at(0), 8);
    EXPECT_EQ(unit->lastPayload(kDeleteRegs).at(0), 5);
    prompt.answers = {false, false};
    click(page.get(), "modbusClearButton");
    click(page.get(), "regClearButton");
    EXPECT_EQ(prompt.takeAll().size(), 2u);
    EXPECT_EQ(unit->count(kClearChannel) + unit->count(kClearRegs), 0u);
    prompt.answers = {true, true};
    click(page.get(), "modbusClearButton");
    click(page.get(), "regClearButton");
    EXPECT_EQ(prompt.takeAll().size(), 4u);
    EXPECT_EQ(unit->count(kClearChannel), 1u);
    EXPECT_EQ(unit->count(kClearRegs), 1u);
}
