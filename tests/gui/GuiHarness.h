// What every desktop-program test stands on: a scripted stand-in for every
// modal box and file dialog, a fixed clock, a fresh working folder, and
// simulated devices on 127.0.0.1 that the registry knows and is logged in to.
#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QString>
#include <QTemporaryDir>

#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DevSim.h"
#include "DeviceRegistry.h"
#include "Prompt.h"

namespace guitest {

struct Box {
    Prompt::Kind kind;
    QString title;
    QString text;
};

// Records every box; answers questions and file dialogs from its script. A
// box the script did not foresee fails the test (and answers No / cancel).
class ScriptedPrompt : public Prompt {
  public:
    std::vector<Box> boxes;
    std::deque<bool> answers;   // questions, in order
    std::deque<QString> files;  // file dialogs, in order

    void information(QWidget*, const QString& title, const QString& text) override;
    void warning(QWidget*, const QString& title, const QString& text) override;
    bool question(QWidget*, const QString& title, const QString& text) override;
    QString openFileName(QWidget*, const QString& caption, const QString&, const QString&) override;
    QString saveFileName(QWidget*, const QString& caption, const QString&, const QString&) override;

    // The one box shown since the last take(); fails unless exactly one was.
    Box take();
    // Every box since the last take(), and forget them.
    std::vector<Box> takeAll();

private:
    QString nextFile(Kind kind, const QString& caption);
};

class FixedClock : public Clock {
  public:
    qint64 seconds = 1700000000;
    qint64 secondsSinceEpoch() const override { return seconds; }
};

// A simulated device in the registry.
struct SimUnit {
    std::shared_ptr<devsim::SimDevice> device;
    std::unique_ptr<devsim::SimServer> server;
    std::string name;
    int handle = 0;

    std::vector<devsim::Request> requests(uint32_t cmd) const { return server->RequestsFor(cmd); }
    // The plain payload of the last request with `cmd`; fails when there is none.
    devsim::Bytes lastPayload(uint32_t cmd) const;
    size_t count(uint32_t cmd) const { return requests(cmd).size(); }
};

class GuiTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A simulated device of `type` added to the registry under `name`
    // (default "<type>-<n>"), logged in and made current unless told not to.
    SimUnit& addDevice(int type, std::string name = {}, bool login = true, bool makeCurrent = true);
    // Logs a unit in through the SDK and stores its handle and information block.
    void login(SimUnit& unit);
    // The path of a file in this test's working folder.
    QString path(const QString& name) const { return dir_.filePath(name); }

    ScriptedPrompt prompt;
    FixedClock clock;
    std::vector<std::unique_ptr<SimUnit>> units;

  private:
    QTemporaryDir dir_;
    QString oldCwd_;
};

// A widget below `root` by object name; fails the test when there is none.
template <class W = QWidget>
W* child(QObject* root, const char* name) {
    W* w = root->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << "no " << name;
    return w;
}
// Presses the button of that name (its clicked signal, as a user would).
void click(QObject* root, const char* name);
// Types through key events, so textEdited and its cutters run.
void typeInto(QLineEdit* edit, const QString& text, bool clearFirst = true);
// Runs queued calls (relayed callbacks) until `done` or `ms` pass.
bool waitFor(const std::function<bool()>& done, int ms = 3000);
// The bytes of a record, for byte-for-byte checks against the simulator.
template <class T>
devsim::Bytes bytesOf(const T& record) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&record);
    return devsim::Bytes(p, p + sizeof record);
}
template <class T>
T recordOf(const devsim::Bytes& bytes, size_t offset = 0) {
    T record{};
    EXPECT_GE(bytes.size(), offset + sizeof record);
    if (bytes.size() >= offset + sizeof record) std::memcpy(&record, bytes.data() + offset, sizeof record);
    return record;
}
// A record filled with a distinct value in every byte.
template <class T>
T patterned(uint8_t seed) {
    T record;
    uint8_t* p = reinterpret_cast<uint8_t*>(&record);
    for (size_t i = 0; i < sizeof record; ++i) p[i] = static_cast<uint8_t>(seed + i * 7);
    return record;
}

}  // namespace guitest
