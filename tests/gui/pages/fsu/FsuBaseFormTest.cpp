#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>

#include "FsuBaseForm.h"
#include "FsuPageTest.h"
#include "FsuUserWidget.h"
#include "GuiHarness.h"
#include "PageKit.h"
#include "TslFsu.h"

using guitest::bytesOf;
using guitest::child;
using guitest::click;

namespace {

constexpr uint32_t kGetUser = 4001, kSetUser = 4003;
constexpr uint32_t kGetIp = 4005, kSetIp = 4006, kClearIp = 4007;
constexpr uint32_t kGetMac = 4008, kSetMac = 4009, kClearMac = 4010;
constexpr uint32_t kGetBase = 4011, kSetBase = 4012, kClearBase = 4013;

const QString kOk = QString::fromUtf8("执行成功！");

class FsuBaseFormTest : public FsuPageTest<FsuBaseForm> {
  protected:
    void put(const std::string& group, const devsim::Bytes& key, const devsim::Bytes& record) {
        unit->device->PutRecord(group, key, record);
    }
    FsuUserWidget* tab(int n) { return child<FsuUserWidget>(&page, QString("user_%1").arg(n).toLatin1()); }
};

// A user record with distinct values; reserved bytes as `filler`.
Np_FsuUserData user(int index, uint8_t filler) {
    Np_FsuUserData u;
    std::memset(&u, filler, sizeof u);
    u.index = static_cast<uint8_t>(index);
    kit::copyText(u.name, QString("user%1x").arg(index));
    kit::copyText(u.password, QString("p@ss#%1!").arg(index));
    u.valid = index % 2;
    const int32_t permissions = index % 4;
    kit::store(KIT_FIELD(u, permissions), permissions | (filler ? 0x7C : 0));
    return u;
}

Np_FsuUserData sentUser(int index) {
    Np_FsuUserData u = user(index, 0);
    return u;
}

}  // namespace

TEST_F(FsuBaseFormTest, BaseParametersRoundTripWithReservedBytesZero) {
    Np_FsuDeviceInfo served;
    std::memset(&served, 0xA5, sizeof served);  // reserved bytes are not read
    served.modbusUpload = 1;
    served.analogUpload = 0;
    served.inputUpload = 1;
    served.outputUpload = 0;
    kit::store<uint32_t>(KIT_FIELD(served, uploadInterval), 4000000001u);
    served.storageEnable = 1;
    kit::store<uint32_t>(KIT_FIELD(served, normalRecordInterval), 123456);
    kit::store<uint32_t>(KIT_FIELD(served, alarmRecordInterval), 654321);
    served.tamperBuzzerOff = 0;
    served.motionBuzzerOff = 1;
    served.modbusTcpId = 201;
    served.frameIntervalA = 150;
    served.frameIntervalB = 17;
    kit::store<uint16_t>(KIT_FIELD(served, responseTimeout), 777);
    put("fsuDeviceInfo", {}, bytesOf(served));

    click(&page, "baseGetButton");
    EXPECT_EQ(prompt.take().text, kOk);
    EXPECT_EQ(w<QLineEdit>("uploadTimeEdit")->text(), "4000000001");
    EXPECT_TRUE(w<QCheckBox>("breakCheckBox")->isChecked()) << "buzzer off 0: the buzzer is on";
    EXPECT_FALSE(w<QCheckBox>("moveCheckBox")->isChecked());
    EXPECT_EQ(w<QSpinBox>("timeoutSpinBox")->value(), 777);

    click(&page, "baseSetButton");
    EXPECT_EQ(prompt.take().text, kOk);
    Np_FsuDeviceInfo expected = served;
    std::memset(expected.reserved, 0, sizeof expected.reserved);
    EXPECT_EQ(unit->lastPayload(kSetBase), bytesOf(expected));
}

