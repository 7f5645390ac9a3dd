#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>

#include "GuiHarness.h"
#include "NetworkConfigForm.h"
#include "PageKit.h"

using guitest::bytesOf;
using guitest::child;
using guitest::click;
using guitest::GuiTest;

namespace {

class NetworkPageTest : public GuiTest {
  protected:
    NetworkConfigForm page;
    QLineEdit* edit(const char* name) { return child<QLineEdit>(&page, name); }
    QComboBox* combo(const char* name) { return child<QComboBox>(&page, name); }
    QCheckBox* check(const char* name) { return child<QCheckBox>(&page, name); }

    // Every widget a read fills, as text.
    QStringList snapshot() {
        QStringList s;
        for (QLineEdit* e : page.findChildren<QLineEdit*>()) s << e->objectName() + "=" + e->text();
        for (QComboBox* c : page.findChildren<QComboBox*>())
            s << c->objectName() + "=" + QString::number(c->currentIndex());
        for (QCheckBox* c : page.findChildren<QCheckBox*>())
            s << c->objectName() + "=" + QString::number(c->isChecked());
        s << child<QLabel>(&page, "timeLabel")->text();
        return s;
    }
};

Np_DeviceNetworkInfo network(uint8_t mode, const char* ip) {
    Np_DeviceNetworkInfo n{};
    n.mode = mode;
    std::strcpy(n.ip, ip);
    std::strcpy(n.mask, "255.255.254.000");
    std::strcpy(n.gateway, "192.168.100.254");
    n.port = -50001;
    return n;
}

}  // namespace

TEST_F(NetworkPageTest, ReadsFillTheWidgetsAndSetsSendTheSameBytes) {
    auto& unit = addDevice(100);
    // Both cards, each to its own exports; a mode no item shows is written back as it came.
    const Np_DeviceNetworkInfo first = network(1, "192.168.100.101");
    const Np_DeviceNetworkInfo second = network(7, "10.1.2.3");
    unit.device->PutRecord("network1", {}, bytesOf(first));
    unit.device->PutRecord("network2", {}, bytesOf(second));
    struct Card {
        int index;
        const Np_DeviceNetworkInfo& served;
        uint32_t setCmd;
        int shownMode;
    };
    for (const Card& card : {Card{0, first, 1028, 1}, Card{1, second, 1048, -1}}) {
        combo("netCardComboBox")->setCurrentIndex(card.index);
        click(&page, "netGetButton");
        EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
        EXPECT_EQ(combo("modeComboBox")->currentIndex(), card.shownMode);
        EXPECT_EQ(edit("ipEdit")->text(), QString::fromLatin1(card.served.ip));
        EXPECT_EQ(edit("portEdit")->text(), "-50001");
        click(&page, "netSetButton");
        prompt.take();
        EXPECT_EQ(unit.lastPayload(card.setCmd), bytesOf(card.served)) << card.index;
    }
    EXPECT_EQ(unit.count(1027), 1u);
    EXPECT_EQ(unit.count(1047), 1u);

    Np_NtpInfo ntp{};
    ntp.enable = 1;
    std::strcpy(ntp.serverIp, "202.120.002.101");
    ntp.serverPort = 123;
    unit.device->PutRecord("ntp", {}, bytesOf(ntp));
    click(&page, "ntpGetButton");
    click(&page, "ntpSetButton");
    EXPECT_EQ(prompt.takeAll().size(), 2u);
    EXPECT_EQ(unit.lastPayload(1011), bytesOf(ntp));

    Np_DeviceRs485Info rs{};
    rs.upstream = {115200, 9, 2, 2};
    kit::store<uint32_t>(KIT_FIELD(rs.downstream, baudRate), 4000000000u);
    rs.downstream.dataBits = 8;
    rs.downstream.stopBits = 1;
    rs.downstream.parity = 1;
    unit.device->PutRecord("rs485", {}, bytesOf(rs));
    click(&page, "rs485GetButton");
    EXPECT_EQ(edit("downBaudrateEdit")->text(), "4000000000");
    EXPECT_EQ(combo("upParityComboBox")->currentText(), QString::fromUtf8("2-奇校验"));
    click(&page, "rs485SetButton");
    EXPECT_EQ(prompt.takeAll().size(), 2u);
    EXPECT_EQ(unit.lastPayload(1043), bytesOf(rs));

    Np_DeviceInfo info{};
    std::strcpy(info.serialNo, "SN-0001");
    std::strcpy(info.deviceName, "东门控制器");
    std::strcpy(info.deviceModel, "AC-400");
    std::strcpy(info.mac, "00:11:22:33:44:55");
    std::strcpy(info.protocolVersion, "2.0");
    std::strcpy(info.firmwareVersion, "V1.2.3");
    std::strcpy(info.hardwareVersion, "HW-B");
    unit.device->PutRecord("deviceInfo", {}, bytesOf(info));
    click(&page, "baseGetButton");
    EXPECT_EQ(edit("macEdit")->text(), "00:11:22:33:44:55");
    EXPECT_EQ(edit("hardwareEdit")->text(), "HW-B");
    EXPECT_FALSE(edit("serialEdit")->isEnabled());
    click(&page, "baseSetButton");
    EXPECT_EQ(prompt.takeAll().size(), 2u);
    Np_DeviceNameInfo name{};
    std::strcpy(name.name, "东门控制器");
    std::strcpy(name.model, "AC-400");
    EXPECT_EQ(unit.lastPayload(1026), bytesOf(name));

    const Np_Time t{2031, 12, 30, 23, 58, 59, 0};
    unit.device->PutRecord("time", {}, bytesOf(t));
    click(&page, "timeGetButton");
    prompt.take();
    EXPECT_EQ(child<QLabel>(&page, "timeLabel")->text(), QString::fromUtf8("当前时间: 2031-12-30 23:58:59"));
}

