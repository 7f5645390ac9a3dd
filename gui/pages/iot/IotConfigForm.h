// Names and switching times of the device's 64 inputs and 64 outputs, one
// port per operation. The widgets are the only store.
#pragma once

#include <QWidget>

#include "ui_IotConfigForm.h"

class IotConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit IotConfigForm(QWidget* parent = nullptr);
    ~IotConfigForm() override;

  private Q_SLOTS:
    void on_inputGetButton_clicked();
    void on_inputSetButton_clicked();
    void on_inputClearButton_clicked();
    void on_outputGetButton_clicked();
    void on_outputSetButton_clicked();
    void on_outputClearButton_clicked();

  private:
    Ui::IotConfigFormClass ui;
};
