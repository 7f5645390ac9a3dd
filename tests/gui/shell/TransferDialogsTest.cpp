#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

#include <chrono>

#include "ConfigBackupDialog.h"
#include "FirmwareUpdateDialog.h"
#include "GuiHarness.h"
#include "PageKit.h"

using guitest::GuiTest;
using std::chrono::milliseconds;

namespace {

class TransferDialogs : public GuiTest {
  protected:
    QString format(QWidget* dialog) { return guitest::child<QProgressBar>(dialog, "progressBar")->format(); }
    QString cancelText(QWidget* dialog) {
        return guitest::child<QPushButton>(dialog, "cancelButton")->text();
    }
    // Until the dialog's transfer has ended (its cancel button closes again).
    bool ended(QWidget* dialog) {
        return guitest::waitFor([&] { return cancelText(dialog) == QString::fromUtf8("取消"); }, 5000);
    }
    std::vector<int> values(const QSignalSpy& spy) {
        std::vector<int> v;
        for (const auto& args : spy) v.push_back(args.at(0).toInt());
        return v;
    }
    // While running, neither Escape nor the close button closes the dialog.
    void expectNotClosable(QDialog& dialog) {
        dialog.show();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &escape);
        dialog.close();
        EXPECT_TRUE(dialog.isVisible());
    }
    QString writeFile(const char* name, int size) {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < size; ++i) f.putChar(static_cast<char>(i * 13));
        return f.fileName();
    }
};

}  // namespace

