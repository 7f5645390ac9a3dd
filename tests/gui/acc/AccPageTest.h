// What the access-control page tests share: a page under test on a logged-in
// simulated access controller, and small steps on its widgets.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <cstring>
#include <string>

#include "ClickedComboBox.h"
#include "GuiHarness.h"

namespace acctest {

template <class Page>
class PageTest : public guitest::GuiTest {
  protected:
    void SetUp() override {
        guitest::GuiTest::SetUp();
        unit = &addDevice(100);
    }

    QLineEdit* edit(const char* name) { return guitest::child<QLineEdit>(&page, name); }
    QComboBox* combo(const char* name) { return guitest::child<QComboBox>(&page, name); }
    void type(const char* name, const QString& text) { guitest::typeInto(edit(name), text); }
    void click(const char* name) { guitest::click(&page, name); }
    // Makes the item with `data` current, as a user picking it would.
    void pick(const char* name, qint64 data) {
        QComboBox* box = combo(name);
        const int index = box->findData(data);
        ASSERT_GE(index, 0) << name << " has no item " << data;
        box->setCurrentIndex(index);
    }
    // A left press on an id combo (its refill runs), its list closed again.
    void press(const char* name) {
        auto* box = guitest::child<ClickedComboBox>(&page, name);
        box->show();
        QTest::mousePress(box, Qt::LeftButton);
        box->hidePopup();
    }
    // The one box shown since the last check: its text, and that it was a
    // success box.
    void expectSuccess() {
        const guitest::Box b = prompt.take();
        EXPECT_EQ(b.kind, Prompt::Information);
        EXPECT_EQ(b.text, QString::fromUtf8("执行成功！"));
    }
    void expectWarning(const char* text) {
        const guitest::Box b = prompt.take();
        EXPECT_EQ(b.kind, Prompt::Warning);
        EXPECT_EQ(b.text, QString::fromUtf8(text));
    }

    Page page;
    guitest::SimUnit* unit = nullptr;
};

// `record` with `size` bytes from `offset` zeroed: what a page sends in the
// bytes it never fills, whatever the device's reply held there.
template <class T>
T zeroed(T record, size_t offset, size_t size) {
    std::memset(reinterpret_cast<unsigned char*>(&record) + offset, 0, size);
    return record;
}

inline devsim::Bytes bytes(const std::string& s) {
    return devsim::Bytes(s.begin(), s.end());
}

}  // namespace acctest
