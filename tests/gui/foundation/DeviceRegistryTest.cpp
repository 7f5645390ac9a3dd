#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "GuiHarness.h"
#include "TslDev.h"

using guitest::GuiTest;

namespace {

Device record(const std::string& name, int type = 100) {
    Device d;
    d.name = name;
    d.ip = "127.0.0.1";
    d.port = 9100;
    d.type = type;
    d.username = "admin";
    d.password = "pw";
    return d;
}

// Qt's JSON parser loses the object that a key given twice replaces; some
// lists below give a key twice on purpose.
struct ParserLeaksAllowed {
#if defined(__SANITIZE_ADDRESS__)
    ParserLeaksAllowed() {
        __lsan_disable();
    }
    ~ParserLeaksAllowed() {
        __lsan_enable();
    }
#endif
};

// The registry reset onto "devices.bin" in a folder of its own; empty when
// the folder cannot be made.
QString freshList(DeviceRegistry& reg, const QString& dir) {
    reg.resetForTests();
    if (!QDir().mkpath(dir)) return QString();
    const QString list = dir + "/devices.bin";
    reg.setFilePath(list);
    return list;
}

QJsonObject savedList(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(f.readAll()).object();
}

QByteArray fileBytes(const QString& file) {
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
    return f.readAll();
}

void writeFile(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << file.toStdString();
    f.write(bytes);
}

class RegistryTest : public GuiTest {
  protected:
    DeviceRegistry& reg = DeviceRegistry::instance();
};

}  // namespace

TEST_F(RegistryTest, KeepsDevicesByNameAndTheCurrentOne) {
    EXPECT_EQ(reg.currentName(), "unknown");
    EXPECT_EQ(reg.currentHandle(), 0);
    EXPECT_EQ(reg.currentType(), 0);

    Device a = record("门禁A");
    a.handle = 42;  // never taken over from the caller
    EXPECT_EQ(reg.add(a), 0);
    EXPECT_EQ(reg.add(record("门禁A", 101)), -1);
    EXPECT_EQ(reg.handle("门禁A"), 0);
    EXPECT_EQ(reg.handle("nobody"), -1);

    Device got;
    got.name = "门禁A";
    ASSERT_EQ(reg.get(got), 0);
    EXPECT_EQ(got.type, 100) << "a duplicate leaves the first record unchanged";

    reg.setCurrent("门禁A");
    EXPECT_EQ(reg.currentName(), "门禁A");
    EXPECT_EQ(reg.setHandle("门禁A", 7), 0);
    EXPECT_EQ(reg.currentHandle(), 7);
    EXPECT_EQ(reg.currentType(), 100);
    EXPECT_EQ(reg.nameByHandle(7), "门禁A");

    // Deleting the current device leaves its name current but nothing behind it.
    EXPECT_EQ(reg.remove("门禁A"), 0);
    EXPECT_EQ(reg.remove("门禁A"), -1);
    EXPECT_EQ(reg.currentHandle(), 0);
    EXPECT_EQ(reg.currentType(), 0);
    EXPECT_EQ(reg.currentName(), "unknown");
}

TEST_F(RegistryTest, UpdateTakesOnlyWhatAUserCanEdit) {
    Device d = record("dev");
    ASSERT_EQ(reg.add(d), 0);
    reg.setHandle("dev", 5);
    Np_LoginInfo info{};
    for (int i = 0; i < 128; ++i) info.data[i] = static_cast<uint8_t>(i);
    reg.setInfoBlock("dev", info);

    // An edit dialog opened before a disconnect hands back a stale handle.
    Device edited = record("dev");
    edited.ip = "127.0.0.2";
    edited.port = 1234;
    edited.username = "u";
    edited.password = "新";
    edited.handle = 99;
    edited.type = 105;
    EXPECT_EQ(reg.update(edited), 0);
    EXPECT_EQ(reg.update(record("other")), -1);

    Device got;
    got.name = "dev";
    ASSERT_EQ(reg.get(got), 0);
    EXPECT_EQ(got.ip, "127.0.0.2");
    EXPECT_EQ(got.port, 1234);
    EXPECT_EQ(got.username, "u");
    EXPECT_EQ(got.password, "新");
    EXPECT_EQ(got.handle, 5);
    EXPECT_EQ(got.type, 100);
    EXPECT_EQ(got.infoBlock[0], 55);
    EXPECT_EQ(got.infoBlock[72], 127);
}

