// What the input and output rows of the state page share: the port number,
// its label and the state label that each read rewrites.
#pragma once

#include <QWidget>

#include "PageKit.h"

class QHBoxLayout;
class QLabel;

class IotStateRow : public QWidget {
    Q_OBJECT
  public:
    int port() const { return port_; }
    QString stateText() const;

  protected:
    // "<kind> <port>" then the state label; the row adds what follows.
    IotStateRow(const char* kind, int port, QWidget* parent);
    // A value the table does not cover reads "UNKNOWN", never the last state.
    void showState(std::initializer_list<kit::StateText> texts, int value);

    QHBoxLayout* layout_;

  private:
    int port_;
    QLabel* portLabel_;
    QLabel* stateLabel_;
};
