#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <optional>
#include <string>

#include "GuiHarness.h"
#include "ProgramLog.h"

namespace {

class ProgramLog : public guitest::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        for (auto& [name, value] : saved_)
            if (const char* v = std::getenv(name)) value = v;
        home_ = path("home");
        QDir().mkpath(home_);
        setEnv("HOME", home_);
        setEnv("XDG_STATE_HOME", std::nullopt);
    }
    void TearDown() override {
        for (auto& [name, value] : saved_)
            setEnv(name, value ? QString::fromStdString(*value) : value_type());
        GuiTest::TearDown();
    }
    using value_type = std::optional<QString>;
    static void setEnv(const char* name, const value_type& value) {
        if (value)
            setenv(name, value->toLocal8Bit().constData(), 1);
        else
            unsetenv(name);
    }
    static int mode(const QString& folder) {
        struct stat st {};
        return ::stat(QFile::encodeName(folder).constData(), &st) == 0 ? st.st_mode & 07777 : -1;
    }

    QString home_;

  private:
    std::pair<const char*, std::optional<std::string>> saved_[2] = {{"HOME", {}}, {"XDG_STATE_HOME", {}}};
};

TEST_F(ProgramLog, StateFolderFollowsTheXdgRules) {
    const QString fallback = home_ + "/.local/state/QtTessaly";
    struct Case {
        const char* name;
        value_type xdg;
        QString expected;
    };
    const Case cases[] = {
        {"set", path("state"), path("state") + "/QtTessaly"},
        {"set with a trailing slash", path("state") + "/", path("state") + "/QtTessaly"},
        {"unset", std::nullopt, fallback},
        {"empty", QString(""), fallback},
        {"relative", QString("state"), fallback},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setEnv("XDG_STATE_HOME", c.xdg);
        EXPECT_EQ(c.expected, programStateFolder());
    }

    // Without a usable HOME the account's own entry names the home folder.
    const passwd* entry = getpwuid(getuid());
    ASSERT_NE(entry, nullptr);
    for (const value_type& home : {value_type(), value_type(QString("relative/home"))}) {
        setEnv("HOME", home);
        EXPECT_EQ(QDir::cleanPath(QFile::decodeName(entry->pw_dir) + "/.local/state/QtTessaly"),
                  programStateFolder());
    }
}

TEST_F(ProgramLog, GoesToTheStateFolderAndNowhereElse) {
    const QString beside = QCoreApplication::applicationDirPath() + "/log";
    const bool besideBefore = QFileInfo::exists(beside);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(startProgramLog());
    const QString file = home_ + "/.local/state/QtTessaly/log/Tessaly.log";
    EXPECT_TRUE(guitest::waitFor([&] { return QFileInfo(file).size() > 0; }, 5000));
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    QFile log(file);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readLine().startsWith("Log file created at: "));
    // Every folder the program made is the owner's only.
    for (const QString& folder : {home_ + "/.local", home_ + "/.local/state",
                                  home_ + "/.local/state/QtTessaly", home_ + "/.local/state/QtTessaly/log"})
        EXPECT_EQ(0700, mode(folder)) << folder.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("log")));
    EXPECT_EQ(besideBefore, QFileInfo::exists(beside));
}

TEST_F(ProgramLog, FolderThatCannotBeMadeMeansNoLog) {
    QFile blocker(path("state"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    setEnv("XDG_STATE_HOME", path("state"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(startProgramLog());
    EXPECT_EQ("QtTessaly: running without a log: cannot make " + path("state").toStdString() +
                  "/QtTessaly/log: Not a directory\n",
              testing::internal::GetCapturedStderr());
    // Nor does the SDK fall back to a folder of its own.
    EXPECT_EQ(QStringList({"home", "state"}),
              QDir(path("")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot));
    EXPECT_EQ(QStringList(), QDir(home_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot));
}

}  // namespace
