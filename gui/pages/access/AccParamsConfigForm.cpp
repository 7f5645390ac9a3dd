#include "AccParamsConfigForm.h"

#include <limits>

#include "PageKit.h"

namespace {
constexpr int kDoors = 4;
constexpr double kTenths = 0.1;
constexpr double kHundredths = 0.01;
}  // namespace

AccParamsConfigForm::AccParamsConfigForm(QWidget* parent) : QWidget(parent) {
    setObjectName("AccParamsConfigForm");
    ui.setupUi(this);
    // One byte of tenths: nothing above 25.5 could reach the device intact.
    ui.vDoubleSpinBox->setDecimals(1);
    ui.vDoubleSpinBox->setRange(0.0, 25.5);
    ui.mDoubleSpinBox->setDecimals(2);
    ui.mDoubleSpinBox->setRange(0.0, 99.99);
    for (int door = 1; door <= kDoors; ++door) volumeBox(door)->setRange(1, 30);
    for (QSpinBox* box : {ui.analogFakaSpinBox, ui.analogEventSpinBox, ui.analogLogSpinBox})
        box->setRange(0, std::numeric_limits<int32_t>::max());
}

AccParamsConfigForm::~AccParamsConfigForm() = default;

QSpinBox* AccParamsConfigForm::volumeBox(int door) const {
    return findChild<QSpinBox*>(QString("door%1SoundSpinBox").arg(door));
}

void AccParamsConfigForm::on_getButton_clicked() {
    Np_AccDeviceInfo info{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_Acc_GetDeviceInfo(h, &info); },
        [&] {
            kit::showScaled(ui.vDoubleSpinBox, info.batteryLowVoltage, kTenths);
            kit::showScaled(ui.mDoubleSpinBox, info.recordAlarmPercent, kHundredths);
            kit::showFlag(ui.eCheckBox, info.emergencySwitch);
            kit::showFlag(ui.aCheckBox, info.globalAntiPassback);
            kit::showFlag(ui.iCheckBox, info.noDefaultOpen);
            kit::showFlag(ui.dCheckBox, info.offlineCentralAuth);
            kit::showFlag(ui.fCheckBox, info.defaultFireSignal);
            kit::showFlag(ui.gCheckBox, info.tamperBuzzerOff);
            kit::showFlag(ui.hCheckBox, info.motionBuzzerOff);
            for (int door = 1; door <= kDoors; ++door) volumeBox(door)->setValue(info.doorVolume[door - 1]);
            ui.analogFakaSpinBox->setValue(info.simulatedCards);
            ui.analogEventSpinBox->setValue(info.simulatedEvents);
            ui.analogLogSpinBox->setValue(info.simulatedLogs);
        });
}

void AccParamsConfigForm::on_setButton_clicked() {
    Np_AccDeviceInfo info{};
    info.emergencySwitch = kit::flag(ui.eCheckBox);
    info.batteryLowVoltage = static_cast<uint8_t>(kit::scaledValue(ui.vDoubleSpinBox, kTenths));
    info.recordAlarmPercent = static_cast<int32_t>(kit::scaledValue(ui.mDoubleSpinBox, kHundredths));
    info.globalAntiPassback = kit::flag(ui.aCheckBox);
    info.noDefaultOpen = kit::flag(ui.iCheckBox);
    for (int door = 1; door <= kDoors; ++door)
        info.doorVolume[door - 1] = static_cast<uint8_t>(volumeBox(door)->value());
    info.offlineCentralAuth = kit::flag(ui.dCheckBox);
    info.simulatedCards = ui.analogFakaSpinBox->value();
    info.simulatedEvents = ui.analogEventSpinBox->value();
    info.simulatedLogs = ui.analogLogSpinBox->value();
    info.defaultFireSignal = kit::flag(ui.fCheckBox);
    info.tamperBuzzerOff = kit::flag(ui.gCheckBox);
    info.motionBuzzerOff = kit::flag(ui.hCheckBox);
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_SetDeviceInfo(h, info); });
}

void AccParamsConfigForm::on_infoGetButton_clicked() {
    Np_AccFlashInfo info{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_Acc_GetFlashInfo(h, &info); },
        [&] {
            ui.flashSizeEdit->setText(QString::number(info.storageSize));
            ui.flashUseEdit->setText(QString::number(info.storageUsed));
            ui.cardNumEdit->setText(QString::number(info.cardCapacity));
            ui.cardUseEdit->setText(QString::number(info.cardsIssued));
            ui.eventNumEdit->setText(QString::number(info.eventCapacity));
            ui.eventUseEdit->setText(QString::number(info.eventsStored));
        });
}

void AccParamsConfigForm::on_sysInfoGetButton_clicked() {
    Np_AccSystemInfo info{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_Acc_GetSystemInfo(h, info.text); },
        [&] { ui.sysInfoTextEdit->setPlainText(kit::text(info.text)); });
}
