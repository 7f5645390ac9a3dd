// Every GUI test program: offscreen, in a UTF-8 C locale, with one
// QApplication; a by-name slot that fails to connect fails the test.
#include <gtest/gtest.h>

#include <QApplication>

#include <clocale>
#include <cstdlib>

#include "GuiResources.h"

// Leaks of Qt's own start-up that outlive the QApplication (the offscreen
// platform's screen objects, font configuration caches). Our objects' leaks
// are still reported: their allocation stacks start in our code.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libqoffscreen.so\n"
           "leak:QScreen::QScreen\n"
           "leak:QPlatformScreen::QPlatformScreen\n"
           "leak:QWindowSystemInterface::handleScreenAdded\n"
           "leak:QObject::QObject\n"
           "leak:QtSharedPointer::ExternalRefCountData::getAndRef\n"
           "leak:libfontconfig.so\n";
}

namespace {
QtMessageHandler previousHandler = nullptr;

void failOnSlotWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("connectSlotsByName")) ||
        message.contains(QLatin1String("No such slot")))
        ADD_FAILURE() << "Qt: " << message.toStdString();
    if (previousHandler) previousHandler(type, context, message);
}
}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LC_ALL", "C.UTF-8", 0);
    std::setlocale(LC_ALL, "");
    testing::InitGoogleTest(&argc, argv);
    previousHandler = qInstallMessageHandler(failOnSlotWarnings);
    QApplication app(argc, argv);
    initGuiResources();
    return RUN_ALL_TESTS();
}
