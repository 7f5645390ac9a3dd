#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <cstring>
#include <memory>

#include "FsuOtherForm.h"
#include "FsuStructFile.h"
#include "GuiHarness.h"
#include "PageKit.h"
#include "TslFsu.h"

using guitest::Box;
using guitest::bytesOf;
using guitest::child;
using guitest::click;
using guitest::GuiTest;
using guitest::SimUnit;

namespace {

QString u(const char* text) {
    return QString::fromUtf8(text);
}

devsim::Bytes bytes(const QByteArray& a) {
    return devsim::Bytes(a.begin(), a.end());
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// The unit's commands this page sends, heartbeats left out.
size_t sent(const SimUnit& s) {
    size_t n = 0;
    for (const auto& r : s.server->Requests())
        if (r.head.cmd != 1007 && r.head.cmd != 1001) ++n;
    return n;
}

Np_FsuRegisterMap map(uint8_t type, std::vector<uint16_t> addresses, uint32_t base) {
    Np_FsuRegisterMap m{};
    m.typeNo = type;
    m.count = static_cast<uint8_t>(addresses.size());
    for (size_t i = 0; i < addresses.size(); ++i)
        kit::store<uint16_t>(KIT_FIELD(m, regAddr) + 2 * i, addresses[i]);
    kit::store<uint32_t>(KIT_FIELD(m, platformBaseAddr), base);
    return m;
}

const QByteArray kStructFile = u(R"({"name": "机房一号",
 "data": [
  {"typeNo": 3, "plaformBaseAddr": 4294967295, "map": [{"regAddr": 1}, {"regAddr": 65535}, {"regAddr": 40001}]},
  {"typeNo": 0, "map": [{"regAddr": 9}]},
  {"typeNo": 255},
  "not an object"
 ]})")
                                   .toUtf8();

class FsuOtherFormTest : public GuiTest {
  protected:
    // The one box shown after a file dialog.
    Box afterDialog() {
        const std::vector<Box> all = prompt.takeAll();
        EXPECT_EQ(all.size(), 2u) << "a file dialog and one box";
        return all.empty() ? Box{} : all.back();
    }
    std::unique_ptr<FsuOtherForm> page = std::make_unique<FsuOtherForm>();
};

TEST_F(FsuOtherFormTest, StructFileDownloadThenUploadRoundTrips) {
    SimUnit& s = addDevice(102);
    s.device->PutRecord("fsuStructFile", {}, bytes(kStructFile));

    const QString file = path(u("结构文件.json"));
    prompt.files = {file};
    click(page.get(), "downloadButton");
    EXPECT_EQ(afterDialog().text, u("执行成功！"));
    EXPECT_EQ(readFile(file), kStructFile);

    s.device->PutRecord("fsuStructFile", {}, {});
    s.server->ClearRequests();
    prompt.files = {file};
    click(page.get(), "uploadButton");
    EXPECT_EQ(afterDialog().text, u("执行成功！"));
    EXPECT_EQ(s.count(4057), 1u);
    const auto maps = s.requests(4056);
    ASSERT_EQ(maps.size(), 2u);
    EXPECT_EQ(maps[0].plain, bytesOf(map(3, {1, 65535, 40001}, 4294967295u)));
    EXPECT_EQ(maps[1].plain, bytesOf(map(255, {}, 0)));
    EXPECT_EQ(s.device->GetRecord("fsuStructFile", {}), bytes(kStructFile));
}

TEST_F(FsuOtherFormTest, UploadRefusalsSendNothing) {
    SimUnit& s = addDevice(102);
    auto entries = [](int n) {
        QByteArray m;
        for (int i = 0; i < n; ++i) m += QByteArray(i ? "," : "") + R"({"regAddr": 1})";
        return R"({"data": [{"typeNo": 1, "map": [)" + m + "]}]}";
    };
    struct Case {
        const char* what;
        QByteArray content;
        const char* box;
    } cases[] = {
        {"not JSON", "{\"data\": [", "执行失败！ret = -14,文件解析错误"},
        {"an array at the top", "[{\"typeNo\": 1}]", "执行失败！ret = -14,文件解析错误"},
        {"typeNo 256", R"({"data": [{"typeNo": 2}, {"typeNo": 256}]})", "执行失败！ret = -14,文件解析错误"},
        {"typeNo -1", R"({"data": [{"typeNo": -1}]})", "执行失败！ret = -14,文件解析错误"},
        {"typeNo 1.5", R"({"data": [{"typeNo": 1.5}]})", "执行失败！ret = -14,文件解析错误"},
        {"101 addresses", entries(101), "执行失败！ret = -14,文件解析错误"},
        {"regAddr 65536", R"({"data": [{"typeNo": 1, "map": [{"regAddr": 65536}]}]})",
         "执行失败！ret = -14,文件解析错误"},
        {"regAddr -1", R"({"data": [{"typeNo": 1, "map": [{"regAddr": -1}]}]})",
         "执行失败！ret = -14,文件解析错误"},
        {"base address past 32 bits", R"({"data": [{"typeNo": 1, "plaformBaseAddr": 4294967296}]})",
         "执行失败！ret = -14,文件解析错误"},
        {"20,481 bytes", "{}" + QByteArray(20479, ' '), "执行失败！ret = -6,响应解码失败"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = path("refused.json");
        writeFile(file, c.content);
        prompt.files = {file};
        click(page.get(), "uploadButton");
        EXPECT_EQ(afterDialog().text, u(c.box));
        EXPECT_EQ(sent(s), 0u);
    }
    prompt.files = {path("missing.json")};
    click(page.get(), "uploadButton");
    EXPECT_EQ(afterDialog().text, u("执行失败！ret = -9,文件打开失败"));
    prompt.files = {QString()};
    click(page.get(), "uploadButton");
    EXPECT_EQ(prompt.takeAll().size(), 1u) << "a cancelled dialog shows nothing more";
    EXPECT_EQ(sent(s), 0u);
}

TEST_F(FsuOtherFormTest, UploadRoadsThatStillSendTheFile) {
    SimUnit& s = addDevice(102);
    struct Case {
        const char* what;
        QByteArray content;
        size_t maps;
    } cases[] = {
        {"no data", "{}", 0},
        {"empty data", R"({"data": []})", 0},
        {"100 addresses, 20,480 bytes", {}, 1},
    };
    QByteArray hundred = R"({"data": [{"typeNo": 1, "map": [)";
    for (int i = 0; i < 100; ++i) hundred += QByteArray(i ? "," : "") + R"({"regAddr": 1})";
    hundred += "]}]}";
    cases[2].content = hundred + QByteArray(kStructFileMaxBytes - hundred.size(), ' ');
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        s.server->ClearRequests();
        const QString file = path("road.json");
        writeFile(file, c.content);
        prompt.files = {file};
        click(page.get(), "uploadButton");
        EXPECT_EQ(afterDialog().text, u("执行成功！"));
        EXPECT_EQ(s.count(4057), 1u);
        EXPECT_EQ(s.count(4056), c.maps);
        EXPECT_EQ(s.device->GetRecord("fsuStructFile", {}), bytes(c.content));
    }
}

TEST_F(FsuOtherFormTest, ADownloadThatCannotBeWrittenReportsAndLeavesNoFile) {
    SimUnit& s = addDevice(102);
    s.device->PutRecord("fsuStructFile", {}, bytes(kStructFile));
    ASSERT_TRUE(QDir(path("")).mkpath("out/target"));  // a folder where the file should go
    QDir dir(path("out"));
    for (const QString& target : {path("out/target"), path("out/missing/file.json")}) {
        SCOPED_TRACE(target.toStdString());
        prompt.files = {target};
        click(page.get(), "downloadButton");
        const Box b = afterDialog();
        EXPECT_EQ(b.kind, Prompt::Warning);
        EXPECT_EQ(b.text, u("执行失败！ret = -9,文件打开失败"));
        EXPECT_EQ(dir.entryList(QDir::Files | QDir::Hidden), QStringList()) << "no partial file";
    }
    s.device->SetFault(4058, {devsim::Fault::ResultCode, 4});
    prompt.files = {path("file.json")};
    click(page.get(), "downloadButton");
    EXPECT_EQ(afterDialog().text, u("执行失败！ret = -1004,命令无效"));
    EXPECT_FALSE(QFile::exists(path("file.json")));
}

TEST_F(FsuOtherFormTest, RegisterTableCsvExportThenImportGivesTheSameTable) {
    SimUnit& s = addDevice(102);
    Np_FsuModbusHead head{};
    std::strcpy(head.names[0], "名称");
    std::strcpy(head.names[1], "Addr");
    s.device->PutRecord("fsuModbusHead", {}, bytesOf(head));
    std::vector<devsim::Bytes> rows;
    for (uint8_t c = 0; c < 3; ++c) {
        Np_FsuModbusRecord r{};
        std::strcpy(r.cell0, c == 0 ? "一号泵" : "pump");
        r.cell10 = static_cast<uint16_t>(40000 + c);
        r.cell21 = 0.5f * c;
        rows.push_back(bytesOf(r));
        s.device->PutRecord("fsuModbusRow", {1, 1, c}, rows.back());
    }
    const QString file = path(u("寄存器表.csv"));
    prompt.files = {file};
    click(page.get(), "modbusExportButton");
    EXPECT_EQ(afterDialog().text, u("执行成功！"));
    ASSERT_TRUE(QFile::exists(file));

    s.device->PutRecord("fsuModbusHead", {}, devsim::Bytes(1024, 0));
    prompt.files = {file};
    click(page.get(), "modbusImportButton");
    EXPECT_EQ(afterDialog().text, u("执行成功！"));
    EXPECT_EQ(s.device->GetRecord("fsuModbusHead", {}), bytesOf(head));
    for (uint8_t c = 0; c < 3; ++c) EXPECT_EQ(s.device->GetRecord("fsuModbusRow", {1, 1, c}), rows[c]);

    prompt.files = {path("missing.csv")};
    click(page.get(), "modbusImportButton");
    EXPECT_EQ(afterDialog().text, u("执行失败！ret = -9,文件打开失败"));
}

TEST_F(FsuOtherFormTest, MapReadShowsTheAddressesWithinTheRecord) {
    SimUnit& s = addDevice(102);
    Np_FsuRegisterMap m = map(9, {10, 65535, 300}, 0xFFFFFFF0u);
    s.device->PutRecord("fsuRegisterMap", {9}, bytesOf(m));
    child<QSpinBox>(page.get(), "mapSpinBox")->setValue(9);
    click(page.get(), "mapGetButton");
    EXPECT_TRUE(prompt.takeAll().empty()) << "a good map read shows no box";
    auto* index = child<QSpinBox>(page.get(), "mapDataSpinBox");
    auto* address = child<QLineEdit>(page.get(), "mapDataEdit");
    EXPECT_EQ(index->maximum(), 2);
    EXPECT_EQ(address->text(), "10");
    EXPECT_EQ(child<QLineEdit>(page.get(), "mapAddrEdit")->text(), "4294967280");
    index->setValue(1);
    EXPECT_EQ(address->text(), "65535");

    m.count = 200;  // more than the record holds
    s.device->PutRecord("fsuRegisterMap", {9}, bytesOf(m));
    click(page.get(), "mapGetButton");
    EXPECT_EQ(index->maximum(), 99);
    EXPECT_EQ(index->value(), 0);

    s.device->SetFault(4054, {devsim::Fault::ResultCode, 4});
    click(page.get(), "mapGetButton");
    EXPECT_EQ(prompt.take().text, u("执行失败！ret = -1004, 命令无效"));
}

TEST_F(FsuOtherFormTest, ControlsAndClears) {
    SimUnit& s = addDevice(102);
    child<QComboBox>(page.get(), "alarmControlChannelComboBox")->setCurrentIndex(15);
    child<QComboBox>(page.get(), "alarmControlCmdComboBox")->setCurrentIndex(2);
    child<QComboBox>(page.get(), "alarm17ControlCmdComboBox")->setCurrentIndex(3);
    struct Case {
        const char* button;
        uint8_t output, command;
    } cases[] = {{"alarmControlButton", 16, 3}, {"alarm17ControlButton", 17, 4}};
    for (const Case& c : cases) {
        click(page.get(), c.button);
        EXPECT_EQ(prompt.take().text, u("执行成功！"));
        Np_FsuIOControl want{};
        want.output = c.output;
        want.command = c.command;
        EXPECT_EQ(s.lastPayload(4043), bytesOf(want));
    }

    prompt.answers = {false};
    click(page.get(), "mapClearButton");
    EXPECT_EQ(prompt.take().kind, Prompt::Question);
    EXPECT_EQ(s.count(4057), 0u);
    click(page.get(), "modbusHeadClearButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));
    click(page.get(), "modbusDescClearButton");
    EXPECT_EQ(prompt.take().text, u("执行成功！"));
    EXPECT_EQ(s.count(4064), 1u);
    EXPECT_EQ(s.count(4068), 1u);

    EXPECT_FALSE(child<QPushButton>(page.get(), "modbusSubButton")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(page.get(), "modbusUnsubButton")->isEnabled());
}

}  // namespace
