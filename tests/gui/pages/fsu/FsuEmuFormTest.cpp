#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>

#include "ClickedComboBox.h"
#include "FsuEmuForm.h"
#include "FsuPageTest.h"
#include "GuiHarness.h"
#include "PageKit.h"
#include "TslFsu.h"

using guitest::bytesOf;
using guitest::child;
using guitest::click;
using guitest::typeInto;

namespace {

constexpr uint32_t kSetAnalog = 4026, kDeleteAnalog = 4025, kGetCalib = 4028, kSetCalib = 4029;
constexpr uint32_t kSetRs485 = 4033, kClearRs485 = 4034;
constexpr uint32_t kDeleteLink = 4045, kSetLink = 4046, kClearLink = 4047, kIdList = 1044;

class FsuEmuFormTest : public FsuPageTest<FsuEmuForm> {
  protected:
    QLineEdit* edit(const char* name) { return w<QLineEdit>(name); }
    QComboBox* combo(const char* name) { return w<QComboBox>(name); }
    std::vector<int16_t> sentCalibration(const guitest::SimUnit& u) {
        const auto rec = guitest::recordOf<Np_FsuAnalogCalibrateParams>(u.lastPayload(kSetCalib));
        std::vector<int16_t> v(16);
        std::memcpy(v.data(), KIT_CFIELD(rec, values), 32);
        for (size_t i = 32; i < sizeof rec; ++i) EXPECT_EQ(reinterpret_cast<const uint8_t*>(&rec)[i], 0);
        return v;
    }
};

Np_FsuAnalogCalibrateParams calibration(int16_t base) {
    Np_FsuAnalogCalibrateParams c;
    std::memset(&c, 0x6B, sizeof c);
    for (int i = 0; i < 16; ++i)
        kit::store<int16_t>(KIT_FIELD(c, values) + 2 * i, static_cast<int16_t>(base * (i + 1)));
    return c;
}

}  // namespace

TEST_F(FsuEmuFormTest, AnalogChannelRoundTripWithUnalignedFloats) {
    Np_FsuAnalogParams served;
    std::memset(&served, 0x99, sizeof served);
    served.channel = 16;
    served.kind = 2;
    served.deviceType = 201;
    served.enabled = 1;
    kit::storeFloat(KIT_FIELD(served, registerA), 12.5f);
    kit::storeFloat(KIT_FIELD(served, registerB), -3.25f);
    served.upperEnabled = 1;
    kit::storeFloat(KIT_FIELD(served, upperThreshold), 1234.5f);  // offset 13
    served.lowerEnabled = 0;
    kit::storeFloat(KIT_FIELD(served, lowerThreshold), -0.125f);  // offset 18
    kit::storeFloat(KIT_FIELD(served, offset), 4096.75f);
    kit::copyText(served.name, QString::fromUtf8("机房温度传感器"));
    kit::copyText(served.unit, QString::fromUtf8("℃"));
    unit->device->PutRecord("fsuAnalog", {16}, bytesOf(served));

    combo("emuChannelComboBox")->setCurrentIndex(15);
    press("emuGetButton");
    EXPECT_EQ(edit("emuRegUpperEdit")->text(), "1234.5");
    EXPECT_EQ(edit("emuRegLowerEdit")->text(), "-0.125");
    press("emuSetButton");
    std::memset(served.reserved, 0, sizeof served.reserved);
    EXPECT_EQ(unit->lastPayload(kSetAnalog), bytesOf(served));

    press("emuDeleteButton");
    EXPECT_EQ(unit->lastPayload(kDeleteAnalog)[0], 16);
}

