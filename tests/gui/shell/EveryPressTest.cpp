// No press may freeze the window: every button of every page of the page
// table, the main window's device operations and the dialogs it opens,
// pressed against a device that holds each reply a moment. A call that
// waits on the GUI thread stops the event loop for the whole hold; one that
// waits through the runner keeps it at its pace.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "ClickedComboBox.h"
#include "ConfigBackupDialog.h"
#include "FirmwareUpdateDialog.h"
#include "PageTable.h"
#include "PasswordModifyDialog.h"
#include "ShellHelpers.h"

using guitest::SimUnit;

namespace {

using namespace std::chrono_literals;

constexpr auto kHold = 400ms;
// A wait on the GUI thread stops the loop for the whole hold at least; a
// loaded machine may still make one tick late by a fraction of that.
constexpr qint64 kStallMs = 250;
constexpr uint32_t kLoginCmd = 1001;
constexpr uint32_t kHeartbeatCmd = 1007;

// Answers every box as a user who goes through with each press would: Yes
// to every question, a file of the test's folder for every file dialog.
class GoAheadPrompt : public Prompt {
  public:
    QString openPath;
    QString savePath;

    void information(QWidget*, const QString&, const QString&) override {}
    void warning(QWidget*, const QString&, const QString&) override {}
    bool question(QWidget*, const QString&, const QString&) override { return true; }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return openPath;
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return savePath;
    }
};

// The longest the event loop went without running a 10 ms timer while
// `press` ran, in ms: the time between two ticks, or from the last tick to
// the press's end.
qint64 longestStall(const std::function<void()>& press) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 worst = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        worst = std::max(worst, now - last);
        last = now;
    });
    timer.start(10);
    press();
    return std::max(worst, clock.elapsed() - last);
}

size_t userRequests(const SimUnit& unit) {
    size_t n = 0;
    for (const devsim::Request& r : unit.server->Requests()) n += r.head.cmd != kHeartbeatCmd;
    return n;
}

// The rows a page builds in code (one class of ours per kind of row) share
// their slots: a button is named, and pressed once, by its object name (or
// text) under the class of its row.
std::string nameOf(const QObject* object) {
    QString name = object->objectName();
    if (name.isEmpty())
        if (auto* button = qobject_cast<const QAbstractButton*>(object)) name = button->text();
    for (const QObject* up = object->parent(); up; up = up->parent()) {
        const QString kind = QString::fromLatin1(up->metaObject()->className());
        if (kind.startsWith('Q')) continue;
        if (up->parent()) name = kind + "/" + name;  // the page itself is named by the case
        break;
    }
    return name.toStdString();
}

class HeldReplies : public guitest::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        goAhead.openPath = path("input.json");
        goAhead.savePath = path("output.bin");
        QFile input(goAhead.openPath);
        ASSERT_TRUE(input.open(QIODevice::WriteOnly));
        input.write("{\"data\":[]}");
        Prompt::install(&goAhead);
    }

    // Every reply of `unit` but the heartbeat's held kHold.
    static void hold(SimUnit& unit) {
        unit.device->SetFault(0, {devsim::Fault::None, 0, kHold});
        unit.device->SetFault(kLoginCmd, {devsim::Fault::None, 0, kHold});
    }

    // Runs `press`; a stall is measured once more before it counts, so that
    // only a press that stops the loop every time fails. Returns whether the
    // press sent `unit` anything.
    bool expectPaced(SimUnit& unit, const std::string& where, const std::function<void()>& press) {
        const size_t before = userRequests(unit);
        qint64 stall = longestStall(press);
        if (stall >= kStallMs) stall = std::min(stall, longestStall(press));
        EXPECT_LT(stall, kStallMs) << where << " stalled the event loop " << stall << " ms";
        QCoreApplication::processEvents();
        return userRequests(unit) != before;
    }

    // Presses every push and tool button of `root` that is enabled when its
    // turn comes, and asks every id combo box for its refill. Returns how
    // many of them reached the device. A disabled button, which no user can
    // press either, is passed over: the other transfer's while one runs, a
    // page turn past the last page, a scroll before the first user.
    int pressAll(SimUnit& unit, QWidget* root, const std::string& where) {
        // Empty edits would refuse most presses before any request.
        for (QLineEdit* edit : root->findChildren<QLineEdit*>())
            if (edit->text().isEmpty() && !edit->isReadOnly()) edit->setText("1");
        std::vector<QPointer<QAbstractButton>> buttons;
        std::vector<std::string> names;
        for (QAbstractButton* b : root->findChildren<QAbstractButton*>()) {
            if (!qobject_cast<QPushButton*>(b) && !qobject_cast<QToolButton*>(b)) continue;
            const std::string name = nameOf(b);
            if (std::find(names.begin(), names.end(), name) != names.end()) continue;
            names.push_back(name);
            buttons.emplace_back(b);
        }
        int reached = 0;
        for (const QPointer<QAbstractButton>& b : buttons) {
            if (!b || !b->isEnabled()) continue;
            reached += expectPaced(unit, where + " " + nameOf(b), [&] {
                if (b) b->click();
            });
        }
        for (ClickedComboBox* box : root->findChildren<ClickedComboBox*>()) {
            QPointer<ClickedComboBox> alive(box);
            reached += expectPaced(unit, where + " " + nameOf(box), [&] {
                if (alive) emit alive->clicked();
            });
        }
        return reached;
    }

    GoAheadPrompt goAhead;
};

