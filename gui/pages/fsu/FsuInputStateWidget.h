// The state row of one of the unit's 16 auxiliary inputs.
#pragma once

#include "FsuStateRowWidget.h"

class FsuInputStateWidget : public FsuStateRowWidget {
    Q_OBJECT
  public:
    explicit FsuInputStateWidget(int number, QWidget* parent = nullptr)
        : FsuStateRowWidget("输入", number, parent) {}
};
