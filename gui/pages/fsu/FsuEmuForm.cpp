#include "FsuEmuForm.h"

#include <QSignalBlocker>

#include <cfloat>
#include <cstddef>

namespace {
constexpr int kChannels = 16;
constexpr int kNameBytes = 30;
constexpr int kUnitBytes = 15;
constexpr uint32_t kLinkageIds = 0;

// Floats are checked against what the field holds, not against the typing
// limit: a value the page itself showed (100000 for 99999.999) goes back.
float decimal(kit::Fields& f, const QLineEdit* edit, const char* name) {
    return static_cast<float>(f.decimal(edit, QString::fromUtf8(name), -FLT_MAX, FLT_MAX));
}

unsigned char* calibEntry(Np_FsuAnalogCalibrateParams& table, int entry) {
    return KIT_FIELD(table, values) + sizeof(int16_t) * static_cast<size_t>(entry);
}
}  // namespace

FsuEmuForm::FsuEmuForm(QWidget* parent) : QWidget(parent) {
    // The table's hooks exist before the form: filling the channel combo
    // below already shows channel 1.
    calib_.setHooks([this](Np_FsuAnalogCalibrateParams& t, int e) { saveCalibration(t, e); },
                    [this](const Np_FsuAnalogCalibrateParams& t, int e) { showCalibration(t, e); });
    ui.setupUi(this);
    setObjectName("FsuEmuForm");

    for (int n = 1; n <= kChannels; ++n) {
        ui.emuChannelComboBox->addItem(QString::number(n), n);
        ui.emuDataChannelComboBox->addItem(QString::number(n), n);
        ui.calibChannelComboBox->addItem(QString::number(n), n);
    }
    kit::addCodes(ui.emuTypeComboBox, {{1, "电流型"}, {2, "电压型"}});

    for (int n = 1; n <= 8; ++n) ui.rs485ChannelComboBox->addItem(QString("%1-RS485").arg(n), n);
    ui.rs485ChannelComboBox->addItem("9-RS232", 9);
    kit::addItems(ui.rs485DataBitComboBox, {{"8", 8}, {"9", 9}});
    kit::addItems(ui.rs485StopBitComboBox, {{"1", 1}, {"2", 2}});
    kit::addCodes(ui.rs485CheckBitComboBox, {{0, "无校验"}, {1, "偶校验"}, {2, "奇校验"}});
    kit::addCodes(ui.linkOutputTypeComboBox, {{1, "io输出"}});
    kit::addCodes(ui.linkActionTypeComboBox, {{1, "常闭"}, {2, "常开"}, {3, "临时闭合"}, {4, "恢复"}});

    QValidator* decimals = kit::decimalValidator(-99999.999999, 99999.999999, 6, this);
    for (QLineEdit* e :
         {ui.emuRegAEdit, ui.emuRegBEdit, ui.emuRegUpperEdit, ui.emuRegLowerEdit, ui.emuRegOffsetEdit})
        e->setValidator(decimals);
    QValidator* bytes = kit::intValidator(1, 255, this);
    for (QLineEdit* e : {ui.emuTypeEdit, ui.linkInputChannelEdit, ui.linkIndexEdit, ui.linkOutputChannelEdit})
        e->setValidator(bytes);
    ui.linkEventEdit->setValidator(kit::intValidator(1, 65535, this));
    // Whole calibration values only, within their 16 bits.
    kit::limitTo<int16_t>(ui.calibValueEdit);

    ui.linkChannelComboBox->setEditable(true);
    connect(ui.linkChannelComboBox, &ClickedComboBox::clicked, this, &FsuEmuForm::refreshDeviceIdList);
}

FsuEmuForm::~FsuEmuForm() = default;

// ---------------------------------------------------------------- channel parameters

void FsuEmuForm::on_emuGetButton_clicked() {
    Np_FsuAnalogParams rec{};
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.emuChannelComboBox));
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_FSU_GetAnalogParams(h, &rec); },
        [&] {
            kit::selectByData(ui.emuTypeComboBox, rec.kind);
            ui.emuTypeEdit->setText(QString::number(rec.deviceType));
            kit::showFlag(ui.emuEnableCheckBox, rec.enabled);
            ui.emuRegAEdit->setText(kit::floatText(kit::loadFloat(KIT_CFIELD(rec, registerA))));
            ui.emuRegBEdit->setText(kit::floatText(kit::loadFloat(KIT_CFIELD(rec, registerB))));
            kit::showFlag(ui.emuRegUpperCheckBox, rec.upperEnabled);
            ui.emuRegUpperEdit->setText(kit::floatText(kit::loadFloat(KIT_CFIELD(rec, upperThreshold))));
            kit::showFlag(ui.emuRegLowerCheckBox, rec.lowerEnabled);
            ui.emuRegLowerEdit->setText(kit::floatText(kit::loadFloat(KIT_CFIELD(rec, lowerThreshold))));
            ui.emuRegOffsetEdit->setText(kit::floatText(kit::loadFloat(KIT_CFIELD(rec, offset))));
            ui.emuNameEdit->setText(kit::text(rec.name));
            ui.emuUnitEdit->setText(kit::text(rec.unit));
        });
}

