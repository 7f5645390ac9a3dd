// The page of analog channels, calibration, RS485 and linkage. Not built yet: an empty page at its place in
// the main window's page stack.
#pragma once

#include <QWidget>

class FsuEmuForm : public QWidget {
    Q_OBJECT
  public:
    explicit FsuEmuForm(QWidget* parent = nullptr);
    ~FsuEmuForm() override;
};
