// The unit's alarm and port page: live states of the 16 inputs and 17
// outputs, one input's or output's parameters, and the per-input alarm filter.
// The widgets are the only store.
#pragma once

#include <QWidget>

#include <vector>

#include "ui_FsuAlarmForm.h"

class FsuAlarmWidget;
class FsuInputStateWidget;
class FsuOutputStateWidget;

class FsuAlarmForm : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kInputs = 16;
    static constexpr int kOutputs = 17;

    explicit FsuAlarmForm(QWidget* parent = nullptr);
    ~FsuAlarmForm() override;

  private slots:
    void on_alarmGetButton_clicked();
    void on_alarmSetButton_clicked();
    void on_inputGetButton_clicked();
    void on_inputSetButton_clicked();
    void on_inputClearButton_clicked();
    void on_inputStateGetButton_clicked();
    void on_outputGetButton_clicked();
    void on_outputSetButton_clicked();
    void on_outputClearButton_clicked();
    void on_outputStateGetButton_clicked();
    void on_inputNameEdit_textEdited(const QString& text);
    void on_outputNameEdit_textEdited(const QString& text);

  private:
    Ui::FsuAlarmFormClass ui;
    std::vector<FsuAlarmWidget*> alarmRows_;
    std::vector<FsuInputStateWidget*> inputRows_;
    std::vector<FsuOutputStateWidget*> outputRows_;
};