TEST_F(NetworkPageTest, TheClockAndTypedFieldsAreEncodedByteForByte) {
    auto& unit = addDevice(101);
    // A running clock sends the computer's time; a stopped one what the edit shows.
    ASSERT_TRUE(check("timeSyncCheckBox")->isChecked());
    click(&page, "timeSetButton");
    prompt.take();
    const Np_Time now = kit::toNpTime(QDateTime::fromSecsSinceEpoch(clock.seconds));
    EXPECT_EQ(unit.lastPayload(1009), bytesOf(now));
    check("timeSyncCheckBox")->setChecked(false);
    clock.seconds += 3600;
    child<QDateTimeEdit>(&page, "timeEdit")->setDateTime(QDateTime(QDate(2025, 2, 3), QTime(4, 5, 6)));
    click(&page, "timeSetButton");
    prompt.take();
    const Np_Time chosen{2025, 2, 3, 4, 5, 6, 0};
    EXPECT_EQ(unit.lastPayload(1009), bytesOf(chosen));

    // Addresses are cut to 15 bytes; names are cut while typed, on whole characters.
    guitest::typeInto(edit("ipEdit"), "1234567890.1234567");
    guitest::typeInto(edit("maskEdit"), "255.0.0.0");
    guitest::typeInto(edit("portEdit"), "8000");
    combo("modeComboBox")->setCurrentIndex(0);
    click(&page, "netSetButton");
    prompt.take();
    Np_DeviceNetworkInfo net{};
    std::strcpy(net.ip, "1234567890.1234");
    std::strcpy(net.mask, "255.0.0.0");
    net.port = 8000;
    EXPECT_EQ(unit.lastPayload(1028), bytesOf(net));

    guitest::typeInto(edit("ntpIpEdit"), "ntp.example.internal");
    check("ntpEnableCheckBox")->setChecked(false);
    guitest::typeInto(edit("ntpPortEdit"), "");
    click(&page, "ntpSetButton");
    prompt.take();
    Np_NtpInfo ntp{};
    std::strcpy(ntp.serverIp, "ntp.example.int");
    EXPECT_EQ(unit.lastPayload(1011), bytesOf(ntp));

    guitest::typeInto(edit("nameEdit"), QString::fromUtf8("设备名称设备名称设备名称x"));
    EXPECT_EQ(edit("nameEdit")->text(), QString::fromUtf8("设备名称设备名称设备x"));
    guitest::typeInto(edit("modelEdit"), "M");
    click(&page, "baseSetButton");
    prompt.take();
    Np_DeviceNameInfo name{};
    std::strcpy(name.name, "设备名称设备名称设备x");
    std::strcpy(name.model, "M");
    EXPECT_EQ(unit.lastPayload(1026), bytesOf(name));

    // A baud rate no field can hold is refused before anything is sent.
    guitest::typeInto(edit("upBaudrateEdit"), "9600");
    edit("downBaudrateEdit")->setText("4294967296");
    click(&page, "rs485SetButton");
    EXPECT_EQ(prompt.take().kind, Prompt::Warning);
    EXPECT_EQ(unit.count(1043), 0u);
}

TEST_F(NetworkPageTest, AFailedReadShowsCodeAndTextAndChangesNoWidget) {
    auto& unit = addDevice(102);
    Np_NtpInfo ntp{};
    ntp.enable = 1;
    std::strcpy(ntp.serverIp, "10.0.0.9");
    ntp.serverPort = 123;
    unit.device->PutRecord("ntp", {}, bytesOf(ntp));
    click(&page, "ntpGetButton");
    guitest::typeInto(edit("upBaudrateEdit"), "9600");
    combo("upWordlenComboBox")->setCurrentIndex(1);
    combo("downParityComboBox")->setCurrentIndex(2);
    guitest::typeInto(edit("ipEdit"), "10.0.0.2");
    prompt.takeAll();
    const QStringList before = snapshot();

    unit.device->SetFault(0, {devsim::Fault::ResultCode, 4});
    for (const char* read :
         {"timeGetButton", "netGetButton", "ntpGetButton", "rs485GetButton", "baseGetButton"}) {
        click(&page, read);
        const guitest::Box b = prompt.take();
        EXPECT_EQ(b.kind, Prompt::Warning) << read;
        EXPECT_EQ(b.text, QString::fromUtf8("执行失败！ret = -1004, 命令无效")) << read;
    }
    EXPECT_EQ(snapshot(), before);
    // So a following set writes what was shown, not a zeroed record.
    unit.device->ClearFaults();
    click(&page, "ntpSetButton");
    prompt.take();
    EXPECT_EQ(unit.lastPayload(1011), bytesOf(ntp));
}
