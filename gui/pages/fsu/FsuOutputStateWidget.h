// The state row of one of the unit's 17 auxiliary outputs.
#pragma once

#include "FsuStateRowWidget.h"

class FsuOutputStateWidget : public FsuStateRowWidget {
    Q_OBJECT
  public:
    explicit FsuOutputStateWidget(int number, QWidget* parent = nullptr)
        : FsuStateRowWidget("输出", number, parent) {}
};
