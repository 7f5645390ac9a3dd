#include "AccMultiConfigForm.h"

#include "PageKit.h"
#include "PageKitWidgets.h"

namespace {
constexpr uint32_t kLinkageIds = 0;
constexpr uint32_t kCombinationIds = 1;
// 0 is no door, reader or group number, and a list read stops at the first
// 0: a 0 written into the middle would hide every entry after it.
const kit::ListRule kByteList{255, true};

QString name(const char* label) {
    return QString::fromUtf8(label);
}

uint8_t idOf(kit::Fields& f, const QComboBox* box, const char* label) {
    return f.numberOf<uint8_t>(box->currentText(), name(label), 0, 255);
}

// A count byte followed by its entries, as text and back.
QString listOf(uint8_t count, const uint8_t* entries, size_t room) {
    return kit::listText(entries, 1, count, room, kByteList);
}
uint8_t storeListOf(uint8_t* entries, size_t room, const QString& text) {
    return static_cast<uint8_t>(kit::storeList(entries, 1, room, text, kByteList));
}
}  // namespace

AccMultiConfigForm::AccMultiConfigForm(QWidget* parent) : QWidget(parent) {
    setObjectName("AccMultiConfigForm");
    ui.setupUi(this);
    kit::addNumbered(ui.doorComboBox, 1, 16, "号门");
    kit::addCodes(ui.cardReaderComboBox, {{0, "内外"}, {1, "外"}, {2, "内"}});
    kit::addCodes(ui.linkInputComboBox, {{0, "门"}, {1, "io输入"}});
    kit::addCodes(ui.linkOutputComboBox, {{0, "门"}, {1, "io输出"}});
    kit::addCodes(ui.linkActTypeComboBox, {{1, "打开"}, {2, "关闭"}, {3, "常开"}, {4, "常闭"}, {5, "恢复"}});
    ui.cardComboBox->setEditable(true);
    ui.linkComboBox->setEditable(true);
    kit::bindIdRefill(ui.cardComboBox, kCombinationIds, this);
    kit::bindIdRefill(ui.linkComboBox, kLinkageIds, this);
}

AccMultiConfigForm::~AccMultiConfigForm() = default;

// ---------------------------------------------------------------- interlocks

void AccMultiConfigForm::on_lockGetButton_clicked() {
    Np_AccMultiLockInfo info{};
    info.doorNo = static_cast<uint8_t>(kit::comboData(ui.doorComboBox));
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_Acc_GetMultiLockInfo(h, &info); },
        [&] { ui.lockDoorEdit->setText(listOf(info.count, info.doors, sizeof info.doors)); });
}

void AccMultiConfigForm::on_lockSetButton_clicked() {
    Np_AccMultiLockInfo info{};
    info.doorNo = static_cast<uint8_t>(kit::comboData(ui.doorComboBox));
    info.count = storeListOf(info.doors, sizeof info.doors, ui.lockDoorEdit->text());
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_SetMultiLockInfo(h, info); });
}

void AccMultiConfigForm::on_lockDelButton_clicked() {
    const auto door = static_cast<uint8_t>(kit::comboData(ui.doorComboBox));
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_DeleteMultiLockInfo(h, door); });
}

void AccMultiConfigForm::on_lockClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_Acc_ClearMultiLockInfo(h); });
}

// ---------------------------------------------------------------- anti-passback

void AccMultiConfigForm::on_antiGetButton_clicked() {
    Np_AccAntiInfo info{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_Acc_GetAntiInfo(h, &info); },
        [&] { ui.antiEdit->setPlainText(listOf(info.count, info.readers, sizeof info.readers)); });
}

void AccMultiConfigForm::on_antiSetButton_clicked() {
    Np_AccAntiInfo info{};
    info.count = storeListOf(info.readers, sizeof info.readers, ui.antiEdit->toPlainText());
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_SetAntiInfo(h, info); });
}

void AccMultiConfigForm::on_antiClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_Acc_ClearAntiInfo(h); });
}

// ---------------------------------------------------------------- multi-card combinations