TEST_F(RegistryTest, ChangingTheCurrentDeviceEndsTheOldSubscription) {
    struct Case {
        int type;
        bool unsubscribes;
    };
    for (const Case c : {Case{100, true}, Case{101, true}, Case{102, true}, Case{103, false},
                         Case{104, false}, Case{105, true}}) {
        auto& unit = addDevice(c.type);
        EXPECT_EQ(unit.count(1037), 0u);
        reg.setCurrent(unit.name);  // the same device again sends nothing
        EXPECT_EQ(unit.count(1037), 0u) << c.type;
        reg.setCurrent("elsewhere-" + std::to_string(c.type));
        EXPECT_EQ(unit.count(1037), c.unsubscribes ? 1u : 0u) << c.type;
    }
}

TEST_F(RegistryTest, TheSavedListRoundTripsAndIsWrittenOnEveryChange) {
    const QString file = path("devices.bin");
    ASSERT_EQ(reg.add(record("动环 一号", 102)), 0);
    ASSERT_EQ(reg.add(record("b", 105)), 0);

    // Written at once, owner-only, in the JSON form saved lists have.
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.contains("\r\n"));
    EXPECT_EQ(f.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteOther),
              0);
    const QJsonObject top = savedList(file);
    ASSERT_EQ(top.size(), 2);
    const QJsonObject one = top.value(QString::fromUtf8("动环 一号")).toObject();
    EXPECT_EQ(one.keys(), (QStringList{"ip", "name", "password", "port", "type", "username"}));
    EXPECT_EQ(one.value("type").toInt(), 102);
    EXPECT_EQ(one.value("password").toString(), "pw");

    reg.remove("b");
    EXPECT_EQ(savedList(file).size(), 1);

    reg.resetForTests();
    reg.setFilePath(file);
    const auto loaded = reg.load();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].name, "动环 一号");
    EXPECT_EQ(loaded[0].port, 9100);
    EXPECT_EQ(loaded[0].handle, 0);
}

TEST_F(RegistryTest, MissingMembersAndDuplicateNamesLoadAsTheRulesSay) {
    QFile f(path("devices.bin"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"k1": {"name": "same", "ip": "1.2.3.4", "port": 1, "type": 100},
                "k2": {"name": "same", "port": 2, "type": 101},
                "k3": {"ip": 5}})");
    f.close();
    const auto loaded = reg.load();
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(loaded[0].ip, "1.2.3.4");
    EXPECT_EQ(loaded[2].name, "");
    EXPECT_EQ(loaded[2].ip, "") << "a member of the wrong kind reads as empty";
    EXPECT_EQ(reg.add(loaded[0]), 0);
    EXPECT_EQ(reg.add(loaded[1]), -1) << "the first in key order wins";
}

