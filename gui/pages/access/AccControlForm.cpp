#include "AccControlForm.h"

#include "PageKit.h"
#include "PageKitWidgets.h"

namespace {
QString name(const char* label) {
    return QString::fromUtf8(label);
}

QString openText(uint8_t state) {
    return QString::fromUtf8(state == 0 ? "0-关" : "1-开");
}
}  // namespace

AccControlForm::AccControlForm(QWidget* parent) : QWidget(parent) {
    setObjectName("AccControlForm");
    ui.setupUi(this);
    kit::addNumbered(ui.stateComboBox, 1, 16, "号门");
    kit::addNumbered(ui.channelComboBox, 1, 16, "号门");
    kit::addCodes(ui.cmdComboBox, {{1, "开门"}, {2, "关门"}, {3, "常开"}, {4, "常闭"}, {5, "恢复常态"}});
    kit::addCodes(ui.ioCmdComboBox, {{1, "临时动作"}, {2, "常态"}, {3, "保持动作"}});
    kit::addCodes(ui.testComboBox, {{1, "开"}, {2, "关"}});
    kit::addCodes(ui.outputTypeComboBox, {{0, "常闭"}, {1, "常开"}});
    kit::addCodes(ui.inputTypeComboBox, {{0, "常闭"}, {1, "常开"}});
    for (QLineEdit* e : {ui.lockStateEdit, ui.doorStateEdit, ui.modeStateEdit}) e->setEnabled(false);
}

AccControlForm::~AccControlForm() = default;

void AccControlForm::on_stateGetButton_clicked() {
    Np_AccChannelState state{};
    state.channel = static_cast<uint8_t>(kit::comboData(ui.stateComboBox));
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_Acc_GetChannelState(h, &state); },
        [&] {
            ui.lockStateEdit->setText(openText(state.lockState));
            ui.doorStateEdit->setText(openText(state.doorState));
            ui.modeStateEdit->setText(kit::stateText({{1, "1-打开"},
                                                      {2, "2-关闭"},
                                                      {3, "3-常开"},
                                                      {4, "4-常闭"},
                                                      {5, "5-正常"},
                                                      {6, "6-紧急常开"},
                                                      {7, "7-紧急常闭"},
                                                      {8, "8-工作常开"},
                                                      {9, "9-工作常闭"}},
                                                     state.modeState));
        });
}

void AccControlForm::on_controlButton_clicked() {
    Np_AccChannelControl control{};
    control.channel = static_cast<uint8_t>(kit::comboData(ui.channelComboBox));
    control.command = static_cast<uint8_t>(kit::comboData(ui.cmdComboBox));
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_ChannelControl(h, control); });
}

void AccControlForm::on_ioControlButton_clicked() {
    Np_AccIOControl control{};
    kit::Fields f(this);
    control.ioNo = f.number<uint8_t>(ui.ioEdit, name("辅助io编号"));
    control.command = static_cast<uint8_t>(kit::comboData(ui.ioCmdComboBox));
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_IOControl(h, control); });
}

void AccControlForm::on_testButton_clicked() {
    const bool on = kit::comboData(ui.testComboBox) == 1;
    char answer[256] = {};  // the device's answer text, not shown
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_DEV_TestControl(h, on, answer); });
}

void AccControlForm::on_ioGetButton_clicked() {
    Np_AccIOParams params{};
    kit::Fields f(this);
    params.ioNo = f.number<uint8_t>(ui.ioConfigEdit, name("io编号"));
    if (!f.ok()) return;
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_Acc_GetIOParams(h, &params); },
        [&] {
            kit::selectByData(ui.outputTypeComboBox, params.outputPolarity);
            kit::selectByData(ui.inputTypeComboBox, params.inputPolarity);
            ui.ouputTimeEdit->setText(QString::number(params.outputDuration));
        });
}

void AccControlForm::on_ioSetButton_clicked() {
    Np_AccIOParams params{};
    kit::Fields f(this);
    params.ioNo = f.number<uint8_t>(ui.ioConfigEdit, name("io编号"));
    params.outputPolarity = static_cast<uint8_t>(kit::comboData(ui.outputTypeComboBox));
    params.inputPolarity = static_cast<uint8_t>(kit::comboData(ui.inputTypeComboBox));
    params.outputDuration = f.number<uint8_t>(ui.ouputTimeEdit, name("输出持续时间(s)"));
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_SetIOParams(h, params); });
}
