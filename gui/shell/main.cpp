#include <QApplication>

#include "GuiResources.h"
#include "QtTessaly.h"
#include "StopSignals.h"
#include "TslDev.h"

int main(int argc, char** argv) {
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    initGuiResources();
    TSL_NET_DEV_SetLogPath(argv[0]);
    QtTessaly window;
    new StopSignals(&window, [] { QApplication::quit(); });
    window.show();
    return app.exec();
}
