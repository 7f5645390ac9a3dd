// The alarm filter mode of one input: "3 输入配置" and its mode combo, whose
// item position is the mode.
#pragma once

#include <QWidget>

class QComboBox;

class FsuAlarmWidget : public QWidget {
    Q_OBJECT
  public:
    explicit FsuAlarmWidget(int number, QWidget* parent = nullptr);
    ~FsuAlarmWidget() override;

    int number() const { return number_; }
    // A mode no item shows leaves no selection and is written back as it came.
    void setMode(qint64 mode);
    qint64 mode() const;
    QComboBox* comboBox() const { return combo_; }

  private:
    int number_;
    QComboBox* combo_;
};