TEST_F(RegistryTest, AListThatCannotBeReadIsKeptAsideNotOverwritten) {
    struct Case {
        const char* what;
        QByteArray text;  // empty with folder set: a folder in the list's place
        bool folder;
    };
    const Case cases[] = {
        {"not JSON", "{\"half\": ", false},
        {"not an object", "[{\"name\": \"a\"}]", false},
        {"empty", "", false},
        // What will not open as a file is treated as one without read
        // permission, which root, running the tests, always has.
        {"a folder", "", true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString dir = path(QString::number(++n));
        const QString list = freshList(reg, dir);
        ASSERT_FALSE(list.isEmpty());
        if (c.folder)
            ASSERT_TRUE(QDir().mkpath(list + "/inside"));
        else
            writeFile(list, c.text);

        DeviceRegistry::LoadNote note;
        testing::internal::CaptureStderr();
        EXPECT_TRUE(reg.load(&note).empty());
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("devices.bin"), std::string::npos) << err;

        const QStringList aside = QDir(dir).entryList({"devices.bin.unreadable-*"}, QDir::AllEntries);
        ASSERT_EQ(aside.size(), 1);
        EXPECT_EQ(note.kind, DeviceRegistry::LoadNote::KeptAside);
        EXPECT_EQ(note.kept, dir + "/" + aside[0]);
        if (c.folder)
            EXPECT_TRUE(QFileInfo::exists(note.kept + "/inside"));
        else
            EXPECT_EQ(fileBytes(note.kept), c.text);

        ASSERT_EQ(reg.add(record("new")), 0);  // the next save starts a fresh list
        EXPECT_TRUE(reg.saved());
        EXPECT_EQ(savedList(list).size(), 1);
    }
}

TEST_F(RegistryTest, AListThatCanBeNeitherReadNorMovedIsNeverWritten) {
    // Present, not a file, and nothing may be renamed where it lies.
    const QString list = QStringLiteral("/proc/self/fdinfo");
    ASSERT_TRUE(QFileInfo(list).isDir());
    reg.setFilePath(list);
    DeviceRegistry::LoadNote note;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(reg.load(&note).empty());
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(note.kind, DeviceRegistry::LoadNote::LeftAlone);

    EXPECT_EQ(reg.add(record("held")), 0);
    EXPECT_FALSE(reg.saved());
    EXPECT_FALSE(reg.save());
    Device got;
    got.name = "held";
    EXPECT_EQ(reg.get(got), 0) << "the change holds for the session";
}

TEST_F(RegistryTest, RecordsTheNextWriteWouldLoseKeepTheListAside) {
    const char* good = R"("a": {"name": "a", "ip": "1.2.3.4", "port": 9100, "type": 100,
                                "username": "admin", "password": "pw"})";
    struct Case {
        const char* what;
        const char* other;  // a second member beside a good one
    };
    const Case cases[] = {
        {"no name", R"("b": {"ip": "1.2.3.4", "port": 1, "type": 100, "username": "u", "password": "p"})"},
        {"an empty name",
         R"("b": {"name": "", "ip": "1.2.3.4", "port": 1, "type": 100, "username": "u", "password": "p"})"},
        {"a second record of a name",
         R"("b": {"name": "a", "ip": "5.6.7.8", "port": 1, "type": 100, "username": "u", "password": "p"})"},
        {"a port as text",
         R"("b": {"name": "b", "ip": "1.2.3.4", "port": "9100", "type": 100, "username": "u", "password": "p"})"},
        {"a type as text",
         R"("b": {"name": "b", "ip": "1.2.3.4", "port": 1, "type": "100", "username": "u", "password": "p"})"},
        {"a port past an integer",
         R"("b": {"name": "b", "ip": "1.2.3.4", "port": 91.5, "type": 100, "username": "u", "password": "p"})"},
        {"an address as a number",
         R"("b": {"name": "b", "ip": 5, "port": 1, "type": 100, "username": "u", "password": "p"})"},
        {"an entry not an object", R"("b": "1.2.3.4")"},
        {"an unknown member", R"("b": {"name": "b", "ip": "1.2.3.4", "port": 1, "type": 100,
                                      "username": "u", "password": "p", "note": "东门"})"},
        {"a second member of a name",
         R"("a": {"name": "a", "ip": "5.6.7.8", "port": 1, "type": 100, "username": "u", "password": "p"})"},
        {"a port given twice", R"("b": {"name": "b", "ip": "1.2.3.4", "port": 1, "port": 2, "type": 100,
                                       "username": "u", "password": "p"})"},
        {"a member named apart from its record",
         R"("k": {"name": "b", "ip": "1.2.3.4", "port": 1, "type": 100, "username": "u", "password": "p"})"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString list = freshList(reg, path(QString::number(++n)));
        ASSERT_FALSE(list.isEmpty());
        const QByteArray text = QByteArray("{") + good + ",\r\n" + c.other + "}";
        writeFile(list, text);

        DeviceRegistry::LoadNote note;
        testing::internal::CaptureStderr();
        const auto loaded = [&] {
            [[maybe_unused]] const ParserLeaksAllowed allowed;
            return reg.load(&note);
        }();
        testing::internal::GetCapturedStderr();
        EXPECT_FALSE(loaded.empty()) << "what can be read is still read";
        ASSERT_EQ(note.kind, DeviceRegistry::LoadNote::KeptAside);
        EXPECT_TRUE(note.kept.startsWith(list + ".dropped-")) << note.kept.toStdString();
        EXPECT_EQ(fileBytes(note.kept), text);
        EXPECT_EQ(QFile(note.kept).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
        EXPECT_EQ(fileBytes(list), text) << "the list itself is left until a change is written";
    }

    // What the program writes, and a list written by hand in the same form,
    // are taken as they stand: nothing is kept aside.
    reg.resetForTests();
    const QString dir = path("clean");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString list = dir + "/devices.bin";
    reg.setFilePath(list);
    ASSERT_EQ(reg.add(record("动环 一号", 102)), 0);
    ASSERT_EQ(reg.add(record("b:\"1\"\\", 105)), 0);  // a colon, quotes and a backslash in a name
    for (const QByteArray& text : {fileBytes(list), QByteArray("{") + good + "}", QByteArray("{}")}) {
        writeFile(list, text);
        reg.resetForTests();
        reg.setFilePath(list);
        DeviceRegistry::LoadNote note;
        reg.load(&note);
        EXPECT_EQ(note.kind, DeviceRegistry::LoadNote::Whole) << text.toStdString();
        EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{"devices.bin"});
    }
}

