// One output port of the state page: its number, its last read state and
// four buttons that switch it at once.
#pragma once

#include <QWidget>

class QHBoxLayout;
class QLabel;
class QPushButton;

class IotOutputStateWidget : public QWidget {
    Q_OBJECT
  public:
    explicit IotOutputStateWidget(int port, QWidget* parent = nullptr);

    int port() const { return port_; }
    // The state as read: 0 open, 1 closed; any other value "UNKNOWN".
    void showState(int value);
    QString stateText() const;

  private:
    QPushButton* addAction(const char* name, const char* text, uint8_t action);

    int port_;
    QHBoxLayout* layout_;
    QLabel* portLabel_;
    QLabel* stateLabel_;
    QPushButton* closeButton_;
    QPushButton* recCloseButton_;
    QPushButton* openButton_;
    QPushButton* recOpenButton_;
};
