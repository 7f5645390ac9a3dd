#include "FsuAlarmForm.h"

#include "FsuAlarmWidget.h"
#include "FsuInputStateWidget.h"
#include "FsuOutputStateWidget.h"
#include "PageKit.h"
#include "TslFsu.h"

namespace {
constexpr int kNameBytes = 30;

template <class Row>
void addRows(std::vector<Row*>& rows, int count, QVBoxLayout* layout, QWidget* contents) {
    rows.reserve(static_cast<size_t>(count));
    for (int n = 1; n <= count; ++n) {
        rows.push_back(new Row(n, contents));
        layout->addWidget(rows.back());
    }
    layout->addStretch();
}
}  // namespace

FsuAlarmForm::FsuAlarmForm(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    setObjectName("FsuAlarmForm");
    addRows(inputRows_, kInputs, ui.inputStateLayout, ui.inputStateContents);
    addRows(alarmRows_, kInputs, ui.alarmLayout, ui.alarmContents);
    addRows(outputRows_, kOutputs, ui.outputStateLayout, ui.outputStateContents);

    for (int n = 1; n <= kInputs; ++n) ui.inputChannelComboBox->addItem(QString::number(n), n);
    for (int n = 1; n <= kOutputs; ++n) ui.outputChannelComboBox->addItem(QString::number(n), n);
    kit::addCodes(ui.inputTypeComboBox, {{0, "普通型"}, {1, "接EOL"}});
    kit::addCodes(ui.inputAlarmTypeComboBox,
                  {{0, "无报警"}, {1, "短路"}, {2, "接EOL"}, {3, "开路"}, {4, "短路/开路"}});
    // The delay is one byte on the device.
    QValidator* delay = kit::intValidatorFor<uint8_t>(this);
    ui.inputDelayTimeEdit->setValidator(delay);
    ui.outputDelayTimeEdit->setValidator(delay);
}

FsuAlarmForm::~FsuAlarmForm() = default;

// ---------------------------------------------------------------- alarm filter

void FsuAlarmForm::on_alarmGetButton_clicked() {
    Np_FsuAlarmFilterInfo rec{};
    kit::Fields f(this);
    rec.channel = f.number<uint8_t>(ui.alarmChannelEdit, QString::fromUtf8("通道号"));
    if (!f.ok()) return;
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_FSU_GetAlarmFilterInfo(h, &rec); },
        [&] {
            for (int i = 0; i < kInputs; ++i) alarmRows_[static_cast<size_t>(i)]->setMode(rec.filterMode[i]);
        });
}

void FsuAlarmForm::on_alarmSetButton_clicked() {
    Np_FsuAlarmFilterInfo rec{};
    kit::Fields f(this);
    rec.channel = f.number<uint8_t>(ui.alarmChannelEdit, QString::fromUtf8("通道号"));
    if (!f.ok()) return;
    for (int i = 0; i < kInputs; ++i)
        rec.filterMode[i] = static_cast<uint8_t>(alarmRows_[static_cast<size_t>(i)]->mode());
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_SetAlarmFilterInfo(h, rec); });
}

// ---------------------------------------------------------------- input and output parameters

void FsuAlarmForm::on_inputGetButton_clicked() {
    Np_FsuInputParams rec{};
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.inputChannelComboBox));
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_FSU_GetInputParams(h, &rec); },
        [&] {
            ui.inputNameEdit->setText(kit::text(rec.name));
            ui.inputDelayTimeEdit->setText(QString::number(rec.delay));
            kit::selectByData(ui.inputTypeComboBox, rec.inputType);
            kit::selectByData(ui.inputAlarmTypeComboBox, rec.alarmType);
        });
}

void FsuAlarmForm::on_inputSetButton_clicked() {
    Np_FsuInputParams rec{};
    kit::Fields f(this);
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.inputChannelComboBox));
    rec.delay = f.number<uint8_t>(ui.inputDelayTimeEdit, QString::fromUtf8("延时时间（s）"));
    if (!f.ok()) return;
    rec.inputType = static_cast<uint8_t>(kit::comboData(ui.inputTypeComboBox));
    kit::copyText(rec.name, ui.inputNameEdit->text());
    rec.alarmType = static_cast<uint8_t>(kit::comboData(ui.inputAlarmTypeComboBox));
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_SetInputParams(h, rec); });
}

void FsuAlarmForm::on_inputClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_FSU_ClearInputParams(h); });
}

void FsuAlarmForm::on_outputGetButton_clicked() {
    Np_FsuOutputParams rec{};
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.outputChannelComboBox));
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_FSU_GetOutputParams(h, &rec); },
        [&] {
            ui.outputNameEdit->setText(kit::text(rec.name));
            ui.outputDelayTimeEdit->setText(QString::number(rec.delay));
        });
}

void FsuAlarmForm::on_outputSetButton_clicked() {
    Np_FsuOutputParams rec{};
    kit::Fields f(this);
    rec.channel = static_cast<uint8_t>(kit::comboData(ui.outputChannelComboBox));
    rec.delay = f.number<uint8_t>(ui.outputDelayTimeEdit, QString::fromUtf8("延时时间（s）"));
    if (!f.ok()) return;
    kit::copyText(rec.name, ui.outputNameEdit->text());
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_SetOutputParams(h, rec); });
}

void FsuAlarmForm::on_outputClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_FSU_ClearOutputParams(h); });
}

void FsuAlarmForm::on_inputNameEdit_textEdited(const QString&) {
    kit::cutEdit(ui.inputNameEdit, kNameBytes);
}

void FsuAlarmForm::on_outputNameEdit_textEdited(const QString&) {
    kit::cutEdit(ui.outputNameEdit, kNameBytes);
}

// ---------------------------------------------------------------- states

void FsuAlarmForm::on_inputStateGetButton_clicked() {
    Np_FsuInputState rec{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_FSU_GetInputState(h, &rec); },
        [&] {
            for (size_t i = 0; i < inputRows_.size(); ++i)
                inputRows_[i]->setTexts(
                    kit::text(rec.name[i]),
                    kit::stateText({{0, "0-低电平"}, {1, "1-正常"}, {2, "2-高电平"}}, rec.state[i]));
        });
}

void FsuAlarmForm::on_outputStateGetButton_clicked() {
    Np_FsuOutputState rec{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_FSU_GetOutputState(h, &rec); },
        [&] {
            for (size_t i = 0; i < outputRows_.size(); ++i)
                outputRows_[i]->setTexts(kit::text(rec.name[i]),
                                         kit::stateText({{0, "0-断开"}, {1, "1-闭合"}}, rec.state[i]));
        });
}