TEST_F(RegistryTest, AListKeptAsideIsCopiedOnceForTheSameBytes) {
    const QString dir = path("again");
    const QString list = freshList(reg, dir);
    ASSERT_FALSE(list.isEmpty());
    const QByteArray first = R"({"a": {"name": "a", "ip": "1.2.3.4", "port": "9100", "type": 100}})";
    QByteArray other = first;
    other.replace("1.2.3.4", "1.2.3.5");  // the same size, other bytes
    auto start = [&](const QByteArray& text) {
        writeFile(list, text);
        reg.resetForTests();
        reg.setFilePath(list);
        DeviceRegistry::LoadNote note;
        testing::internal::CaptureStderr();
        reg.load(&note);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(note.kind, DeviceRegistry::LoadNote::KeptAside);
        EXPECT_NE(err.find(QFileInfo(note.kept).fileName().toStdString()), std::string::npos) << err;
        EXPECT_EQ(fileBytes(note.kept), text);
        return note.kept;
    };
    auto copies = [&] { return QDir(dir).entryList({"devices.bin.dropped-*"}, QDir::Files).size(); };

    // A list the exit could not rewrite comes up as it was.
    const QString kept = start(first);
    EXPECT_EQ(start(first), kept);
    EXPECT_EQ(copies(), 1);

    // Changed by hand meanwhile: its bytes are in no copy yet.
    const QString changed = start(other);
    EXPECT_NE(changed, kept);
    EXPECT_EQ(copies(), 2);
    EXPECT_EQ(start(first), kept);
    EXPECT_EQ(copies(), 2);
}

