// The page of door states, door and auxiliary output commands, the ageing
// test port and the auxiliary input/output settings.
#pragma once

#include <QWidget>

#include "TslAcc.h"
#include "ui_AccControlForm.h"

class AccControlForm : public QWidget {
    Q_OBJECT
  public:
    explicit AccControlForm(QWidget* parent = nullptr);
    ~AccControlForm() override;

  private Q_SLOTS:
    void on_stateGetButton_clicked();
    void on_controlButton_clicked();
    void on_ioControlButton_clicked();
    void on_testButton_clicked();
    void on_ioGetButton_clicked();
    void on_ioSetButton_clicked();

  private:
    Ui::AccControlFormClass ui;
};
