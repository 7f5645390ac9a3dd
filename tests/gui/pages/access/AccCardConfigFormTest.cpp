#include <QCheckBox>
#include <QDateTimeEdit>

#include "AccCardConfigForm.h"
#include "AccPageTest.h"
#include "PageKit.h"

using acctest::bytes;
using guitest::bytesOf;
using guitest::recordOf;

namespace {

class CardPageTest : public acctest::PageTest<AccCardConfigForm> {
  protected:
    // A card in the device's store, keyed by its number.
    void putCard(const Np_AccCardInfo& card) {
        unit->device->PutRecord("accCard", bytes(std::string(card.cardNo, strnlen(card.cardNo, 32))),
                                bytesOf(card));
    }
    // The card of the last add (2003) or modify (2004): a list of one card.
    Np_AccCardInfo sentCard(uint32_t cmd) {
        const devsim::Bytes payload = unit->lastPayload(cmd);
        EXPECT_EQ(payload.size(), 4 + sizeof(Np_AccCardInfo));
        EXPECT_EQ(payload.at(0), 1);
        return recordOf<Np_AccCardInfo>(payload, 4);
    }
    QDateTimeEdit* dateEdit(const char* name) { return guitest::child<QDateTimeEdit>(&page, name); }
};

// A card with a distinct value in every field and in the bytes the page
// never fills.
Np_AccCardInfo fullCard() {
    Np_AccCardInfo c = guitest::patterned<Np_AccCardInfo>(3);
    std::memset(c.cardNo, 0, sizeof c.cardNo);
    std::memcpy(c.cardNo, "卡A-0001", strlen("卡A-0001"));
    c.firstCard = 1;
    c.cardType = 4;
    c.validFrom = Np_Time{2021, 2, 3, 4, 5, 6, 0};
    c.validTo = Np_Time{2030, 11, 12, 13, 14, 15, 0};
    std::memcpy(c.password, "pw12345z", 8);  // the whole field, no NUL
    std::memset(c.userName, 0, sizeof c.userName);
    std::memcpy(c.userName, "张三丰", strlen("张三丰"));
    c.employeeNo = -123456;
    for (int i = 0; i < 16; ++i) kit::store<uint16_t>(KIT_FIELD(c, doorRights) + 2 * i, 1000 + 37 * i);
    const uint8_t groups[8] = {11, 22, 33, 44, 55, 66, 77, 88};
    std::memcpy(c.groups, groups, sizeof groups);
    return c;
}

Np_AccCardInfo withoutUnused(Np_AccCardInfo c) {
    c = acctest::zeroed(c, offsetof(Np_AccCardInfo, reserved), sizeof c.reserved);
    return acctest::zeroed(c, offsetof(Np_AccCardInfo, reserved2), sizeof c.reserved2);
}

}  // namespace

TEST_F(CardPageTest, ACardReadFillsEveryWidgetAndModifySendsItBack) {
    const Np_AccCardInfo card = fullCard();
    putCard(card);
    type("cardEdit", QString::fromUtf8("卡A-0001"));
    click("getButton");
    expectSuccess();
    EXPECT_TRUE(guitest::child<QCheckBox>(&page, "checkBox")->isChecked());
    EXPECT_EQ(combo("comboBox")->currentText(), QString::fromUtf8("4-VIP卡"));
    EXPECT_EQ(edit("passwordEdit")->text(), "pw12345z");
    EXPECT_EQ(edit("usernameEdit")->text(), QString::fromUtf8("张三丰"));
    EXPECT_EQ(edit("employeeEdit")->text(), "-123456");
    EXPECT_EQ(edit("doorEdit_16")->text(), "1555");
    EXPECT_EQ(edit("groupEdit")->text(), "11,22,33,44,55,66,77,88");
    EXPECT_EQ(dateEdit("beginDateTimeEdit")->text(), "2021/02/03 04:05:06");
    EXPECT_EQ(dateEdit("endDateTimeEdit")->text(), "2030/11/12 13:14:15");

    const devsim::Bytes get = unit->lastPayload(2000);
    EXPECT_EQ(std::string(get.begin(), get.begin() + 10), std::string("卡A-0001") + '\0');

    click("modifyButton");
    expectSuccess();
    EXPECT_EQ(bytesOf(sentCard(2004)), bytesOf(withoutUnused(card)));
    click("setButton");
    expectSuccess();
    EXPECT_EQ(bytesOf(sentCard(2003)), bytesOf(withoutUnused(card)));
}

