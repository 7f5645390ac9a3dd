// A row of the alarm page's input or output state list: "输入3：", the port's
// name and its state text. The number is fixed at construction.
#pragma once

#include <QWidget>

class QLabel;

class FsuStateRowWidget : public QWidget {
    Q_OBJECT
  public:
    FsuStateRowWidget(const char* prefix, int number, QWidget* parent);
    ~FsuStateRowWidget() override;

    int number() const { return number_; }
    void setTexts(const QString& name, const QString& state);
    QString name() const;
    QString state() const;

  private:
    int number_;
    QLabel* nameLabel_;
    QLabel* stateLabel_;
};