void FsuEmuForm::on_emuSetButton_clicked() {
    Np_FsuAnalogParams rec{};
    kit::Fields f(this);
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.emuChannelComboBox));
    rec.kind = static_cast<uint8_t>(kit::comboData(ui.emuTypeComboBox));
    rec.deviceType = f.number<uint8_t>(ui.emuTypeEdit, QString::fromUtf8("设备类型"));
    rec.enabled = kit::flag(ui.emuEnableCheckBox);
    kit::storeFloat(KIT_FIELD(rec, registerA), decimal(f, ui.emuRegAEdit, "寄存器A值"));
    kit::storeFloat(KIT_FIELD(rec, registerB), decimal(f, ui.emuRegBEdit, "寄存器B值"));
    rec.upperEnabled = kit::flag(ui.emuRegUpperCheckBox);
    kit::storeFloat(KIT_FIELD(rec, upperThreshold), decimal(f, ui.emuRegUpperEdit, "上阈值"));
    rec.lowerEnabled = kit::flag(ui.emuRegLowerCheckBox);
    kit::storeFloat(KIT_FIELD(rec, lowerThreshold), decimal(f, ui.emuRegLowerEdit, "下阈值"));
    kit::storeFloat(KIT_FIELD(rec, offset), decimal(f, ui.emuRegOffsetEdit, "偏移值"));
    if (!f.ok()) return;
    kit::copyText(rec.name, ui.emuNameEdit->text());
    kit::copyText(rec.unit, ui.emuUnitEdit->text());
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_SetAnalogParams(h, rec); });
}

void FsuEmuForm::on_emuDeleteButton_clicked() {
    const auto channel = static_cast<uint8_t>(kit::comboData(ui.emuChannelComboBox));
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_DeleteAnalogParams(h, channel); });
}

void FsuEmuForm::on_emuClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_FSU_ClearAnalogParams(h); });
}

void FsuEmuForm::on_emuNameEdit_textEdited(const QString&) {
    kit::cutEdit(ui.emuNameEdit, kNameBytes);
}

void FsuEmuForm::on_emuUnitEdit_textEdited(const QString&) {
    kit::cutEdit(ui.emuUnitEdit, kUnitBytes);
}

// ---------------------------------------------------------------- calibration

void FsuEmuForm::saveCalibration(Np_FsuAnalogCalibrateParams& table, int entry) const {
    // The edit takes only 16-bit integers; a half-typed "-" or an empty edit is 0.
    const qint64 value = kit::toInt(ui.calibValueEdit->text());
    if (value < INT16_MIN || value > INT16_MAX) return;  // text put there past the validator
    kit::store<int16_t>(calibEntry(table, entry), static_cast<int16_t>(value));
}

void FsuEmuForm::showCalibration(const Np_FsuAnalogCalibrateParams& table, int entry) {
    if (entry < 0) return;
    const unsigned char* value = KIT_CFIELD(table, values) + sizeof(int16_t) * static_cast<size_t>(entry);
    ui.calibValueEdit->setText(QString::number(kit::load<int16_t>(value)));
}

void FsuEmuForm::on_calibChannelComboBox_currentIndexChanged(int index) {
    if (index != calib_.shown()) calib_.select(index);
}

void FsuEmuForm::showChannelOne() {
    ui.calibChannelComboBox->setCurrentIndex(-1);
    ui.calibChannelComboBox->setCurrentIndex(0);
}

void FsuEmuForm::on_calibGetButton_clicked() {
    Np_FsuAnalogCalibrateParams rec{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_FSU_GetAnalogCalibrateParams(h, &rec); },
        [&] {
            // Channel 1 shows the new table; the edit's old text is not kept.
            {
                const QSignalBlocker block(ui.calibChannelComboBox);
                ui.calibChannelComboBox->setCurrentIndex(0);
            }
            calib_.take(rec, 0);
        });
}

void FsuEmuForm::on_calibSetButton_clicked() {
    kit::Fields f(this);
    f.number<int16_t>(ui.calibValueEdit, QString::fromUtf8("校准值"));
    if (!f.ok()) return;
    // A table read from another device starts fresh here (the kit's entry
    // table): that device's values are never written to this one.
    const Np_FsuAnalogCalibrateParams& table = calib_.forWrite();
    Np_FsuAnalogCalibrateParams rec{};
    std::memcpy(rec.values, KIT_CFIELD(table, values), sizeof rec.values);
    if (kit::attempt(this, kit::Write, [&](int h) { return TSL_NET_FSU_SetAnalogCalibrateParams(h, rec); }) !=
        kit::Outcome::Gone)
        showChannelOne();
}

void FsuEmuForm::on_calibClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_FSU_ClearAnalogCalibrateParams(h); });
}

// ---------------------------------------------------------------- current value

