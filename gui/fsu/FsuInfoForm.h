// The page of the NTP time server's satellite location. Not built yet: an empty page at its place in the
// main window's page stack.
#pragma once

#include <QWidget>

class FsuInfoForm : public QWidget {
    Q_OBJECT
  public:
    explicit FsuInfoForm(QWidget* parent = nullptr);
    ~FsuInfoForm() override;
};
