// The unit's base page: the sixteen user accounts, IP and MAC binding and the
// base parameters. The widgets are the only store.
#pragma once

#include <QWidget>

#include "ui_FsuBaseForm.h"

class FsuUserWidget;

class FsuBaseForm : public QWidget {
    Q_OBJECT
  public:
    explicit FsuBaseForm(QWidget* parent = nullptr);
    ~FsuBaseForm() override;

  private slots:
    void on_userGetButton_clicked();
    void on_userSetButton_clicked();
    void on_ipBindGetButton_clicked();
    void on_ipBindSetButton_clicked();
    void on_ipBindClearButton_clicked();
    void on_macBindGetButton_clicked();
    void on_macBindSetButton_clicked();
    void on_macBindClearButton_clicked();
    void on_baseGetButton_clicked();
    void on_baseSetButton_clicked();
    void on_baseClearButton_clicked();

  private:
    static constexpr int kUsers = 16;

    FsuUserWidget* user(int i) const;

    Ui::FsuBaseFormClass ui;
};
