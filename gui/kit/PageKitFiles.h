// Local files of page operations: the file dialogs (through the prompt
// seam), paths for the SDK, whole-file reads and writes.
#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

namespace kit {

constexpr int kFileNotOpened = -9;  // the registry's "文件打开失败"

// The open and save dialogs of page operations ("Select Upgrade File", no
// start folder); an empty path when the user cancels.
QString askOpenFile(QWidget* parent, const char* filter);
QString askSaveFile(QWidget* parent, const char* filter);

// A path as the SDK and the C runtime take it (the local 8-bit form).
QByteArray localPath(const QString& path);

// Writes `size` bytes as the whole file through a temporary file renamed
// into place: 0, or kFileNotOpened when the file cannot be created, written
// or put in place, and then the old file (if any) is as it was.
int saveWhole(const QString& path, const char* data, qint64 size);

enum class ReadResult { Ok, NotOpened, TooLong };
// The whole file when it is at most `limit` bytes.
ReadResult readWhole(const QString& path, qint64 limit, QByteArray& out);

}  // namespace kit