void FsuEmuForm::on_emuDataGetButton_clicked() {
    Np_FsuAnalogChannelData rec{};
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.emuDataChannelComboBox));
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_FSU_GetAnalogData(h, &rec); },
        [&] {
            ui.emuDataChannelValueEdit->setText(kit::floatText(kit::loadFloat(KIT_CFIELD(rec, value))));
            ui.emuDataNameEdit->setText(kit::text(rec.name));
            // The unit may run on into the bytes behind it, never past the record.
            ui.emuDataUnitEdit->setText(
                kit::text(KIT_CFIELD(rec, unit), sizeof rec - offsetof(Np_FsuAnalogChannelData, unit)));
        });
}

// ---------------------------------------------------------------- serial ports

void FsuEmuForm::on_rs485GetButton_clicked() {
    Np_FsuRs485Info rec{};
    rec.port = static_cast<uint8_t>(kit::comboData(ui.rs485ChannelComboBox));
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_FSU_GetRs485Info(h, &rec); },
        [&] {
            ui.rs485BaudRateEdit->setText(QString::number(kit::load<uint32_t>(KIT_CFIELD(rec, baudRate))));
            kit::selectByData(ui.rs485DataBitComboBox, kit::load<int32_t>(KIT_CFIELD(rec, dataBits)));
            kit::selectByData(ui.rs485StopBitComboBox, kit::load<int32_t>(KIT_CFIELD(rec, stopBits)));
            kit::selectByData(ui.rs485CheckBitComboBox, kit::load<int32_t>(KIT_CFIELD(rec, parity)));
        });
}

void FsuEmuForm::on_rs485SetButton_clicked() {
    Np_FsuRs485Info rec{};
    kit::Fields f(this);
    rec.port = static_cast<uint8_t>(kit::comboData(ui.rs485ChannelComboBox));
    kit::store(KIT_FIELD(rec, baudRate),
               f.number<uint32_t>(ui.rs485BaudRateEdit, QString::fromUtf8("波特率")));
    if (!f.ok()) return;
    kit::store(KIT_FIELD(rec, dataBits), static_cast<int32_t>(kit::comboData(ui.rs485DataBitComboBox)));
    kit::store(KIT_FIELD(rec, stopBits), static_cast<int32_t>(kit::comboData(ui.rs485StopBitComboBox)));
    kit::store(KIT_FIELD(rec, parity), static_cast<int32_t>(kit::comboData(ui.rs485CheckBitComboBox)));
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_SetRs485Info(h, rec); });
}

void FsuEmuForm::on_rs485ClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_FSU_ClearRs485Info(h); });
}

// ---------------------------------------------------------------- linkage tasks

void FsuEmuForm::refreshDeviceIdList() {
    kit::refillIds(ui.linkChannelComboBox, kLinkageIds);
}

void FsuEmuForm::on_linkGetButton_clicked() {
    Np_FsuLinkageInfo rec{};
    kit::Fields f(this);
    rec.linkageId =
        f.numberOf<uint8_t>(ui.linkChannelComboBox->currentText(), QString::fromUtf8("联动任务ID"), 0, 255);
    if (!f.ok()) return;
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_FSU_GetLinkageInfo(h, &rec); },
        [&] {
            ui.linkEventEdit->setText(QString::number(kit::load<int32_t>(KIT_CFIELD(rec, eventNumber))));
            ui.linkInputChannelEdit->setText(QString::number(rec.inputChannel));
            ui.linkIndexEdit->setText(QString::number(rec.channelIndex));
            kit::selectByData(ui.linkOutputTypeComboBox, rec.outputType);
            ui.linkOutputChannelEdit->setText(QString::number(rec.outputChannel));
            kit::selectByData(ui.linkActionTypeComboBox, rec.actionType);
        });
}

void FsuEmuForm::on_linkSetButton_clicked() {
    Np_FsuLinkageInfo rec{};
    kit::Fields f(this);
    rec.linkageId =
        f.numberOf<uint8_t>(ui.linkChannelComboBox->currentText(), QString::fromUtf8("联动任务ID"), 0, 255);
    kit::store(KIT_FIELD(rec, eventNumber),
               f.number<int32_t>(ui.linkEventEdit, QString::fromUtf8("事件编号")));
    rec.inputChannel = f.number<uint8_t>(ui.linkInputChannelEdit, QString::fromUtf8("输入通道号"));
    rec.channelIndex = f.number<uint8_t>(ui.linkIndexEdit, QString::fromUtf8("通道中索引号"));
    rec.outputType = static_cast<uint8_t>(kit::comboData(ui.linkOutputTypeComboBox));
    rec.outputChannel = f.number<uint8_t>(ui.linkOutputChannelEdit, QString::fromUtf8("输出通道号"));
    rec.actionType = static_cast<uint8_t>(kit::comboData(ui.linkActionTypeComboBox));
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_SetLinkageInfo(h, rec); });
}

void FsuEmuForm::on_linkDeleteButton_clicked() {
    kit::Fields f(this);
    const auto id =
        f.numberOf<uint8_t>(ui.linkChannelComboBox->currentText(), QString::fromUtf8("联动任务ID"), 0, 255);
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_DeleteLinkageInfo(h, id); });
}

void FsuEmuForm::on_linkClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_FSU_ClearLinkageInfo(h); });
}
