// The page of cards and card groups. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class AccCardConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit AccCardConfigForm(QWidget* parent = nullptr);
    ~AccCardConfigForm() override;
};
