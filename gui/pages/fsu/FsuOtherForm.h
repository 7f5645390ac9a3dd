// The monitoring unit's remaining operations: output and siren control, the
// structure file and the register maps it carries, the register table as a
// CSV file, and the clearing of the table head and the descriptions.
#pragma once

#include <QWidget>

#include <array>
#include <cstdint>

#include "ui_FsuOtherForm.h"

class FsuOtherForm : public QWidget {
    Q_OBJECT
  public:
    explicit FsuOtherForm(QWidget* parent = nullptr);
    ~FsuOtherForm() override;

  private slots:
    void on_alarmControlButton_clicked();
    void on_alarm17ControlButton_clicked();
    void on_downloadButton_clicked();
    void on_uploadButton_clicked();
    void on_mapGetButton_clicked();
    void on_mapDataSpinBox_valueChanged(int value);
    void on_mapClearButton_clicked();
    void on_modbusExportButton_clicked();
    void on_modbusImportButton_clicked();
    void on_modbusHeadClearButton_clicked();
    void on_modbusDescClearButton_clicked();

  private:
    void control(uint8_t output, const QComboBox* command);

    Ui::FsuOtherFormClass ui;
    std::array<uint16_t, 100> addresses_{};  // of the last map read
};
