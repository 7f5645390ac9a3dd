#include <QCheckBox>
#include <QTextEdit>

#include "AccMultiConfigForm.h"
#include "AccPageTest.h"

using guitest::bytesOf;
using guitest::recordOf;

namespace {

class MultiPageTest : public acctest::PageTest<AccMultiConfigForm> {
  protected:
    QTextEdit* antiEdit() { return guitest::child<QTextEdit>(&page, "antiEdit"); }
    void setId(const char* box, const char* id) { combo(box)->setEditText(id); }
};

}  // namespace

TEST_F(MultiPageTest, EveryRuleReadsIntoTheWidgetsAndIsSentBackUnchanged) {
    Np_AccMultiLockInfo lock{};
    lock.doorNo = 7;
    lock.count = 62;  // the whole room
    for (int i = 0; i < 62; ++i) lock.doors[i] = static_cast<uint8_t>(i + 1);
    unit->device->PutRecord("accMultiLock", {7}, bytesOf(lock));
    pick("doorComboBox", 7);
    click("lockGetButton");
    expectSuccess();
    click("lockSetButton");
    expectSuccess();
    EXPECT_EQ(unit->lastPayload(2012), bytesOf(lock));

    Np_AccAntiInfo anti{};
    anti.count = 63;
    for (int i = 0; i < 63; ++i) anti.readers[i] = static_cast<uint8_t>(100 + i);
    unit->device->PutRecord("accAnti", {}, bytesOf(anti));
    click("antiGetButton");
    expectSuccess();
    click("antiSetButton");
    expectSuccess();
    EXPECT_EQ(unit->lastPayload(2023), bytesOf(anti));

    Np_AccMultiCardInfo card = guitest::patterned<Np_AccMultiCardInfo>(2);
    card.combinationId = 5;
    card.doorNo = 9;
    card.templateId = 1027;
    card.ordered = 1;
    card.offline = 1;
    card.readerPosition = 2;
    card.count = 5;
    const uint8_t groups[5] = {3, 6, 9, 12, 15};
    std::memcpy(card.groups, groups, 5);
    card.dailyFirstGroup = 1;
    card.centralAuth = 1;
    unit->device->PutRecord("accMultiCard", {5}, bytesOf(card));
    setId("cardComboBox", "5");
    click("cardGetButton");
    expectSuccess();
    EXPECT_EQ(edit("cardGroupEdit")->text(), "3,6,9,12,15");
    EXPECT_EQ(combo("cardReaderComboBox")->currentText(), QString::fromUtf8("2-内"));
    click("cardSetButton");
    expectSuccess();
    EXPECT_EQ(unit->lastPayload(2016),
              bytesOf(acctest::zeroed(card, offsetof(Np_AccMultiCardInfo, reserved), sizeof card.reserved)));

    Np_AccLinkageInfo link = guitest::patterned<Np_AccLinkageInfo>(6);
    link.linkageId = 8;
    link.eventNo = -2;
    link.inputSource = 1;
    link.inputNo = 33;
    link.outputSource = 0;
    link.outputNo = 44;
    link.actionType = 4;
    link.actionDelay = 55;
    unit->device->PutRecord("accLinkage", {8}, bytesOf(link));
    setId("linkComboBox", "8");
    click("linkGetButton");
    expectSuccess();
    EXPECT_EQ(edit("linkEventEdit")->text(), "-2");
    click("linkSetButton");
    expectSuccess();
    EXPECT_EQ(unit->lastPayload(2020),
              bytesOf(acctest::zeroed(link, offsetof(Np_AccLinkageInfo, reserved), sizeof link.reserved)));
}

TEST_F(MultiPageTest, ListsAreWrittenWithinTheirRoomWithoutZeros) {
    struct Case {
        QString text;
        std::vector<uint8_t> entries;
    };
    QString seventy;
    std::vector<uint8_t> first62;
    for (int i = 1; i <= 70; ++i) seventy += QString::number(i) + ",";
    for (int i = 1; i <= 62; ++i) first62.push_back(static_cast<uint8_t>(i));
    const Case cases[] = {
        {"2,,3,x,4", {2, 3, 4}},
        {"300", {}},
        {"0,5", {5}},        // 0 would end the list when read back and hide the 5
        {seventy, first62},  // never past the room
    };
    for (const Case& c : cases) {
        type("lockDoorEdit", c.text);
        click("lockSetButton");
        expectSuccess();
        const auto lock = recordOf<Np_AccMultiLockInfo>(unit->lastPayload(2012));
        EXPECT_EQ(lock.count, c.entries.size()) << c.text.toStdString();
        std::vector<uint8_t> want = c.entries;
        want.resize(sizeof lock.doors, 0);
        EXPECT_EQ(std::vector<uint8_t>(lock.doors, lock.doors + sizeof lock.doors), want)
            << c.text.toStdString();
    }

    type("cardGroupEdit", "1,2,3,4,5,6,7");
    click("cardSetButton");
    expectSuccess();
    const auto card = recordOf<Np_AccMultiCardInfo>(unit->lastPayload(2016));
    EXPECT_EQ(card.count, 5);
    EXPECT_EQ(card.groups[4], 5);
    EXPECT_EQ(card.dailyFirstGroup, 0) << "the flags behind the groups come from their boxes only";

    antiEdit()->setPlainText("0,9,256,10");
    click("antiSetButton");
    expectSuccess();
    const auto anti = recordOf<Np_AccAntiInfo>(unit->lastPayload(2023));
    EXPECT_EQ(anti.count, 2);
    EXPECT_EQ(anti.readers[0], 9);
    EXPECT_EQ(anti.readers[1], 10);
}