void AccMultiConfigForm::on_cardGetButton_clicked() {
    Np_AccMultiCardInfo info{};
    kit::Fields f(this);
    info.combinationId = idOf(f, ui.cardComboBox, "多卡组合id");
    if (!f.ok()) return;
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_Acc_GetMultiCardInfo(h, &info); },
        [&] {
            ui.cardChannelEdit->setText(QString::number(info.doorNo));
            ui.cardTemplateEdit->setText(QString::number(info.templateId));
            kit::selectByData(ui.cardReaderComboBox, info.readerPosition);
            kit::showFlag(ui.orderCheckBox, info.ordered);
            kit::showFlag(ui.offlineCheckBox, info.offline);
            kit::showFlag(ui.firstCheckBox, info.dailyFirstGroup);
            kit::showFlag(ui.AuthCheckBox, info.centralAuth);
            ui.cardGroupEdit->setText(listOf(info.count, info.groups, sizeof info.groups));
        });
}

void AccMultiConfigForm::on_cardSetButton_clicked() {
    Np_AccMultiCardInfo info{};
    kit::Fields f(this);
    info.combinationId = idOf(f, ui.cardComboBox, "多卡组合id");
    info.doorNo = f.number<uint8_t>(ui.cardChannelEdit, name("门编号"));
    info.templateId = f.number<uint16_t>(ui.cardTemplateEdit, name("计划模板id"));
    info.ordered = kit::flag(ui.orderCheckBox);
    info.offline = kit::flag(ui.offlineCheckBox);
    info.readerPosition = static_cast<uint8_t>(kit::comboData(ui.cardReaderComboBox));
    info.count = storeListOf(info.groups, sizeof info.groups, ui.cardGroupEdit->text());
    info.dailyFirstGroup = kit::flag(ui.firstCheckBox);
    info.centralAuth = kit::flag(ui.AuthCheckBox);
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_SetMultiCardInfo(h, info); });
}

void AccMultiConfigForm::on_cardDelButton_clicked() {
    kit::Fields f(this);
    const uint8_t id = idOf(f, ui.cardComboBox, "多卡组合id");
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_DeleteMultiCardInfo(h, id); });
}

void AccMultiConfigForm::on_cardClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_Acc_ClearMultiCardInfo(h); });
}

// ---------------------------------------------------------------- linkage

void AccMultiConfigForm::on_linkGetButton_clicked() {
    Np_AccLinkageInfo info{};
    kit::Fields f(this);
    info.linkageId = idOf(f, ui.linkComboBox, "联动任务id");
    if (!f.ok()) return;
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_Acc_GetLinkageInfo(h, &info); },
        [&] {
            ui.linkEventEdit->setText(QString::number(info.eventNo));
            ui.linkInputEdit->setText(QString::number(info.inputNo));
            ui.linkOutputEdit->setText(QString::number(info.outputNo));
            ui.linkActTimeEdit->setText(QString::number(info.actionDelay));
            kit::selectByData(ui.linkInputComboBox, info.inputSource);
            kit::selectByData(ui.linkOutputComboBox, info.outputSource);
            kit::selectByData(ui.linkActTypeComboBox, info.actionType);
        });
}

void AccMultiConfigForm::on_linkSetButton_clicked() {
    Np_AccLinkageInfo info{};
    kit::Fields f(this);
    info.linkageId = idOf(f, ui.linkComboBox, "联动任务id");
    info.eventNo = f.number<int32_t>(ui.linkEventEdit, name("事件编号"));
    info.inputSource = static_cast<uint8_t>(kit::comboData(ui.linkInputComboBox));
    info.inputNo = f.number<uint8_t>(ui.linkInputEdit, name("输入源编号"));
    info.outputSource = static_cast<uint8_t>(kit::comboData(ui.linkOutputComboBox));
    info.outputNo = f.number<uint8_t>(ui.linkOutputEdit, name("输出源编号"));
    info.actionType = static_cast<uint8_t>(kit::comboData(ui.linkActTypeComboBox));
    info.actionDelay = f.number<uint8_t>(ui.linkActTimeEdit, name("动作延时时长(s)"));
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_SetLinkageInfo(h, info); });
}

void AccMultiConfigForm::on_linkDelButton_clicked() {
    kit::Fields f(this);
    const uint8_t id = idOf(f, ui.linkComboBox, "联动任务id");
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_DeleteLinkageInfo(h, id); });
}

void AccMultiConfigForm::on_linkClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_Acc_ClearLinkageInfo(h); });
}
