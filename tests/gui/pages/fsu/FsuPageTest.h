// What the FSU page tests share: a logged-in simulated unit, the page, its
// widgets by name, and the two-step check of a clearing button.
#pragma once

#include <QString>

#include "GuiHarness.h"

template <class Page>
class FsuPageTest : public guitest::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        unit = &addDevice(102);
    }
    template <class W = QWidget>
    W* w(const char* name) {
        return guitest::child<W>(&page, name);
    }
    // Presses a button whose operation succeeds.
    void press(const char* button) {
        guitest::click(&page, button);
        EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！")) << button;
    }
    // A clearing button asks first: No sends nothing, Yes sends `cmd` once.
    void expectClearAsks(const char* button, uint32_t cmd) {
        prompt.answers = {false};
        guitest::click(&page, button);
        EXPECT_EQ(prompt.take().kind, Prompt::Question) << button;
        EXPECT_EQ(unit->count(cmd), 0u) << button;
        prompt.answers = {true};
        guitest::click(&page, button);
        const auto boxes = prompt.takeAll();
        ASSERT_EQ(boxes.size(), 2u) << button;
        EXPECT_EQ(boxes[1].text, QString::fromUtf8("执行成功！")) << button;
        EXPECT_EQ(unit->count(cmd), 1u) << button;
    }

    Page page;
    guitest::SimUnit* unit = nullptr;
};
