// One input port of the state page: its number and its last read level.
#pragma once

#include "IotStateRow.h"

class IotInputStateWidget : public IotStateRow {
    Q_OBJECT
  public:
    explicit IotInputStateWidget(int port, QWidget* parent = nullptr);

    // The level as read: 0 low, 1 normal, 2 high.
    void showState(int value);
};
