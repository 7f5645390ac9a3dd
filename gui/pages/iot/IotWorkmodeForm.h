// The device's ordinary work modes.
#pragma once

#include "IotWorkmodeBase.h"

class IotWorkmodeForm : public IotWorkmodeBase {
    Q_OBJECT
  public:
    explicit IotWorkmodeForm(QWidget* parent = nullptr);
    ~IotWorkmodeForm() override;
};
