// A combo box that says when the left button goes down on it, before it opens
// its list, so that its page can refill the items from the device first.
#pragma once

#include <QComboBox>

class ClickedComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit ClickedComboBox(QWidget* parent = nullptr);

  Q_SIGNALS:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};
