// Waiting on a slow device: the event loop keeps running, user input is held
// off, and what a page does when the reply comes is what it does without the
// delay. Also what a page, a device or a close does while a call waits, and
// the export's progress and cancel.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "FsuOtherForm.h"
#include "GuiHarness.h"
#include "LogQueryForm.h"
#include "PageKit.h"
#include "PageKitRunner.h"
#include "ShellHelpers.h"
#include "StopSignals.h"
#include "XlsxWorkbook.h"

using guitest::Box;
using guitest::child;
using guitest::GuiTest;
using guitest::SimUnit;

namespace {

using namespace std::chrono_literals;

constexpr uint32_t kLogCmd = 1041;
constexpr uint32_t kLoginCmd = 1001;
constexpr uint32_t kHeartbeatCmd = 1007;
const QString kOk = QString::fromUtf8("执行成功！");

// Serves `records` log records five a page, the head claiming `total`, each
// reply held `hold` by the device.
void serveLogs(SimUnit& unit, int records, uint32_t total, std::chrono::milliseconds hold = 0ms) {
    unit.device->SetHandler(kLogCmd, [=](const devsim::Request& r) -> std::optional<devsim::Bytes> {
        std::this_thread::sleep_for(hold);
        Np_EventQuery q{};
        std::memcpy(&q, r.plain.data(), std::min(r.plain.size(), sizeof q));
        const int page = kit::load<int32_t>(KIT_CFIELD(q, pageNo));
        Np_LogList list{};
        int32_t count = 0;
        for (int n = (page - 1) * 5; n >= 0 && n < page * 5 && n < records; ++n) {
            Np_LogInfo& rec = list.records[count++];
            std::snprintf(rec.ipAddress, sizeof rec.ipAddress, "10.0.0.%d", n % 250);
            rec.logType = 1;
            std::snprintf(rec.content, sizeof rec.content, "record %d", n);
        }
        kit::store<uint32_t>(KIT_FIELD(list, total), total);
        kit::store<uint32_t>(KIT_FIELD(list, pageNo), static_cast<uint32_t>(page));
        kit::store<int32_t>(KIT_FIELD(list, count), count);
        return devsim::StatusPayload(0, guitest::bytesOf(list));
    });
}

// Every text a page shows: edits, labels, combo boxes, check boxes, tables.
std::vector<std::string> shown(QWidget* page) {
    QStringList out;
    for (auto* w : page->findChildren<QLineEdit*>()) out << w->objectName() + "=" + w->text();
    for (auto* w : page->findChildren<QLabel*>()) out << w->objectName() + "=" + w->text();
    for (auto* w : page->findChildren<QComboBox*>()) out << w->objectName() + "=" + w->currentText();
    for (auto* w : page->findChildren<QCheckBox*>()) out << w->objectName() + (w->isChecked() ? "=1" : "=0");
    for (auto* v : page->findChildren<QAbstractItemView*>()) {
        const QAbstractItemModel* m = v->model();
        for (int r = 0; m && r < m->rowCount(); ++r)
            for (int c = 0; c < m->columnCount(); ++c) out << m->index(r, c).data().toString();
    }
    std::vector<std::string> texts;
    for (const QString& t : out) texts.push_back(t.toStdString());
    return texts;
}

// Requests that a user's action made (the heartbeat is the SDK's own).
size_t userRequests(const SimUnit& unit) {
    size_t n = 0;
    for (const devsim::Request& r : unit.server->Requests()) n += r.head.cmd != kHeartbeatCmd;
    return n;
}

// Lateness of a 10 ms timer while it runs: each gap beyond 10 ms.
class Lateness {
  public:
    Lateness() {
        clock_.start();
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            if (last_ >= 0) gaps_.push_back(now - last_ - 10);
            last_ = now;
        });
        timer_.start(10);
    }
    size_t ticks() const { return gaps_.size(); }
    qint64 p99() const {
        std::vector<qint64> g = gaps_;
        if (g.empty()) return 1 << 30;
        std::sort(g.begin(), g.end());
        return g[std::min(g.size() - 1, (g.size() * 99) / 100)];
    }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = -1;
    std::vector<qint64> gaps_;
};

bool aProgressDialogShows() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QProgressDialog*>(w) && w->isVisible()) return true;
    return false;
}

