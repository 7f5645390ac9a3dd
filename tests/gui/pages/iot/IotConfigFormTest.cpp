#include <QComboBox>
#include <QLineEdit>

#include "GuiHarness.h"
#include "IotConfigForm.h"
#include "TslIoT.h"

using guitest::bytesOf;
using guitest::child;
using guitest::click;
using guitest::recordOf;

namespace {

const uint32_t kGetInput = 3005, kSetInput = 3006, kClearInput = 3007;
const uint32_t kGetOutput = 3009, kSetOutput = 3010, kClearOutput = 3011;

class IotConfigFormTest : public guitest::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        unit = &addDevice(101);
        page = std::make_unique<IotConfigForm>();
    }
    QLineEdit* edit(const char* name) { return child<QLineEdit>(page.get(), name); }
    QComboBox* combo(const char* name) { return child<QComboBox>(page.get(), name); }

    guitest::SimUnit* unit = nullptr;
    std::unique_ptr<IotConfigForm> page;
};

Np_IoTInputParams inputRecord() {
    Np_IoTInputParams r{};
    r.channel = 64;
    r.debounceTime = 201;
    r.inputType = 2;
    std::strcpy(r.name, "北门 input-7");
    return r;
}

Np_IoTOutputParams outputRecord() {
    Np_IoTOutputParams r{};
    r.channel = 37;
    r.closeDelay = 11;
    r.closeHold = 122;
    r.openDelay = 233;
    r.openHold = 255;
    std::strcpy(r.name, "警铃输出");
    return r;
}

}  // namespace

