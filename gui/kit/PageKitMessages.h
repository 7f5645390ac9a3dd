// Page kit: operations that word their failures in texts of their own
// ("获取SN号失败！ret = %1, %2"), still with the code and its registry text.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace kit {

// `pattern` with %1 the code and %2 its registry text.
QString ownFailureText(const char* pattern, int code);

// Runs one export for the current device; any result but 0 fails with one
// warning of `pattern`; on success `fill`, then "执行成功！".
bool runOwn(QWidget* parent, const char* pattern, const std::function<int(int handle)>& call,
            const std::function<void()>& fill = {});

}  // namespace kit
