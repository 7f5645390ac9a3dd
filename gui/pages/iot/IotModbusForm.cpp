#include "IotModbusForm.h"

#include <QSignalBlocker>

#include "PageKitEdits.h"

namespace {

const int kChannels = 8;
const int kEntries = 16;
const double kRegisterLimit = 99999.999999;

QString number(qint64 v) {
    return QString::number(v);
}

}  // namespace

IotModbusForm::IotModbusForm(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    setObjectName("IotModbusForm");
    // Hooked before the selectors get items: the first item shows entry 1 of the zeroed copies.
    data_.setHooks({}, [this](const Np_IoTModbusData& d, int entry) { showData(d, entry); });
    registers_.setHooks([this](Np_IoTRegisterParams& r, int entry) { storeRegister(r, entry); },
                        [this](const Np_IoTRegisterParams& r, int entry) { showRegister(r, entry); },
                        [this] { registerNumbers_.forget(); });
    registerNumbers_.setEdits(ui.regComboBox, "寄存器", {{ui.regAEdit, "寄存器A"}, {ui.regBEdit, "寄存器B"}},
                              -kRegisterLimit, kRegisterLimit, kit::EntryNumbers::Read::Edited);

    // Device types are their items' indexes.
    for (int n = 0; n < 16; ++n) {
        const QString text =
            n == 1 ? QString::fromUtf8("1-物联网关") : QString::fromUtf8("设备-") + number(n);
        ui.modbusComboBox->addItem(text, n);
        ui.dataTypeComboBox->addItem(text, n);
    }
    for (int n = 1; n <= kChannels; ++n) {
        for (QComboBox* box : {ui.modbusChannelComboBox, ui.dataChannelComboBox, ui.regChannelComboBox,
                               ui.modbusWriteChannelComboBox})
            box->addItem(number(n), n);
    }
    for (int code : {0, 3}) ui.modbusFunReadComboBox->addItem(number(code), code);
    for (int code : {0, 6, 16}) ui.modbusFunWriteComboBox->addItem(number(code), code);
    for (int n = 1; n <= kEntries; ++n) {
        ui.dataComboBox->addItem(number(n), n - 1);
        ui.regComboBox->addItem(number(n), n - 1);
        ui.modbusWriteChannelBeginComboBox->addItem(number(n), n);
    }
    ui.modbusTcpSpinBox->setRange(9, 255);
    ui.loraIdSpinBox->setRange(1, 255);
    ui.loraTimeSpinBox->setRange(0, 32767);
    QValidator* decimals = kit::decimalValidator(-kRegisterLimit, kRegisterLimit, 6, this);
    ui.regAEdit->setValidator(decimals);
    ui.regBEdit->setValidator(decimals);
}

IotModbusForm::~IotModbusForm() = default;

// ---------------------------------------------------------------- channel parameters

void IotModbusForm::on_modbusGetButton_clicked() {
    Np_IoTModbusParams rec{};
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.modbusChannelComboBox));
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_IoT_GetModbusParams(h, &rec); },
        [&] {
            kit::showFlag(ui.modbusEnableCheckBox, rec.enable);
            kit::selectByIndex(ui.modbusComboBox, rec.deviceType);
            ui.modbusAddrEdit->setText(number(rec.slaveAddress));
            kit::selectByData(ui.modbusFunReadComboBox, rec.readFunction);
            kit::selectByData(ui.modbusFunWriteComboBox, rec.writeFunction);
            kit::showFlag(ui.modbusSendEnableCheckBox, rec.activeUpload);
            ui.modbusRegStartEdit->setText(number(kit::load<uint16_t>(KIT_CFIELD(rec, registerStart))));
            ui.modbusRegNumEdit->setText(number(rec.registerCount));
            ui.modbusRegNameEdit->setText(kit::text(rec.name));
        });
}

