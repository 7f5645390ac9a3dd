// The page of rules that span doors: interlocks, anti-passback readers,
// multi-card combinations and linkage tasks.
#pragma once

#include <QWidget>

#include "TslAcc.h"
#include "ui_AccMultiConfigForm.h"

class AccMultiConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit AccMultiConfigForm(QWidget* parent = nullptr);
    ~AccMultiConfigForm() override;

  private Q_SLOTS:
    void on_lockGetButton_clicked();
    void on_lockSetButton_clicked();
    void on_lockDelButton_clicked();
    void on_lockClearButton_clicked();
    void on_antiGetButton_clicked();
    void on_antiSetButton_clicked();
    void on_antiClearButton_clicked();
    void on_cardGetButton_clicked();
    void on_cardSetButton_clicked();
    void on_cardDelButton_clicked();
    void on_cardClearButton_clicked();
    void on_linkGetButton_clicked();
    void on_linkSetButton_clicked();
    void on_linkDelButton_clicked();
    void on_linkClearButton_clicked();

  private:
    Ui::AccMultiConfigFormClass ui;
};