// The workbooks in a folder.
QStringList workbooks(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.xlsx")}, QDir::Files);
}

// A result box that stays open a while, as a real one does in its own loop.
struct OpenBoxPrompt : guitest::ScriptedPrompt {
    std::function<void()> whileOpen;
    void information(QWidget* parent, const QString& title, const QString& text) override {
        if (whileOpen) whileOpen();
        ScriptedPrompt::information(parent, title, text);
    }
};

bool sameBoxes(const std::vector<Box>& a, const std::vector<Box>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].kind != b[i].kind || a[i].title != b[i].title || a[i].text != b[i].text) return false;
    return true;
}

struct OperationCase {
    const char* name;
    int type;
    std::function<QWidget*()> makePage;
    const char* button;
    const char* other;  // a button of the same page that the user presses during the wait
    uint32_t cmd;
    std::deque<bool> answers;
    devsim::Fault fault;  // the device's answer, held 2 s in the second run
};

std::vector<OperationCase> operationCases() {
    auto logPage = [] { return static_cast<QWidget*>(new LogQueryForm); };
    auto fsuPage = [] { return static_cast<QWidget*>(new FsuOtherForm); };
    return {
        {"Read", 100, logPage, "queryButton", "logClearButton", kLogCmd, {}, {}},
        {"Write", 102, fsuPage, "alarm17ControlButton", "mapClearButton", 4043, {}, {}},
        {"ClearAfterConfirmation", 100, logPage, "logClearButton", "queryButton", 1040, {true}, {}},
        {"Failure",
         100,
         logPage,
         "queryButton",
         "logClearButton",
         kLogCmd,
         {},
         {devsim::Fault::ResultCode, 4}},
    };
}

void PrintTo(const OperationCase& c, std::ostream* os) {
    *os << c.name;
}

class SlowDevice : public GuiTest, public ::testing::WithParamInterface<OperationCase> {};

}  // namespace

// The same press twice: once answered at once, once held 2 s by the device.
// While it waits, the event loop keeps its pace and a press of another button
// starts nothing; afterwards boxes, widgets and the bytes sent are the same.
TEST_P(SlowDevice, AHeldReplyKeepsTheLoopRunningAndEndsAsAPromptOne) {
    const OperationCase& c = GetParam();
    SimUnit& unit = addDevice(c.type);
    serveLogs(unit, 7, 7);

    std::unique_ptr<QWidget> prompt1(c.makePage());
    prompt1->show();
    devsim::Fault fault = c.fault;
    if (fault.kind != devsim::Fault::None) unit.device->SetFault(c.cmd, fault);
    prompt.answers = c.answers;
    guitest::click(prompt1.get(), c.button);
    const std::vector<Box> promptBoxes = prompt.takeAll();
    const std::vector<std::string> promptShown = shown(prompt1.get());
    const devsim::Bytes promptSent = unit.lastPayload(c.cmd);
    ASSERT_FALSE(promptBoxes.empty());

    std::unique_ptr<QWidget> page(c.makePage());
    page->show();
    fault.delay = 2000ms;
    unit.device->SetFault(c.cmd, fault);
    prompt.answers = c.answers;
    const size_t before = userRequests(unit);
    size_t boxesDuringWait = 0;
    size_t requestsDuringWait = 0;
    QTimer::singleShot(300, [&] {
        QTest::mouseClick(child<QPushButton>(page.get(), c.other), Qt::LeftButton);
        boxesDuringWait = prompt.boxes.size() - c.answers.size();
        requestsDuringWait = userRequests(unit) - before;
    });
    Lateness lateness;
    QElapsedTimer took;
    took.start();
    guitest::click(page.get(), c.button);

    EXPECT_GE(took.elapsed(), 1900);
    EXPECT_GE(lateness.ticks(), 50u);
    EXPECT_LT(lateness.p99(), 100);
    EXPECT_EQ(boxesDuringWait, 0u);
    EXPECT_EQ(requestsDuringWait, 1u) << "only the waiting call's request";
    EXPECT_TRUE(sameBoxes(prompt.takeAll(), promptBoxes));
    EXPECT_EQ(shown(page.get()), promptShown);
    EXPECT_EQ(unit.lastPayload(c.cmd), promptSent);

    // The press held off during the wait is one that works outside it.
    unit.device->ClearFaults();
    prompt.answers = {false};
    QTest::mouseClick(child<QPushButton>(page.get(), c.other), Qt::LeftButton);
    EXPECT_FALSE(prompt.takeAll().empty());
    prompt.answers.clear();
}

