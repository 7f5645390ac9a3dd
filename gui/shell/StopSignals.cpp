#include "StopSignals.h"

#include <QEvent>
#include <QSocketNotifier>
#include <QWidget>

#include <fcntl.h>
#include <unistd.h>

namespace {
int stopPipe[2] = {-1, -1};

// Only what a signal handler may do: the GUI thread reads the byte.
void onStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(stopPipe[1], &byte, 1);
}
}  // namespace

StopSignals::StopSignals(QWidget* window, std::function<void()> end)
    : QObject(window), window_(window), end_(std::move(end)) {
    if (pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(stopPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { stop(); });
    window_->installEventFilter(this);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
}

StopSignals::~StopSignals() {
    if (!notifier_) return;
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
    delete notifier_;
    close(stopPipe[0]);
    close(stopPipe[1]);
    stopPipe[0] = stopPipe[1] = -1;
}

void StopSignals::stop() {
    char bytes[16];
    while (read(stopPipe[0], bytes, sizeof bytes) > 0) {
    }
    stopping_ = true;
    window_->close();
}

bool StopSignals::eventFilter(QObject* object, QEvent* event) {
    // A close kept during a wait reaches the window only once the wait has
    // ended; the program ends with it, not after the box the call may open.
    if (object == window_ && event->type() == QEvent::Close && stopping_ && end_) end_();
    return false;
}
