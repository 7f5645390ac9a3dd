// The page of door channels and door work modes. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class AccChannelConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit AccChannelConfigForm(QWidget* parent = nullptr);
    ~AccChannelConfigForm() override;
};
