// One output port of a work mode: whether the rule drives it, how (follow or
// pulse) and to which state.
#pragma once

#include <QWidget>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;

class IotOutputWidget : public QWidget {
    Q_OBJECT
  public:
    explicit IotOutputWidget(int port, QWidget* parent = nullptr);

    int port() const { return port_; }
    void show(uint8_t enable, uint8_t action, uint8_t state);
    void read(uint8_t& enable, uint8_t& action, uint8_t& state) const;

  private:
    int port_;
    QHBoxLayout* layout_;
    QCheckBox* enableCheckBox_;
    QLabel* portLabel_;
    QComboBox* actionComboBox_;
    QComboBox* stateComboBox_;
};
