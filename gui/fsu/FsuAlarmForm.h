// The page of alarm filter, inputs and outputs. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class FsuAlarmForm : public QWidget {
    Q_OBJECT
  public:
    explicit FsuAlarmForm(QWidget* parent = nullptr);
    ~FsuAlarmForm() override;
};
