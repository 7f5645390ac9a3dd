#include "ProgramLog.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "TslDev.h"

namespace {

bool isAbsolute(const QString& path) {
    return path.startsWith(QLatin1Char('/'));
}

QString homeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    if (isAbsolute(home)) return home;
    // HOME unset or unusable: the account's own entry still names it.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> text(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, text.data(), text.size(), &found) != 0 || !found || !found->pw_dir)
        return QString();
    const QString dir = QFile::decodeName(found->pw_dir);
    return isAbsolute(dir) ? dir : QString();
}

// Makes every missing folder of `path` with mode 0700, as the XDG rules ask
// of the state folder; 0 once `path` is a folder this user can write, else
// the error.
int makeOwnerFolders(const QByteArray& path) {
    for (int i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        const QByteArray part = path.left(i);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST) return errno;
    }
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) return errno;
    if (!S_ISDIR(st.st_mode)) return ENOTDIR;
    if (::access(path.constData(), W_OK | X_OK) != 0) return errno;
    return 0;
}

}  // namespace

QString programStateFolder() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!isAbsolute(base)) {
        const QString home = homeFolder();
        if (home.isEmpty()) return QString();
        base = home + QLatin1String("/.local/state");
    }
    return QDir::cleanPath(base + QLatin1String("/QtTessaly"));
}

bool startProgramLog() {
    const QString state = programStateFolder();
    if (state.isEmpty()) {
        std::fprintf(stderr, "QtTessaly: running without a log: no home folder is known\n");
        return false;
    }
    const QByteArray logFolder = QFile::encodeName(state + QLatin1String("/log"));
    if (const int error = makeOwnerFolders(logFolder)) {
        std::fprintf(stderr, "QtTessaly: running without a log: cannot make %s: %s\n", logFolder.constData(),
                     std::strerror(error));
        return false;
    }
    // The SDK puts "log/Tessaly.log" in the folder of the program path it is
    // given: a path inside the state folder puts it there.
    TSL_NET_DEV_SetLogPath(QFile::encodeName(state + QLatin1String("/QtTessaly")).constData());
    return true;
}