void IotModbusForm::on_modbusSetButton_clicked() {
    Np_IoTModbusParams rec{};
    kit::Fields f(this);
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.modbusChannelComboBox));
    rec.slaveAddress = f.number<uint8_t>(ui.modbusAddrEdit, QString::fromUtf8("外设地址码"));
    kit::store(KIT_FIELD(rec, registerStart),
               f.number<uint16_t>(ui.modbusRegStartEdit, QString::fromUtf8("寄存器起始地址")));
    rec.registerCount = f.number<uint8_t>(ui.modbusRegNumEdit, QString::fromUtf8("寄存器数量"));
    if (!f.ok()) return;
    rec.enable = kit::flag(ui.modbusEnableCheckBox);
    rec.deviceType = static_cast<uint8_t>(kit::comboIndex(ui.modbusComboBox));
    rec.readFunction = static_cast<uint8_t>(kit::comboData(ui.modbusFunReadComboBox));
    rec.writeFunction = static_cast<uint8_t>(kit::comboData(ui.modbusFunWriteComboBox));
    rec.activeUpload = kit::flag(ui.modbusSendEnableCheckBox);
    kit::copyText(rec.name, ui.modbusRegNameEdit->text());
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_IoT_SetModbusParams(h, rec); });
}

void IotModbusForm::on_modbusDeleteButton_clicked() {
    const auto channel = static_cast<uint8_t>(kit::comboData(ui.modbusChannelComboBox));
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_IoT_DeleteModbusParams(h, channel); });
}

void IotModbusForm::on_modbusClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_IoT_ClearModbusParams(h); });
}

// ---------------------------------------------------------------- live data

void IotModbusForm::showData(const Np_IoTModbusData& d, int entry) {
    ui.dataEdit->setText(kit::floatText(kit::loadFloat(KIT_CFIELD(d, values) + entry * sizeof(float))));
    ui.dataNameEdit->setText(kit::text(d.names[entry]));
    ui.dataUnitEdit->setText(kit::text(d.units[entry]));
}

void IotModbusForm::on_dataGetButton_clicked() {
    Np_IoTModbusData rec{};
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.dataChannelComboBox));
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_IoT_GetModbusData(h, &rec); },
        [&] {
            kit::selectByIndex(ui.dataTypeComboBox, rec.deviceType);
            {
                const QSignalBlocker quiet(ui.dataComboBox);
                ui.dataComboBox->setCurrentIndex(0);
            }
            data_.take(rec, 0);
            ui.dataLenEdit->setText(number(rec.validLength));
            kit::showFlag(ui.dataOnlineCheckBox, rec.online);
        });
}

void IotModbusForm::on_dataComboBox_currentIndexChanged(int index) {
    if (index >= 0 && index < kEntries) data_.select(index);
}

void IotModbusForm::on_modbusWriteButton_clicked() {
    Np_IoTModbusWrite rec{};
    kit::Fields f(this);
    const std::vector<qint64> values =
        kit::numberList(f, ui.modbusWriteEdit->toPlainText(), kEntries, 65535, QString::fromUtf8("寄存器值"),
                        QString::fromUtf8("数据个数"));
    if (!f.ok()) return;
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.modbusWriteChannelComboBox));
    for (size_t i = 0; i < values.size(); ++i)
        kit::store(KIT_FIELD(rec, values) + i * sizeof(uint16_t), static_cast<uint16_t>(values[i]));
    rec.count = static_cast<uint8_t>(values.size());
    rec.startIndex = static_cast<uint8_t>(kit::comboData(ui.modbusWriteChannelBeginComboBox));
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_IoT_SetModbusData(h, rec); });
}

// ---------------------------------------------------------------- register tables

void IotModbusForm::showRegister(const Np_IoTRegisterParams& r, int entry) {
    kit::showFloat(ui.regAEdit, KIT_CFIELD(r, registerA) + entry * sizeof(float));
    kit::showFloat(ui.regBEdit, KIT_CFIELD(r, registerB) + entry * sizeof(float));
    kit::showText(ui.regDataNameEdit, r.names[entry], sizeof r.names[entry]);
    kit::showText(ui.regDataUnitEdit, r.units[entry], sizeof r.units[entry]);
    registerNumbers_.restore(entry);
}

