// The search table filled from records made by hand: no network needed.
#include <cstring>
#include <vector>

#include "GuiHarness.h"
#include "QtTessaly.h"

namespace {

template <size_t N>
void fillAll(char (&field)[N], char c) {
    std::memset(field, c, N);  // no NUL anywhere
}

QString column(const QStandardItemModel& model, int row, int col) {
    return model.item(row, col)->text();
}

}  // namespace

TEST(SearchTable, ReadsEveryFieldWithinItsWidth) {
    std::vector<Np_SearchInfo> list(2);
    std::memset(list.data(), 0, list.size() * sizeof(Np_SearchInfo));
    Np_SearchInfo& a = list[0];
    std::strcpy(a.serialNumber, "SN-A");
    std::strcpy(a.deviceName, "门禁一号");
    std::strcpy(a.deviceTypeName, "ACC");
    std::strcpy(a.firmwareVersion, "V1.2");
    a.port = 6500;
    std::strcpy(a.mac, "02:00:00:00:00:01");
    std::strcpy(a.ip, "10.0.0.5");
    std::strcpy(a.subnetMask, "255.255.255.0");
    std::strcpy(a.gateway, "10.0.0.1");
    a.activated = 2;
    std::strcpy(a.client1, "10.0.0.8");
    std::strcpy(a.client2, "10.0.0.9");
    std::strcpy(a.hardwareVersion, "HW-3");
    a.deviceType = 105;

    // Every text field full to its last byte: each column ends at its field.
    Np_SearchInfo& b = list[1];
    fillAll(b.serialNumber, 's');
    fillAll(b.deviceName, 'n');
    fillAll(b.deviceTypeName, 't');
    fillAll(b.firmwareVersion, 'f');
    fillAll(b.mac, 'm');
    fillAll(b.ip, 'i');
    fillAll(b.subnetMask, 'k');
    fillAll(b.gateway, 'g');
    fillAll(b.client1, '1');
    fillAll(b.client2, '2');
    fillAll(b.hardwareVersion, 'h');
    b.port = 0xFFFFFFFFu;
    b.deviceType = 0x41414141u;

    QStandardItemModel model;
    QtTessaly::fillSearchModel(model, list.data(), 2);
    ASSERT_EQ(model.rowCount(), 2);
    ASSERT_EQ(model.columnCount(), 13);
    const char* first[] = {"SN-A",          "门禁一号", "ACC",    "10.0.0.5", "6500",     "02:00:00:00:00:01",
                           "255.255.255.0", "10.0.0.1", "已激活", "V1.2",     "10.0.0.8", "10.0.0.9",
                           "HW-3"};
    for (int c = 0; c < 13; ++c) EXPECT_EQ(column(model, 0, c), QString::fromUtf8(first[c])) << c;
    EXPECT_EQ(model.item(0, 0)->data(Qt::UserRole + 1).toUInt(), 105u);

    const std::pair<int, QString> full[] = {
        {0, QString(48, 's')}, {1, QString(32, 'n')}, {2, QString(32, 't')},  {3, QString(16, 'i')},
        {4, "4294967295"},     {5, QString(20, 'm')}, {6, QString(16, 'k')},  {7, QString(16, 'g')},
        {8, "未激活"},         {9, QString(40, 'f')}, {10, QString(16, '1')}, {11, QString(16, '2')},
        {12, QString(16, 'h')}};
    for (const auto& f : full) EXPECT_EQ(column(model, 1, f.first), f.second) << f.first;
    EXPECT_EQ(model.item(1, 0)->data(Qt::UserRole + 1).toUInt(), 0x41414141u);
}

TEST(SearchTable, TheCountIsHeldToTheList) {
    std::vector<Np_SearchInfo> list(256);
    std::memset(list.data(), 0, list.size() * sizeof(Np_SearchInfo));
    for (size_t i = 0; i < list.size(); ++i) std::snprintf(list[i].serialNumber, 48, "SN-%zu", i);
    const std::pair<int, int> cases[] = {{-5, 0}, {0, 0}, {3, 3}, {256, 256}, {257, 256}, {100000, 256}};
    for (const auto& c : cases) {
        QStandardItemModel model;
        QtTessaly::fillSearchModel(model, list.data(), c.first);
        EXPECT_EQ(model.rowCount(), c.second) << c.first;
        if (c.second) {
            EXPECT_EQ(column(model, c.second - 1, 0), QString("SN-%1").arg(c.second - 1));
        }
    }
}