TEST_F(TransferDialogs, ConfigurationExportAndImportRunToTheEnd) {
    guitest::SimUnit& unit = addDevice(100);
    ConfigBackupDialog dialog;
    QSignalSpy spy(&dialog, &ConfigBackupDialog::update_single);

    prompt.files = {path("config.bin")};
    guitest::click(&dialog, "exportButton");
    EXPECT_EQ(cancelText(&dialog), QString::fromUtf8("停止导出"));
    EXPECT_FALSE(guitest::child<QPushButton>(&dialog, "importButton")->isEnabled());
    ASSERT_TRUE(ended(&dialog));
    EXPECT_EQ(values(spy), (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(format(&dialog), QString::fromUtf8("导出成功！"));
    QFile exported(path("config.bin"));
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const QByteArray bytes = exported.readAll();
    EXPECT_EQ(bytes.size(), 3 * 1028);

    spy.clear();
    prompt.files = {path("config.bin")};
    guitest::click(&dialog, "importButton");
    EXPECT_EQ(cancelText(&dialog), QString::fromUtf8("停止导入"));
    ASSERT_TRUE(ended(&dialog));
    EXPECT_EQ(values(spy).back(), 0);
    EXPECT_EQ(format(&dialog), QString::fromUtf8("导入成功！"));
    const auto blocks = unit.device->ImportedBlocks();
    ASSERT_EQ(blocks.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(blocks[i].data()), 1028),
                  bytes.mid(i * 1028, 1028));

    // Progress texts as they read.
    QMetaObject::invokeMethod(&dialog, "update_slot", Q_ARG(int, 5025));
    EXPECT_EQ(format(&dialog), QString::fromUtf8("导入进度：50.25%"));
    EXPECT_EQ(guitest::child<QProgressBar>(&dialog, "progressBar")->value(), 50);
}

TEST_F(TransferDialogs, AStoppedExportEndsThroughItsLastCallback) {
    guitest::SimUnit& unit = addDevice(101);
    unit.device->SetExportData(std::vector<devsim::Bytes>(40, devsim::Bytes(100, 7)));
    unit.device->SetFault(1045, {devsim::Fault::None, 0, milliseconds(20)});
    ConfigBackupDialog dialog;
    prompt.files = {path("config.bin")};
    guitest::click(&dialog, "exportButton");
    ASSERT_TRUE(guitest::waitFor([&] { return format(&dialog).contains(QString::fromUtf8("正在导出第")); }));
    expectNotClosable(dialog);
    guitest::click(&dialog, "cancelButton");
    EXPECT_TRUE(dialog.isVisible()) << "the stop does not close";
    ASSERT_TRUE(ended(&dialog));
    EXPECT_EQ(format(&dialog), QString::fromUtf8("导出失败！ret = -12"));
    EXPECT_TRUE(guitest::child<QPushButton>(&dialog, "exportButton")->isEnabled());
    guitest::click(&dialog, "cancelButton");
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(TransferDialogs, MissingFilesAndNoDevice) {
    addDevice(102);
    ConfigBackupDialog dialog;
    prompt.files = {path("nowhere/none.bin")};
    guitest::click(&dialog, "importButton");
    ASSERT_TRUE(ended(&dialog));
    EXPECT_EQ(format(&dialog), QString::fromUtf8("导入失败！ret = -9"));

    // Cancelled file dialog: nothing starts.
    prompt.files = {QString()};
    guitest::click(&dialog, "exportButton");
    EXPECT_EQ(cancelText(&dialog), QString::fromUtf8("取消"));

    FirmwareUpdateDialog upgrade;
    const QString empty = writeFile("empty.bin", 0);
    prompt.files = {empty};
    guitest::click(&upgrade, "fileButton");
    EXPECT_EQ(guitest::child<QLineEdit>(&upgrade, "fileEdit")->text(), QString())
        << "an empty file is not taken";

    prompt.takeAll();  // the file dialogs
    DeviceRegistry::instance().setCurrent("nobody");
    guitest::click(&upgrade, "updateButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1, ") + kit::errorText(-1));
    EXPECT_EQ(cancelText(&upgrade), QString::fromUtf8("取消"));
}

TEST_F(TransferDialogs, FirmwareUpgradeToTheEndStoppedAndRefused) {
    guitest::SimUnit& unit = addDevice(100);
    FirmwareUpdateDialog dialog;
    EXPECT_EQ(format(&dialog), QString::fromUtf8("等待操作"));
    const QString file = writeFile("fw.bin", 50000);
    prompt.files = {file};
    guitest::click(&dialog, "fileButton");
    EXPECT_EQ(guitest::child<QLineEdit>(&dialog, "fileEdit")->text(), file);

    QSignalSpy spy(&dialog, &FirmwareUpdateDialog::update_single);
    guitest::click(&dialog, "updateButton");
    EXPECT_EQ(cancelText(&dialog), QString::fromUtf8("打断升级"));
    ASSERT_TRUE(ended(&dialog));
    const std::vector<int> seen = values(spy);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[seen.size() - 2], 10000);
    EXPECT_EQ(seen.back(), 0);
    EXPECT_EQ(format(&dialog), QString::fromUtf8("升级成功！"));
    ASSERT_EQ(unit.device->Upgrades().size(), 1u);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray content = f.readAll();
    const devsim::Bytes sent = unit.device->Upgrades()[0].data;
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(sent.data()), static_cast<int>(sent.size())), content);

    // Stopped midway.
    unit.device->SetFault(1031, {devsim::Fault::None, 0, milliseconds(20)});
    guitest::click(&dialog, "updateButton");
    ASSERT_TRUE(guitest::waitFor([&] { return format(&dialog).endsWith('%'); }));
    expectNotClosable(dialog);
    guitest::click(&dialog, "cancelButton");
    ASSERT_TRUE(ended(&dialog));
    EXPECT_EQ(format(&dialog), QString::fromUtf8("升级失败！ret = -10"));
    EXPECT_TRUE(unit.device->Upgrades().back().stopped);

    // Refused for want of permission.
    unit.device->ClearFaults();
    unit.device->SetFault(1029, {devsim::Fault::ResultCode, 30});
    guitest::click(&dialog, "updateButton");
    ASSERT_TRUE(ended(&dialog));
    EXPECT_EQ(format(&dialog), QString::fromUtf8("升级失败！ret = -1030，无权限！"));
    EXPECT_TRUE(guitest::child<QPushButton>(&dialog, "updateButton")->isEnabled());
}

TEST_F(TransferDialogs, NothingReachesADialogGoneWhileItsTransferRan) {
    guitest::SimUnit& unit = addDevice(100);
    unit.device->SetExportData(std::vector<devsim::Bytes>(20, devsim::Bytes(10, 1)));
    unit.device->SetFault(1045, {devsim::Fault::None, 0, milliseconds(10)});
    {
        auto dialog = std::make_unique<ConfigBackupDialog>();
        prompt.files = {path("config.bin")};
        guitest::click(dialog.get(), "exportButton");
        guitest::waitFor([&] { return unit.count(1045) >= 2; });
    }
    // The transfer's remaining callbacks, the stop's last one included, find no one.
    EXPECT_TRUE(guitest::waitFor(
        [&] {
            return unit.count(1045) >= 3 && unit.server->Requests().back().plain.size() > 12 &&
                   unit.server->Requests().back().plain[12] == 3;
        },
        3000));
    guitest::waitFor([] { return false; }, 100);
}
