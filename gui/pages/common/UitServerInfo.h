// The UIT device's upstream server and fire-alarm panel manufacturer page.
#pragma once

#include <QWidget>

#include "ui_UitServerInfo.h"

class UitServerInfo : public QWidget {
    Q_OBJECT
  public:
    explicit UitServerInfo(QWidget* parent = nullptr);
    ~UitServerInfo() override;

  private Q_SLOTS:
    void on_serverGetButton_clicked();
    void on_serverSetButton_clicked();
    void on_serverDelButton_clicked();
    void on_manufGetButton_clicked();
    void on_manufSetButton_clicked();
    void on_manufDelButton_clicked();

  private:
    Ui::uitServerInfo ui;
};