TEST_F(CardPageTest, BrowsingNeverCopiesOneCardsTypeOrValidityIntoAnother) {
    putCard(fullCard());
    Np_AccCardInfo odd{};  // a type no item shows, a validity that is no date
    std::memcpy(odd.cardNo, "B2", 2);
    odd.cardType = 9;
    odd.validTo = Np_Time{2024, 13, 40, 25, 61, 61, 7};
    putCard(odd);

    type("cardEdit", QString::fromUtf8("卡A-0001"));
    click("getButton");
    type("cardEdit", "B2");
    click("getButton");
    prompt.takeAll();
    EXPECT_EQ(combo("comboBox")->currentIndex(), -1);
    click("modifyButton");
    expectSuccess();
    const Np_AccCardInfo sent = sentCard(2004);
    EXPECT_EQ(sent.cardType, 9);
    EXPECT_EQ(bytesOf(sent.validFrom), bytesOf(odd.validFrom));
    EXPECT_EQ(bytesOf(sent.validTo), bytesOf(odd.validTo));

    // Once the user picks and edits, their choice is what goes out.
    pick("comboBox", 2);
    dateEdit("endDateTimeEdit")->setDateTime(QDateTime(QDate(2031, 1, 2), QTime(3, 4, 5)));
    click("modifyButton");
    expectSuccess();
    const Np_AccCardInfo chosen = sentCard(2004);
    EXPECT_EQ(chosen.cardType, 2);
    EXPECT_EQ(bytesOf(chosen.validTo), bytesOf(Np_Time{2031, 1, 2, 3, 4, 5, 0}));
    EXPECT_EQ(bytesOf(chosen.validFrom), bytesOf(odd.validFrom));
}

TEST_F(CardPageTest, FieldsAreEncodedAsTheDeviceReadsThem) {
    const std::string z(1, '\0');
    expectEncoded(
        {
            // At most 31 bytes: the get and delete requests could name no longer card.
            {"cardEdit", QString(40, 'a'), 0, std::string(31, 'a') + z},
            {"cardEdit", QString::fromUtf8("卡").repeated(11), 0,
             std::string("卡卡卡卡卡卡卡卡卡卡") + z + z},
            {"passwordEdit", "0123456789", 50, "01234567"},
            {"passwordEdit", QString::fromUtf8("密码中"), 50, std::string("密码") + z + z},
            {"usernameEdit", QString(32, 'u'), 58, std::string(32, 'u')},
            {"employeeEdit", "-7", 90, "\xF9\xFF\xFF\xFF"},
            {"employeeEdit", " 12 ", 90, std::string("\x0C") + z + z + z},
            {"doorEdit_3", "", 98, z + z},
            {"doorEdit_3", "65535", 98, "\xFF\xFF"},
            {"groupEdit", "1,x,,2", 158, std::string("\x01\x02") + std::string(6, '\0')},
            {"groupEdit", "1,2,3,4,5,6,7,8,9,10", 158, "\x01\x02\x03\x04\x05\x06\x07\x08"},
            {"groupEdit", "300,5", 158, std::string("\x05") + std::string(7, '\0')},
            {"groupEdit", "0,5", 158, std::string("\x05") + std::string(7, '\0')},
        },
        "setButton", [&] { return bytesOf(sentCard(2003)); });
}

