// The page of card-reader address and serial number. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class AccCardReadConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit AccCardReadConfigForm(QWidget* parent = nullptr);
    ~AccCardReadConfigForm() override;
};