TEST_F(FsuEmuFormTest, AnalogFieldEncodings) {
    // Shown with 6 significant digits and written back as shown.
    struct Case {
        float served;
        const char* shown;
    } floats[] = {
        {0.000001f, "1e-06"}, {99999.999999f, "100000"}, {1234567.0f, "1.23457e+06"}, {-7.0f, "-7"}};
    for (const Case& c : floats) {
        Np_FsuAnalogParams rec{};
        rec.channel = 1;
        rec.kind = 3;  // no item shows it
        kit::storeFloat(KIT_FIELD(rec, registerB), c.served);
        unit->device->PutRecord("fsuAnalog", {1}, bytesOf(rec));
        press("emuGetButton");
        EXPECT_EQ(edit("emuRegBEdit")->text(), c.shown);
        EXPECT_EQ(combo("emuTypeComboBox")->currentIndex(), -1);
        press("emuSetButton");
        const auto sent = guitest::recordOf<Np_FsuAnalogParams>(unit->lastPayload(kSetAnalog));
        EXPECT_FLOAT_EQ(kit::loadFloat(KIT_CFIELD(sent, registerB)), kit::toDouble(c.shown)) << c.shown;
        EXPECT_EQ(sent.kind, 3) << "a kind no item shows goes back as read";
    }

    // Decimal input is read in the C locale, whatever the desktop's.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    edit("emuRegAEdit")->setText("2.5");
    press("emuSetButton");
    QLocale::setDefault(QLocale::c());
    const auto sent = guitest::recordOf<Np_FsuAnalogParams>(unit->lastPayload(kSetAnalog));
    EXPECT_FLOAT_EQ(kit::loadFloat(KIT_CFIELD(sent, registerA)), 2.5f);

    // Cutters while typing: 30 bytes of name, 15 of unit.
    typeInto(edit("emuUnitEdit"), QString::fromUtf8("千瓦时每平方"));  // 18 bytes
    EXPECT_EQ(edit("emuUnitEdit")->text(), QString::fromUtf8("千瓦时每平"));
    typeInto(edit("emuNameEdit"), QString(31, 'n'));
    EXPECT_EQ(edit("emuNameEdit")->text(), QString(30, 'n'));
}

TEST_F(FsuEmuFormTest, CurrentValueFillsOnlyTheDataEdits) {
    Np_FsuAnalogChannelData data;
    std::memset(&data, 0, sizeof data);
    data.channel = 4;
    kit::storeFloat(KIT_FIELD(data, value), 23.75f);
    kit::copyText(data.name, QString::fromUtf8("湿度"));
    std::memset(data.unit, 'u', sizeof data.unit);  // runs on past its 16 bytes
    std::memcpy(data.reserved, "RH", 2);
    unit->device->PutRecord("fsuAnalogData", {4}, bytesOf(data));
    edit("emuNameEdit")->setText("untouched");
    combo("emuDataChannelComboBox")->setCurrentIndex(3);
    press("emuDataGetButton");
    EXPECT_EQ(edit("emuDataChannelValueEdit")->text(), "23.75");
    EXPECT_EQ(edit("emuDataNameEdit")->text(), QString::fromUtf8("湿度"));
    EXPECT_EQ(edit("emuDataUnitEdit")->text(), QString(16, 'u') + "RH");
    EXPECT_EQ(edit("emuNameEdit")->text(), "untouched");
}