INSTANTIATE_TEST_SUITE_P(OperationKinds, SlowDevice, ::testing::ValuesIn(operationCases()),
                         [](const ::testing::TestParamInfo<OperationCase>& i) { return i.param.name; });

TEST_F(GuiTest, APageDeletedOrADeviceSwitchedDuringAWaitGetsNothingADroppedOneItsAnswer) {
    SimUnit& a = addDevice(100, "a");
    SimUnit& b = addDevice(100, "b", true, false);
    serveLogs(a, 7, 7);
    serveLogs(b, 7, 7);
    a.device->SetFault(kLogCmd, {devsim::Fault::None, 0, 700ms});

    // Deleted: the reply finds no page and shows no box.
    auto* page = new LogQueryForm;
    QPointer<LogQueryForm> alive(page);
    QTimer::singleShot(100, [page] { delete page; });
    guitest::click(page, "queryButton");
    EXPECT_TRUE(alive.isNull());
    EXPECT_TRUE(prompt.takeAll().empty());

    // Switched: the first device's page goes unfilled, the second is not asked.
    LogQueryForm kept;
    const std::vector<std::string> before = shown(&kept);
    QTimer::singleShot(100, [] { DeviceRegistry::instance().setCurrent("b"); });
    guitest::click(&kept, "queryButton");
    EXPECT_TRUE(prompt.takeAll().empty());
    EXPECT_EQ(shown(&kept), before);
    EXPECT_EQ(b.count(kLogCmd), 0u);

    // Dropped meanwhile: still the device the call went to, so its answer shows.
    b.device->SetFault(kLogCmd, {devsim::Fault::None, 0, 700ms});
    QTimer::singleShot(100, [] { DeviceRegistry::instance().setHandle("b", 0); });
    guitest::click(&kept, "queryButton");
    EXPECT_EQ(prompt.take().text, kOk);
    EXPECT_NE(shown(&kept), before);
}

class ExportProgress : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        page = std::make_unique<LogQueryForm>();
        page->show();
    }
    void TearDown() override {
        kit::Progress::watch(nullptr);
        page.reset();
        GuiTest::TearDown();
    }
    QString file(const std::string& device) const {
        return path(QString::fromStdString(device) + "_" + QString::number(clock.seconds) + "_log.xlsx");
    }
    // Every value the bar shows, with its maximum; presses cancel at `cancelAt`.
    void watch(int cancelAt = -1) {
        kit::Progress::watch([this, cancelAt](kit::Progress& p) {
            QProgressDialog* dialog = p.dialog();
            auto* bar = dialog->findChild<QProgressBar*>();
            QObject::connect(bar, &QProgressBar::valueChanged, dialog, [this, dialog, bar, cancelAt](int v) {
                values.push_back(v);
                maximum = bar->maximum();
                if (v != cancelAt) return;
                requestsAtCancel = units.front()->count(kLogCmd);
                QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
            });
        });
    }
    QByteArray bytes(const QString& name) {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    std::unique_ptr<LogQueryForm> page;
    std::vector<int> values;
    int maximum = -1;
    size_t requestsAtCancel = 0;
};

TEST_F(ExportProgress, ProgressReachesTheEndAndCancelWritesNothing) {
    SimUnit& unit = addDevice(100, "door");
    serveLogs(unit, 12, 12);
    watch();
    guitest::click(page.get(), "exportButton");
    EXPECT_EQ(prompt.take().text, kOk);
    EXPECT_EQ(maximum, 3);
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values.back(), 3);
    const QByteArray written = bytes(file("door"));
    ASSERT_FALSE(written.isEmpty());

    // Cancelled at page 3 of 40: nothing after the page in flight, no box,
    // the workbook as it was.
    serveLogs(unit, 200, 200, 20ms);
    watch(3);
    guitest::click(page.get(), "exportButton");
    EXPECT_TRUE(prompt.takeAll().empty());
    EXPECT_GT(requestsAtCancel, 0u);
    EXPECT_LE(unit.count(kLogCmd), requestsAtCancel + 1);
    EXPECT_EQ(bytes(file("door")), written);

    // ... and where there was none, there is none.
    ++clock.seconds;
    requestsAtCancel = 0;
    guitest::click(page.get(), "exportButton");
    EXPECT_TRUE(prompt.takeAll().empty());
    EXPECT_GT(requestsAtCancel, 0u);
    EXPECT_FALSE(QFile::exists(file("door")));
}

