// The page of controller parameters, flash and system information. Not built yet: an empty page at its place
// in the main window's page stack.
#pragma once

#include <QWidget>

class AccParamsConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit AccParamsConfigForm(QWidget* parent = nullptr);
    ~AccParamsConfigForm() override;
};
