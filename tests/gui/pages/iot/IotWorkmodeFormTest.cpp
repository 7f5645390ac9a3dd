// Both work-mode pages stand on one base; every case runs on each page.
#include <QCheckBox>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QScrollArea>

#include "GuiHarness.h"
#include "IotInputWidget.h"
#include "IotLoraWorkmodeForm.h"
#include "IotOutputWidget.h"
#include "IotWorkmodeForm.h"
#include "PageKitRows.h"
#include "TslIoT.h"

using guitest::bytesOf;
using guitest::child;
using guitest::click;
using guitest::recordOf;

namespace {

struct PageKind {
    const char* name;
    std::function<QWidget*()> make;
    const char* group;  // simulator store
    uint32_t get, del, set, clear;
};

void PrintTo(const PageKind& kind, std::ostream* os) {
    *os << kind.name;
}

const PageKind kOrdinary{"ordinary", [] { return new IotWorkmodeForm; }, "iotWorkMode", 3001, 3002, 3003,
                         3004};
const PageKind kLora{"lora", [] { return new IotLoraWorkmodeForm; }, "iotLoraWorkMode", 3029, 3030, 3031,
                     3032};

class IotWorkmodeFormTest : public guitest::GuiTest, public ::testing::WithParamInterface<PageKind> {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        unit = &addDevice(101);
        page.reset(GetParam().make());
    }
    QLineEdit* edit(const char* name) { return child<QLineEdit>(page.get(), name); }
    QComboBox* mode() { return child<QComboBox>(page.get(), "comboBox"); }
    template <class Row>
    Row* row(const char* area, int n) {
        Row* r = kit::rowAt<Row>(child<QScrollArea>(page.get(), area)->widget()->layout(), n - 1);
        EXPECT_NE(r, nullptr) << area << " row " << n;
        return r;
    }
    IotInputWidget* in(int n) { return row<IotInputWidget>("inputScrollArea", n); }
    IotOutputWidget* out(int n) { return row<IotOutputWidget>("outputScrollArea", n); }
    QComboBox* box(QWidget* row, const char* name) { return child<QComboBox>(row, name); }
    QCheckBox* check(QWidget* row) { return child<QCheckBox>(row, "enableCheckBox"); }

    Np_IoTWorkModeParams readBack(uint8_t id, const Np_IoTWorkModeParams& served) {
        unit->device->PutRecord(GetParam().group, {id}, bytesOf(served));
        edit("workmodeIdEdit")->setText(QString::number(id));
        click(page.get(), "getButton");
        EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
        click(page.get(), "setButton");
        EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
        return recordOf<Np_IoTWorkModeParams>(unit->lastPayload(GetParam().set));
    }

    guitest::SimUnit* unit = nullptr;
    std::unique_ptr<QWidget> page;
};

// Every port different, every array on its own pattern.
Np_IoTWorkModeParams distinctMode() {
    Np_IoTWorkModeParams m{};
    m.workModeId = 77;
    m.templateId = 0xBEEF;
    m.mode = 6;
    for (int i = 0; i < 64; ++i) {
        m.inputEnable[i] = static_cast<uint8_t>(i % 2);
        m.inputLevel[i] = static_cast<uint8_t>(i % 3);
        m.outputAction[i] = static_cast<uint8_t>((i / 2) % 2);
        m.outputEnable[i] = static_cast<uint8_t>((i / 3) % 2);
        m.outputState[i] = static_cast<uint8_t>((i / 5) % 2);
    }
    return m;
}

}  // namespace

TEST_P(IotWorkmodeFormTest, AReadFillsEveryRowAndASetSendsTheSameBytesBack) {
    const Np_IoTWorkModeParams m = distinctMode();
    EXPECT_EQ(bytesOf(readBack(77, m)), bytesOf(m));
    EXPECT_EQ(unit->lastPayload(GetParam().get).at(0), 77);
    EXPECT_EQ(edit("workmodeIdEdit")->text(), "77");
    EXPECT_EQ(edit("templateEdit")->text(), "48879");
    EXPECT_EQ(mode()->currentText(), QString::fromUtf8("定时"));
    for (int n : {1, 2, 3, 17, 64}) {
        const int i = n - 1;
        EXPECT_EQ(check(in(n))->isChecked(), m.inputEnable[i] != 0) << n;
        EXPECT_EQ(box(in(n), "levelComboBox")->currentIndex(), m.inputLevel[i]) << n;
        EXPECT_EQ(check(out(n))->isChecked(), m.outputEnable[i] != 0) << n;
        EXPECT_EQ(box(out(n), "actionComboBox")->currentIndex(), m.outputAction[i]) << n;
        EXPECT_EQ(box(out(n), "stateComboBox")->currentIndex(), m.outputState[i]) << n;
    }
}

TEST_P(IotWorkmodeFormTest, ValuesNoItemShowsAreWrittenBackUnchanged) {
    Np_IoTWorkModeParams m = distinctMode();
    m.mode = 3;
    m.inputLevel[5] = 3;
    m.outputAction[6] = 9;
    m.outputState[63] = 255;
    const Np_IoTWorkModeParams sent = readBack(77, m);
    EXPECT_EQ(mode()->currentIndex(), -1);
    EXPECT_EQ(box(in(6), "levelComboBox")->currentIndex(), -1);
    EXPECT_EQ(box(out(64), "stateComboBox")->currentIndex(), -1);
    EXPECT_EQ(bytesOf(sent), bytesOf(m));
}

