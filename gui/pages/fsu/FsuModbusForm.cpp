#include "FsuModbusForm.h"

#include <QSignalBlocker>

#include <cstring>

#include "ClickedComboBox.h"
#include "DeviceRegistry.h"
#include "PageKitLists.h"
#include "PageKitText.h"

namespace {

constexpr int kEntries = 8;
constexpr int kPorts = 9;
constexpr int kChannelsPerPortByte = 67;  // of the login information block
constexpr int kNameBytes = 30;
constexpr int kUnitBytes = 15;
constexpr int kDescBytes = 127;
constexpr double kRegisterLimit = 99999.999999;

QString u(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace

FsuModbusForm::FsuModbusForm(QWidget* parent) : QWidget(parent) {
    setObjectName("FsuModbusForm");
    values_.setHooks({}, [this](const Np_FsuModbusValues& v, int entry) { showValues(v, entry); });
    registers_.setHooks([this](RegisterGroup& g, int entry) { saveRegister(g, entry); },
                        [this](const RegisterGroup& g, int entry) { showRegister(g, entry); },
                        [this] { registerNumbers_.forget(); });
    ui.setupUi(this);
    registerNumbers_.setEdits(ui.regComboBox, "寄存器",
                              {{ui.regAEdit, "A值"},
                               {ui.regBEdit, "B值"},
                               {ui.regTopEdit, "上阈值"},
                               {ui.regDownEdit, "下阈值"},
                               {ui.regOffsetEdit, "报警回差"}},
                              -kRegisterLimit, kRegisterLimit, kit::EntryNumbers::Read::All);

    for (int n = 0; n < 16; ++n) {
        ui.modbusComboBox->addItem(u("设备-%1").arg(n), n);
        ui.dataTypeComboBox->addItem(u("设备-%1").arg(n), n);
    }
    kit::addCodes(ui.regTypeComboBox, {{1, "上下限"}, {2, "等于"}});
    for (ClickedComboBox* box : {ui.modbusChannelComboBox, ui.dataChannelComboBox, ui.regChannelComboBox,
                                 ui.modbusWriteChannelComboBox})
        connect(box, &ClickedComboBox::clicked, this, [box] { refillChannels(box); });
    kit::addCodes(ui.modbusFunReadComboBox, {{0, "不启用"}, {1, "0x01功能码"}, {3, "0x03功能码"}});
    kit::addCodes(
        ui.modbusFunWriteComboBox,
        {{0, "不启用"}, {5, "0x05功能码"}, {6, "0x06功能码"}, {15, "0x0F功能码"}, {16, "0x10功能码"}});
    ui.modbusFunReadComboBox->setCurrentIndex(2);
    ui.modbusFunWriteComboBox->setCurrentIndex(2);
    for (int i = 0; i < kEntries; ++i) {
        ui.dataComboBox->addItem(QString::number(i + 1), i);
        ui.regComboBox->addItem(QString::number(i + 1), i);
        ui.modbusWriteChannelBeginComboBox->addItem(QString::number(i + 1), i + 1);
    }
    auto* decimals = kit::decimalValidator(-kRegisterLimit, kRegisterLimit, 6, this);
    for (QLineEdit* edit : {ui.regAEdit, ui.regBEdit, ui.regTopEdit, ui.regDownEdit, ui.regOffsetEdit})
        edit->setValidator(decimals);
    ui.modbusRegNumSpinBox->setRange(1, kEntries);
    kit::limit(ui.modbusAddrEdit, 0, 255);
    kit::limit(ui.modbusRegStartEdit, 1, 65535);
}

FsuModbusForm::~FsuModbusForm() = default;

// ---------------------------------------------------------------- channels

void FsuModbusForm::refillChannels(QComboBox* box) {
    const int previous = box->currentIndex();
    box->clear();
    const int perPort = DeviceRegistry::instance().currentInfoBlock()[kChannelsPerPortByte];
    // The records key a channel by one byte: channels past 255 cannot be asked for.
    for (int port = 1; port <= kPorts; ++port)
        for (int k = 1; k <= perPort; ++k) {
            const int n = (port - 1) * perPort + k;
            if (n > 255) break;
            box->addItem(QString("%1-%2(%3)").arg(port).arg(k).arg(n), n);
        }
    if (previous < box->count()) box->setCurrentIndex(previous);
}

uint8_t FsuModbusForm::channel(const QComboBox* box) {
    return static_cast<uint8_t>(kit::comboData(box));
}

// ---------------------------------------------------------------- peripherals

void FsuModbusForm::on_modbusGetButton_clicked() {
    Np_FsuModbusParams rec{};
    rec.channel = channel(ui.modbusChannelComboBox);
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_FSU_GetModbusParams(h, &rec); },
        [&] {
            kit::showFlag(ui.modbusEnableCheckBox, rec.enable);
            kit::selectByIndex(ui.modbusComboBox, rec.deviceType);
            ui.modbusAddrEdit->setText(QString::number(rec.address));
            kit::selectByData(ui.modbusFunReadComboBox, rec.readFunction);
            kit::selectByData(ui.modbusFunWriteComboBox, rec.writeFunction);
            kit::showFlag(ui.modbusSendEnableCheckBox, rec.activeUpload);
            ui.modbusRegStartEdit->setText(QString::number(rec.startAddress));
            ui.modbusRegNumSpinBox->setValue(rec.dataLength);
            ui.modbusNameEdit->setText(kit::text(rec.name));
        });
}