// ---------------------------------------------------------------- pages

struct PageCase {
    std::string name;
    int type;
    std::function<std::unique_ptr<QWidget>()> make;
};

// Operations of hundreds of requests, each held, would take minutes: the
// device ends them after their first held requests.
void shorten(const std::string& page, devsim::SimDevice& device) {
    constexpr uint32_t kModbusExportData = 4060;  // one request per register of the table
    if (page == "FsuOtherForm") device.SetFault(kModbusExportData, {devsim::Fault::ResultCode, 1, kHold});
}

void PrintTo(const PageCase& c, std::ostream* os) {
    *os << c.name;
}

template <size_t... I>
std::vector<PageCase> pageCases(std::index_sequence<I...>) {
    return {PageCase{
        std::tuple_element_t<I, PageTable>::Page::staticMetaObject.className(),
        // The pages of every type (no function button) on an access controller.
        std::get<I>(kPageTable).button.type ? std::get<I>(kPageTable).button.type : TSL_DEVICE_ACC,
        [] { return std::unique_ptr<QWidget>(new typename std::tuple_element_t<I, PageTable>::Page); }}...};
}

class EveryPagePress : public HeldReplies, public ::testing::WithParamInterface<PageCase> {};

}  // namespace

TEST_P(EveryPagePress, KeepsTheEventLoopRunning) {
    const PageCase& c = GetParam();
    SimUnit& unit = addDevice(c.type);
    hold(unit);
    shorten(c.name, *unit.device);
    std::unique_ptr<QWidget> page = c.make();
    page->show();
    EXPECT_GT(pressAll(unit, page.get(), c.name), 0) << c.name << ": no press reached the device";
}

INSTANTIATE_TEST_SUITE_P(PageTable, EveryPagePress,
                         ::testing::ValuesIn(pageCases(std::make_index_sequence<kPageCount>())),
                         [](const ::testing::TestParamInfo<PageCase>& i) { return i.param.name; });

// ---------------------------------------------------------------- dialogs

namespace {

// Until a transfer dialog's transfer has ended: its cancel button closes again.
bool transferEnded(QWidget* dialog) {
    auto* cancel = guitest::child<QPushButton>(dialog, "cancelButton");
    return guitest::waitFor([&] { return cancel->text() == QString::fromUtf8("取消"); }, 10000);
}

}  // namespace

