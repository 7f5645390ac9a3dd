// The NTP server's page: where its satellite receiver is and what it sees.
// Display only; the widgets are the only store.
#pragma once

#include <QWidget>

#include "ui_FsuInfoForm.h"

class FsuInfoForm : public QWidget {
    Q_OBJECT
  public:
    explicit FsuInfoForm(QWidget* parent = nullptr);
    ~FsuInfoForm() override;

  private slots:
    void on_infoGetButton_clicked();

  private:
    Ui::FsuInfoFormClass ui;
};
