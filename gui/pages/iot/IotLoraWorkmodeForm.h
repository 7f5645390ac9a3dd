// The device's LoRa work modes: the ordinary page's form and rows, with the
// LoRa exports.
#pragma once

#include "IotWorkmodeBase.h"

class IotLoraWorkmodeForm : public IotWorkmodeBase {
    Q_OBJECT
  public:
    explicit IotLoraWorkmodeForm(QWidget* parent = nullptr);
    ~IotLoraWorkmodeForm() override;
};
