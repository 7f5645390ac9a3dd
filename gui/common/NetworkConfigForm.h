// The page of device name, network, RS485, time and NTP settings. Not built yet: an empty page at its place
// in the main window's page stack.
#pragma once

#include <QWidget>

class NetworkConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit NetworkConfigForm(QWidget* parent = nullptr);
    ~NetworkConfigForm() override;
};