TEST_F(MultiPageTest, ListsAreReadWithinTheirRoomUpToTheFirstZero) {
    Np_AccMultiCardInfo card{};
    card.combinationId = 3;
    card.count = 9;  // more than the five groups the record holds
    const uint8_t groups[5] = {1, 2, 3, 4, 5};
    std::memcpy(card.groups, groups, 5);
    card.dailyFirstGroup = 1;
    unit->device->PutRecord("accMultiCard", {3}, bytesOf(card));
    setId("cardComboBox", "3");
    click("cardGetButton");
    expectSuccess();
    EXPECT_EQ(edit("cardGroupEdit")->text(), "1,2,3,4,5");

    Np_AccMultiLockInfo lock{};
    lock.doorNo = 1;
    lock.count = 3;
    lock.doors[0] = 4, lock.doors[1] = 0, lock.doors[2] = 6;
    unit->device->PutRecord("accMultiLock", {1}, bytesOf(lock));
    click("lockGetButton");
    expectSuccess();
    EXPECT_EQ(edit("lockDoorEdit")->text(), "4");

    antiEdit()->setPlainText("stale");
    click("antiGetButton");  // nothing stored: count 0
    expectSuccess();
    EXPECT_EQ(antiEdit()->toPlainText(), "");
}

TEST_F(MultiPageTest, NumbersOutsideTheirFieldsAreRefusedAndNothingIsSent) {
    expectRefused({
        {"linkEventEdit", "2147483648", "linkSetButton", 2020, "事件编号的取值范围为-2147483648~2147483647"},
        {"linkInputEdit", "256", "linkSetButton", 2020, "输入源编号的取值范围为0~255"},
        {"cardChannelEdit", "300", "cardSetButton", 2016, "门编号的取值范围为0~255"},
        {"cardTemplateEdit", "65536", "cardSetButton", 2016, "计划模板id的取值范围为0~65535"},
        {"cardComboBox", "256", "cardDelButton", 2015, "多卡组合id的取值范围为0~255"},
        {"linkComboBox", "999", "linkGetButton", 2018, "联动任务id的取值范围为0~255"},
    });
}

TEST_F(MultiPageTest, IdRefillsAskForTheirOwnKind) {
    unit->device->SetHandler(1044, [](const devsim::Request& r) {
        Np_IdList ids{};
        ids.count = 1;
        ids.ids[0] = static_cast<uint8_t>(40 + r.plain.at(0));  // kind 0 gives 40, kind 1 gives 41
        return devsim::StatusPayload(0, bytesOf(ids));
    });
    press("cardComboBox");
    press("linkComboBox");
    EXPECT_EQ(combo("cardComboBox")->itemText(0), "41");
    EXPECT_EQ(combo("linkComboBox")->itemText(0), "40");
}

TEST_F(MultiPageTest, DeletesSendAtOnceClearsAskFirst) {
    pick("doorComboBox", 4);
    click("lockDelButton");
    setId("cardComboBox", "6");
    click("cardDelButton");
    setId("linkComboBox", "");
    click("linkDelButton");
    EXPECT_EQ(prompt.takeAll().size(), 3u);
    EXPECT_EQ(unit->lastPayload(2011).at(0), 4);
    EXPECT_EQ(unit->lastPayload(2015).at(0), 6);
    EXPECT_EQ(unit->lastPayload(2019).at(0), 0);

    const std::pair<const char*, uint32_t> clears[] = {{"lockClearButton", 2013},
                                                       {"antiClearButton", 2024},
                                                       {"cardClearButton", 2017},
                                                       {"linkClearButton", 2021}};
    for (const auto& [button, cmd] : clears) {
        prompt.answers = {false};
        click(button);
        EXPECT_EQ(prompt.take().kind, Prompt::Question);
        EXPECT_EQ(unit->count(cmd), 0u) << button;
        prompt.answers = {true};
        click(button);
        EXPECT_EQ(prompt.takeAll().size(), 2u);
        EXPECT_EQ(unit->count(cmd), 1u) << button;
    }
}

TEST_F(MultiPageTest, AFailedReadShowsOneBoxAndChangesNoWidget) {
    edit("linkEventEdit")->setText("keep");
    unit->device->SetFault(2018, {devsim::Fault::ResultCode, 4});
    click("linkGetButton");
    expectWarning("执行失败！ret = -1004, 命令无效");
    EXPECT_EQ(edit("linkEventEdit")->text(), "keep");
    unit->device->SetFault(2012, {devsim::Fault::ResultCode, 4});
    click("lockSetButton");
    expectWarning("执行失败！ret = -1004,命令无效");
}
