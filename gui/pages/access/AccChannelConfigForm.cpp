#include "AccChannelConfigForm.h"

#include "PageKit.h"
#include "PageKitWidgets.h"

namespace {
constexpr uint32_t kWorkModeIds = 5;

QString name(const char* label) {
    return QString::fromUtf8(label);
}

uint8_t workModeId(kit::Fields& f, const QComboBox* box) {
    return f.numberOf<uint8_t>(box->currentText(), name("门工作模式id"), 0, 255);
}
}  // namespace

AccChannelConfigForm::AccChannelConfigForm(QWidget* parent) : QWidget(parent) {
    setObjectName("AccChannelConfigForm");
    ui.setupUi(this);
    kit::addNumbered(ui.channelComboBox, 1, 16, "号门");
    kit::addCodes(ui.lockTypeComboBox, {{0, "默认"}, {1, "取反"}});
    kit::addCodes(ui.magneticComboBox, {{0, "常闭(关门低电平)"}, {1, "常开(开门高电平)"}});
    kit::addCodes(ui.openButtonTypeComboBox, {{0, "默认常开"}, {1, "取反常闭"}});
    kit::addCodes(ui.ioTypeComboBox,
                  {{0, "启用为普通按钮"}, {1, "启用为4态按钮"}, {2, "启用为辅助输入"}, {3, "不启用"}});
    for (QComboBox* box : {ui.outComboBox, ui.inComboBox})
        kit::addCodes(
            box, {{0, "自动/普通"}, {1, "仅卡"}, {2, "卡+密码"}, {3, "仅密码"}, {4, "常开"}, {5, "常闭"}});
    ui.workmodeComboBox->setEditable(true);
    kit::bindIdRefill(ui.workmodeComboBox, kWorkModeIds, this);
}

AccChannelConfigForm::~AccChannelConfigForm() = default;

void AccChannelConfigForm::on_getButton_clicked() {
    Np_AccChannelInfo info{};
    info.channel = static_cast<uint8_t>(kit::comboData(ui.channelComboBox));
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_Acc_GetChannelInfo(h, &info); },
        [&] {
            kit::selectByData(ui.lockTypeComboBox, info.lockType);
            kit::selectByData(ui.magneticComboBox, info.magneticType);
            kit::selectByData(ui.openButtonTypeComboBox, info.openButtonType);
            kit::selectByData(ui.ioTypeComboBox, info.ioType);
            kit::showFlag(ui.firstTimeCheckBox, info.dailyFirst);
            kit::showFlag(ui.antiCheckBox, info.antiPassback);
            ui.openDurationEdit->setText(QString::number(info.openDuration));
            ui.alarmTimeEdit->setText(QString::number(info.alarmTime));
            ui.templateEdit->setText(QString::number(info.templateId));
            ui.openCountEdit->setText(QString::number(info.openCount));
            ui.leaderTimeEdit->setText(QString::number(info.leaderTime));
            ui.stressEdit->setText(kit::text(info.duressPassword));
            ui.superEdit->setText(kit::text(info.superPassword));
            ui.unlockEdit->setText(kit::text(info.releaseCode));
        });
}

void AccChannelConfigForm::on_setButton_clicked() {
    Np_AccChannelInfo info{};
    kit::Fields f(this);
    info.channel = static_cast<uint8_t>(kit::comboData(ui.channelComboBox));
    info.lockType = static_cast<uint8_t>(kit::comboData(ui.lockTypeComboBox));
    info.magneticType = static_cast<uint8_t>(kit::comboData(ui.magneticComboBox));
    info.openButtonType = static_cast<uint8_t>(kit::comboData(ui.openButtonTypeComboBox));
    info.ioType = static_cast<uint8_t>(kit::comboData(ui.ioTypeComboBox));
    info.openDuration = f.number<uint8_t>(ui.openDurationEdit, name("开门持续时间(s)"));
    info.alarmTime = f.number<uint8_t>(ui.alarmTimeEdit, name("门磁超时报警时间(s)"));
    info.dailyFirst = kit::flag(ui.firstTimeCheckBox);
    info.leaderTime = f.number<uint16_t>(ui.leaderTimeEdit, name("首卡常开持续时间(min)"));
    kit::copyText(info.duressPassword, ui.stressEdit->text());
    kit::copyText(info.superPassword, ui.superEdit->text());
    kit::copyText(info.releaseCode, ui.unlockEdit->text());
    info.templateId = f.number<uint16_t>(ui.templateEdit, name("计划模板id"));
    info.antiPassback = kit::flag(ui.antiCheckBox);
    info.openCount = f.number<uint8_t>(ui.openCountEdit, name("开门次数"));
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_SetChannelInfo(h, info); });
}

void AccChannelConfigForm::on_modeGetButton_clicked() {
    Np_AccWorkModeParams params{};
    kit::Fields f(this);
    params.workModeId = workModeId(f, ui.workmodeComboBox);
    if (!f.ok()) return;
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_Acc_GetWorkModeParams(h, &params); },
        [&] {
            kit::selectByData(ui.outComboBox, params.exitMode);
            kit::selectByData(ui.inComboBox, params.entryMode);
            ui.channelEdit->setText(QString::number(params.channel));
            ui.modeTemplateEdit->setText(QString::number(params.templateId));
        });
}

void AccChannelConfigForm::on_modeSetButton_clicked() {
    Np_AccWorkModeParams params{};
    kit::Fields f(this);
    params.workModeId = workModeId(f, ui.workmodeComboBox);
    params.channel = f.number<uint8_t>(ui.channelEdit, name("本地门点"));
    params.templateId = f.number<uint16_t>(ui.modeTemplateEdit, name("计划模板id"));
    params.exitMode = static_cast<uint8_t>(kit::comboData(ui.outComboBox));
    params.entryMode = static_cast<uint8_t>(kit::comboData(ui.inComboBox));
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_SetWorkModeParams(h, params); });
}

void AccChannelConfigForm::on_modeDelButton_clicked() {
    kit::Fields f(this);
    const uint8_t id = workModeId(f, ui.workmodeComboBox);
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_DeleteWorkModeParams(h, id); });
}

void AccChannelConfigForm::on_modeClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_Acc_ClearWorkModeParams(h); });
}
