#include <QCheckBox>

#include "AccChannelConfigForm.h"
#include "AccPageTest.h"
#include "PageKit.h"

using guitest::bytesOf;
using guitest::recordOf;

namespace {

using ChannelPageTest = acctest::PageTest<AccChannelConfigForm>;

// Door 3 with a distinct value in every field and in the reserved bytes.
Np_AccChannelInfo door3() {
    Np_AccChannelInfo d = guitest::patterned<Np_AccChannelInfo>(5);
    d.channel = 3;
    d.lockType = 1;
    d.magneticType = 0;
    d.openButtonType = 1;
    d.ioType = 2;
    d.openDuration = 45;
    d.alarmTime = 67;
    d.dailyFirst = 1;
    d.leaderTime = 4660;
    kit::copyText(d.duressPassword, "1234567");
    kit::copyText(d.superPassword, QString::fromUtf8("密码"));
    kit::copyText(d.releaseCode, "abc");
    d.templateId = 513;
    d.antiPassback = 1;
    d.openCount = 89;
    return d;
}

}  // namespace

TEST_F(ChannelPageTest, ADoorReadFillsEveryWidgetAndTheSetSendsItBack) {
    const Np_AccChannelInfo door = door3();
    unit->device->PutRecord("accChannel", {3}, bytesOf(door));
    pick("channelComboBox", 3);
    click("getButton");
    expectSuccess();
    EXPECT_EQ(unit->lastPayload(2006).at(0), 3);
    EXPECT_EQ(combo("ioTypeComboBox")->currentText(), QString::fromUtf8("2-启用为辅助输入"));
    EXPECT_EQ(edit("leaderTimeEdit")->text(), "4660");
    EXPECT_EQ(edit("superEdit")->text(), QString::fromUtf8("密码"));
    EXPECT_TRUE(guitest::child<QCheckBox>(&page, "antiCheckBox")->isChecked());

    click("setButton");
    expectSuccess();
    EXPECT_EQ(unit->lastPayload(2007),
              bytesOf(acctest::zeroed(door, offsetof(Np_AccChannelInfo, reserved), sizeof door.reserved)));
}

TEST_F(ChannelPageTest, ReplyValuesNoWidgetCanShowAreShownAsSuchAndKept) {
    Np_AccChannelInfo door = door3();
    door.ioType = 7;
    std::memcpy(door.duressPassword, "ABCDEFGH", 8);  // fills its field, no NUL
    unit->device->PutRecord("accChannel", {3}, bytesOf(door));
    pick("channelComboBox", 3);
    click("getButton");
    expectSuccess();
    EXPECT_EQ(combo("ioTypeComboBox")->currentIndex(), -1);
    EXPECT_EQ(edit("stressEdit")->text(), "ABCDEFGH") << "never run on into the next field";
    EXPECT_EQ(edit("openCountEdit")->text(), "89");
    click("setButton");
    expectSuccess();
    EXPECT_EQ(recordOf<Np_AccChannelInfo>(unit->lastPayload(2007)).ioType, 7);
}

TEST_F(ChannelPageTest, FieldsAreEncodedAsTheDeviceReadsThem) {
    const std::string z(1, '\0');
    expectEncoded(
        {
            {"superEdit", "12345678", 18, "1234567" + z},
            {"superEdit", QString::fromUtf8("ab密码"), 18, "ab密" + z + z + z},  // cut on a whole character
            {"stressEdit", QString::fromUtf8("密码中"), 10, "密码" + z + z},
            {"unlockEdit", "x", 26, "x" + std::string(7, '\0')},
            {"openDurationEdit", "255", 5, "\xFF"},
            {"leaderTimeEdit", "65535", 8, "\xFF\xFF"},
            {"openCountEdit", "7", 37, "\x07"},
        },
        "setButton", [&] { return unit->lastPayload(2007); });
}

TEST_F(ChannelPageTest, NumbersOutsideTheirFieldsAreRefusedAndNothingIsSent) {
    expectRefused({
        {"openDurationEdit", "300", "setButton", 2007, "开门持续时间(s)的取值范围为0~255"},
        {"leaderTimeEdit", "65536", "setButton", 2007, "首卡常开持续时间(min)的取值范围为0~65535"},
        {"templateEdit", "abc", "setButton", 2007, "计划模板id的取值范围为0~65535"},
        {"channelEdit", "256", "modeSetButton", 2029, "本地门点的取值范围为0~255"},
        {"workmodeComboBox", "256", "modeGetButton", 2027, "门工作模式id的取值范围为0~255"},
        {"workmodeComboBox", "-1", "modeDelButton", 2028, "门工作模式id的取值范围为0~255"},
    });
}

TEST_F(ChannelPageTest, WorkModesWithTheirIdRefill) {
    Np_IdList ids{};
    ids.count = 2;
    ids.ids[0] = 7, ids.ids[1] = 9;
    unit->device->SetHandler(1044, [&](const devsim::Request& r) {
        EXPECT_EQ(r.plain.at(0), 5);  // door work modes
        return devsim::StatusPayload(0, bytesOf(ids));
    });
    press("workmodeComboBox");
    press("workmodeComboBox");
    QComboBox* id = combo("workmodeComboBox");
    ASSERT_EQ(id->count(), 2) << "refilled afresh, not piled up";
    EXPECT_EQ(id->itemText(1), "9");
    id->setCurrentIndex(1);

    Np_AccWorkModeParams mode = guitest::patterned<Np_AccWorkModeParams>(9);
    mode.workModeId = 9;
    mode.channel = 4;
    mode.templateId = 770;
    mode.exitMode = 5;
    mode.entryMode = 2;
    unit->device->PutRecord("accWorkMode", {9}, bytesOf(mode));
    click("modeGetButton");
    expectSuccess();
    EXPECT_EQ(combo("outComboBox")->currentText(), QString::fromUtf8("5-常闭"));
    EXPECT_EQ(edit("modeTemplateEdit")->text(), "770");
    click("modeSetButton");
    expectSuccess();
    EXPECT_EQ(unit->lastPayload(2029),
              bytesOf(acctest::zeroed(mode, offsetof(Np_AccWorkModeParams, reserved), sizeof mode.reserved)));

    // A device that cannot list leaves the box empty and says nothing; an
    // empty id deletes work mode 0 without asking.
    unit->device->SetHandler(1044, {});
    unit->device->SetFault(1044, {devsim::Fault::ResultCode, 8});
    press("workmodeComboBox");
    EXPECT_EQ(id->count(), 0);
    EXPECT_TRUE(prompt.boxes.empty());
    id->setEditText("");
    click("modeDelButton");
    expectSuccess();
    EXPECT_EQ(unit->lastPayload(2028).at(0), 0);

    prompt.answers = {false};
    click("modeClearButton");
    EXPECT_EQ(prompt.take().kind, Prompt::Question);
    EXPECT_EQ(unit->count(2030), 0u);
    prompt.answers = {true};
    click("modeClearButton");
    EXPECT_EQ(prompt.takeAll().size(), 2u);
    EXPECT_EQ(unit->count(2030), 1u);
}

TEST_F(ChannelPageTest, AFailedReadShowsOneBoxAndChangesNoWidget) {
    unit->device->PutRecord("accChannel", {1}, bytesOf(door3()));
    edit("openCountEdit")->setText("keep");
    unit->device->SetFault(2006, {devsim::Fault::ResultCode, 4});
    click("getButton");
    expectWarning("执行失败！ret = -1004, 命令无效");
    EXPECT_EQ(edit("openCountEdit")->text(), "keep");
    EXPECT_EQ(combo("ioTypeComboBox")->currentIndex(), 0);
}
