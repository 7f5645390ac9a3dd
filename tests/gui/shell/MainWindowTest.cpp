#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "FileSizeLimit.h"
#include "PageKit.h"
#include "ShellHelpers.h"
#include "TslDev.h"

using guitest::ShellTest;

namespace {

QJsonObject savedList(const QString& file) {
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(f.readAll()).object();
}

// Waits, without running the GUI thread's queue, until the SDK has let the
// handle go: the window's share of the disconnect is then queued and pending.
void waitUntilDropped(int handle) {
    for (int i = 0; i < 400 && TSL_NET_DEV_GetTime(handle, nullptr) != -1; ++i) {
        Np_Time t{};
        if (TSL_NET_DEV_GetTime(handle, &t) == -1) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Standard error into a pipe while it lives: unlike a capture into a file, it
// is not cut by a file size limit.
class StderrPipe {
  public:
    StderrPipe() {
        std::fflush(stderr);
        if (pipe(fds_) != 0) return;
        saved_ = dup(2);
        dup2(fds_[1], 2);
        close(fds_[1]);
    }
    ~StderrPipe() { take(); }
    // What was written, and standard error back where it was.
    std::string take() {
        if (saved_ < 0) return text_;
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        saved_ = -1;
        char buffer[4096];
        for (ssize_t n; (n = read(fds_[0], buffer, sizeof buffer)) > 0;) text_.append(buffer, n);
        close(fds_[0]);
        return text_;
    }

  private:
    int fds_[2] = {-1, -1};
    int saved_ = -1;
    std::string text_;
};

class MainWindow : public ShellTest {};

}  // namespace

TEST_F(MainWindow, SavedDevicesComeUpOfflineUnderTheirTypes) {
    saved(100, "门禁A");
    saved(102, "动环B");
    saved(100, "门禁C");
    saved(107, "stray");  // kept, but no row
    openWindow();

    QStandardItemModel* model = qobject_cast<QStandardItemModel*>(tree()->model());
    ASSERT_EQ(model->rowCount(), 6);
    const char* roots[] = {"门禁设备", "物联设备", "动环设备", "NTP服务器", "指纹仪", "用传"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(model->item(i)->text(), QString::fromUtf8(roots[i]));
    ASSERT_EQ(model->item(0)->rowCount(), 2);
    EXPECT_EQ(model->item(0)->child(0)->text(), QString::fromUtf8("门禁A"));
    EXPECT_EQ(model->item(0)->child(1)->text(), QString::fromUtf8("门禁C"));
    ASSERT_EQ(model->item(2)->rowCount(), 1);
    EXPECT_TRUE(offline("门禁A") && offline("门禁C") && offline("动环B"));
    EXPECT_EQ(row("stray"), nullptr);
    Device stray;
    stray.name = "stray";
    EXPECT_EQ(DeviceRegistry::instance().get(stray), 0);

    // No menu on a type row or on empty space.
    EXPECT_FALSE(window->deviceMenu(tree()->visualRect(model->item(0)->index()).center()));
    EXPECT_FALSE(window->deviceMenu(QPoint(5, tree()->viewport()->height() - 3)));
}

TEST_F(MainWindow, LoginLogoutAndDelete) {
    saved(100, "门禁A");
    saved(101, "物联B");
    openWindow();

    menu("门禁A", "登录");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
    EXPECT_TRUE(online("门禁A"));
    const int handle = handleOf("门禁A");
    EXPECT_GT(handle, 0);

    menu("门禁A", "登录");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("请不要重复登陆"));
    EXPECT_EQ(handleOf("门禁A"), handle);

    menu("门禁A", "注销");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
    EXPECT_TRUE(offline("门禁A"));
    EXPECT_EQ(handleOf("门禁A"), 0);
    EXPECT_EQ(TSL_NET_DEV_Logout(handle), -1) << "the SDK no longer holds it";

    menu("门禁A", "注销");
    const guitest::Box box = prompt.take();
    EXPECT_EQ(box.kind, Prompt::Warning);
    EXPECT_EQ(box.text, QString::fromUtf8("执行失败！ret = -1,") + kit::errorText(-1));

    // A wrong password: the failure box, the row stays offline.
    units[1]->device->SetCredentials("admin", "other");
    menu("物联B", "登录");
    EXPECT_TRUE(prompt.take().text.startsWith(QString::fromUtf8("执行失败！ret = -10")));
    EXPECT_TRUE(offline("物联B"));

    menu("物联B", "删除");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
    EXPECT_EQ(row("物联B"), nullptr);
    EXPECT_FALSE(savedList(path("devices.bin")).contains(QString::fromUtf8("物联B")));
    EXPECT_TRUE(savedList(path("devices.bin")).contains(QString::fromUtf8("门禁A")));
}

TEST_F(MainWindow, ALoginWithNoHandleFreeIsAFailure) {
    saved(100, "dev");
    openWindow();
    // Fill every handle the SDK has.
    std::vector<int> taken;
    for (int i = 0; i < 256; ++i) {
        Np_LoginInfo info{};
        const int h =
            TSL_NET_DEV_Login(100, "127.0.0.1", units[0]->server->Port(), "admin", "admin123", 5000, &info);
        if (h <= 0) break;
        taken.push_back(h);
    }
    ASSERT_EQ(taken.size(), 256u);
    menu("dev", "登录");
    const guitest::Box box = prompt.take();
    EXPECT_EQ(box.kind, Prompt::Warning);
    EXPECT_TRUE(box.text.startsWith(QString::fromUtf8("执行失败！ret = 0,"))) << box.text.toStdString();
    EXPECT_TRUE(offline("dev"));
    EXPECT_EQ(handleOf("dev"), 0);
    for (int h : taken) TSL_NET_DEV_Logout(h);
}

TEST_F(MainWindow, ADroppedConnectionTurnsTheRowOffline) {
    guitest::SimUnit& unit = saved(102, "动环");
    saved(103, "ntp");
    openWindow();
    menu("动环", "登录");
    menu("ntp", "登录");
    prompt.takeAll();
    ASSERT_TRUE(online("动环"));

    unit.server->CloseConnections();
    EXPECT_TRUE(guitest::waitFor([&] { return offline("动环"); }));
    EXPECT_EQ(handleOf("动环"), 0);
    EXPECT_TRUE(online("ntp")) << "only that device";

    // A reboot calls the disconnect before it returns; the row follows.
    menu("ntp", "重启");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
    EXPECT_TRUE(guitest::waitFor([&] { return offline("ntp"); }));
    EXPECT_EQ(handleOf("ntp"), 0);
}

// The SDK frees the handle of a device lost right after its login reply and
// gives the number to the next login: kept, it would aim this device's
// commands at that one.
TEST_F(MainWindow, ADeviceLostRightAfterItsLoginKeepsNoHandle) {
    guitest::SimUnit& a = saved(100, "a");
    guitest::SimUnit& b = saved(100, "b");
    openWindow();
    Np_LoginInfo info{};
    const int lowest =
        TSL_NET_DEV_Login(100, "127.0.0.1", b.server->Port(), "admin", "admin123", 5000, &info);
    ASSERT_GT(lowest, 0);
    TSL_NET_DEV_Logout(lowest);

    a.device->SetFault(1001, {devsim::Fault::CloseAfterReply, 0, std::chrono::milliseconds(300)});
    guitest::holdWindowThroughLoginClose(*a.server);
    menu("a", "登录");
    guitest::Box box = prompt.take();
    EXPECT_EQ(box.kind, Prompt::Warning);
    EXPECT_EQ(box.text, QString::fromUtf8("执行失败！ret = -1,") + kit::errorText(-1));
    EXPECT_TRUE(offline("a"));
    EXPECT_EQ(handleOf("a"), 0);

    menu("b", "登录");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
    ASSERT_EQ(handleOf("b"), lowest) << "the number a was given";

    for (const char* operation : {"重启", "恢复出厂", "格式化"}) {
        menu("a", operation);
        EXPECT_EQ(prompt.take().kind, Prompt::Warning) << operation;
    }
    for (uint32_t cmd : {1004u, 1005u, 1006u}) EXPECT_EQ(b.count(cmd), 0u) << cmd;
    EXPECT_TRUE(online("b"));
    Np_Time t{};
    EXPECT_EQ(TSL_NET_DEV_GetTime(handleOf("b"), &t), 0);

    // Not a repeated login: a is simply offline.
    a.device->ClearFaults();
    menu("a", "登录");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
    EXPECT_TRUE(online("a"));
    EXPECT_GT(handleOf("a"), 0);
    EXPECT_NE(handleOf("a"), handleOf("b"));
}

TEST_F(MainWindow, ALateDisconnectNeitherTouchesADeletedRowNorUndoesANewLogin) {
    guitest::SimUnit& a = saved(100, "a");
    guitest::SimUnit& b = saved(100, "b");
    openWindow();
    menu("a", "登录");
    menu("b", "登录");
    prompt.takeAll();

    // a: dropped, then logged out and in again (the SDK gives the lowest free
    // handle, so most likely the same number) before the window hears of it.
    const int old = handleOf("a");
    a.server->CloseConnections();
    waitUntilDropped(old);
    menu("a", "注销");
    menu("a", "登录");
    prompt.takeAll();
    const int fresh = handleOf("a");
    ASSERT_GT(fresh, 0);

    // b: dropped, then deleted before the window hears of it.
    b.server->CloseConnections();
    waitUntilDropped(handleOf("b"));
    menu("b", "删除");
    prompt.takeAll();

    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QCoreApplication::processEvents();
    EXPECT_TRUE(online("a"));
    EXPECT_EQ(handleOf("a"), fresh);
    Np_Time t{};
    EXPECT_EQ(TSL_NET_DEV_GetTime(fresh, &t), 0);
    EXPECT_EQ(row("b"), nullptr);
}

TEST_F(MainWindow, ClosingWithDevicesLoggedInReleasesThemAndKeepsTheList) {
    saved(100, "one");
    saved(104, "two");
    saved(105, "three");
    openWindow();
    menu("one", "登录");
    menu("two", "登录");
    prompt.takeAll();
    const int h = handleOf("one");
    QFile::remove(path("devices.bin"));
    window.reset();

    Np_Time t{};
    EXPECT_EQ(TSL_NET_DEV_GetTime(h, &t), -1);
    const QJsonObject list = savedList(path("devices.bin"));
    EXPECT_EQ(list.size(), 3);
    for (const char* name : {"one", "two", "three"}) EXPECT_TRUE(list.contains(name)) << name;
    // What the SDK may still deliver for the released devices reaches no one.
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QCoreApplication::processEvents();
}

TEST_F(MainWindow, PagesSitAtTheirIndexes) {
    openWindow();
    const char* pages[] = {
        "NetworkConfigForm",     "PlanConfigForm",  "AccCardConfigForm",   "AccChannelConfigForm",
        "AccMultiConfigForm",    "AccControlForm",  "AccParamsConfigForm", "LogQueryForm",
        "EventSubscribeForm",    "IotWorkmodeForm", "IotStateForm",        "IotConfigForm",
        "IotModbusForm",         "FsuBaseForm",     "FsuModbusForm",       "FsuEmuForm",
        "FsuAlarmForm",          "FsuOtherForm",    "IotLoraWorkmodeForm", "FsuInfoForm",
        "AccCardReadConfigForm", "UitServerInfo"};
    auto* stack = guitest::child<QStackedWidget>(window.get(), "stackedWidget");
    ASSERT_EQ(stack->count(), 22);
    for (int i = 0; i < 22; ++i) EXPECT_STREQ(stack->widget(i)->metaObject()->className(), pages[i]) << i;
    EXPECT_EQ(stack->currentIndex(), 0);

    const std::pair<const char*, int> fixed[] = {
        {"planButton", 1}, {"logButton", 7}, {"eventButton", 8}, {"networkButton", 0}};
    for (const auto& f : fixed) {
        guitest::click(window.get(), f.first);
        EXPECT_EQ(stack->currentIndex(), f.second) << f.first;
    }
}

TEST_F(MainWindow, FunctionButtonsFollowTheSelectedType) {
    struct Case {
        int type;
        std::vector<std::pair<const char*, int>> buttons;  // page -1: disabled "预留"
    };
    const std::pair<const char*, int> spare{"预留", -1};
    const Case cases[] = {
        {100,
         {{"卡权限配置", 2},
          {"门信息配置", 3},
          {"组合联动配置", 4},
          {"控制", 5},
          {"设备信息", 6},
          {"读卡器地址配置", 20},
          spare}},
        {101,
         {{"端口状态", 10},
          {"端口配置", 11},
          {"工作模式配置", 9},
          {"Modbus配置", 12},
          {"Lora工作模式配置", 18},
          spare,
          spare}},
        {102,
         {{"基础配置", 13},
          {"Modbus配置", 14},
          {"模拟量/RS485/联动", 15},
          {"报警设置", 16},
          {"杂项", 17},
          spare,
          spare}},
        {103, {{"基础信息", 19}, spare, spare, spare, spare, spare, spare}},
        {104, {spare, spare, spare, spare, spare, spare, spare}},
        {105, {{"基础配置", 21}, spare, spare, spare, spare, spare, spare}},
    };
    for (const Case& c : cases) saved(c.type, "dev" + std::to_string(c.type));
    openWindow();
    auto* stack = guitest::child<QStackedWidget>(window.get(), "stackedWidget");
    for (int i = 1; i <= 7; ++i) {
        auto* b = guitest::child<QPushButton>(window.get(), ("subButton_" + std::to_string(i)).c_str());
        EXPECT_EQ(b->text(), QString::fromUtf8("预留"));
        EXPECT_FALSE(b->isEnabled());
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const std::string name = "dev" + std::to_string(c.type);
        select(name);
        EXPECT_EQ(DeviceRegistry::instance().currentName(), name);
        EXPECT_EQ(guitest::child<QLabel>(window.get(), "deviceLabel")->text(), QString::fromStdString(name));
        for (int i = 0; i < 7; ++i) {
            auto* b =
                guitest::child<QPushButton>(window.get(), ("subButton_" + std::to_string(i + 1)).c_str());
            EXPECT_EQ(b->text(), QString::fromUtf8(c.buttons[i].first)) << i;
            EXPECT_EQ(b->isEnabled(), c.buttons[i].second >= 0) << i;
            if (c.buttons[i].second < 0) continue;
            b->click();
            EXPECT_EQ(stack->currentIndex(), c.buttons[i].second) << i;
        }
    }
    // Selecting a type row changes nothing.
    tree()->setCurrentIndex(qobject_cast<QStandardItemModel*>(tree()->model())->item(0)->index());
    EXPECT_EQ(DeviceRegistry::instance().currentName(), "dev105");
}

TEST_F(MainWindow, AListNotTakenAsItStandsIsKeptAsideAndSaidOnceAtStart) {
    struct Case {
        const char* what;
        QByteArray text;
        const char* kept;  // the copy's kind
        int rows;          // devices shown
    };
    const Case cases[] = {
        {"a record of a port as text",
         R"({"门禁A": {"name": "门禁A", "ip": "127.0.0.1", "port": 9100, "type": 100, "username": "admin",
                       "password": "pw"},
             "门禁B": {"name": "门禁B", "ip": "127.0.0.1", "port": "9101", "type": 100}})",
         "dropped", 2},
        {"not JSON", "{\"门禁A\": ", "unreadable", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            QFile f(path("devices.bin"));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.text);
        }
        testing::internal::CaptureStderr();
        openWindow();
        testing::internal::GetCapturedStderr();
        const QStringList aside = QDir(path("")).entryList({QStringLiteral("devices.bin.%1-*").arg(c.kept)});
        ASSERT_EQ(aside.size(), 1);
        ASSERT_TRUE(guitest::waitFor([&] { return !prompt.boxes.empty(); }));
        const guitest::Box box = prompt.take();
        EXPECT_EQ(box.kind, Prompt::Warning);
        EXPECT_EQ(box.text,
                  QString::fromUtf8("设备列表devices.bin有无法读取的内容，原文件已另存为%1！").arg(aside[0]));
        EXPECT_EQ(qobject_cast<QStandardItemModel*>(tree()->model())->item(0)->rowCount(), c.rows);

        // The exit writes the list anew; the copy keeps what the user wrote.
        window.reset();
        QFile kept(path(aside[0]));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), c.text);
        ASSERT_TRUE(QFile::remove(path(aside[0])));
    }

    // The list as the exit wrote it comes up without a word.
    openWindow();
    QCoreApplication::processEvents();
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(MainWindow, AListTheExitCannotRewriteIsCopiedOnceAndNamedAtEveryStart) {
    const QByteArray text =
        R"({"门禁A": {"name": "门禁A", "ip": "127.0.0.1", "port": 9100, "type": 100, "username": "admin",
                      "password": "pw"},
            "门禁B": {"name": "门禁B", "ip": "127.0.0.1", "port": "9101", "type": 100}})";
    {
        QFile f(path("devices.bin"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QString kept;
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE(start);
        testing::internal::CaptureStderr();
        openWindow();
        testing::internal::GetCapturedStderr();
        const QStringList aside = QDir(path("")).entryList({QStringLiteral("devices.bin.dropped-*")});
        ASSERT_EQ(aside.size(), 1);
        if (kept.isEmpty()) kept = aside[0];
        EXPECT_EQ(aside[0], kept);
        ASSERT_TRUE(guitest::waitFor([&] { return !prompt.boxes.empty(); }));
        EXPECT_EQ(prompt.take().text,
                  QString::fromUtf8("设备列表devices.bin有无法读取的内容，原文件已另存为%1！").arg(kept));

        // A full disk as the program ends: no window is left to say so.
        StderrPipe err;
        {
            const tsltest::FileSizeLimit full(0);
            window.reset();
        }
        const std::string said = err.take();
        EXPECT_NE(said.find("devices.bin could not be written as the program ends"), std::string::npos)
            << said;
        QFile list(path("devices.bin"));
        ASSERT_TRUE(list.open(QIODevice::ReadOnly));
        EXPECT_EQ(list.readAll(), text);
    }
}