void FsuModbusForm::on_modbusSetButton_clicked() {
    if (ui.modbusAddrEdit->text().isEmpty()) return kit::warn(this, u("外设地址不能设置为空"));
    if (ui.modbusRegStartEdit->text().isEmpty()) return kit::warn(this, u("寄存器地址不能为空"));
    kit::Fields f(this);
    Np_FsuModbusParams rec{};
    rec.startAddress = f.number<uint16_t>(ui.modbusRegStartEdit, u("寄存器起始地址"));
    rec.channel = channel(ui.modbusChannelComboBox);
    rec.enable = kit::flag(ui.modbusEnableCheckBox);
    rec.deviceType = static_cast<uint8_t>(kit::comboIndex(ui.modbusComboBox));
    rec.address = f.number<uint8_t>(ui.modbusAddrEdit, u("外设地址码"));
    rec.readFunction = static_cast<uint8_t>(kit::comboData(ui.modbusFunReadComboBox));
    rec.writeFunction = static_cast<uint8_t>(kit::comboData(ui.modbusFunWriteComboBox));
    rec.activeUpload = kit::flag(ui.modbusSendEnableCheckBox);
    rec.dataLength = static_cast<uint8_t>(ui.modbusRegNumSpinBox->value());
    kit::copyText(rec.name, ui.modbusNameEdit->text());
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_SetModbusParams(h, rec); });
}

void FsuModbusForm::on_modbusDeleteButton_clicked() {
    const uint8_t key = channel(ui.modbusChannelComboBox);
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_DeleteModbusParams(h, key); });
}

void FsuModbusForm::on_modbusClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_FSU_ClearModbusParams(h); });
}

void FsuModbusForm::on_modbusNameEdit_textEdited(const QString&) {
    kit::cutEdit(ui.modbusNameEdit, kNameBytes);
}

// ---------------------------------------------------------------- live values

void FsuModbusForm::on_dataGetButton_clicked() {
    Np_FsuModbusValues rec{};
    rec.channel = channel(ui.dataChannelComboBox);
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_FSU_GetModbusData(h, &rec); },
        [&] {
            kit::selectByIndex(ui.dataTypeComboBox, rec.deviceType);
            values_.take(rec, 0);
            {
                const QSignalBlocker blocker(ui.dataComboBox);
                ui.dataComboBox->setCurrentIndex(0);
            }
            ui.dataLenEdit->setText(QString::number(rec.validLength));
            kit::showFlag(ui.dataOnlineCheckBox, rec.online);
        });
}

void FsuModbusForm::on_dataComboBox_currentIndexChanged(int index) {
    if (index >= 0) values_.select(index);
}

void FsuModbusForm::showValues(const Np_FsuModbusValues& v, int entry) {
    if (entry < 0 || entry >= kEntries) return;
    ui.dataEdit->setText(kit::floatText(kit::loadFloat(KIT_CFIELD(v, values) + 4 * entry)));
    ui.dataNameEdit->setText(kit::text(v.names[entry]));
    ui.dataUnitEdit->setText(kit::text(v.units[entry]));
}

