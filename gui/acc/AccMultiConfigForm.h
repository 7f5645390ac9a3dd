// The page of multi-lock, anti-passback, multi-card and linkage rules. Not built yet: an empty page at its
// place in the main window's page stack.
#pragma once

#include <QWidget>

class AccMultiConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit AccMultiConfigForm(QWidget* parent = nullptr);
    ~AccMultiConfigForm() override;
};
