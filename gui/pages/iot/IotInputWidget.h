// One input port of a work mode: whether it takes part and the level that
// makes its condition true.
#pragma once

#include <QWidget>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;

class IotInputWidget : public QWidget {
    Q_OBJECT
  public:
    explicit IotInputWidget(int port, QWidget* parent = nullptr);

    int port() const { return port_; }
    void show(uint8_t enable, uint8_t level);
    void read(uint8_t& enable, uint8_t& level) const;

  private:
    int port_;
    QHBoxLayout* layout_;
    QCheckBox* enableCheckBox_;
    QLabel* portLabel_;
    QComboBox* levelComboBox_;
};