TEST_P(IotWorkmodeFormTest, FieldEncodings) {
    // A fresh page: mode "1对1", nothing enabled, low levels, follow, closed.
    edit("workmodeIdEdit")->setText("5");
    click(page.get(), "setButton");
    prompt.take();
    Np_IoTWorkModeParams want{};
    want.workModeId = 5;
    for (uint8_t& s : want.outputState) s = 1;
    EXPECT_EQ(unit->lastPayload(GetParam().set), bytesOf(want));

    struct Case {
        const char* id;
        const char* templ;
        int modeIndex;
        uint8_t wantId;
        uint16_t wantTemplate;
        uint8_t wantMode;
    };
    const Case cases[] = {
        {"255", "65535", 1, 255, 65535, 4},
        {"0", "0", 2, 0, 0, 5},
        {"", "", 3, 0, 0, 6},
        {" 9 ", "12", 4, 9, 12, 7},
    };
    check(in(64))->setChecked(true);
    box(in(64), "levelComboBox")->setCurrentIndex(2);
    check(out(1))->setChecked(true);
    box(out(1), "actionComboBox")->setCurrentIndex(1);
    box(out(1), "stateComboBox")->setCurrentIndex(0);
    want.inputEnable[63] = 1;
    want.inputLevel[63] = 2;
    want.outputEnable[0] = 1;
    want.outputAction[0] = 1;
    want.outputState[0] = 0;
    for (const Case& c : cases) {
        edit("workmodeIdEdit")->setText(c.id);
        edit("templateEdit")->setText(c.templ);
        mode()->setCurrentIndex(c.modeIndex);
        click(page.get(), "setButton");
        prompt.take();
        want.workModeId = c.wantId;
        want.templateId = c.wantTemplate;
        want.mode = c.wantMode;
        EXPECT_EQ(unit->lastPayload(GetParam().set), bytesOf(want)) << c.id;
    }
}

TEST_P(IotWorkmodeFormTest, NumbersOutsideTheirFieldsAreRefusedAndNothingIsSent) {
    struct Case {
        const char* id;
        const char* templ;
        const char* button;
        const char* warning;
    };
    const Case cases[] = {
        {"256", "1", "getButton", "工作模式id的取值范围为0~255"},
        {"256", "1", "setButton", "工作模式id的取值范围为0~255"},
        {"256", "1", "deleteButton", "工作模式id的取值范围为0~255"},
        {"-1", "1", "deleteButton", "工作模式id的取值范围为0~255"},
        {"1", "70000", "setButton", "计划模板id的取值范围为0~65535"},
        {"1", "-1", "setButton", "计划模板id的取值范围为0~65535"},
        {"x", "1", "setButton", "工作模式id的取值范围为0~255"},
        {"1", "12a", "setButton", "计划模板id的取值范围为0~65535"},
    };
    for (const Case& c : cases) {
        edit("workmodeIdEdit")->setText(c.id);
        edit("templateEdit")->setText(c.templ);
        click(page.get(), c.button);
        const guitest::Box b = prompt.take();
        EXPECT_EQ(b.kind, Prompt::Warning) << c.button;
        EXPECT_EQ(b.text, QString::fromUtf8(c.warning)) << c.button;
    }
    EXPECT_EQ(unit->count(GetParam().get) + unit->count(GetParam().set) + unit->count(GetParam().del), 0u);
}

TEST_P(IotWorkmodeFormTest, DeleteSendsTheIdInThePagesFormAndClearAsks) {
    edit("workmodeIdEdit")->setText("200");
    click(page.get(), "deleteButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
    // A bare id in front of zeros, or the 32-byte key: the same bytes.
    devsim::Bytes want(32, 0);
    want[0] = 200;
    EXPECT_EQ(unit->lastPayload(GetParam().del), want);

    prompt.answers = {false};
    click(page.get(), "clearButton");
    prompt.take();
    EXPECT_EQ(unit->count(GetParam().clear), 0u);
    prompt.answers = {true};
    click(page.get(), "clearButton");
    EXPECT_EQ(prompt.takeAll().size(), 2u);
    EXPECT_EQ(unit->count(GetParam().clear), 1u);
}

TEST_P(IotWorkmodeFormTest, AFailedReadShowsOneBoxAndChangesNoWidget) {
    edit("templateEdit")->setText("12");
    check(in(3))->setChecked(true);
    unit->device->SetFault(GetParam().get, {devsim::Fault::ResultCode, 4});
    edit("workmodeIdEdit")->setText("1");
    click(page.get(), "getButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1004, 命令无效"));
    EXPECT_EQ(edit("templateEdit")->text(), "12");
    EXPECT_TRUE(check(in(3))->isChecked());
    EXPECT_EQ(mode()->currentIndex(), 0);
}

INSTANTIATE_TEST_SUITE_P(BothPages, IotWorkmodeFormTest, ::testing::Values(kOrdinary, kLora),
                         [](const ::testing::TestParamInfo<PageKind>& info) {
                             return std::string(info.param.name);
                         });