TEST_F(FsuEmuFormTest, CalibrationKeepsTypedValuesAcrossChannelSwitches) {
    QLineEdit* value = edit("calibValueEdit");
    QComboBox* channel = combo("calibChannelComboBox");
    EXPECT_EQ(value->text(), "0");

    // Only 16-bit integers can be typed: nothing turns into 0 or wraps on a switch.
    const struct {
        const char* typed;
        const char* kept;
    } typing[] = {{"150.9", "1509"}, {"40000", "4000"}, {"-32768", "-32768"}, {"32767", "32767"}};
    for (const auto& t : typing) {
        typeInto(value, t.typed);
        EXPECT_EQ(value->text(), t.kept) << t.typed;
    }

    typeInto(value, "150");
    channel->setCurrentIndex(1);
    EXPECT_EQ(value->text(), "0");
    typeInto(value, "-20");
    channel->setCurrentIndex(15);
    typeInto(value, "-32768");
    channel->setCurrentIndex(0);
    EXPECT_EQ(value->text(), "150");
    channel->setCurrentIndex(1);
    EXPECT_EQ(value->text(), "-20");
    press("calibSetButton");
    std::vector<int16_t> expected(16, 0);
    expected[0] = 150;
    expected[1] = -20;
    expected[15] = -32768;
    EXPECT_EQ(sentCalibration(*unit), expected);
    EXPECT_EQ(channel->currentIndex(), 0) << "a set shows channel 1";
    EXPECT_EQ(value->text(), "150");

    // A read replaces the table and shows channel 1; edits then go on top of it.
    unit->device->PutRecord("fsuCalibrate", {}, bytesOf(calibration(10)));
    channel->setCurrentIndex(4);
    typeInto(value, "999");
    press("calibGetButton");
    EXPECT_EQ(channel->currentIndex(), 0);
    EXPECT_EQ(value->text(), "10");
    channel->setCurrentIndex(4);
    EXPECT_EQ(value->text(), "50") << "the typing before the read is gone";
    typeInto(value, "-5");
    channel->setCurrentIndex(2);
    press("calibSetButton");
    expected = {10, 20, 30, 40, -5, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160};
    EXPECT_EQ(sentCalibration(*unit), expected) << "reserved bytes of the reply are not sent back";

    // A value put into the edit past its validator is refused, not wrapped.
    const size_t sets = unit->count(kSetCalib);
    value->setText("40000");
    click(&page, "calibSetButton");
    EXPECT_EQ(prompt.take().kind, Prompt::Warning);
    EXPECT_EQ(unit->count(kSetCalib), sets);
}

TEST_F(FsuEmuFormTest, CalibrationReadFromOneDeviceIsNeverWrittenToAnother) {
    unit->device->PutRecord("fsuCalibrate", {}, bytesOf(calibration(100)));
    press("calibGetButton");
    auto& other = addDevice(102, "second");  // now current

    QComboBox* channel = combo("calibChannelComboBox");
    channel->setCurrentIndex(2);
    EXPECT_EQ(edit("calibValueEdit")->text(), "300") << "the page still shows what it read";
    typeInto(edit("calibValueEdit"), "77");
    press("calibSetButton");
    std::vector<int16_t> expected(16, 0);
    expected[2] = 77;
    EXPECT_EQ(sentCalibration(other), expected) << "a fresh table with only what the edit shows";
    EXPECT_EQ(unit->count(kSetCalib), 0u);

    // A failed read keeps the table and the view.
    channel->setCurrentIndex(2);
    other.device->SetFault(kGetCalib, {devsim::Fault::ResultCode, 4});
    click(&page, "calibGetButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1004, 命令无效"));
    EXPECT_EQ(channel->currentIndex(), 2);
    EXPECT_EQ(edit("calibValueEdit")->text(), "77");
}

TEST_F(FsuEmuFormTest, SerialPortRoundTripAndEncodings) {
    QComboBox* port = combo("rs485ChannelComboBox");
    ASSERT_EQ(port->count(), 9);
    EXPECT_EQ(port->itemText(8), "9-RS232");
    EXPECT_EQ(port->itemData(8).toInt(), 9);

    Np_FsuRs485Info served;
    std::memset(&served, 0x3D, sizeof served);
    served.port = 9;
    kit::store<int32_t>(KIT_FIELD(served, baudRate), 115200);
    kit::store<int32_t>(KIT_FIELD(served, dataBits), 9);
    kit::store<int32_t>(KIT_FIELD(served, stopBits), 2);
    kit::store<int32_t>(KIT_FIELD(served, parity), 1);
    unit->device->PutRecord("fsuRs485", {9}, bytesOf(served));
    port->setCurrentIndex(8);
    press("rs485GetButton");
    EXPECT_EQ(edit("rs485BaudRateEdit")->text(), "115200");
    press("rs485SetButton");
    std::memset(served.reserved, 0, sizeof served.reserved);
    EXPECT_EQ(unit->lastPayload(kSetRs485), bytesOf(served));

    // A baud rate beyond 31 bits is the field's unsigned value, not 0; a data
    // bit count no item shows goes back as read.
    kit::store<int32_t>(KIT_FIELD(served, dataBits), 7);
    unit->device->PutRecord("fsuRs485", {9}, bytesOf(served));
    press("rs485GetButton");
    EXPECT_EQ(combo("rs485DataBitComboBox")->currentIndex(), -1);
    edit("rs485BaudRateEdit")->setText("3000000000");
    press("rs485SetButton");
    const auto sent = guitest::recordOf<Np_FsuRs485Info>(unit->lastPayload(kSetRs485));
    EXPECT_EQ(kit::load<uint32_t>(KIT_CFIELD(sent, baudRate)), 3000000000u);
    EXPECT_EQ(kit::load<int32_t>(KIT_CFIELD(sent, dataBits)), 7);

    expectClearAsks("rs485ClearButton", kClearRs485);
}

