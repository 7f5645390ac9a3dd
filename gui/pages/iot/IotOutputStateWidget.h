// One output port of the state page: its number, its last read state and
// four buttons that switch it at once.
#pragma once

#include <cstdint>

#include "IotStateRow.h"

class QPushButton;

class IotOutputStateWidget : public IotStateRow {
    Q_OBJECT
  public:
    explicit IotOutputStateWidget(int port, QWidget* parent = nullptr);

    // The state as read: 0 open, 1 closed.
    void showState(int value);

  private:
    QPushButton* addAction(const char* name, const char* text, uint8_t action);

    QPushButton* closeButton_;
    QPushButton* recCloseButton_;
    QPushButton* openButton_;
    QPushButton* recOpenButton_;
};