TEST_F(IotConfigFormTest, APortReadFillsTheWidgetsAndASetSendsTheSameBytesBack) {
    const Np_IoTInputParams in = inputRecord();
    const Np_IoTOutputParams out = outputRecord();
    unit->device->PutRecord("iotInput", {64}, bytesOf(in));
    unit->device->PutRecord("iotOutput", {37}, bytesOf(out));

    combo("inputChannelComboBox")->setCurrentIndex(63);
    click(page.get(), "inputGetButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
    EXPECT_EQ(unit->lastPayload(kGetInput).at(0), 64);
    EXPECT_EQ(edit("inputDelayTimeEdit")->text(), "201");
    EXPECT_EQ(combo("inputTypeComboBox")->currentText(), QString::fromUtf8("2-断开型"));
    EXPECT_EQ(edit("inputNameEdit")->text(), QString::fromUtf8("北门 input-7"));
    click(page.get(), "inputSetButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
    EXPECT_EQ(unit->lastPayload(kSetInput), bytesOf(in));

    combo("outputChannelComboBox")->setCurrentIndex(36);
    click(page.get(), "outputGetButton");
    prompt.take();
    EXPECT_EQ(edit("outputCloseDelayTimeEdit")->text(), "11");
    EXPECT_EQ(edit("outputCloseHoldTimeEdit")->text(), "122");
    EXPECT_EQ(edit("outputOpenDelayTimeEdit")->text(), "233");
    EXPECT_EQ(edit("outputOpenHoldTimeEdit")->text(), "255");
    EXPECT_EQ(edit("outputNameEdit")->text(), QString::fromUtf8("警铃输出"));
    click(page.get(), "outputSetButton");
    prompt.take();
    EXPECT_EQ(unit->lastPayload(kSetOutput), bytesOf(out));
}

TEST_F(IotConfigFormTest, FieldEncodings) {
    struct Case {
        const char* delay;
        const char* name;
        uint8_t debounce;
        const char* sentName;  // whole characters only, at most 30 bytes
    };
    const Case cases[] = {
        {"0", "", 0, ""},
        {"255", "abc", 255, "abc"},
        {"12", "一二三四五六七八九十壹", 12, "一二三四五六七八九十"},
        {"9", "123456789012345678901234567890X", 9, "123456789012345678901234567890"},
        {"9", "12345678901234567890123456789一", 9, "12345678901234567890123456789"},
    };
    for (const Case& c : cases) {
        edit("inputDelayTimeEdit")->setText(c.delay);
        edit("inputNameEdit")->setText(QString::fromUtf8(c.name));
        combo("inputChannelComboBox")->setCurrentIndex(4);
        combo("inputTypeComboBox")->setCurrentIndex(1);
        click(page.get(), "inputSetButton");
        prompt.take();
        Np_IoTInputParams want{};
        want.channel = 5;
        want.debounceTime = c.debounce;
        want.inputType = 1;
        std::strcpy(want.name, c.sentName);
        EXPECT_EQ(unit->lastPayload(kSetInput), bytesOf(want)) << c.name;
    }
}

TEST_F(IotConfigFormTest, AnInputTypeNoItemShowsIsWrittenBackUnchanged) {
    Np_IoTInputParams in = inputRecord();
    in.inputType = 3;
    unit->device->PutRecord("iotInput", {64}, bytesOf(in));
    combo("inputChannelComboBox")->setCurrentIndex(63);
    click(page.get(), "inputGetButton");
    prompt.take();
    EXPECT_EQ(combo("inputTypeComboBox")->currentIndex(), -1);
    click(page.get(), "inputSetButton");
    prompt.take();
    EXPECT_EQ(recordOf<Np_IoTInputParams>(unit->lastPayload(kSetInput)).inputType, 3);
}

TEST_F(IotConfigFormTest, TimesOutsideTheirByteAreRefusedAndNothingIsSent) {
    struct Case {
        const char* edit;
        const char* text;
        const char* button;
        const char* warning;
    };
    const Case cases[] = {
        {"inputDelayTimeEdit", "-1", "inputSetButton", "消抖时间的取值范围为0~255"},
        {"inputDelayTimeEdit", "300", "inputSetButton", "消抖时间的取值范围为0~255"},
        {"inputDelayTimeEdit", "x7", "inputSetButton", "消抖时间的取值范围为0~255"},
        {"outputCloseDelayTimeEdit", "-1", "outputSetButton", "闭合延时时间的取值范围为0~255"},
        {"outputCloseHoldTimeEdit", "256", "outputSetButton", "闭合持续时间的取值范围为0~255"},
        {"outputOpenDelayTimeEdit", "1000", "outputSetButton", "断开延时时间的取值范围为0~255"},
        {"outputOpenHoldTimeEdit", "-7", "outputSetButton", "断开持续时间的取值范围为0~255"},
    };
    for (const Case& c : cases) {
        edit(c.edit)->setText(c.text);
        click(page.get(), c.button);
        const guitest::Box b = prompt.take();
        EXPECT_EQ(b.kind, Prompt::Warning) << c.edit;
        EXPECT_EQ(b.text, QString::fromUtf8(c.warning));
        edit(c.edit)->setText("1");
    }
    EXPECT_EQ(unit->count(kSetInput), 0u);
    EXPECT_EQ(unit->count(kSetOutput), 0u);
}

TEST_F(IotConfigFormTest, AFailedReadShowsOneBoxAndChangesNoWidget) {
    edit("inputNameEdit")->setText("kept");
    edit("inputDelayTimeEdit")->setText("3");
    unit->device->SetFault(kGetInput, {devsim::Fault::ResultCode, 4});
    click(page.get(), "inputGetButton");
    const guitest::Box b = prompt.take();
    EXPECT_EQ(b.kind, Prompt::Warning);
    EXPECT_EQ(b.text, QString::fromUtf8("执行失败！ret = -1004, 命令无效"));
    EXPECT_EQ(edit("inputNameEdit")->text(), "kept");
    EXPECT_EQ(edit("inputDelayTimeEdit")->text(), "3");
    EXPECT_EQ(combo("inputTypeComboBox")->currentIndex(), 0);

    unit->device->SetFault(kSetOutput, {devsim::Fault::ResultCode, 4});
    click(page.get(), "outputSetButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1004,命令无效"));
}

TEST_F(IotConfigFormTest, ClearingAsksFirst) {
    prompt.answers = {false, false};
    click(page.get(), "inputClearButton");
    click(page.get(), "outputClearButton");
    EXPECT_EQ(prompt.takeAll().size(), 2u);
    EXPECT_EQ(unit->count(kClearInput) + unit->count(kClearOutput), 0u);
    prompt.answers = {true, true};
    click(page.get(), "inputClearButton");
    click(page.get(), "outputClearButton");
    EXPECT_EQ(prompt.takeAll().size(), 4u);
    EXPECT_EQ(unit->count(kClearInput), 1u);
    EXPECT_EQ(unit->count(kClearOutput), 1u);
}
