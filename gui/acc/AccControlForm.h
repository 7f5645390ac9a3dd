// The page of door and IO control and states. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class AccControlForm : public QWidget {
    Q_OBJECT
  public:
    explicit AccControlForm(QWidget* parent = nullptr);
    ~AccControlForm() override;
};
