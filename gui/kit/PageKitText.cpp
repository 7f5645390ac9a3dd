#include "PageKitText.h"

#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextEdit>

#include "PageKit.h"

namespace kit {

namespace {
const char* const kLimiting = "kitLimiting";

// Characters (a surrogate pair counts as one) that end at `pos`.
int charBefore(const QString& text, int pos) {
    if (pos >= 2 && text.at(pos - 1).isLowSurrogate() && text.at(pos - 2).isHighSurrogate()) return 2;
    return 1;
}
}  // namespace

void limitTextEdit(QTextEdit* edit, int maxBytes) {
    if (edit->property(kLimiting).toBool()) return;
    QString text = edit->toPlainText();
    if (text.toUtf8().size() <= maxBytes) return;

    int pos = edit->textCursor().position();
    if (pos > text.size()) pos = text.size();
    while (pos > 0 && text.toUtf8().size() > maxBytes) {
        const int n = charBefore(text, pos);
        text.remove(pos - n, n);
        pos -= n;
    }
    text = cutToBytes(text, maxBytes);
    if (pos > text.size()) pos = text.size();

    edit->setProperty(kLimiting, true);
    {
        const QSignalBlocker blocker(edit);
        edit->setPlainText(text);
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(pos);
        edit->setTextCursor(cursor);
    }
    edit->setProperty(kLimiting, false);
}

}  // namespace kit
