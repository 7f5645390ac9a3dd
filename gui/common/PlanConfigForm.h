// The page of week, holiday and template plans. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class PlanConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit PlanConfigForm(QWidget* parent = nullptr);
    ~PlanConfigForm() override;
};
