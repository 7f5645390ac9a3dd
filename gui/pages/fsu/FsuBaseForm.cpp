#include "FsuBaseForm.h"

#include "FsuUserWidget.h"
#include "PageKit.h"
#include "TslFsu.h"

FsuBaseForm::FsuBaseForm(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    setObjectName("FsuBaseForm");
    for (int i = 1; i <= kUsers; ++i) {
        auto* w = new FsuUserWidget(ui.tabWidget);
        w->setObjectName(QString("user_%1").arg(i));
        ui.tabWidget->addTab(w, QString::number(i));
    }
    ui.tabWidget->setCurrentIndex(0);

    for (QLineEdit* e : {ui.ipBindEdit_1, ui.ipBindEdit_2, ui.ipBindEdit_3, ui.ipBindEdit_4})
        e->setMaxLength(15);
    for (QLineEdit* e : {ui.macBindEdit_1, ui.macBindEdit_2, ui.macBindEdit_3, ui.macBindEdit_4})
        e->setMaxLength(17);
    ui.modbusTcpSpinBox->setRange(0, 255);
    ui.aFrameSpinBox->setRange(50, 200);
    ui.bFrameSpinBox->setRange(10, 200);
    ui.timeoutSpinBox->setRange(100, 1000);
}

FsuBaseForm::~FsuBaseForm() = default;

FsuUserWidget* FsuBaseForm::user(int i) const {
    return static_cast<FsuUserWidget*>(ui.tabWidget->widget(i));
}

// ---------------------------------------------------------------- users

void FsuBaseForm::on_userGetButton_clicked() {
    // Without a login there is no account to ask for: one box, no request.
    const int handle = kit::currentHandle();
    if (handle <= 0) {
        kit::showFailure(this, -1, kit::FailText::Write);
        return;
    }
    for (int i = 0; i < kUsers; ++i) {
        Np_FsuUserData rec{};
        rec.index = static_cast<uint8_t>(i + 1);
        const bool ok = kit::run(
            this, kit::Read.quiet().withText(kit::FailText::Write),
            [&](int h) { return TSL_NET_FSU_GetUserData(h, &rec); }, [&] { user(i)->setUserData(rec); });
        if (!ok) return;
    }
    kit::showSuccess(this);
}

void FsuBaseForm::on_userSetButton_clicked() {
    Np_FsuUserData rec{};
    const int front = ui.tabWidget->currentIndex();
    rec.index = static_cast<uint8_t>(front + 1);
    user(front)->getUserData(rec);
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_SetUserData(h, rec); });
}

// ---------------------------------------------------------------- IP and MAC binding

namespace {
// The enable box and the four address edits of one binding group.
struct Binding {
    QCheckBox* enable;
    QLineEdit* edits[4];
};

template <size_t N>
void showBinding(const Binding& b, uint8_t enable, const char (&texts)[4][N]) {
    kit::showFlag(b.enable, enable);
    for (int i = 0; i < 4; ++i) b.edits[i]->setText(kit::text(texts[i]));
}

template <size_t N>
void readBinding(const Binding& b, uint8_t& enable, char (&texts)[4][N]) {
    enable = kit::flag(b.enable);
    for (int i = 0; i < 4; ++i) kit::copyText(texts[i], b.edits[i]->text());
}
}  // namespace

void FsuBaseForm::on_ipBindGetButton_clicked() {
    Np_FsuIpBindParams rec{};
    const Binding b{ui.ipBindCheckBox, {ui.ipBindEdit_1, ui.ipBindEdit_2, ui.ipBindEdit_3, ui.ipBindEdit_4}};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_FSU_GetIpBindParams(h, &rec); },
        [&] { showBinding(b, rec.enable, rec.ip); });
}

void FsuBaseForm::on_ipBindSetButton_clicked() {
    Np_FsuIpBindParams rec{};
    readBinding({ui.ipBindCheckBox, {ui.ipBindEdit_1, ui.ipBindEdit_2, ui.ipBindEdit_3, ui.ipBindEdit_4}},
                rec.enable, rec.ip);
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_SetIpBindParams(h, rec); });
}

void FsuBaseForm::on_ipBindClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_FSU_ClearIpBindParams(h); });
}