TEST_F(HeldReplies, TheMaintenanceDialogsKeepTheEventLoopRunning) {
    SimUnit& unit = addDevice(TSL_DEVICE_ACC);
    hold(unit);
    {
        PasswordModifyDialog dialog;
        dialog.show();
        EXPECT_GT(pressAll(unit, &dialog, "PasswordModifyDialog"), 0);
    }
    {
        QFile firmware(goAhead.openPath);
        ASSERT_TRUE(firmware.open(QIODevice::WriteOnly));
        firmware.write(QByteArray(4096, 'f'));
    }
    // The presses start a transfer and stop it; it ends on its own, and
    // its requests go out from the SDK's pool, whenever they do.
    ConfigBackupDialog backup;
    FirmwareUpdateDialog firmware;
    for (QWidget* dialog : std::initializer_list<QWidget*>{&backup, &firmware}) {
        const size_t before = userRequests(unit);
        dialog->show();
        pressAll(unit, dialog, dialog->metaObject()->className());
        EXPECT_TRUE(transferEnded(dialog)) << dialog->metaObject()->className();
        EXPECT_GT(userRequests(unit), before) << dialog->metaObject()->className();
    }
}

namespace {

class HeldWindow : public guitest::ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        Prompt::install(&goAhead);
    }
    qint64 menuStall(const std::string& name, const char* entry) {
        return longestStall([&] { menu(name, entry); });
    }

    GoAheadPrompt goAhead;
};

}  // namespace

// The window's own operations: logins, the context menu's device commands,
// a switch of the current device and an add with activation. The search
// broadcasts and is left to the namespace test; the dialogs the menu opens
// are pressed above.
TEST_F(HeldWindow, DeviceOperationsKeepTheEventLoopRunning) {
    SimUnit& gate = saved(TSL_DEVICE_ACC, "gate");
    SimUnit& port = saved(TSL_DEVICE_IOT, "port");
    gate.device->SetFault(0, {devsim::Fault::None, 0, kHold});
    gate.device->SetFault(kLoginCmd, {devsim::Fault::None, 0, kHold});
    port.device->SetFault(kLoginCmd, {devsim::Fault::None, 0, kHold});
    openWindow();

    for (const char* entry : {"登录", "重启", "登录", "恢复出厂", "登录", "格式化", "登录", "注销", "登录"}) {
        EXPECT_LT(menuStall("gate", entry), kStallMs) << entry;
        // A reboot, restore or format ends the login through the disconnect road.
        EXPECT_TRUE(guitest::waitFor([&] {
            return (handleOf("gate") > 0) == (entry == std::string("登录"));
        })) << entry;
    }
    for (uint32_t cmd : {1004u, 1005u, 1006u}) EXPECT_EQ(gate.count(cmd), 1u) << "reboot, format, restore";
    EXPECT_LT(menuStall("port", "登录"), kStallMs);
    select("gate");
    // Leaving the access controller ends its subscription on the device.
    EXPECT_LT(longestStall([&] { select("port"); }), kStallMs) << "device switch";
    EXPECT_LT(menuStall("gate", "删除"), kStallMs) << "删除";

    auto unit = std::make_shared<devsim::SimDevice>(TSL_DEVICE_NTP, "admin", "First-1");
    unit->SetFault(0, {devsim::Fault::None, 0, kHold});
    unit->SetFault(kLoginCmd, {devsim::Fault::None, 0, kHold});
    devsim::SimServer server(unit);
    Np_SearchInfo found{};
    std::strcpy(found.ip, "127.0.0.1");
    found.port = server.Port();
    found.deviceType = TSL_DEVICE_NTP;
    auto* view = guitest::child<QTableView>(window.get(), "deviceTableView");
    auto* model = qobject_cast<QStandardItemModel*>(view->model());
    QtTessaly::fillSearchModel(*model, &found, 1);
    view->setCurrentIndex(model->index(0, 0));
    qint64 stall = 0;
    guitest::onModal([&](QWidget* dialog) {
        guitest::child<QLineEdit>(dialog, "passwordEdit")->setText("First-1");
        stall = longestStall([&] { guitest::click(dialog, "addButton"); });
    });
    guitest::click(window.get(), "devAddButton");
    EXPECT_LT(stall, kStallMs) << "add and activate";
    EXPECT_EQ(server.RequestsFor(1003).size(), 1u);
    EXPECT_LT(menuStall("127.0.0.1", "删除"), kStallMs) << "删除";
}
