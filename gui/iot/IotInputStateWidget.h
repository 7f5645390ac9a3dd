// One input port of the state page: its number and its last read level.
#pragma once

#include <QWidget>

class QHBoxLayout;
class QLabel;

class IotInputStateWidget : public QWidget {
    Q_OBJECT
  public:
    explicit IotInputStateWidget(int port, QWidget* parent = nullptr);

    int port() const { return port_; }
    // The level as read: 0 low, 1 normal, 2 high; any other value "UNKNOWN".
    void showState(int value);
    QString stateText() const;

  private:
    int port_;
    QHBoxLayout* layout_;
    QLabel* portLabel_;
    QLabel* stateLabel_;
};
