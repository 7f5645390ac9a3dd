// The page of the settings every device shares: name and model, clock,
// network interfaces, NTP client and the two RS485 ports.
#pragma once

#include <QWidget>

#include "ui_NetworkConfigForm.h"

class QTimer;

class NetworkConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit NetworkConfigForm(QWidget* parent = nullptr);
    ~NetworkConfigForm() override;

  private Q_SLOTS:
    void on_timeGetButton_clicked();
    void on_timeSetButton_clicked();
    void on_timeSyncCheckBox_stateChanged(int state);
    void on_netGetButton_clicked();
    void on_netSetButton_clicked();
    void on_ntpGetButton_clicked();
    void on_ntpSetButton_clicked();
    void on_rs485GetButton_clicked();
    void on_rs485SetButton_clicked();
    void on_baseGetButton_clicked();
    void on_baseSetButton_clicked();
    void on_nameEdit_textEdited(const QString& text);
    void on_modelEdit_textEdited(const QString& text);

  private:
    void showClock();
    bool firstCard() const;

    QTimer* clock_;
    Ui::NetworkConfigFormClass ui;
};