// ---------------------------------------------------------------- value writes

void FsuModbusForm::on_modbusWriteButton_clicked() {
    kit::Fields f(this);
    Np_FsuModbusWrite rec{};
    rec.channel = channel(ui.modbusWriteChannelComboBox);
    rec.writeFunction = static_cast<uint8_t>(kit::comboData(ui.modbusWriteChannelBeginComboBox));
    const std::vector<unsigned> values =
        kit::checkedList(f, ui.modbusWriteEdit->toPlainText(), u("数据"), kEntries, 65535);
    if (!f.ok()) return;
    for (size_t i = 0; i < values.size(); ++i)
        kit::store<uint16_t>(KIT_FIELD(rec, values) + 2 * i, static_cast<uint16_t>(values[i]));
    rec.count = static_cast<uint8_t>(values.size());
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_SetModbusData(h, rec); });
}

// ---------------------------------------------------------------- register group

void FsuModbusForm::saveRegister(RegisterGroup& g, int i) {
    if (i < 0 || i >= kEntries) return;
    Np_FsuRegisterParams& p = g.params;
    const auto storeNumber = [&](unsigned char* field, const QLineEdit* edit) {
        if (registerNumbers_.leave(i, edit))
            kit::storeFloat(field, static_cast<float>(kit::toDouble(edit->text())));
    };
    storeNumber(KIT_FIELD(p, valueA) + 4 * i, ui.regAEdit);
    storeNumber(KIT_FIELD(p, valueB) + 4 * i, ui.regBEdit);
    storeNumber(KIT_FIELD(p, upperThreshold) + 4 * i, ui.regTopEdit);
    storeNumber(KIT_FIELD(p, lowerThreshold) + 4 * i, ui.regDownEdit);
    storeNumber(KIT_FIELD(p, hysteresis) + 4 * i, ui.regOffsetEdit);
    p.upperEnabled[i] = kit::flag(ui.regTopCheckBox);
    p.lowerEnabled[i] = kit::flag(ui.regDownCheckBox);
    p.thresholdType[i] = static_cast<uint8_t>(kit::comboData(ui.regTypeComboBox));
    kit::copyText(p.name[i], ui.regNameEdit->text());
    kit::copyText(p.unit[i], ui.regUnitEdit->text());
    kit::copyText(g.desc.desc[i], ui.regDescEdit->toPlainText());
    if (descTouched_) g.descEdited = 1;
    descTouched_ = false;
}

void FsuModbusForm::showRegister(const RegisterGroup& g, int i) {
    if (i < 0 || i >= kEntries) return;
    const Np_FsuRegisterParams& p = g.params;
    ui.regAEdit->setText(kit::floatText(kit::loadFloat(KIT_CFIELD(p, valueA) + 4 * i)));
    ui.regBEdit->setText(kit::floatText(kit::loadFloat(KIT_CFIELD(p, valueB) + 4 * i)));
    ui.regTopEdit->setText(kit::floatText(kit::loadFloat(KIT_CFIELD(p, upperThreshold) + 4 * i)));
    ui.regDownEdit->setText(kit::floatText(kit::loadFloat(KIT_CFIELD(p, lowerThreshold) + 4 * i)));
    ui.regOffsetEdit->setText(kit::floatText(kit::loadFloat(KIT_CFIELD(p, hysteresis) + 4 * i)));
    kit::showFlag(ui.regTopCheckBox, p.upperEnabled[i]);
    kit::showFlag(ui.regDownCheckBox, p.lowerEnabled[i]);
    kit::selectByData(ui.regTypeComboBox, p.thresholdType[i]);
    ui.regNameEdit->setText(kit::text(p.name[i]));
    ui.regUnitEdit->setText(kit::text(p.unit[i]));
    showingRegister_ = true;
    ui.regDescEdit->setPlainText(kit::text(g.desc.desc[i]));
    showingRegister_ = false;
    descTouched_ = false;
    registerNumbers_.restore(i);
}

