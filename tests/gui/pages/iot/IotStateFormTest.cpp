#include <QLabel>
#include <QLayout>
#include <QPixmap>
#include <QScrollArea>

#include "GuiHarness.h"
#include "IotInputStateWidget.h"
#include "IotOutputStateWidget.h"
#include "IotStateForm.h"
#include "PageKitRows.h"
#include "TslIoT.h"

using guitest::bytesOf;
using guitest::child;
using guitest::click;

namespace {

const uint32_t kInputState = 3008, kOutputState = 3012, kControl = 3013;

QImage icon(const char* name) {
    return QPixmap(QString(":/icon/%1.png").arg(name))
        .scaled(24, 24, Qt::KeepAspectRatio, Qt::SmoothTransformation)
        .toImage();
}

// Group g's input states and online flag: every port a different state,
// with one the page has no text for.
Np_IoTInputState inputState(int g) {
    Np_IoTInputState s{};
    s.group = static_cast<uint8_t>(g);
    s.online = static_cast<uint8_t>(g % 3);  // 0, 1 and 2 among the groups
    for (int p = 0; p < 8; ++p) s.ports[p] = static_cast<uint8_t>((g + p) % 4);
    return s;
}
Np_IoTOutputState outputState(int g) {
    Np_IoTOutputState s{};
    s.group = static_cast<uint8_t>(g);
    for (int p = 0; p < 8; ++p) s.ports[p] = static_cast<uint8_t>((g * 3 + p) % 3);
    return s;
}
QString inputText(int v) {
    const char* texts[] = {"状态：低电平", "状态：正常", "状态：高电平"};
    return v < 3 ? QString::fromUtf8(texts[v]) : QString::fromUtf8("状态：UNKNOWN");
}
QString outputText(int v) {
    const char* texts[] = {"状态：断开", "状态：闭合"};
    return v < 2 ? QString::fromUtf8(texts[v]) : QString::fromUtf8("状态：UNKNOWN");
}

class IotStateFormTest : public guitest::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        unit = &addDevice(101);
        page = std::make_unique<IotStateForm>();
    }
    template <class Row>
    Row* row(const char* area, int n) {
        Row* r = kit::rowAt<Row>(child<QScrollArea>(page.get(), area)->widget()->layout(), n - 1);
        EXPECT_NE(r, nullptr) << area << " row " << n;
        return r;
    }
    IotInputStateWidget* in(int n) { return row<IotInputStateWidget>("inputScrollArea", n); }
    IotOutputStateWidget* out(int n) { return row<IotOutputStateWidget>("outputScrollArea", n); }
    QImage mark(int group) {
        const std::string name = "dev" + std::to_string(group) + "Label";
        return child<QLabel>(page.get(), name.c_str())->pixmap(Qt::ReturnByValue).toImage();
    }
    void serveAll() {
        for (int g = 1; g <= 8; ++g) {
            unit->device->PutRecord("iotInputState", {static_cast<uint8_t>(g)}, bytesOf(inputState(g)));
            unit->device->PutRecord("iotOutputState", {static_cast<uint8_t>(g)}, bytesOf(outputState(g)));
        }
    }

    guitest::SimUnit* unit = nullptr;
    std::unique_ptr<IotStateForm> page;
};

}  // namespace

TEST_F(IotStateFormTest, RowsAreNumberedAndStartOffline) {
    for (int n : {1, 33, 64}) {
        EXPECT_EQ(in(n)->port(), n);
        EXPECT_EQ(out(n)->port(), n);
        EXPECT_EQ(in(n)->stateText(), QString::fromUtf8("状态:"));
    }
    for (int g = 1; g <= 8; ++g) EXPECT_EQ(mark(g), icon("offline")) << g;
}

