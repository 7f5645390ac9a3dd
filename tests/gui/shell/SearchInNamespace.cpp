// The search buttons against simulated devices two veth links away. The
// search broadcasts, so this runs only inside the private namespaces of
// tests/netns/netns_run.sh and refuses to run anywhere else.
#include <QComboBox>
#include <QTableView>

#include "Discovery.h"
#include "GuiHarness.h"
#include "QtTessaly.h"
#include "netns/Netns.h"

namespace {

class SearchInNamespace : public guitest::GuiTest {
  protected:
    void SetUp() override {
        const std::string refusal = netns::BroadcastRefusal();
        if (!refusal.empty()) GTEST_FAIL() << "refusing to broadcast: " << refusal;
        GuiTest::SetUp();
        responder = netns::InPeer([] { return std::make_unique<devsim::DiscoveryResponder>(); });
    }
    void TearDown() override {
        window.reset();
        responder.reset();
        GuiTest::TearDown();
    }
    QStandardItemModel* table() {
        return qobject_cast<QStandardItemModel*>(
            guitest::child<QTableView>(window.get(), "deviceTableView")->model());
    }
    QStringList column(int c) {
        QStringList texts;
        for (int r = 0; r < table()->rowCount(); ++r) texts << table()->item(r, c)->text();
        return texts;
    }

    std::unique_ptr<devsim::DiscoveryResponder> responder;
    std::unique_ptr<QtTessaly> window;
};

}  // namespace

TEST_F(SearchInNamespace, FillsTheTableFromTheReplies) {
    std::vector<devsim::DiscoveryDevice> devices = devsim::MakeDevices(2, 100, 1);
    devsim::DiscoveryDevice fsu = devsim::MakeDevices(1, 102, 3)[0];
    fsu.serial = "SN-FSU";
    fsu.name = "机房动环";
    fsu.ip = "10.9.0.33";
    fsu.tcpPort = 6600;
    fsu.activated = 0;
    fsu.client2 = "10.9.0.200";
    devices.push_back(fsu);
    responder->SetDevices(devices);
    window = std::make_unique<QtTessaly>();

    // Twice: the second search's rows replace the first's.
    for (int round = 0; round < 2; ++round) {
        guitest::click(window.get(), "devScanButton");
        ASSERT_EQ(table()->rowCount(), 3) << round;
    }
    const int r = column(0).indexOf("SN-FSU");
    ASSERT_GE(r, 0);
    EXPECT_EQ(table()->item(r, 1)->text(), QString::fromUtf8("机房动环"));
    EXPECT_EQ(table()->item(r, 3)->text(), "10.9.0.33");
    EXPECT_EQ(table()->item(r, 4)->text(), "6600");
    EXPECT_EQ(table()->item(r, 5)->text(), QString::fromStdString(fsu.mac));
    EXPECT_EQ(table()->item(r, 8)->text(), QString::fromUtf8("未激活"));
    EXPECT_EQ(table()->item(r, 11)->text(), "10.9.0.200");
    EXPECT_EQ(table()->item(r, 0)->data(Qt::UserRole + 1).toInt(), 102);

    // One type only.
    auto* type = guitest::child<QComboBox>(window.get(), "singleComboBox");
    type->setCurrentIndex(type->findData(102));
    guitest::click(window.get(), "singleScanButton");
    EXPECT_EQ(column(0), QStringList{"SN-FSU"});

    // Nobody answers: an empty table.
    responder->SetDevices({});
    guitest::click(window.get(), "devScanButton");
    EXPECT_EQ(table()->rowCount(), 0);
}
