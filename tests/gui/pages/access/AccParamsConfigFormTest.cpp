#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QPlainTextEdit>
#include <QSpinBox>

#include "AccPageTest.h"
#include "AccParamsConfigForm.h"

using guitest::bytesOf;
using guitest::recordOf;

namespace {

class ParamsPageTest : public acctest::PageTest<AccParamsConfigForm> {
  protected:
    QDoubleSpinBox* scaled(const char* name) { return guitest::child<QDoubleSpinBox>(&page, name); }
    QSpinBox* spin(const char* name) { return guitest::child<QSpinBox>(&page, name); }
    Np_AccDeviceInfo sent() { return recordOf<Np_AccDeviceInfo>(unit->lastPayload(2026)); }
};

}  // namespace

TEST_F(ParamsPageTest, ParametersReadIntoTheWidgetsAndAreSentBackUnchanged) {
    Np_AccDeviceInfo info{};
    info.emergencySwitch = 1;
    info.batteryLowVoltage = 255;
    info.recordAlarmPercent = 1234;
    info.globalAntiPassback = 1;
    info.noDefaultOpen = 1;
    const uint8_t volumes[4] = {3, 7, 11, 30};
    std::memcpy(info.doorVolume, volumes, 4);
    info.offlineCentralAuth = 1;
    info.simulatedCards = 123456;
    info.simulatedEvents = 7654321;
    info.simulatedLogs = 2147483647;
    info.defaultFireSignal = 1;
    info.tamperBuzzerOff = 1;
    info.motionBuzzerOff = 1;
    info.reserved = 0x55AA55AA;
    unit->device->PutRecord("accDevice", {}, bytesOf(info));
    click("getButton");
    expectSuccess();
    EXPECT_DOUBLE_EQ(scaled("vDoubleSpinBox")->value(), 25.5) << "a byte is never read as negative";
    EXPECT_DOUBLE_EQ(scaled("mDoubleSpinBox")->value(), 12.34);
    EXPECT_EQ(spin("door3SoundSpinBox")->value(), 11);
    EXPECT_TRUE(guitest::child<QCheckBox>(&page, "hCheckBox")->isChecked());
    click("setButton");
    expectSuccess();
    info.reserved = 0;
    EXPECT_EQ(bytesOf(sent()), bytesOf(info));
}

TEST_F(ParamsPageTest, ScaledValuesRoundToTheNearestUnitWithinTheirFields) {
    struct Case {
        const char* box;
        double shown;
        int64_t sent;
    };
    const Case cases[] = {
        {"mDoubleSpinBox", 12.37, 1237}, {"mDoubleSpinBox", 0.29, 29}, {"mDoubleSpinBox", 99.99, 9999},
        {"vDoubleSpinBox", 10.5, 105},   {"vDoubleSpinBox", 0.3, 3},   {"vDoubleSpinBox", 25.5, 255},
        {"vDoubleSpinBox", 30.0, 255},  // beyond the byte's 25.5: the box stops there
    };
    for (const Case& c : cases) {
        scaled(c.box)->setValue(c.shown);
        click("setButton");
        expectSuccess();
        const Np_AccDeviceInfo info = sent();
        const int64_t value =
            std::string(c.box) == "mDoubleSpinBox" ? info.recordAlarmPercent : info.batteryLowVoltage;
        EXPECT_EQ(value, c.sent) << c.box << " " << c.shown;
    }
}

TEST_F(ParamsPageTest, RepliesBeyondTheBoxesAreClampedToThem) {
    Np_AccDeviceInfo info{};
    info.recordAlarmPercent = -5;
    info.doorVolume[0] = 0;
    info.doorVolume[1] = 40;
    unit->device->PutRecord("accDevice", {}, bytesOf(info));
    click("getButton");
    expectSuccess();
    EXPECT_DOUBLE_EQ(scaled("mDoubleSpinBox")->value(), 0.0);
    EXPECT_EQ(spin("door1SoundSpinBox")->value(), 1);
    EXPECT_EQ(spin("door2SoundSpinBox")->value(), 30);
    info.recordAlarmPercent = 12345;
    unit->device->PutRecord("accDevice", {}, bytesOf(info));
    click("getButton");
    expectSuccess();
    click("setButton");
    expectSuccess();
    EXPECT_EQ(sent().recordAlarmPercent, 9999);
}

TEST_F(ParamsPageTest, StorageFiguresAndTheSystemText) {
    Np_AccFlashInfo flash = guitest::patterned<Np_AccFlashInfo>(1);
    flash.storageSize = 4000000000u;  // unsigned
    flash.eventsStored = 17;
    unit->device->PutRecord("accFlash", {}, bytesOf(flash));
    click("infoGetButton");
    expectSuccess();
    EXPECT_EQ(edit("flashSizeEdit")->text(), "4000000000");
    EXPECT_EQ(edit("flashUseEdit")->text(), QString::number(flash.storageUsed));
    EXPECT_EQ(edit("eventUseEdit")->text(), "17");

    // A text that fills all 256 bytes is shown whole, and nothing past them.
    devsim::Bytes text(256, 'x');
    std::memcpy(text.data(), "版本", strlen("版本"));
    unit->device->PutRecord("accSystemInfo", {}, text);
    click("sysInfoGetButton");
    expectSuccess();
    const QString shown = guitest::child<QPlainTextEdit>(&page, "sysInfoTextEdit")->toPlainText();
    EXPECT_EQ(shown, QString::fromUtf8("版本") + QString(256 - 6, 'x'));

    unit->device->SetFault(2035, {devsim::Fault::ResultCode, 4});
    click("infoGetButton");
    expectWarning("执行失败！ret = -1004, 命令无效");
    EXPECT_EQ(edit("eventUseEdit")->text(), "17");
}
