// States of the 64 inputs and 64 outputs, read in eight groups of eight
// ports, with each group's online mark; outputs are switched one by one from
// their rows or all together from the page.
#pragma once

#include <QWidget>

#include <cstdint>

#include "ui_IotStateForm.h"

class QLabel;
class QVBoxLayout;

class IotStateForm : public QWidget {
    Q_OBJECT
  public:
    explicit IotStateForm(QWidget* parent = nullptr);
    ~IotStateForm() override;

  private Q_SLOTS:
    void on_getButton_clicked();
    void on_closeButton_clicked();
    void on_openButton_clicked();
    void on_seqCloseButton_clicked();
    void on_seqOpenButton_clicked();
    void on_recCloseButton_clicked();
    void on_recOpenButton_clicked();

  private:
    void controlAll(uint8_t action);
    QLabel* groupLabel(int group) const;

    Ui::IotStateFormClass ui;
    QVBoxLayout* inputRows_ = nullptr;
    QVBoxLayout* outputRows_ = nullptr;
};
