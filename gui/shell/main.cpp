#include <QApplication>

#include "GuiResources.h"
#include "ProgramLog.h"
#include "QtTessaly.h"
#include "StopSignals.h"

int main(int argc, char** argv) {
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    initGuiResources();
    startProgramLog();
    QtTessaly window;
    new StopSignals(&window, [] { QApplication::quit(); });
    window.show();
    return app.exec();
}
