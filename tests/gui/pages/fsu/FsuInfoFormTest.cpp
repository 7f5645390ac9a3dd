#include <QLineEdit>

#include "FsuInfoForm.h"
#include "GuiHarness.h"
#include "PageKit.h"
#include "TslNtp.h"

using guitest::bytesOf;
using guitest::child;
using guitest::click;
using guitest::GuiTest;

namespace {
constexpr uint32_t kGetLocation = (103u << 16) + 1;

class FsuInfoFormTest : public GuiTest {
  protected:
    QString text(const char* name) { return child<QLineEdit>(&page, name)->text(); }
    FsuInfoForm page;
};
}  // namespace

TEST_F(FsuInfoFormTest, LocationFillsEveryEditWithinItsField) {
    auto& ntp = addDevice(103);
    Np_NtpLocationInfo served;
    std::memset(&served, 0x7E, sizeof served);
    std::memset(served.eastWest, 'E', sizeof served.eastWest);  // fills its field: no NUL
    kit::copyText(served.longitude, "11348.1234");
    kit::copyText(served.southNorth, "N");
    kit::copyText(served.latitude, "2233.5678");
    kit::copyText(served.antennaStatus, QString::fromUtf8("正常"));
    kit::copyText(served.satelliteType, "GPS+BDS");
    kit::store<int32_t>(KIT_FIELD(served, satelliteNum), 12);
    ntp.device->PutRecord("ntpLocation", {}, bytesOf(served));

    click(&page, "infoGetButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
    EXPECT_EQ(ntp.lastPayload(kGetLocation), devsim::Bytes(sizeof served, 0))
        << "the request carries nothing";
    EXPECT_EQ(text("cEorWEdit"), QString(16, 'E'));
    EXPECT_EQ(text("clongitudeEdit"), "11348.1234");
    EXPECT_EQ(text("cSorNEdit"), "N");
    EXPECT_EQ(text("clatitudeEdit"), "2233.5678");
    EXPECT_EQ(text("cantennaStatusEdit"), QString::fromUtf8("正常"));
    EXPECT_EQ(text("csatelliteTypeEdit"), "GPS+BDS");
    EXPECT_EQ(text("nsatelliteNumEdit"), "12");
    EXPECT_EQ(text("ucResEdit"), "");

    ntp.device->SetFault(0, {devsim::Fault::ResultCode, 4});
    click(&page, "infoGetButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1004, 命令无效"));
    EXPECT_EQ(text("nsatelliteNumEdit"), "12");
}

TEST_F(FsuInfoFormTest, AnotherFamilyIsRefusedBySdk) {
    addDevice(102);
    click(&page, "infoGetButton");
    const guitest::Box b = prompt.take();
    EXPECT_EQ(b.kind, Prompt::Warning);
    EXPECT_TRUE(b.text.startsWith(QString::fromUtf8("执行失败！ret = -2, "))) << b.text.toStdString();
    EXPECT_EQ(text("nsatelliteNumEdit"), "");
}