void FsuModbusForm::takeRegisters(const RegisterGroup& group) {
    const RegisterGroup copy = group;  // may be the table's own record
    registers_.take(copy, 0);
    const QSignalBlocker blocker(ui.regComboBox);
    ui.regComboBox->setCurrentIndex(0);
}

void FsuModbusForm::on_regComboBox_currentIndexChanged(int index) {
    if (index < 0) return;
    // A group kept from another device starts fresh for this one before the
    // next register shows, so that every register edited here is written.
    if (registers_.filled()) registers_.forWrite();
    registers_.select(index);
}

void FsuModbusForm::on_regGetButton_clicked() {
    Np_FsuRegisterParams params{};
    params.channel = channel(ui.regChannelComboBox);
    if (!kit::run(this, kit::Read.quiet(), [&](int h) { return TSL_NET_FSU_GetRegisterParams(h, &params); }))
        return;
    RegisterGroup group{};
    group.params = params;
    Np_FsuRegisterKey key{};
    key.a = params.channel;
    Np_FsuRegisterDesc desc{};
    const kit::Outcome read = kit::attempt(this, kit::Read.quiet(),
                                           [&](int h) { return TSL_NET_FSU_GetRegisterDesc(h, key, &desc); });
    if (read == kit::Outcome::Gone) return;
    const bool descRead = read == kit::Outcome::Done;
    if (descRead) {
        std::memcpy(group.desc.desc, desc.desc, sizeof desc.desc);
        group.descLoaded = 1;
    }
    takeRegisters(group);
    if (descRead) kit::showSuccess(this);
}

void FsuModbusForm::on_regSetButton_clicked() {
    kit::Fields f(this);
    registerNumbers_.check(f, registers_.shown());
    if (!f.ok()) return;

    const uint8_t key = channel(ui.regChannelComboBox);
    RegisterGroup& group = registers_.forWrite();
    const int shown = registers_.shown();
    // An empty A is a factor of 1 when written, 0 only while switching registers.
    if (shown >= 0 && ui.regAEdit->text().isEmpty())
        kit::storeFloat(KIT_FIELD(group.params, valueA) + 4 * shown, 1.0f);

    Np_FsuRegisterParams params{};
    std::memcpy(KIT_FIELD(params, valueA), KIT_CFIELD(group.params, valueA),
                offsetof(Np_FsuRegisterParams, reserved) - offsetof(Np_FsuRegisterParams, valueA));
    params.channel = key;
    if (!kit::run(this, kit::Read.quiet(), [&](int h) { return TSL_NET_FSU_SetRegisterParams(h, params); }))
        return;
    if (group.descLoaded || group.descEdited) {
        Np_FsuRegisterDesc desc = group.desc;
        desc.channel = key;
        if (!kit::run(this, kit::Write.quiet(), [&](int h) { return TSL_NET_FSU_SetRegisterDesc(h, desc); }))
            return;
        group.descLoaded = 1;
    }
    takeRegisters(group);
    kit::showSuccess(this);
}

void FsuModbusForm::on_regDeleteButton_clicked() {
    const uint8_t channelKey = channel(ui.regChannelComboBox);
    if (!kit::run(this, kit::Read.quiet(),
                  [&](int h) { return TSL_NET_FSU_DeleteRegisterParams(h, channelKey); }))
        return;
    Np_FsuRegisterKey key{};
    key.a = channelKey;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_DeleteRegisterDesc(h, key); });
}

void FsuModbusForm::on_regClearButton_clicked() {
    if (!kit::confirm(this)) return;
    if (!kit::run(this, kit::Read.quiet(), [](int h) { return TSL_NET_FSU_ClearRegisterParams(h); })) return;
    kit::run(this, kit::Write, [](int h) { return TSL_NET_FSU_ClearRegisterDesc(h); });
}

void FsuModbusForm::on_regNameEdit_textEdited(const QString&) {
    kit::cutEdit(ui.regNameEdit, kNameBytes);
}

void FsuModbusForm::on_regUnitEdit_textEdited(const QString&) {
    kit::cutEdit(ui.regUnitEdit, kUnitBytes);
}

void FsuModbusForm::on_regDescEdit_textChanged() {
    kit::limitTextEdit(ui.regDescEdit, kDescBytes);
    if (!showingRegister_) descTouched_ = true;
}
