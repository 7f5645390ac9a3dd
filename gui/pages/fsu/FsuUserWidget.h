// One of the unit's sixteen user accounts, a tab of the base page.
#pragma once

#include <QWidget>

#include "TslFsu.h"

class QCheckBox;
class QLineEdit;

class FsuUserWidget : public QWidget {
    Q_OBJECT
  public:
    explicit FsuUserWidget(QWidget* parent = nullptr);
    ~FsuUserWidget() override;

    void setUserData(const Np_FsuUserData& user);
    // Fills name, password, valid and permissions; the caller's other bytes stay.
    void getUserData(Np_FsuUserData& user) const;

  private slots:
    void on_passwordCheckBox_stateChanged(int state);

  private:
    QLineEdit* usernameEdit_;
    QLineEdit* passwordEdit_;
    QCheckBox* validCheckBox_;
    QCheckBox* passwordCheckBox_;
    QCheckBox* configCheckBox_;
    QCheckBox* updateCheckBox_;
};