TEST_F(FsuBaseFormTest, BaseParameterEncodings) {
    struct Case {
        const char* what;
        std::function<void(FsuBaseForm&)> edit;
        size_t offset;
        devsim::Bytes bytes;  // expected at offset
    };
    const Case cases[] = {
        {"tamper buzzer unchecked: off",
         [](FsuBaseForm& p) { child<QCheckBox>(&p, "breakCheckBox")->setChecked(false); },
         17,
         {1}},
        {"tamper buzzer checked: on",
         [](FsuBaseForm& p) { child<QCheckBox>(&p, "breakCheckBox")->setChecked(true); },
         17,
         {0}},
        {"motion buzzer unchecked: off",
         [](FsuBaseForm& p) { child<QCheckBox>(&p, "moveCheckBox")->setChecked(false); },
         18,
         {1}},
        {"empty sends 0",
         [](FsuBaseForm& p) { child<QLineEdit>(&p, "normalTimeEdit")->setText(""); },
         9,
         {0, 0, 0, 0}},
        {"largest unsigned 32-bit",
         [](FsuBaseForm& p) { child<QLineEdit>(&p, "alarmTimeEdit")->setText("4294967295"); },
         13,
         {0xFF, 0xFF, 0xFF, 0xFF}},
        {"time-out at its top",
         [](FsuBaseForm& p) { child<QSpinBox>(&p, "timeoutSpinBox")->setValue(1000); },
         22,
         {0xE8, 0x03}},
    };
    for (const Case& c : cases) {
        c.edit(page);
        click(&page, "baseSetButton");
        EXPECT_EQ(prompt.take().text, kOk) << c.what;
        const devsim::Bytes sent = unit->lastPayload(kSetBase);
        ASSERT_EQ(sent.size(), sizeof(Np_FsuDeviceInfo));
        EXPECT_EQ(devsim::Bytes(sent.begin() + c.offset, sent.begin() + c.offset + c.bytes.size()), c.bytes)
            << c.what;
    }

    // A time-out the spin box cannot show is shown and sent as its top.
    Np_FsuDeviceInfo served{};
    kit::store<uint16_t>(KIT_FIELD(served, responseTimeout), 40000);
    put("fsuDeviceInfo", {}, bytesOf(served));
    click(&page, "baseGetButton");
    prompt.take();
    EXPECT_EQ(w<QSpinBox>("timeoutSpinBox")->value(), 1000);

    // An interval beyond its field, or no number, is refused, nothing sent.
    const size_t before = unit->count(kSetBase);
    for (const char* text : {"4294967296", "-1", "abc"}) {
        w<QLineEdit>("uploadTimeEdit")->setText(text);
        click(&page, "baseSetButton");
        const guitest::Box b = prompt.take();
        EXPECT_EQ(b.kind, Prompt::Warning) << text;
        EXPECT_EQ(b.text, QString::fromUtf8("上送时间间隔(min)的取值范围为0~4294967295")) << text;
    }
    EXPECT_EQ(unit->count(kSetBase), before);
}

TEST_F(FsuBaseFormTest, BindingsRoundTripFullLengthTexts) {
    Np_FsuIpBindParams ip;
    std::memset(&ip, 0x5A, sizeof ip);
    ip.enable = 1;
    const char* ips[] = {"192.168.100.200", "10.0.0.1", "", "172.16.254.3"};
    for (int i = 0; i < 4; ++i) kit::copyText(ip.ip[i], ips[i]);
    put("fsuIpBind", {}, bytesOf(ip));
    Np_FsuMacBindParams mac;
    std::memset(&mac, 0x3C, sizeof mac);
    mac.enable = 1;
    const char* macs[] = {"AA:BB:CC:DD:EE:01", "", "00:11:22:33:44:55", "a0:b1:c2:d3:e4:f5"};
    for (int i = 0; i < 4; ++i) kit::copyText(mac.mac[i], macs[i]);
    put("fsuMacBind", {}, bytesOf(mac));

    click(&page, "ipBindGetButton");
    click(&page, "macBindGetButton");
    EXPECT_EQ(prompt.takeAll().size(), 2u);
    EXPECT_EQ(w<QLineEdit>("ipBindEdit_1")->text(), "192.168.100.200");
    EXPECT_EQ(w<QLineEdit>("macBindEdit_4")->text(), "a0:b1:c2:d3:e4:f5");
    click(&page, "ipBindSetButton");
    click(&page, "macBindSetButton");
    EXPECT_EQ(prompt.takeAll().size(), 2u);

    std::memset(ip.reserved, 0, sizeof ip.reserved);
    std::memset(mac.reserved, 0, sizeof mac.reserved);
    EXPECT_EQ(unit->lastPayload(kSetIp), bytesOf(ip));
    EXPECT_EQ(unit->lastPayload(kSetMac), bytesOf(mac));
    EXPECT_EQ(ip.ip[0][15], 0);

    // Unchecked sends 0.
    w<QCheckBox>("ipBindCheckBox")->setChecked(false);
    click(&page, "ipBindSetButton");
    prompt.take();
    EXPECT_EQ(unit->lastPayload(kSetIp)[0], 0);
}

TEST_F(FsuBaseFormTest, ClearsAskFirst) {
    expectClearAsks("baseClearButton", kClearBase);
    expectClearAsks("ipBindClearButton", kClearIp);
    expectClearAsks("macBindClearButton", kClearMac);
}