void FsuBaseForm::on_macBindGetButton_clicked() {
    Np_FsuMacBindParams rec{};
    const Binding b{ui.macBindCheckBox,
                    {ui.macBindEdit_1, ui.macBindEdit_2, ui.macBindEdit_3, ui.macBindEdit_4}};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_FSU_GetMacBindParams(h, &rec); },
        [&] { showBinding(b, rec.enable, rec.mac); });
}

void FsuBaseForm::on_macBindSetButton_clicked() {
    Np_FsuMacBindParams rec{};
    readBinding(
        {ui.macBindCheckBox, {ui.macBindEdit_1, ui.macBindEdit_2, ui.macBindEdit_3, ui.macBindEdit_4}},
        rec.enable, rec.mac);
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_SetMacBindParams(h, rec); });
}

void FsuBaseForm::on_macBindClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_FSU_ClearMacBindParams(h); });
}

// ---------------------------------------------------------------- base parameters

void FsuBaseForm::on_baseGetButton_clicked() {
    Np_FsuDeviceInfo rec{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_FSU_GetDeviceInfo(h, &rec); },
        [&] {
            kit::showFlag(ui.modbusCheckBox, rec.modbusUpload);
            kit::showFlag(ui.analogCheckBox, rec.analogUpload);
            kit::showFlag(ui.inputCheckBox, rec.inputUpload);
            kit::showFlag(ui.outputCheckBox, rec.outputUpload);
            ui.uploadTimeEdit->setText(QString::number(kit::load<uint32_t>(KIT_CFIELD(rec, uploadInterval))));
            kit::showFlag(ui.saveEnableCheckBox, rec.storageEnable);
            ui.normalTimeEdit->setText(
                QString::number(kit::load<uint32_t>(KIT_CFIELD(rec, normalRecordInterval))));
            ui.alarmTimeEdit->setText(
                QString::number(kit::load<uint32_t>(KIT_CFIELD(rec, alarmRecordInterval))));
            kit::showFlag(ui.breakCheckBox, rec.tamperBuzzerOff, kit::Sense::Inverted);
            kit::showFlag(ui.moveCheckBox, rec.motionBuzzerOff, kit::Sense::Inverted);
            ui.modbusTcpSpinBox->setValue(rec.modbusTcpId);
            ui.aFrameSpinBox->setValue(rec.frameIntervalA);
            ui.bFrameSpinBox->setValue(rec.frameIntervalB);
            ui.timeoutSpinBox->setValue(kit::load<uint16_t>(KIT_CFIELD(rec, responseTimeout)));
        });
}

void FsuBaseForm::on_baseSetButton_clicked() {
    Np_FsuDeviceInfo rec{};
    kit::Fields f(this);
    rec.modbusUpload = kit::flag(ui.modbusCheckBox);
    rec.analogUpload = kit::flag(ui.analogCheckBox);
    rec.inputUpload = kit::flag(ui.inputCheckBox);
    rec.outputUpload = kit::flag(ui.outputCheckBox);
    kit::store(KIT_FIELD(rec, uploadInterval),
               f.number<uint32_t>(ui.uploadTimeEdit, QString::fromUtf8("上送时间间隔(min)")));
    rec.storageEnable = kit::flag(ui.saveEnableCheckBox);
    kit::store(KIT_FIELD(rec, normalRecordInterval),
               f.number<uint32_t>(ui.normalTimeEdit, QString::fromUtf8("正常数据记录时间间隔(min)")));
    kit::store(KIT_FIELD(rec, alarmRecordInterval),
               f.number<uint32_t>(ui.alarmTimeEdit, QString::fromUtf8("告警数据记录时间间隔(min)")));
    if (!f.ok()) return;
    rec.tamperBuzzerOff = kit::flag(ui.breakCheckBox, kit::Sense::Inverted);
    rec.motionBuzzerOff = kit::flag(ui.moveCheckBox, kit::Sense::Inverted);
    rec.modbusTcpId = static_cast<uint8_t>(ui.modbusTcpSpinBox->value());
    rec.frameIntervalA = static_cast<uint8_t>(ui.aFrameSpinBox->value());
    rec.frameIntervalB = static_cast<uint8_t>(ui.bFrameSpinBox->value());
    kit::store(KIT_FIELD(rec, responseTimeout), static_cast<uint16_t>(ui.timeoutSpinBox->value()));
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_SetDeviceInfo(h, rec); });
}

void FsuBaseForm::on_baseClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_FSU_ClearDeviceInfo(h); });
}
