// The unit's analog page: channel parameters, the calibration table, a
// channel's current value, the serial ports and the linkage tasks. Besides
// the widgets it keeps the last calibration table read, tagged with its device.
#pragma once

#include <QWidget>

#include "PageKit.h"
#include "TslFsu.h"
#include "ui_FsuEmuForm.h"

class FsuEmuForm : public QWidget {
    Q_OBJECT
  public:
    explicit FsuEmuForm(QWidget* parent = nullptr);
    ~FsuEmuForm() override;

  private slots:
    void on_emuGetButton_clicked();
    void on_emuSetButton_clicked();
    void on_emuDeleteButton_clicked();
    void on_emuClearButton_clicked();
    void on_calibGetButton_clicked();
    void on_calibSetButton_clicked();
    void on_calibClearButton_clicked();
    void on_emuDataGetButton_clicked();
    void on_calibChannelComboBox_currentIndexChanged(int index);
    void on_emuNameEdit_textEdited(const QString& text);
    void on_emuUnitEdit_textEdited(const QString& text);
    void on_rs485GetButton_clicked();
    void on_rs485SetButton_clicked();
    void on_rs485ClearButton_clicked();
    void on_linkGetButton_clicked();
    void on_linkSetButton_clicked();
    void on_linkDeleteButton_clicked();
    void on_linkClearButton_clicked();
    void refreshDeviceIdList();

  private:
    void saveCalibration(Np_FsuAnalogCalibrateParams& table, int entry) const;
    void showCalibration(const Np_FsuAnalogCalibrateParams& table, int entry);
    void showChannelOne();

    kit::EntryTable<Np_FsuAnalogCalibrateParams> calib_;
    Ui::FsuEmuFormClass ui;
};