TEST_F(ExportProgress, AClaimPastAWorksheetIsRefusedAfterOneRequest) {
    SimUnit& unit = addDevice(100, "door");
    serveLogs(unit, 1 << 30, 0x7fffffff);
    guitest::click(page.get(), "exportButton");
    const Box box = prompt.take();
    EXPECT_EQ(box.kind, Prompt::Warning);
    EXPECT_EQ(box.text, kit::failureText(xlsx::kFileError, kit::FailText::Write));
    EXPECT_EQ(unit.count(kLogCmd), 1u);
    EXPECT_FALSE(QFile::exists(file("door")));
}

TEST_F(ExportProgress, EscapeCancelsAsTheButtonDoes) {
    SimUnit& unit = addDevice(100, "door");
    serveLogs(unit, 200, 200, 20ms);
    kit::Progress::watch([this](kit::Progress& p) {
        QProgressDialog* dialog = p.dialog();
        auto* bar = dialog->findChild<QProgressBar*>();
        QObject::connect(bar, &QProgressBar::valueChanged, dialog, [this, dialog](int v) {
            if (v != 20) return;  // past the dialog's showing
            requestsAtCancel = units.front()->count(kLogCmd);
            QApplication::setActiveWindow(dialog);
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
    });
    guitest::click(page.get(), "exportButton");
    EXPECT_TRUE(prompt.takeAll().empty());
    EXPECT_GT(requestsAtCancel, 0u);
    EXPECT_LE(unit.count(kLogCmd), requestsAtCancel + 1);
    EXPECT_TRUE(workbooks(path(".")).isEmpty());
}

// The result box of a quick export opens after the dialog has gone: neither
// its own show timer nor ours brings it up over the box.
TEST_F(ExportProgress, AQuickExportLeavesNoDialogBehind) {
    SimUnit& unit = addDevice(100, "door");
    serveLogs(unit, 12, 12);
    QPointer<QProgressDialog> dialog;
    kit::Progress::watch([&dialog](kit::Progress& p) {
        dialog = p.dialog();
        dialog->findChild<QProgressBar*>()->setValue(0);
        dialog->setMinimumDuration(50);  // its own timer, 4 s unless told
    });
    OpenBoxPrompt box;
    bool leftBehind = true;
    bool cameUp = true;
    box.whileOpen = [&] {
        leftBehind = !dialog.isNull();
        cameUp = guitest::waitFor(aProgressDialogShows, 400);
    };
    Prompt::install(&box);
    guitest::click(page.get(), "exportButton");
    Prompt::install(&prompt);
    EXPECT_EQ(box.take().text, kOk);
    EXPECT_FALSE(leftBehind);
    EXPECT_FALSE(cameUp);
}

// A device that drops during an export is still the device the export went
// to: its failure shows, and nothing is written.
TEST_F(ExportProgress, ADropShowsItsFailureAndWritesNothing) {
    SimUnit& unit = addDevice(100, "door");
    serveLogs(unit, 200, 200, 20ms);
    // The device's answers fail from now on, and the disconnect road has
    // taken its handle (a closed connection ends the same way, only after
    // the call's timeout).
    QTimer::singleShot(150, [&unit] {
        unit.device->SetFault(kLogCmd, {devsim::Fault::ResultCode, 4});
        DeviceRegistry::instance().setHandle("door", 0);
    });
    guitest::click(page.get(), "exportButton");
    const Box box = prompt.take();
    EXPECT_EQ(box.kind, Prompt::Warning);
    EXPECT_TRUE(box.text.startsWith(QString::fromUtf8("执行失败！ret = -"))) << box.text.toStdString();
    EXPECT_LT(unit.count(kLogCmd), 40u);
    EXPECT_TRUE(workbooks(path(".")).isEmpty());
}

// The page goes during its export: the work stops at its next page and
// touches nothing of it (the sanitizers see any write into the page).
TEST_F(GuiTest, APageDeletedDuringItsExportStopsItWithNothingWritten) {
    SimUnit& unit = addDevice(100, "door");
    serveLogs(unit, 200, 200, 20ms);
    auto* page = new LogQueryForm;
    page->show();
    size_t requestsAtDelete = 0;
    QTimer::singleShot(150, [page, &unit, &requestsAtDelete] {
        requestsAtDelete = unit.count(kLogCmd);
        delete page;
    });
    guitest::click(page, "exportButton");
    EXPECT_TRUE(prompt.takeAll().empty());
    EXPECT_GT(requestsAtDelete, 0u);
    EXPECT_LE(unit.count(kLogCmd), requestsAtDelete + 1);
    EXPECT_TRUE(workbooks(path(".")).isEmpty());
}

// Key presses and input-method text reach no edit while a call waits; the
// same reach it afterwards.
TEST_F(GuiTest, TypingDuringAWaitReachesNoEdit) {
    SimUnit& unit = addDevice(100, "door");
    serveLogs(unit, 7, 7, 500ms);
    LogQueryForm page;
    page.show();
    auto* edit = child<QLineEdit>(&page, "pageEdit");
    auto type = [edit] {
        QTest::keyClicks(edit, "12");
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("3"));
        QApplication::sendEvent(edit, &composed);
    };
    QString duringWait = QStringLiteral("?");
    QTimer::singleShot(100, [&] {
        type();
        duringWait = edit->text();
    });
    guitest::click(&page, "queryButton");
    EXPECT_EQ(prompt.take().text, kOk);
    EXPECT_EQ(duringWait, QString());
    type();
    EXPECT_EQ(edit->text(), QStringLiteral("123"));
}

namespace {
class ClosingWindow : public guitest::ShellTest {};
}  // namespace

// The close comes while a login waits: the login ends as it would, then the
// window closes, and the program's end writes the list.
TEST_F(ClosingWindow, ACloseDuringAWaitClosesOnceTheCallHasReturned) {
    SimUnit& unit = saved(100, "gate");
    openWindow();
    unit.device->SetFault(kLoginCmd, {devsim::Fault::None, 0, 700ms});
    bool visibleAfterLogin = false;
    QTimer::singleShot(100, [this] { window->close(); });
    menu("gate", "登录");
    visibleAfterLogin = window->isVisible();
    EXPECT_EQ(prompt.take().text, kOk);
    EXPECT_GT(handleOf("gate"), 0);
    EXPECT_TRUE(visibleAfterLogin);
    EXPECT_TRUE(guitest::waitFor([this] { return !window->isVisible(); }, 2000));

    QFile::remove(path("devices.bin"));
    window.reset();
    QFile list(path("devices.bin"));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_TRUE(list.readAll().contains("gate"));
}

// A terminate request during an export acts as the window's close: the
// export stops after the page in flight with nothing written, the program
// ends once it has, and the list is written.
TEST_F(ClosingWindow, AStopSignalDuringAnExportCancelsItAndEndsTheProgram) {
    SimUnit& unit = saved(100, "door");
    serveLogs(unit, 200, 200, 20ms);
    openWindow();
    menu("door", "登录");
    EXPECT_EQ(prompt.take().text, kOk);
    select("door");
    auto* page = window->findChild<LogQueryForm*>();
    ASSERT_NE(page, nullptr);
    bool ended = false;
    new StopSignals(window.get(), [&ended] { ended = true; });
    size_t requestsAtSignal = 0;
    QTimer::singleShot(150, [&] {
        requestsAtSignal = unit.count(kLogCmd);
        std::raise(SIGTERM);
    });
    guitest::click(page, "exportButton");
    EXPECT_TRUE(prompt.takeAll().empty());
    EXPECT_GT(requestsAtSignal, 0u);
    EXPECT_LE(unit.count(kLogCmd), requestsAtSignal + 2);
    EXPECT_TRUE(guitest::waitFor([&] { return ended; }, 2000));
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(workbooks(path(".")).isEmpty());

    QFile::remove(path("devices.bin"));
    window.reset();
    QFile list(path("devices.bin"));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_TRUE(list.readAll().contains("door"));
}
