#include "AccCardConfigForm.h"

#include "PageKit.h"
#include "PageKitWidgets.h"

namespace {
constexpr int kDoors = 16;
// The get and delete requests name a card by at most 31 bytes: a longer
// number could be issued but never read or deleted again.
constexpr int kCardNoBytes = 31;
// 0 is no group and ends the device's list: a 0 typed in the middle would
// hide every group after it.
const kit::ListRule kGroupRule{255, true};
}  // namespace

AccCardConfigForm::AccCardConfigForm(QWidget* parent) : QWidget(parent) {
    setObjectName("AccCardConfigForm");
    ui.setupUi(this);
    kit::addCodes(ui.comboBox, {{1, "普通卡"}, {2, "胁迫卡"}, {3, "离线卡"}, {4, "VIP卡"}, {5, "黑名单卡"}});
}

AccCardConfigForm::~AccCardConfigForm() = default;

QLineEdit* AccCardConfigForm::doorEdit(int door) const {
    return findChild<QLineEdit*>(QString("doorEdit_%1").arg(door));
}

void AccCardConfigForm::on_cardEdit_textEdited(const QString&) {
    kit::cutEdit(ui.cardEdit, kCardNoBytes);
}

void AccCardConfigForm::on_cgCardEdit_textEdited(const QString&) {
    kit::cutEdit(ui.cgCardEdit, kCardNoBytes);
}

void AccCardConfigForm::on_getButton_clicked() {
    Np_AccCardInfo card{};
    kit::copyText(card.cardNo, ui.cardEdit->text());
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_Acc_GetCardInfo(h, &card); },
        [&] {
            kit::showFlag(ui.checkBox, card.firstCard);
            kit::selectByData(ui.comboBox, card.cardType);
            ui.passwordEdit->setText(kit::text(card.password));
            ui.usernameEdit->setText(kit::text(card.userName));
            ui.employeeEdit->setText(QString::number(card.employeeNo));
            for (int door = 1; door <= kDoors; ++door)
                doorEdit(door)->setText(
                    QString::number(kit::load<uint16_t>(KIT_CFIELD(card, doorRights) + 2 * (door - 1))));
            ui.groupEdit->setText(
                kit::listText(card.groups, 1, sizeof card.groups, sizeof card.groups, kGroupRule));
            kit::showTime(ui.beginDateTimeEdit, card.validFrom);
            kit::showTime(ui.endDateTimeEdit, card.validTo);
        });
}

bool AccCardConfigForm::readCard(Np_AccCardInfo& card) {
    kit::Fields f(this);
    kit::copyText(card.cardNo, ui.cardEdit->text());
    card.firstCard = kit::flag(ui.checkBox);
    card.cardType = static_cast<uint8_t>(kit::comboData(ui.comboBox));
    kit::copyTextFull(card.password, sizeof card.password, ui.passwordEdit->text());
    kit::copyTextFull(card.userName, sizeof card.userName, ui.usernameEdit->text());
    card.employeeNo = f.number<int32_t>(ui.employeeEdit, QString::fromUtf8("工号"));
    for (int door = 1; door <= kDoors; ++door)
        kit::store<uint16_t>(KIT_FIELD(card, doorRights) + 2 * (door - 1),
                             f.number<uint16_t>(doorEdit(door), QString::fromUtf8("%1号门").arg(door)));
    kit::storeList(card.groups, 1, sizeof card.groups, ui.groupEdit->text(), kGroupRule);
    kit::storeTime(KIT_FIELD(card, validFrom), ui.beginDateTimeEdit);
    kit::storeTime(KIT_FIELD(card, validTo), ui.endDateTimeEdit);
    return f.ok();
}

void AccCardConfigForm::writeCard(bool modify) {
    Np_AccCardInfo card{};
    if (!readCard(card)) return;
    kit::run(this, kit::Write, [&](int h) {
        return modify ? TSL_NET_Acc_ModCardInfo(h, card) : TSL_NET_Acc_SetCardInfo(h, card);
    });
}

void AccCardConfigForm::on_setButton_clicked() {
    writeCard(false);
}

void AccCardConfigForm::on_modifyButton_clicked() {
    writeCard(true);
}

void AccCardConfigForm::on_deleteButton_clicked() {
    const QByteArray cardNo = kit::utf8Cut(ui.cardEdit->text(), kCardNoBytes);
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_DeleteCardInfo(h, cardNo.constData()); });
}

void AccCardConfigForm::on_clearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_Acc_ClearCardInfo(h); });
}

bool AccCardConfigForm::readGroupRecord(Np_AccCardGroupInfo& info, bool withGroup) {
    kit::copyText(info.cardNo, ui.cgCardEdit->text());
    if (!withGroup) return true;
    kit::Fields f(this);
    info.groupNo = f.number<uint8_t>(ui.cgSingleEdit, QString::fromUtf8("卡组"));
    return f.ok();
}

void AccCardConfigForm::on_cgGetButton_clicked() {
    Np_AccCardGroupInfo query{};
    readGroupRecord(query, false);
    Np_AccCardGroupList list{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_Acc_GetCardGroupInfo(h, query, &list); },
        [&] {
            // The card page shows as many groups as a card record holds.
            ui.cgGroupEdit->setText(kit::listText(list.groups, 1, 8, sizeof list.groups, kGroupRule));
        });
}

void AccCardConfigForm::on_cgSetButton_clicked() {
    Np_AccCardGroupInfo info{};
    if (!readGroupRecord(info, true)) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_SetCardGroupSingle(h, info); });
}

void AccCardConfigForm::on_cgDeleteButton_clicked() {
    Np_AccCardGroupInfo info{};
    if (!readGroupRecord(info, true)) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_Acc_DeleteCardGroupSingle(h, info); });
}

void AccCardConfigForm::on_cgClearButton_clicked() {
    Np_AccCardGroupInfo info{};
    readGroupRecord(info, false);
    kit::run(this, kit::Clear, [&](int h) { return TSL_NET_Acc_ClearCardGroupInfo(h, info); });
}
