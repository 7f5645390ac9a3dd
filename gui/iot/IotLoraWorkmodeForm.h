// The page of LoRa work modes. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class IotLoraWorkmodeForm : public QWidget {
    Q_OBJECT
  public:
    explicit IotLoraWorkmodeForm(QWidget* parent = nullptr);
    ~IotLoraWorkmodeForm() override;
};
