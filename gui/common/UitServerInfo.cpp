#include "UitServerInfo.h"

UitServerInfo::UitServerInfo(QWidget* parent) : QWidget(parent) {
    setObjectName("UitServerInfo");
}

UitServerInfo::~UitServerInfo() = default;