void IotModbusForm::storeRegister(Np_IoTRegisterParams& r, int entry) {
    if (registerNumbers_.leave(entry, ui.regAEdit))
        kit::storeEditedFloat(KIT_FIELD(r, registerA) + entry * sizeof(float), ui.regAEdit);
    if (registerNumbers_.leave(entry, ui.regBEdit))
        kit::storeEditedFloat(KIT_FIELD(r, registerB) + entry * sizeof(float), ui.regBEdit);
    kit::copyEditedText(r.names[entry], sizeof r.names[entry], ui.regDataNameEdit);
    kit::copyEditedText(r.units[entry], sizeof r.units[entry], ui.regDataUnitEdit);
}

void IotModbusForm::showFirstRegister() {
    const QSignalBlocker quiet(ui.regComboBox);
    ui.regComboBox->setCurrentIndex(0);
}

void IotModbusForm::on_regGetButton_clicked() {
    Np_IoTRegisterParams rec{};
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.regChannelComboBox));
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_IoT_GetRegisterParams(h, &rec); },
        [&] {
            showFirstRegister();
            registers_.take(rec, 0);
        });
}

void IotModbusForm::on_regComboBox_currentIndexChanged(int index) {
    if (index >= 0 && index < kEntries) registers_.select(index);
}

void IotModbusForm::on_regSetButton_clicked() {
    kit::Fields f(this);
    registerNumbers_.check(f, registers_.shown());
    if (!f.ok()) return;
    Np_IoTRegisterParams rec = registers_.forWrite();
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.regChannelComboBox));
    std::memset(rec.reserved, 0, sizeof rec.reserved);
    // Whatever the device says, the display goes back to entry 1 (the copy keeps the edits).
    kit::attempt(
        this, kit::Write, [&](int h) { return TSL_NET_IoT_SetRegisterParams(h, rec); }, {},
        [&] {
            showFirstRegister();
            registers_.select(0);
        });
}

void IotModbusForm::on_regDeleteButton_clicked() {
    const auto channel = static_cast<uint8_t>(kit::comboData(ui.regChannelComboBox));
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_IoT_DeleteRegisterParams(h, channel); });
}

void IotModbusForm::on_regClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_IoT_ClearRegisterParams(h); });
}

// ---------------------------------------------------------------- alarm output and LoRa

void IotModbusForm::on_alarm12vGetButton_clicked() {
    Np_IoTAlarmIoInfo rec{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_IoT_GetAlarmIoInfo(h, &rec); },
        [&] {
            kit::showFlag(ui.alarm12vCheckBox, rec.output12vEnable);
            ui.modbusTcpSpinBox->setValue(rec.modbusTcpId);
            ui.loraIdSpinBox->setValue(kit::load<uint16_t>(KIT_CFIELD(rec, loraId)));
        });
}

void IotModbusForm::on_alarm12vSetButton_clicked() {
    Np_IoTAlarmIoInfo rec{};
    rec.output12vEnable = kit::flag(ui.alarm12vCheckBox);
    rec.modbusTcpId = static_cast<uint8_t>(ui.modbusTcpSpinBox->value());
    kit::store(KIT_FIELD(rec, loraId), static_cast<uint16_t>(ui.loraIdSpinBox->value()));
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_IoT_SetAlarmIoInfo(h, rec); });
}

void IotModbusForm::on_loraControlButton_clicked() {
    Np_IoTLoraControl rec{};
    rec.enable = kit::flag(ui.loraControlEnableCheckBox);
    kit::store(KIT_FIELD(rec, duration), static_cast<uint16_t>(ui.loraTimeSpinBox->value()));
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_IoT_LoraControl(h, rec); });
}