TEST_F(FsuBaseFormTest, AFailedReadChangesNoWidget) {
    w<QLineEdit>("uploadTimeEdit")->setText("12");
    w<QLineEdit>("ipBindEdit_2")->setText("1.2.3.4");
    unit->device->SetFault(0, {devsim::Fault::ResultCode, 4});
    click(&page, "baseGetButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1004, 命令无效"));
    click(&page, "ipBindGetButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1004, 命令无效"));
    EXPECT_EQ(w<QLineEdit>("uploadTimeEdit")->text(), "12");
    EXPECT_EQ(w<QLineEdit>("ipBindEdit_2")->text(), "1.2.3.4");
    click(&page, "macBindSetButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1004,命令无效"));
}

TEST_F(FsuBaseFormTest, UsersRoundTripAllSixteenAndSetTheFrontTab) {
    for (int i = 1; i <= 16; ++i) put("fsuUser", {static_cast<uint8_t>(i)}, bytesOf(user(i, 0xEE)));
    EXPECT_EQ(page.findChild<QTabWidget*>("tabWidget")->currentIndex(), 0);

    click(&page, "userGetButton");
    EXPECT_EQ(prompt.take().text, kOk) << "one success box for sixteen reads";
    const auto reads = unit->requests(kGetUser);
    ASSERT_EQ(reads.size(), 16u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(reads[i].plain[0], i + 1);
    EXPECT_EQ(child<QLineEdit>(tab(5), "usernameEdit")->text(), "user5x");
    EXPECT_EQ(child<QLineEdit>(tab(5), "passwordEdit")->text(), "p@ss#5!");

    for (int n : {1, 16, 3, 2}) {
        page.findChild<QTabWidget*>("tabWidget")->setCurrentIndex(n - 1);
        click(&page, "userSetButton");
        EXPECT_EQ(prompt.take().text, kOk);
        // Permissions beyond the two bits, the spare byte and the reserved bytes go out zero.
        EXPECT_EQ(unit->lastPayload(kSetUser), bytesOf(sentUser(n))) << "tab " << n;
    }
}

TEST_F(FsuBaseFormTest, UserPermissionsAndEditRules) {
    FsuUserWidget* t = tab(1);
    struct Case {
        bool config, update;
        int32_t sent;
    } cases[] = {{true, false, 1}, {false, true, 2}, {true, true, 3}, {false, false, 0}};
    for (const Case& c : cases) {
        child<QCheckBox>(t, "configCheckBox")->setChecked(c.config);
        child<QCheckBox>(t, "updateCheckBox")->setChecked(c.update);
        Np_FsuUserData u{};
        t->getUserData(u);
        EXPECT_EQ(kit::load<int32_t>(KIT_CFIELD(u, permissions)), c.sent);
    }

    QLineEdit* name = child<QLineEdit>(t, "usernameEdit");
    guitest::typeInto(name, "ab-c_d 1");
    EXPECT_EQ(name->text(), "abcd1") << "letters and digits only";
    guitest::typeInto(name, "ABCDEFGHIJ123456789");
    EXPECT_EQ(name->text(), "ABCDEFGHIJ12345");
    Np_FsuUserData u{};
    t->getUserData(u);
    EXPECT_EQ(std::string(u.name, 16), std::string("ABCDEFGHIJ12345\0", 16));

    QLineEdit* password = child<QLineEdit>(t, "passwordEdit");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    child<QCheckBox>(t, "passwordCheckBox")->setChecked(true);
    EXPECT_EQ(password->echoMode(), QLineEdit::Normal);
    child<QCheckBox>(t, "passwordCheckBox")->setChecked(false);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
}

TEST_F(FsuBaseFormTest, AUserReadThatFailsStopsWhereItFailed) {
    for (int i = 1; i <= 16; ++i) put("fsuUser", {static_cast<uint8_t>(i)}, bytesOf(user(i, 0)));
    for (int i = 1; i <= 16; ++i) child<QLineEdit>(tab(i), "usernameEdit")->setText("old");
    unit->device->SetHandler(kGetUser, [](const devsim::Request& r) -> std::optional<devsim::Bytes> {
        if (r.plain[0] == 5) return devsim::StatusPayload(4);
        Np_FsuUserData u = user(r.plain[0], 0);
        return devsim::StatusPayload(0, bytesOf(u));
    });
    click(&page, "userGetButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1004,命令无效"));
    EXPECT_EQ(unit->count(kGetUser), 5u);
    for (int i = 1; i <= 16; ++i)
        EXPECT_EQ(child<QLineEdit>(tab(i), "usernameEdit")->text(), i < 5 ? QString("user%1x").arg(i) : "old")
            << "tab " << i;
}

TEST_F(FsuBaseFormTest, UserReadWithoutALoginSendsNothing) {
    auto& offline = addDevice(102, "offline", false, true);
    click(&page, "userGetButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1,无效句柄"));
    EXPECT_EQ(offline.count(kGetUser) + unit->count(kGetUser), 0u);
}
