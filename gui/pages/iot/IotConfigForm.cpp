#include "IotConfigForm.h"

#include "PageKit.h"
#include "TslIoT.h"

namespace {
const int kPorts = 64;
}

IotConfigForm::IotConfigForm(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    setObjectName("IotConfigForm");
    for (int n = 1; n <= kPorts; ++n) {
        ui.inputChannelComboBox->addItem(QString::number(n), n);
        ui.outputChannelComboBox->addItem(QString::number(n), n);
    }
    // The input type is its item's index; the items carry no data.
    for (const char* type : {"0-闭合型", "1-接2.2k型", "2-断开型"})
        ui.inputTypeComboBox->addItem(QString::fromUtf8(type));
}

IotConfigForm::~IotConfigForm() = default;

void IotConfigForm::on_inputGetButton_clicked() {
    Np_IoTInputParams rec{};
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.inputChannelComboBox));
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_IoT_GetInputParams(h, &rec); },
        [&] {
            ui.inputNameEdit->setText(kit::text(rec.name));
            ui.inputDelayTimeEdit->setText(QString::number(rec.debounceTime));
            kit::selectByIndex(ui.inputTypeComboBox, rec.inputType);
        });
}

void IotConfigForm::on_inputSetButton_clicked() {
    Np_IoTInputParams rec{};
    kit::Fields f(this);
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.inputChannelComboBox));
    rec.debounceTime = f.number<uint8_t>(ui.inputDelayTimeEdit, QString::fromUtf8("消抖时间"));
    if (!f.ok()) return;
    rec.inputType = static_cast<uint8_t>(kit::comboIndex(ui.inputTypeComboBox));
    kit::copyText(rec.name, ui.inputNameEdit->text());
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_IoT_SetInputParams(h, rec); });
}

void IotConfigForm::on_inputClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_IoT_ClearInputParams(h); });
}

void IotConfigForm::on_outputGetButton_clicked() {
    Np_IoTOutputParams rec{};
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.outputChannelComboBox));
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_IoT_GetOutputParams(h, &rec); },
        [&] {
            ui.outputNameEdit->setText(kit::text(rec.name));
            ui.outputCloseDelayTimeEdit->setText(QString::number(rec.closeDelay));
            ui.outputCloseHoldTimeEdit->setText(QString::number(rec.closeHold));
            ui.outputOpenDelayTimeEdit->setText(QString::number(rec.openDelay));
            ui.outputOpenHoldTimeEdit->setText(QString::number(rec.openHold));
        });
}

void IotConfigForm::on_outputSetButton_clicked() {
    Np_IoTOutputParams rec{};
    kit::Fields f(this);
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.outputChannelComboBox));
    rec.closeDelay = f.number<uint8_t>(ui.outputCloseDelayTimeEdit, QString::fromUtf8("闭合延时时间"));
    rec.closeHold = f.number<uint8_t>(ui.outputCloseHoldTimeEdit, QString::fromUtf8("闭合持续时间"));
    rec.openDelay = f.number<uint8_t>(ui.outputOpenDelayTimeEdit, QString::fromUtf8("断开延时时间"));
    rec.openHold = f.number<uint8_t>(ui.outputOpenHoldTimeEdit, QString::fromUtf8("断开持续时间"));
    if (!f.ok()) return;
    kit::copyText(rec.name, ui.outputNameEdit->text());
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_IoT_SetOutputParams(h, rec); });
}

void IotConfigForm::on_outputClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_IoT_ClearOutputParams(h); });
}