TEST_F(CardPageTest, NumbersOutsideTheirFieldsAreRefusedAndNothingIsSent) {
    expectRefused({
        {"doorEdit_5", "70000", "setButton", 2003, "5号门的取值范围为0~65535"},
        {"employeeEdit", "99999999999", "modifyButton", 2004, "工号的取值范围为-2147483648~2147483647"},
        {"cgSingleEdit", "256", "cgSetButton", 2039, "卡组的取值范围为0~255"},
        {"cgSingleEdit", "-1", "cgDeleteButton", 2038, "卡组的取值范围为0~255"},
        // Text that is no number is refused, never sent as 0 and reported done.
        {"employeeEdit", "12a", "setButton", 2003, "工号的取值范围为-2147483648~2147483647"},
        {"employeeEdit", "abc", "modifyButton", 2004, "工号的取值范围为-2147483648~2147483647"},
        {"doorEdit_3", "12a", "setButton", 2003, "3号门的取值范围为0~65535"},
        {"doorEdit_16", "-1", "modifyButton", 2004, "16号门的取值范围为0~65535"},
        {"cgSingleEdit", "x", "cgSetButton", 2039, "卡组的取值范围为0~255"},
    });
}

TEST_F(CardPageTest, AFailureShowsOneBoxAndChangesNoWidget) {
    putCard(fullCard());
    type("cardEdit", QString::fromUtf8("卡A-0001"));
    edit("passwordEdit")->setText("keep");
    unit->device->SetFault(2000, {devsim::Fault::ResultCode, 4});
    click("getButton");
    expectWarning("执行失败！ret = -1004, 命令无效");
    EXPECT_EQ(edit("passwordEdit")->text(), "keep");
    EXPECT_EQ(combo("comboBox")->currentIndex(), 0);

    unit->device->SetFault(2004, {devsim::Fault::ResultCode, 4});
    click("modifyButton");
    expectWarning("执行失败！ret = -1004,命令无效");
}

TEST_F(CardPageTest, DeleteSendsTheNumberClearsAskFirst) {
    putCard(fullCard());
    type("cardEdit", QString::fromUtf8("卡A-0001"));
    click("deleteButton");
    expectSuccess();
    EXPECT_FALSE(unit->device->GetRecord("accCard", bytes("卡A-0001")));

    for (const char* button : {"clearButton", "cgClearButton"}) {
        prompt.answers = {false};
        click(button);
        EXPECT_EQ(prompt.take().kind, Prompt::Question);
    }
    EXPECT_EQ(unit->count(2005), 0u);
    EXPECT_EQ(unit->count(2040), 0u);

    type("cgCardEdit", "C7");
    type("cgSingleEdit", "12");
    prompt.answers = {true, true};
    click("clearButton");
    click("cgClearButton");
    EXPECT_EQ(prompt.takeAll().size(), 4u);
    EXPECT_EQ(unit->count(2005), 1u);
    Np_AccCardGroupInfo only{};
    std::memcpy(only.cardNo, "C7", 2);
    EXPECT_EQ(unit->lastPayload(2040), bytesOf(only)) << "the card number alone, no group";
}

TEST_F(CardPageTest, CardGroupsOfOneCard) {
    type("cgCardEdit", "C7");
    type("cgSingleEdit", "12");
    click("cgSetButton");
    expectSuccess();
    Np_AccCardGroupInfo info{};
    std::memcpy(info.cardNo, "C7", 2);
    info.groupNo = 12;
    EXPECT_EQ(unit->lastPayload(2039), bytesOf(info));

    devsim::Bytes list(32, 0);
    list[0] = 4, list[1] = 7, list[2] = 0, list[3] = 9;
    unit->device->PutRecord("accCardGroup", bytes("C7"), list);
    click("cgGetButton");
    expectSuccess();
    EXPECT_EQ(edit("cgGroupEdit")->text(), "4,7");

    type("cgSingleEdit", "7");
    click("cgDeleteButton");
    expectSuccess();
    info.groupNo = 7;
    EXPECT_EQ(unit->lastPayload(2038), bytesOf(info));

    // Both card-number edits stop at 31 bytes, cut on a whole character.
    type("cgCardEdit", QString(40, 'c'));
    EXPECT_EQ(edit("cgCardEdit")->text(), QString(31, 'c'));
    type("cardEdit", QString::fromUtf8("卡").repeated(11));
    EXPECT_EQ(edit("cardEdit")->text(), QString::fromUtf8("卡").repeated(10));
}
