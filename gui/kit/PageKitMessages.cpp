#include "PageKitMessages.h"

#include "PageKit.h"
#include "PageKitRunner.h"

namespace kit {

QString ownFailureText(const char* pattern, int code) {
    return QString::fromUtf8(pattern).arg(code).arg(errorText(code));
}

bool runOwn(QWidget* parent, const char* pattern, const std::function<int(int)>& call,
            const std::function<void()>& fill) {
    int result = 0;
    if (!callCurrent(parent, result, call)) return false;
    if (result != 0) {
        warn(parent, ownFailureText(pattern, result));
        return false;
    }
    if (fill) fill();
    showSuccess(parent);
    return true;
}

}  // namespace kit
