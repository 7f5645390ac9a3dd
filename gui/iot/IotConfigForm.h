// The page of input and output settings. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class IotConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit IotConfigForm(QWidget* parent = nullptr);
    ~IotConfigForm() override;
};
