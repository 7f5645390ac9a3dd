#include "GuiHarness.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include "TslDev.h"

namespace guitest {

void ScriptedPrompt::information(QWidget*, const QString& title, const QString& text) {
    boxes.push_back({Information, title, text});
}

void ScriptedPrompt::warning(QWidget*, const QString& title, const QString& text) {
    boxes.push_back({Warning, title, text});
}

bool ScriptedPrompt::question(QWidget*, const QString& title, const QString& text) {
    boxes.push_back({Question, title, text});
    if (answers.empty()) {
        ADD_FAILURE() << "unscripted question: " << text.toStdString();
        return false;
    }
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

QString ScriptedPrompt::nextFile(Kind kind, const QString& caption) {
    boxes.push_back({kind, caption, QString()});
    if (files.empty()) {
        ADD_FAILURE() << "unscripted file dialog: " << caption.toStdString();
        return QString();
    }
    const QString f = files.front();
    files.pop_front();
    return f;
}

QString ScriptedPrompt::openFileName(QWidget*, const QString& caption, const QString&, const QString&) {
    return nextFile(OpenFile, caption);
}

QString ScriptedPrompt::saveFileName(QWidget*, const QString& caption, const QString&, const QString&) {
    return nextFile(SaveFile, caption);
}

Box ScriptedPrompt::take() {
    EXPECT_EQ(boxes.size(), 1u) << "expected exactly one box";
    Box b = boxes.empty() ? Box{Information, QString(), QString()} : boxes.back();
    boxes.clear();
    return b;
}

std::vector<Box> ScriptedPrompt::takeAll() {
    std::vector<Box> all;
    all.swap(boxes);
    return all;
}

devsim::Bytes SimUnit::lastPayload(uint32_t cmd) const {
    const auto all = requests(cmd);
    EXPECT_FALSE(all.empty()) << "the simulator got no request " << cmd;
    return all.empty() ? devsim::Bytes{} : all.back().plain;
}

void GuiTest::SetUp() {
    ASSERT_TRUE(dir_.isValid());
    oldCwd_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    DeviceRegistry::instance().resetForTests();
    DeviceRegistry::instance().setFilePath(dir_.filePath("devices.bin"));
    Prompt::install(&prompt);
    Clock::install(&clock);
}

void GuiTest::TearDown() {
    // Leftover queued calls belong to this test's objects, already gone.
    QCoreApplication::processEvents();
    for (auto& unit : units)
        if (unit->handle > 0) TSL_NET_DEV_Logout(unit->handle);
    units.clear();
    DeviceRegistry::instance().resetForTests();
    Prompt::install(nullptr);
    Clock::install(nullptr);
    EXPECT_TRUE(prompt.answers.empty()) << "scripted answers left unused";
    EXPECT_TRUE(prompt.files.empty()) << "scripted file names left unused";
    QDir::setCurrent(oldCwd_);
}

SimUnit& GuiTest::addDevice(int type, std::string name, bool doLogin, bool makeCurrent) {
    auto unit = std::make_unique<SimUnit>();
    unit->device = std::make_shared<devsim::SimDevice>(static_cast<uint32_t>(type));
    unit->server = std::make_unique<devsim::SimServer>(unit->device);
    unit->name = name.empty() ? std::to_string(type) + "-" + std::to_string(units.size() + 1) : name;
    Device d;
    d.name = unit->name;
    d.ip = "127.0.0.1";
    d.port = unit->server->Port();
    d.type = type;
    d.username = "admin";
    d.password = "admin123";
    EXPECT_EQ(DeviceRegistry::instance().add(d), 0);
    units.push_back(std::move(unit));
    SimUnit& u = *units.back();
    if (doLogin) login(u);
    if (makeCurrent) DeviceRegistry::instance().setCurrent(u.name);
    return u;
}

void GuiTest::login(SimUnit& unit) {
    Device d;
    d.name = unit.name;
    ASSERT_EQ(DeviceRegistry::instance().get(d), 0);
    Np_LoginInfo info{};
    unit.handle =
        TSL_NET_DEV_Login(d.type, d.ip.c_str(), d.port, d.username.c_str(), d.password.c_str(), 5000, &info);
    ASSERT_GT(unit.handle, 0) << "login to the simulated device " << unit.name;
    DeviceRegistry::instance().setHandle(unit.name, unit.handle);
    DeviceRegistry::instance().setInfoBlock(unit.name, info);
}

void click(QObject* root, const char* name) {
    auto* button = child<QAbstractButton>(root, name);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled()) << name << " is disabled";
    button->click();
}

void typeInto(QLineEdit* edit, const QString& text, bool clearFirst) {
    ASSERT_NE(edit, nullptr);
    if (clearFirst) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
    }
    // One key event per character (a surrogate pair travels as one text).
    for (int i = 0; i < text.size(); ++i) {
        QString piece = text.mid(i, 1);
        if (text.at(i).isHighSurrogate() && i + 1 < text.size()) piece = text.mid(i++, 2);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, piece);
        QCoreApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, piece);
        QCoreApplication::sendEvent(edit, &release);
    }
}

bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

}  // namespace guitest
