// The page of input and output states and control. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class IotStateForm : public QWidget {
    Q_OBJECT
  public:
    explicit IotStateForm(QWidget* parent = nullptr);
    ~IotStateForm() override;
};
