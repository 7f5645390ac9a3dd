// The Modbus page of a monitoring unit: the peripheral on each serial-port
// channel, its live values, value writes, and the parameters and
// descriptions of its register group.
#pragma once

#include <QWidget>

#include "PageKit.h"
#include "PageKitEdits.h"
#include "TslFsu.h"
#include "ui_FsuModbusForm.h"

class QComboBox;

class FsuModbusForm : public QWidget {
    Q_OBJECT
  public:
    explicit FsuModbusForm(QWidget* parent = nullptr);
    ~FsuModbusForm() override;

  private slots:
    void on_modbusGetButton_clicked();
    void on_modbusSetButton_clicked();
    void on_modbusDeleteButton_clicked();
    void on_modbusClearButton_clicked();
    void on_modbusNameEdit_textEdited(const QString& text);

    void on_dataGetButton_clicked();
    void on_dataComboBox_currentIndexChanged(int index);

    void on_modbusWriteButton_clicked();

    void on_regGetButton_clicked();
    void on_regSetButton_clicked();
    void on_regDeleteButton_clicked();
    void on_regClearButton_clicked();
    void on_regComboBox_currentIndexChanged(int index);
    void on_regNameEdit_textEdited(const QString& text);
    void on_regUnitEdit_textEdited(const QString& text);
    void on_regDescEdit_textChanged();

  private:
    // The register group as the device keeps it (two records), and whether
    // the descriptions in it are the device's or the user's: descriptions
    // that were never read are not written over unless one was edited.
    struct RegisterGroup {
        Np_FsuRegisterParams params;
        Np_FsuRegisterDesc desc;
        uint8_t descLoaded;
        uint8_t descEdited;
    };

    void showValues(const Np_FsuModbusValues& values, int entry);
    void saveRegister(RegisterGroup& group, int entry);
    void showRegister(const RegisterGroup& group, int entry);
    // Shows register 0 of `group` as the page's new table.
    void takeRegisters(const RegisterGroup& group);
    static void refillChannels(QComboBox* box);
    static uint8_t channel(const QComboBox* box);

    Ui::FsuModbusFormClass ui;
    kit::EntryTable<Np_FsuModbusValues> values_;
    kit::EntryTable<RegisterGroup> registers_;
    kit::EntryNumbers registerNumbers_;
    bool showingRegister_ = false;
    bool descTouched_ = false;
};
