#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "GuiHarness.h"
#include "TslUit.h"
#include "UitServerInfo.h"

using guitest::bytesOf;
using guitest::child;
using guitest::click;
using guitest::GuiTest;

namespace {

constexpr uint32_t kGetManuf = (105u << 16) + 1;
constexpr uint32_t kSetManuf = (105u << 16) + 2;
constexpr uint32_t kDelManuf = (105u << 16) + 3;
constexpr uint32_t kGetServer = (105u << 16) + 4;
constexpr uint32_t kSetServer = (105u << 16) + 5;
constexpr uint32_t kDelServer = (105u << 16) + 6;

class UitPageTest : public GuiTest {
  protected:
    UitServerInfo page;
    QLineEdit* num() { return child<QLineEdit>(&page, "serverNumEdit"); }
    QCheckBox* enable() { return child<QCheckBox>(&page, "serverEnableCheckBox"); }
    QLineEdit* ip() { return child<QLineEdit>(&page, "serverIpEdit"); }
    QLineEdit* port() { return child<QLineEdit>(&page, "serverPortEdit"); }
    QComboBox* manuf() { return child<QComboBox>(&page, "manuftypeComboBox"); }
};

Np_UitServerInfo served() {
    Np_UitServerInfo s{};
    s.serverNo = 7;
    s.enable = 1;
    std::strcpy(s.address, "192.168.100.200");
    s.port = -40001;
    return s;
}

}  // namespace

TEST_F(UitPageTest, ReadFillsTheWidgetsAndASetSendsTheSameBytes) {
    auto& unit = addDevice(105);
    EXPECT_EQ(num()->text(), "0");
    EXPECT_TRUE(num()->isReadOnly());

    const Np_UitServerInfo server = served();
    unit.device->PutRecord("uitServer", {}, bytesOf(server));
    click(&page, "serverGetButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
    EXPECT_EQ(num()->text(), "7");
    EXPECT_TRUE(enable()->isChecked());
    EXPECT_EQ(ip()->text(), "192.168.100.200");
    EXPECT_EQ(port()->text(), "-40001");
    click(&page, "serverSetButton");
    EXPECT_EQ(prompt.take().kind, Prompt::Information);
    EXPECT_EQ(unit.lastPayload(kSetServer), bytesOf(server));

    // The index is what travels; an index no item shows is written back as it came.
    for (int32_t index : {2, 1, 5}) {
        Np_UitManufInfo m{};
        m.manufacturer = index;
        unit.device->PutRecord("uitManuf", {}, bytesOf(m));
        click(&page, "manufGetButton");
        prompt.take();
        EXPECT_EQ(manuf()->currentIndex(), index <= 2 ? index : -1);
        click(&page, "manufSetButton");
        prompt.take();
        EXPECT_EQ(unit.lastPayload(kSetManuf), bytesOf(m)) << index;
    }
}

TEST_F(UitPageTest, FieldsTypedIntoTheWidgetsAreEncodedByteForByte) {
    auto& unit = addDevice(105);
    struct Case {
        const char* ip;
        bool enable;
        const char* port;
        const char* sentIp;
        int32_t sentPort;
    };
    const Case cases[] = {
        {"10.0.0.1", false, "502", "10.0.0.1", 502},
        {"1234567890.1234567", true, "2147483647", "1234567890.1234", 2147483647},  // 15 bytes at most
        {"", true, "", "", 0},
    };
    for (const Case& c : cases) {
        guitest::typeInto(ip(), QString::fromUtf8(c.ip));
        enable()->setChecked(c.enable);
        guitest::typeInto(port(), QString::fromUtf8(c.port));
        click(&page, "serverSetButton");
        EXPECT_EQ(prompt.take().kind, Prompt::Information);
        Np_UitServerInfo expected{};
        expected.enable = c.enable ? 1 : 0;
        std::strcpy(expected.address, c.sentIp);
        expected.port = c.sentPort;
        EXPECT_EQ(unit.lastPayload(kSetServer), bytesOf(expected)) << c.ip;
    }
    manuf()->setCurrentIndex(1);
    click(&page, "manufSetButton");
    prompt.take();
    Np_UitManufInfo m{};
    m.manufacturer = 1;
    EXPECT_EQ(unit.lastPayload(kSetManuf), bytesOf(m));
}

TEST_F(UitPageTest, AFailedReadShowsCodeAndTextAndChangesNothing) {
    auto& unit = addDevice(105);
    guitest::typeInto(ip(), "1.2.3.4");
    guitest::typeInto(port(), "80");
    manuf()->setCurrentIndex(2);
    unit.device->PutRecord("uitServer", {}, bytesOf(served()));
    unit.device->SetFault(0, {devsim::Fault::ResultCode, 4});
    for (const char* button : {"serverGetButton", "manufGetButton"}) {
        click(&page, button);
        const guitest::Box b = prompt.take();
        EXPECT_EQ(b.kind, Prompt::Warning);
        EXPECT_EQ(b.text, QString::fromUtf8("执行失败！ret = -1004, 命令无效"));
    }
    EXPECT_EQ(num()->text(), "0");
    EXPECT_FALSE(enable()->isChecked());
    EXPECT_EQ(ip()->text(), "1.2.3.4");
    EXPECT_EQ(port()->text(), "80");
    EXPECT_EQ(manuf()->currentIndex(), 2);
}

TEST_F(UitPageTest, DeletingAsksFirstAndNoSendsNothing) {
    auto& unit = addDevice(105);
    const std::pair<const char*, uint32_t> deletes[] = {{"serverDelButton", kDelServer},
                                                        {"manufDelButton", kDelManuf}};
    for (const auto& d : deletes) {
        prompt.answers = {false};
        click(&page, d.first);
        EXPECT_EQ(prompt.take().kind, Prompt::Question);
        EXPECT_EQ(unit.count(d.second), 0u);
        prompt.answers = {true};
        click(&page, d.first);
        EXPECT_EQ(prompt.takeAll().size(), 2u);
        EXPECT_EQ(unit.count(d.second), 1u);
    }
    EXPECT_EQ(unit.count(kGetServer) + unit.count(kGetManuf), 0u);
}