TEST_F(FsuEmuFormTest, LinkageRoundTripWithRefilledIds) {
    auto* ids = w<ClickedComboBox>("linkChannelComboBox");
    ASSERT_TRUE(ids->isEditable());
    EXPECT_EQ(ids->count(), 0);
    Np_IdList list{};
    list.count = 2;
    list.ids[0] = 3;
    list.ids[1] = 7;
    unit->device->PutRecord("idList", {0, 0, 0, 0}, bytesOf(list));
    ids->addItem("stale");
    emit ids->clicked();
    ASSERT_EQ(ids->count(), 2);
    EXPECT_EQ(ids->itemText(0), "3");
    EXPECT_EQ(ids->itemText(1), "7");
    EXPECT_EQ(unit->lastPayload(kIdList), devsim::Bytes(sizeof(Np_IdListQuery), 0));

    Np_FsuLinkageInfo served;
    std::memset(&served, 0x2E, sizeof served);
    served.linkageId = 7;
    kit::store<int32_t>(KIT_FIELD(served, eventNumber), 65535);
    served.inputChannel = 5;
    served.channelIndex = 6;
    served.outputType = 1;
    served.outputChannel = 17;
    served.actionType = 3;
    unit->device->PutRecord("fsuLinkage", {7}, bytesOf(served));
    ids->setCurrentIndex(1);
    press("linkGetButton");
    EXPECT_EQ(edit("linkEventEdit")->text(), "65535");
    EXPECT_EQ(combo("linkActionTypeComboBox")->currentText(), QString::fromUtf8("3-临时闭合"));
    press("linkSetButton");
    std::memset(served.reserved, 0, sizeof served.reserved);
    EXPECT_EQ(unit->lastPayload(kSetLink), bytesOf(served));
    press("linkDeleteButton");
    EXPECT_EQ(unit->lastPayload(kDeleteLink)[0], 7);

    // Typing is limited to the field: 70000 cannot be typed as an event number.
    typeInto(edit("linkEventEdit"), "70000");
    EXPECT_EQ(edit("linkEventEdit")->text(), "7000");
    // An id typed into the editable combo that no byte holds is refused.
    ids->setEditText("300");
    const size_t deletes = unit->count(kDeleteLink);
    click(&page, "linkDeleteButton");
    EXPECT_EQ(prompt.take().kind, Prompt::Warning);
    EXPECT_EQ(unit->count(kDeleteLink), deletes);

    // A refill that fails leaves the combo empty and shows nothing.
    unit->device->SetFault(kIdList, {devsim::Fault::ResultCode, 4});
    emit ids->clicked();
    EXPECT_EQ(ids->count(), 0);
    EXPECT_TRUE(prompt.boxes.empty());

    expectClearAsks("linkClearButton", kClearLink);
}

TEST_F(FsuEmuFormTest, AFailedReadChangesNoWidget) {
    edit("emuRegAEdit")->setText("1.5");
    edit("rs485BaudRateEdit")->setText("9600");
    edit("linkEventEdit")->setText("12");
    unit->device->SetFault(0, {devsim::Fault::ResultCode, 4});
    for (const char* b : {"emuGetButton", "rs485GetButton", "linkGetButton", "emuDataGetButton"}) {
        click(&page, b);
        EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1004, 命令无效")) << b;
    }
    EXPECT_EQ(edit("emuRegAEdit")->text(), "1.5");
    EXPECT_EQ(edit("rs485BaudRateEdit")->text(), "9600");
    EXPECT_EQ(edit("linkEventEdit")->text(), "12");
    click(&page, "emuSetButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1004,命令无效"));
}
