#include "AccControlForm.h"
#include "AccPageTest.h"

using guitest::bytesOf;

namespace {

using ControlPageTest = acctest::PageTest<AccControlForm>;

devsim::Bytes command(uint8_t first, uint8_t second) {
    devsim::Bytes b(32, 0);
    b[0] = first;
    b[1] = second;
    return b;
}

}  // namespace

TEST_F(ControlPageTest, DoorStatesReadAsTheirTexts) {
    struct Case {
        uint8_t lock, door, mode;
        const char* lockText;
        const char* doorText;
        const char* modeText;
    };
    const Case cases[] = {
        {5, 0, 3, "1-开", "0-关", "3-常开"},
        {0, 1, 9, "0-关", "1-开", "9-工作常闭"},
        {0, 7, 0, "0-关", "1-开", "UNKNOWN"},  // never the previous door's state
        {1, 0, 10, "1-开", "0-关", "UNKNOWN"},
    };
    pick("stateComboBox", 6);
    for (const Case& c : cases) {
        Np_AccChannelState state{};
        state.channel = 6;
        state.lockState = c.lock;
        state.doorState = c.door;
        state.modeState = c.mode;
        unit->device->PutRecord("accChannelState", {6}, bytesOf(state));
        click("stateGetButton");
        expectSuccess();
        EXPECT_EQ(edit("lockStateEdit")->text(), QString::fromUtf8(c.lockText));
        EXPECT_EQ(edit("doorStateEdit")->text(), QString::fromUtf8(c.doorText));
        EXPECT_EQ(edit("modeStateEdit")->text(), QString::fromUtf8(c.modeText)) << int(c.mode);
    }
    EXPECT_EQ(unit->lastPayload(2008).at(0), 6);

    unit->device->SetFault(2008, {devsim::Fault::ResultCode, 4});
    click("stateGetButton");
    expectWarning("执行失败！ret = -1004, 命令无效");
    EXPECT_EQ(edit("lockStateEdit")->text(), QString::fromUtf8("1-开"));
    EXPECT_EQ(edit("modeStateEdit")->text(), "UNKNOWN");
}

TEST_F(ControlPageTest, CommandsAreSentAsTheDeviceReadsThem) {
    pick("channelComboBox", 5);
    pick("cmdComboBox", 3);
    click("controlButton");
    expectSuccess();
    EXPECT_EQ(unit->lastPayload(2009), command(5, 3));

    type("ioEdit", "200");
    pick("ioCmdComboBox", 3);
    click("ioControlButton");
    expectSuccess();
    EXPECT_EQ(unit->lastPayload(2031), command(200, 3));

    for (int code : {1, 2}) {  // "1-开" switches the port on, "2-关" off
        pick("testComboBox", code);
        click("testButton");
        expectSuccess();
        EXPECT_EQ(unit->lastPayload(1400), command(static_cast<uint8_t>(code), 0));
    }

    unit->device->SetFault(2009, {devsim::Fault::ResultCode, 4});
    click("controlButton");
    expectWarning("执行失败！ret = -1004,命令无效");
}

TEST_F(ControlPageTest, IoParametersRoundTrip) {
    Np_AccIOParams io = guitest::patterned<Np_AccIOParams>(4);
    io.ioNo = 12;
    io.outputPolarity = 1;
    io.inputPolarity = 0;
    io.outputDuration = 77;
    unit->device->PutRecord("accIOParams", {12}, bytesOf(io));
    type("ioConfigEdit", "12");
    click("ioGetButton");
    expectSuccess();
    EXPECT_EQ(combo("outputTypeComboBox")->currentText(), QString::fromUtf8("1-常开"));
    EXPECT_EQ(combo("inputTypeComboBox")->currentText(), QString::fromUtf8("0-常闭"));
    EXPECT_EQ(edit("ouputTimeEdit")->text(), "77");
    click("ioSetButton");
    expectSuccess();
    EXPECT_EQ(unit->lastPayload(2033),
              bytesOf(acctest::zeroed(io, offsetof(Np_AccIOParams, reserved), sizeof io.reserved)));

    // A polarity no item shows: no selection, and written back unchanged.
    io.inputPolarity = 3;
    unit->device->PutRecord("accIOParams", {12}, bytesOf(io));
    click("ioGetButton");
    expectSuccess();
    EXPECT_EQ(combo("inputTypeComboBox")->currentIndex(), -1);
    click("ioSetButton");
    expectSuccess();
    EXPECT_EQ(unit->lastPayload(2033).at(2), 3);
}

TEST_F(ControlPageTest, NumbersOutsideTheirFieldsAreRefusedAndNothingIsSent) {
    expectRefused({
        {"ioEdit", "257", "ioControlButton", 2031, "辅助io编号的取值范围为0~255"},
        {"ioConfigEdit", "300", "ioGetButton", 2032, "io编号的取值范围为0~255"},
        {"ouputTimeEdit", "256", "ioSetButton", 2033, "输出持续时间(s)的取值范围为0~255"},
    });
}
