// What the two work-mode pages share: one form, 64 input and 64 output rows,
// and the four operations on one work mode by id. A page differs only in the
// exports it calls (and in the form of its delete request).
#pragma once

#include <QWidget>

#include <cstdint>

#include "TslIoT.h"
#include "ui_IotWorkmodeForm.h"

class QVBoxLayout;

struct IotWorkmodeCalls {
    int (*get)(int handle, Np_IoTWorkModeParams* params);
    int (*set)(int handle, Np_IoTWorkModeParams params);
    int (*remove)(int handle, uint8_t workModeId);
    int (*clear)(int handle);
};

class IotWorkmodeBase : public QWidget {
    Q_OBJECT
  protected:
    IotWorkmodeBase(const IotWorkmodeCalls& calls, const char* pageName, QWidget* parent);
    ~IotWorkmodeBase() override;

  private Q_SLOTS:
    void on_getButton_clicked();
    void on_setButton_clicked();
    void on_deleteButton_clicked();
    void on_clearButton_clicked();

  private:
    void show(const Np_IoTWorkModeParams& rec);
    void read(Np_IoTWorkModeParams& rec) const;

    Ui::IotWorkmodeFormClass ui;
    IotWorkmodeCalls calls_;
    QVBoxLayout* inputRows_ = nullptr;
    QVBoxLayout* outputRows_ = nullptr;
};
