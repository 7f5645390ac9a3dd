#include "PageKitFiles.h"

#include <QFile>
#include <QSaveFile>

#include "Prompt.h"

namespace kit {

namespace {
const char* const kCaption = "Select Upgrade File";
}

QString askOpenFile(QWidget* parent, const char* filter) {
    return Prompt::current().openFileName(parent, QString::fromLatin1(kCaption), QString(),
                                          QString::fromLatin1(filter));
}

QString askSaveFile(QWidget* parent, const char* filter) {
    return Prompt::current().saveFileName(parent, QString::fromLatin1(kCaption), QString(),
                                          QString::fromLatin1(filter));
}

QByteArray localPath(const QString& path) {
    return QFile::encodeName(path);
}

int saveWhole(const QString& path, const char* data, qint64 size) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return kFileNotOpened;
    if (size > 0 && file.write(data, size) != size) {
        file.cancelWriting();
        file.commit();  // removes the temporary file
        return kFileNotOpened;
    }
    return file.commit() ? 0 : kFileNotOpened;
}

ReadResult readWhole(const QString& path, qint64 limit, QByteArray& out) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return ReadResult::NotOpened;
    // Read one byte past the limit rather than trust size(): pipes and
    // special files report none.
    out = file.read(limit + 1);
    if (out.size() > limit) {
        out.clear();
        return ReadResult::TooLong;
    }
    return ReadResult::Ok;
}

}  // namespace kit
