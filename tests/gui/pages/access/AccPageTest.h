// What the access-control page tests share: a page under test on a logged-in
// simulated access controller, and small steps on its widgets.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ClickedComboBox.h"
#include "GuiHarness.h"

namespace acctest {

// A number typed into an edit (or an editable combo) that its field cannot
// hold: the press shows `warning` and sends no `cmd`.
struct Refusal {
    const char* field;
    const char* typed;
    const char* button;
    uint32_t cmd;
    const char* warning;
};

// Text typed into an edit, and the bytes at `offset` of the record sent.
struct Encoding {
    const char* field;
    QString typed;
    size_t offset;
    std::string expected;
};

template <class Page>
class PageTest : public guitest::GuiTest {
  protected:
    void SetUp() override {
        guitest::GuiTest::SetUp();
        unit = &addDevice(100);
    }

    QLineEdit* edit(const char* name) { return guitest::child<QLineEdit>(&page, name); }
    // A line edit, or the edit of the editable combo of that name.
    QLineEdit* field(const char* name) {
        if (auto* box = page.template findChild<QComboBox*>(QString::fromLatin1(name)))
            return box->lineEdit();
        return edit(name);
    }
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

    void expectRefused(std::initializer_list<Refusal> cases) {
        for (const Refusal& c : cases) {
            QLineEdit* e = field(c.field);
            guitest::typeInto(e, QString::fromUtf8(c.typed));
            click(c.button);
            expectWarning(c.warning);
            EXPECT_EQ(unit->count(c.cmd), 0u) << c.field << " " << c.typed;
            e->clear();
        }
    }
    // Each case typed alone, `button` pressed, `sent` gives the record sent.
    void expectEncoded(std::initializer_list<Encoding> cases, const char* button,
                       const std::function<devsim::Bytes()>& sent) {
        for (const Encoding& c : cases) {
            guitest::typeInto(field(c.field), c.typed);
            click(button);
            expectSuccess();
            const devsim::Bytes bytes = sent();
            ASSERT_GE(bytes.size(), c.offset + c.expected.size());
            EXPECT_EQ(std::string(bytes.begin() + c.offset, bytes.begin() + c.offset + c.expected.size()),
                      c.expected)
                << c.field << " " << c.typed.toStdString();
            field(c.field)->clear();
        }
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