TEST_F(IotStateFormTest, AReadAsksEachGroupInputThenOutputAndFillsEveryRow) {
    serveAll();
    click(page.get(), "getButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));

    std::vector<std::pair<uint32_t, int>> asked;
    for (const devsim::Request& r : unit->server->Requests())
        if (r.head.cmd == kInputState || r.head.cmd == kOutputState)
            asked.push_back({r.head.cmd, r.plain.at(0)});
    std::vector<std::pair<uint32_t, int>> want;
    for (int g = 1; g <= 8; ++g) {
        want.push_back({kInputState, g});
        want.push_back({kOutputState, g});
    }
    EXPECT_EQ(asked, want);

    for (int n = 1; n <= 64; ++n) {
        const int g = (n - 1) / 8 + 1, p = (n - 1) % 8;
        EXPECT_EQ(in(n)->stateText(), inputText(inputState(g).ports[p])) << n;
        EXPECT_EQ(out(n)->stateText(), outputText(outputState(g).ports[p])) << n;
    }
    for (int g = 1; g <= 8; ++g) EXPECT_EQ(mark(g), icon(g % 3 ? "online" : "offline")) << g;
}

TEST_F(IotStateFormTest, AStateNoTextCoversShowsUnknownNotThePreviousState) {
    Np_IoTInputState s{};
    s.group = 1;
    s.ports[0] = 2;
    Np_IoTOutputState o{};
    o.group = 1;
    o.ports[0] = 1;
    unit->device->PutRecord("iotInputState", {1}, bytesOf(s));
    unit->device->PutRecord("iotOutputState", {1}, bytesOf(o));
    click(page.get(), "getButton");
    prompt.take();
    EXPECT_EQ(in(1)->stateText(), QString::fromUtf8("状态：高电平"));
    EXPECT_EQ(out(1)->stateText(), QString::fromUtf8("状态：闭合"));
    s.ports[0] = 3;
    o.ports[0] = 200;
    unit->device->PutRecord("iotInputState", {1}, bytesOf(s));
    unit->device->PutRecord("iotOutputState", {1}, bytesOf(o));
    click(page.get(), "getButton");
    prompt.take();
    EXPECT_EQ(in(1)->stateText(), QString::fromUtf8("状态：UNKNOWN"));
    EXPECT_EQ(out(1)->stateText(), QString::fromUtf8("状态：UNKNOWN"));
}

TEST_F(IotStateFormTest, AFailingGroupEndsTheReadWithOneBoxAndLaterGroupsUntouched) {
    serveAll();
    // Group 5's output read fails; its input read still goes out first.
    unit->device->SetHandler(kOutputState, [](const devsim::Request& r) -> std::optional<devsim::Bytes> {
        if (r.plain.at(0) == 5) return devsim::StatusPayload(4);
        return devsim::StatusPayload(0, bytesOf(outputState(r.plain.at(0))));
    });
    click(page.get(), "getButton");
    const guitest::Box b = prompt.take();
    EXPECT_EQ(b.kind, Prompt::Warning);
    EXPECT_EQ(b.text, QString::fromUtf8("执行失败！ret = -1004, 命令无效"));
    EXPECT_EQ(unit->count(kInputState), 5u);
    EXPECT_EQ(unit->count(kOutputState), 5u);
    EXPECT_EQ(in(32)->stateText(), inputText(inputState(4).ports[7]));
    EXPECT_EQ(out(32)->stateText(), outputText(outputState(4).ports[7]));
    for (int n : {33, 40, 64}) {
        EXPECT_EQ(in(n)->stateText(), QString::fromUtf8("状态:")) << n;
        EXPECT_EQ(out(n)->stateText(), QString::fromUtf8("状态:")) << n;
    }
    for (int g = 1; g <= 8; ++g) EXPECT_EQ(mark(g), icon("offline")) << g;

    // Both failing: the input's code is shown.
    unit->device->SetFault(kInputState, {devsim::Fault::ResultCode, 3});
    click(page.get(), "getButton");
    EXPECT_TRUE(prompt.take().text.startsWith(QString::fromUtf8("执行失败！ret = -1003, ")));
}

TEST_F(IotStateFormTest, OutputsAreSwitchedOneByOneOrAllTogether) {
    struct Case {
        int row;  // 0: a page button
        const char* button;
        uint8_t port, action;
    };
    const Case cases[] = {
        {0, "closeButton", 1, 9},      {0, "openButton", 1, 10},     {0, "seqCloseButton", 1, 11},
        {0, "seqOpenButton", 1, 12},   {0, "recCloseButton", 1, 13}, {0, "recOpenButton", 1, 14},
        {1, "closeButton", 1, 1},      {17, "recOpenButton", 17, 8}, {40, "openButton", 40, 2},
        {64, "recCloseButton", 64, 7},
    };
    for (const Case& c : cases) {
        click(c.row ? static_cast<QObject*>(out(c.row)) : page.get(), c.button);
        EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！")) << c.button;
        Np_IoTIOControl want{};
        want.port = c.port;
        want.action = c.action;
        EXPECT_EQ(unit->lastPayload(kControl), bytesOf(want)) << c.row << " " << c.button;
    }
    unit->device->SetFault(kControl, {devsim::Fault::ResultCode, 4});
    click(out(3), "openButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1004,命令无效"));
}
