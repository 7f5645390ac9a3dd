// The page of work modes. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class IotWorkmodeForm : public QWidget {
    Q_OBJECT
  public:
    explicit IotWorkmodeForm(QWidget* parent = nullptr);
    ~IotWorkmodeForm() override;
};