TEST_F(RegistryTest, AChangeThatCannotBeWrittenIsHeldAndSaidToBe) {
    ASSERT_TRUE(QDir().mkpath(path("a folder")));
    writeFile(path("a file"), "x");
    // Places no write can replace, root's neither.
    for (const QString& place : {path("a folder"), path("a file") + "/devices.bin"}) {
        SCOPED_TRACE(place.toStdString());
        reg.resetForTests();
        reg.setFilePath(place);
        EXPECT_EQ(reg.add(record("one")), 0);
        EXPECT_FALSE(reg.saved());
        EXPECT_EQ(reg.add(record("two")), 0);
        EXPECT_FALSE(reg.saved());
        Device edited = record("one");
        edited.password = "新";
        EXPECT_EQ(reg.update(edited), 0);
        EXPECT_FALSE(reg.saved());
        EXPECT_EQ(reg.remove("two"), 0);
        EXPECT_FALSE(reg.saved());
        EXPECT_EQ(reg.handle("one"), 0) << "the session goes on with the change";

        // Once the list can be written again, the next write holds it all.
        reg.setFilePath(path("devices.bin"));
        EXPECT_EQ(reg.add(record("three")), 0);
        EXPECT_TRUE(reg.saved());
        const QJsonObject top = savedList(path("devices.bin"));
        EXPECT_EQ(top.keys(), (QStringList{"one", "three"}));
        EXPECT_EQ(top.value("one").toObject().value("password").toString(), QString::fromUtf8("新"));
    }
    EXPECT_TRUE(QFileInfo(path("a folder")).isDir());
    EXPECT_EQ(fileBytes(path("a file")), "x");
}

TEST_F(RegistryTest, AKillRightAfterAChangeLosesNothing) {
    ASSERT_EQ(reg.add(record("before")), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DeviceRegistry::instance().add(record("in the child"));
        raise(SIGKILL);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    const QJsonObject top = savedList(path("devices.bin"));
    EXPECT_TRUE(top.contains("before"));
    EXPECT_TRUE(top.contains("in the child"));
}

TEST_F(RegistryTest, AWriteThatFailsAsTheProgramEndsIsSaidOnceOnStderrAndInTheLog) {
    const QString dir = path("end");
    const QString list = freshList(reg, dir);
    ASSERT_FALSE(list.isEmpty());
    ASSERT_TRUE(QDir().mkpath(list + "/inside"));  // no write replaces a folder, root's neither
    const QByteArray said = QFile::encodeName(dir + "/stderr");
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A process of its own: the SDK's log starts once per process and is
        // written out as the process ends.
        const int fd = ::open(said.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || dup2(fd, 2) < 0) _exit(10);
        TSL_NET_DEV_SetLogPath(QFile::encodeName(dir + "/prog").constData());
        DeviceRegistry& registry = DeviceRegistry::instance();
        registry.add(record("held"));
        registry.writeAtExit();  // as the window does when it goes
        std::exit(0);            // the registry's own write at exit, then the log's
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    const QByteArray what = "could not be written as the program ends";
    for (const QString& where : {dir + "/stderr", dir + "/log/Tessaly.log"}) {
        SCOPED_TRACE(where.toStdString());
        const QByteArray text = fileBytes(where);
        EXPECT_EQ(text.count(what), 1) << text.toStdString();
        EXPECT_TRUE(text.contains(QFile::encodeName(list))) << text.toStdString();
    }
    EXPECT_TRUE(QFileInfo::exists(list + "/inside"));
}

TEST(CodeTexts, StatusAndEventTexts) {
    EXPECT_EQ(DeviceRegistry::errorText(-7), "请求编码失败");
    EXPECT_EQ(DeviceRegistry::errorText(-2), "无效类型");
    EXPECT_EQ(DeviceRegistry::errorText(-1026), "设备未激活");
    EXPECT_EQ(DeviceRegistry::errorText(-1048), "阈值类型无效");
    for (int code : {0, 1, -19, -1000, -1049})
        EXPECT_EQ(DeviceRegistry::errorText(code), "UNKNOWN ERROR") << code;
    EXPECT_EQ(DeviceRegistry::eventText(1), "正常刷卡开门");
    EXPECT_EQ(DeviceRegistry::eventText(2406), "传感器离线");
    EXPECT_EQ(DeviceRegistry::eventText(74), "74");
    EXPECT_EQ(DeviceRegistry::eventText(1030), "1030");
    EXPECT_EQ(DeviceRegistry::eventText(-5), "-5");
}
