// The page of week plans, holiday plans and plan templates: the numbered
// time schedules that other settings refer to by id.
#pragma once

#include <QWidget>

#include <array>

#include "TslDev.h"
#include "ui_PlanConfigForm.h"

class PlanConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit PlanConfigForm(QWidget* parent = nullptr);
    ~PlanConfigForm() override;

  private Q_SLOTS:
    void on_planGetButton_clicked();
    void on_planSetButton_clicked();
    void on_planDeleteButton_clicked();
    void on_planClearButton_clicked();
    void on_planWeekComboBox_currentIndexChanged(int index);
    void on_holidayGetButton_clicked();
    void on_holidaySetButton_clicked();
    void on_holidayDeleteButton_clicked();
    void on_holidayClearButton_clicked();
    void on_templateGetButton_clicked();
    void on_templateSetButton_clicked();
    void on_templateDeleteButton_clicked();
    void on_templateClearButton_clicked();

  private:
    static constexpr int kDays = 7;
    static constexpr int kSegments = 5;
    using SegmentEdits = std::array<QTimeEdit*, 2 * kSegments>;  // start and end of each segment

    void storeDay(int day);
    void showDay(int day);
    void showSunday();

    // The week plan on screen: every day of it, the shown one in the edits.
    Np_WeekPlan weekPlan{};
    int shownWeekday = 0;
    Ui::PlanConfigFormClass ui;
    SegmentEdits planEdits_{};
    SegmentEdits holidayEdits_{};
};
