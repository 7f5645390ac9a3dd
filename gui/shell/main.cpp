#include <QApplication>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>
#include <csignal>

#include "GuiResources.h"
#include "ProgramLog.h"
#include "QtTessaly.h"

namespace {
int stopPipe[2] = {-1, -1};

void onStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(stopPipe[1], &byte, 1);
}

// Ctrl-C or a terminate request closes the window as the close button does,
// so the devices are released and the list written.
void quitOnStopSignals(QApplication& app) {
    if (pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(stopPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QApplication::quit);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
}  // namespace

int main(int argc, char** argv) {
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    initGuiResources();
    quitOnStopSignals(app);
    startProgramLog();
    QtTessaly window;
    window.show();
    return app.exec();
}
