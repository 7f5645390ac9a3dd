#include "GuiResources.h"

#include <QtGlobal>

static void initTessalyQrc() {
    Q_INIT_RESOURCE(tessaly);
}

void initGuiResources() {
    initTessalyQrc();
}
