#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QLocale>
#include <QTest>
#include <QTextCodec>
#include <QWidget>

#include "ClickedComboBox.h"
#include "GuiHarness.h"
#include "PageKit.h"
#include "PageKitEdits.h"

using guitest::Box;
using guitest::GuiTest;

namespace {

class KitTest : public GuiTest {
  protected:
    QWidget page;
};

const QString kTitle = QString::fromUtf8("提示");

}  // namespace

TEST_F(KitTest, RunnerShowsTheThreeMessagesWithCodeAndText) {
    // No current device: handle 0, which the SDK does not know.
    EXPECT_FALSE(kit::run(&page, kit::Read, [](int h) { return TSL_NET_DEV_GetTime(h, nullptr); }));
    Box b = prompt.take();
    EXPECT_EQ(b.kind, Prompt::Warning);
    EXPECT_EQ(b.title, kTitle);
    EXPECT_EQ(b.text, QString::fromUtf8("执行失败！ret = -1, 无效句柄"));

    auto& unit = addDevice(100);
    unit.device->SetFault(1009, {devsim::Fault::ResultCode, 4});
    Np_Time t{};
    EXPECT_FALSE(kit::run(&page, kit::Write, [&](int h) { return TSL_NET_DEV_SetTime(h, t); }));
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1004,命令无效"));

    unit.device->SetFault(1009, {devsim::Fault::ResultCode, 55});
    EXPECT_FALSE(kit::run(&page, kit::Write, [&](int h) { return TSL_NET_DEV_SetTime(h, t); }));
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1055,UNKNOWN ERROR"));

    unit.device->ClearFaults();
    bool filledBeforeBox = false;
    EXPECT_TRUE(kit::run(
        &page, kit::Read, [&](int h) { return TSL_NET_DEV_GetTime(h, &t); },
        [&] { filledBeforeBox = prompt.boxes.empty(); }));
    EXPECT_TRUE(filledBeforeBox);
    b = prompt.take();
    EXPECT_EQ(b.kind, Prompt::Information);
    EXPECT_EQ(b.title, kTitle);
    EXPECT_EQ(b.text, QString::fromUtf8("执行成功！"));

    EXPECT_TRUE(kit::run(&page, kit::Write.quiet(), [&](int h) { return TSL_NET_DEV_SetTime(h, t); }));
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(KitTest, ReadsFailOnAnyNonZeroResultWritesOnlyBelowZero) {
    int calls = 0;
    EXPECT_FALSE(kit::run(
        &page, kit::Read, [&](int) { return ++calls; }, [] { ADD_FAILURE() << "filled"; }));
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = 1, UNKNOWN ERROR"));
    EXPECT_TRUE(kit::run(&page, kit::Write, [&](int) { return ++calls; }));
    EXPECT_EQ(prompt.take().kind, Prompt::Information);
}

TEST_F(KitTest, AClearAsksFirstAndNoSendsNothing) {
    auto& unit = addDevice(100);
    const auto clear = [](int h) { return TSL_NET_DEV_ClearLog(h); };
    prompt.answers = {false};
    EXPECT_FALSE(kit::run(&page, kit::Clear, clear));
    Box q = prompt.take();
    EXPECT_EQ(q.kind, Prompt::Question);
    EXPECT_EQ(q.title, QString::fromUtf8("二次确认"));
    EXPECT_EQ(q.text, QString::fromUtf8("请确认是否进行操作！！！"));
    EXPECT_EQ(unit.count(1040), 0u);

    prompt.answers = {true};
    EXPECT_TRUE(kit::run(&page, kit::Clear, clear));
    EXPECT_EQ(prompt.takeAll().size(), 2u);
    EXPECT_EQ(unit.count(1040), 1u);
}

TEST_F(KitTest, NumbersAreCheckedAgainstTheirFields) {
    QLineEdit edit;
    struct Case {
        const char* text;
        int kind;  // 0 uint8, 1 uint16, 2 int8, 3 int32, 4 ranged 1..31
        bool accepted;
        qint64 value;
    };
    const Case cases[] = {
        {"255", 0, true, 255},        {"300", 0, false, 0},   {"-1", 0, false, 0},
        {"65535", 1, true, 65535},    {"70000", 1, false, 0}, {"-128", 2, true, -128},
        {"128", 2, false, 0},         {"abc", 0, false, 0},   {"", 3, true, 0},
        {" 12 ", 3, true, 12},        {"0", 4, false, 0},     {"31", 4, true, 31},
        {"99999999999", 3, false, 0}, {"", 0, true, 0},       {"+7", 0, true, 7},
    };
    for (const Case& c : cases) {
        edit.setText(QString::fromUtf8(c.text));
        kit::Fields f(&page);
        qint64 v = 0;
        switch (c.kind) {
            case 0:
                v = f.number<uint8_t>(&edit, "延时");
                break;
            case 1:
                v = f.number<uint16_t>(&edit, "寄存器值");
                break;
            case 2:
                v = f.number<int8_t>(&edit, "偏移");
                break;
            case 3:
                v = f.number<int32_t>(&edit, "端口");
                break;
            default:
                v = f.number<uint8_t>(&edit, "天", 1, 31);
                break;
        }
        EXPECT_EQ(f.ok(), c.accepted) << c.text;
        if (c.accepted) {
            EXPECT_EQ(v, c.value) << c.text;
            EXPECT_TRUE(prompt.boxes.empty()) << c.text;
        } else {
            const Box b = prompt.take();
            EXPECT_EQ(b.kind, Prompt::Warning);
            EXPECT_EQ(b.title, kTitle);
            EXPECT_FALSE(b.text.isEmpty());
        }
    }
    // Text that is no number is refused like a number beyond its field,
    // never sent as 0.
    for (const char* text : {"12a", "0x10", "1 2", "-", "1e3", "99999999999999999999"}) {
        edit.setText(text);
        kit::Fields f(&page);
        f.number<uint16_t>(&edit, "门");
        EXPECT_FALSE(f.ok()) << text;
        EXPECT_EQ(prompt.take().text, QString::fromUtf8("门的取值范围为0~65535")) << text;
    }
    edit.setText("300");
    kit::Fields f(&page);
    f.number<uint8_t>(&edit, "延时");
    f.number<uint8_t>(&edit, "时长");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("延时的取值范围为0~255")) << "one warning per press";
}

TEST_F(KitTest, DecimalsAreReadInTheCLocaleWhateverTheDesktopSays) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QLineEdit edit;
    edit.setValidator(kit::decimalValidator(0, 100, 2, &edit));
    guitest::typeInto(&edit, "1,5");
    EXPECT_EQ(edit.text(), "15");
    guitest::typeInto(&edit, "1.5");
    EXPECT_EQ(edit.text(), "1.5");
    EXPECT_DOUBLE_EQ(kit::toDouble(edit.text()), 1.5);
    EXPECT_DOUBLE_EQ(kit::toDouble("1,5"), 0.0);
    QLocale::setDefault(QLocale::c());

    // Read for a record, text that is no decimal is refused; blank is 0.
    const struct {
        const char* text;
        bool accepted;
    } decimals[] = {{"1.5", true},  {" 2 ", true},   {"", true},
                    {"1,5", false}, {"1.5x", false}, {"nan", false}};
    edit.setValidator(nullptr);
    for (const auto& d : decimals) {
        edit.setText(d.text);
        kit::Fields f(&page);
        f.decimal(&edit, "A值", -10, 10);
        EXPECT_EQ(f.ok(), d.accepted) << d.text;
        if (!d.accepted) {
            EXPECT_EQ(prompt.take().text, QString::fromUtf8("A值的取值范围为-10~10")) << d.text;
        }
    }
    EXPECT_TRUE(prompt.boxes.empty());

    EXPECT_EQ(kit::floatText(3.14159265), "3.14159");
    EXPECT_EQ(kit::floatText(1234567.0), "1.23457e+06");
    EXPECT_EQ(kit::floatText(0.5), "0.5");

    unsigned char record[7] = {};
    kit::storeFloat(record + 3, 2.5f);  // an odd offset, as packed records have them
    EXPECT_EQ(record[6], 0x40);
    EXPECT_FLOAT_EQ(kit::loadFloat(record + 3), 2.5f);

    QDoubleSpinBox box;
    box.setDecimals(2);
    box.setRange(0, 655.35);
    box.setValue(0.29);
    EXPECT_EQ(kit::scaledValue(&box, 0.01), 29);
    kit::showScaled(&box, 1234, 0.1);
    EXPECT_EQ(kit::scaledValue(&box, 0.1), 1234);
}

TEST(Kit, CutsAndCopiesFallOnWholeCharacters) {
    const QString emoji = QString::fromUtf8("a\xF0\x9F\x98\x80");  // 1 + 4 bytes
    struct Case {
        QString text;
        int maxBytes;
        QString expect;
    };
    const Case cases[] = {
        {"abcdef", 4, "abcd"},
        {QString::fromUtf8("中文字"), 8, QString::fromUtf8("中文")},
        {QString::fromUtf8("中文字"), 9, QString::fromUtf8("中文字")},
        {emoji, 4, "a"},
        {emoji, 5, emoji},
        {"", 3, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kit::cutToBytes(c.text, c.maxBytes), c.expect) << c.text.toStdString();

    char field[8];
    std::memset(field, 'x', sizeof field);
    kit::copyText(field, QString::fromUtf8("ab中文"));  // 2 + 6 bytes: 中 fits in 7, 文 does not
    EXPECT_STREQ(field, "ab中");
    EXPECT_EQ(field[7], 0);
    kit::copyTextFull(field, sizeof field, "12345678910");
    EXPECT_EQ(std::string(field, 8), "12345678");
    kit::copyTextFull(field, sizeof field, "123");
    EXPECT_EQ(std::string(field, 4), std::string("123\0", 4));

    const char full[4] = {'a', 'b', 'c', 'd'};  // no NUL: read within the field
    EXPECT_EQ(kit::text(full), "abcd");
}

TEST(Kit, DeviceTextByItsRule) {
    const QByteArray gbk = QTextCodec::codecForName("GBK")->fromUnicode(QString::fromUtf8("门禁"));
    const QByteArray utf8 = QString::fromUtf8("门禁").toUtf8();
    char field[16] = {};
    std::memcpy(field, gbk.constData(), gbk.size());
    EXPECT_EQ(kit::text(field, kit::TextRule::Local), QString::fromUtf8("门禁"));
    EXPECT_EQ(kit::text(field, kit::TextRule::Detected), QString::fromUtf8("门禁"));
    EXPECT_NE(kit::text(field, kit::TextRule::Utf8), QString::fromUtf8("门禁"));
    std::memset(field, 0, sizeof field);
    std::memcpy(field, utf8.constData(), utf8.size());
    EXPECT_EQ(kit::text(field, kit::TextRule::Detected), QString::fromUtf8("门禁"));
    EXPECT_EQ(kit::text(field, kit::TextRule::Utf8), QString::fromUtf8("门禁"));
    // A UTF-8 sequence cut by the field's end is not valid UTF-8.
    EXPECT_EQ(kit::text(utf8.constData(), 4, kit::TextRule::Detected),
              QTextCodec::codecForName("GBK")->toUnicode(utf8.left(4)));
}

TEST_F(KitTest, TheCutterRunsOnTypedText) {
    QLineEdit edit;
    QObject::connect(&edit, &QLineEdit::textEdited, [&] { kit::cutEdit(&edit, 7); });
    guitest::typeInto(&edit, QString::fromUtf8("ab中文字"));
    EXPECT_EQ(edit.text(), QString::fromUtf8("ab中"));
    guitest::typeInto(&edit, QString::fromUtf8("abc\xF0\x9F\x98\x80\xF0\x9F\x98\x80"));
    EXPECT_EQ(edit.text(), QString::fromUtf8("abc\xF0\x9F\x98\x80"));
}

TEST(Kit, CombosKeepAValueTheyCannotShow) {
    QComboBox box;
    kit::addCodes(&box, {{0, "无校验"}, {1, "偶校验"}, {2, "奇校验"}});
    EXPECT_EQ(box.itemText(1), QString::fromUtf8("1-偶校验"));
    EXPECT_EQ(box.itemData(1).toInt(), 1);

    kit::selectByData(&box, 2);
    EXPECT_EQ(box.currentIndex(), 2);
    kit::selectByData(&box, 255);
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(kit::comboData(&box), 255) << "written back unchanged";
    box.setCurrentIndex(0);  // the user chose
    EXPECT_EQ(kit::comboData(&box), 0);
    kit::selectByData(&box, 1);
    EXPECT_EQ(kit::comboData(&box), 1);

    kit::selectByIndex(&box, 7);
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(kit::comboIndex(&box), 7);
    kit::selectByIndex(&box, 1);
    EXPECT_EQ(kit::comboIndex(&box), 1);

    QComboBox empty;
    EXPECT_EQ(kit::comboData(&empty), 0) << "never -1 or 255";

    QCheckBox check;
    kit::showFlag(&check, 5);
    EXPECT_TRUE(check.isChecked());
    EXPECT_EQ(kit::flag(&check), 1);
    EXPECT_EQ(kit::flag(&check, kit::Sense::Inverted), 0);
    kit::showFlag(&check, 0, kit::Sense::Inverted);
    EXPECT_TRUE(check.isChecked());
}

TEST(Kit, NumberListsAndStateTexts) {
    struct Case {
        const char* text;
        size_t room;
        kit::ListRule rule;
        const char* expect;
    };
    const Case cases[] = {
        {"1,2,5", 8, {}, "1,2,5"}, {"1, x,-3,2.5,7", 8, {}, "1,7"},
        {"1,2,3,4", 2, {}, "1,2"}, {"0,5,256", 8, {255, true}, "5"},
        {"", 8, {}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kit::joinList(kit::parseList(c.text, c.room, c.rule)), c.expect) << c.text;

    unsigned char wide[6] = {};
    EXPECT_EQ(kit::storeList(wide, 2, 3, "1,65535,300,9", {65535}), 3u);
    EXPECT_EQ(wide[2], 0xFF);
    EXPECT_EQ(kit::listText(wide, 2, 3, 3, {65535}), "1,65535,300");
    EXPECT_EQ(kit::listText(wide, 2, 200, 3, {65535}), "1,65535,300") << "a count past the room";
    const unsigned char bytes[4] = {4, 0, 6, 0};
    EXPECT_EQ(kit::listText(bytes, 1, 4, 4, {255, true}), "4");

    EXPECT_EQ(kit::stateText({{0, "关"}, {1, "开"}}, 1), QString::fromUtf8("开"));
    EXPECT_EQ(kit::stateText({{0, "关"}, {1, "开"}}, 9), "UNKNOWN");
}

TEST(Kit, TimesAndTimesTheEditCannotShow) {
    Np_Time t{2024, 2, 29, 23, 59, 58, 0};
    EXPECT_EQ(kit::timeText(t), "2024-02-29 23:59:58");
    const Np_Time back = kit::toNpTime(kit::fromNpTime(t));
    EXPECT_EQ(std::memcmp(&back, &t, sizeof t), 0);

    QDateTimeEdit edit;
    const Np_Time bad{2024, 13, 1, 24, 0, 0, 0};
    const QByteArray raw(reinterpret_cast<const char*>(&bad), sizeof bad);
    kit::showDateTime(&edit, kit::fromNpTime(t), QByteArray());
    kit::showDateTime(&edit, kit::fromNpTime(bad), raw);
    EXPECT_EQ(edit.dateTime(), kit::fromNpTime(t)) << "left as it was";
    EXPECT_EQ(kit::keptRaw(&edit), raw);
    edit.setDateTime(edit.dateTime().addSecs(1));  // the user edits it
    EXPECT_TRUE(kit::keptRaw(&edit).isEmpty());
}

TEST_F(KitTest, IdRefillNeverPassesTheListsRoom) {
    auto& unit = addDevice(100);
    Np_IdList list{};
    list.count = 1000;  // a device claiming more than the record holds
    for (int i = 0; i < 280; ++i) list.ids[i] = static_cast<uint8_t>(i + 1);
    unit.device->SetHandler(1044, [&](const devsim::Request& req) {
        EXPECT_EQ(req.plain.at(0), 3);  // the kind
        return devsim::StatusPayload(0, guitest::bytesOf(list));
    });
    ClickedComboBox box;
    kit::bindIdRefill(&box, 3, &page);
    box.addItem("stale");
    box.show();
    QTest::mousePress(&box, Qt::LeftButton);
    box.hidePopup();
    EXPECT_EQ(box.count(), 280);
    EXPECT_EQ(box.itemText(0), "1");
    EXPECT_EQ(kit::idValue(&box), 1);

    unit.device->SetFault(1044, {devsim::Fault::ResultCode, 8});
    kit::refillIds(&box, 3);
    EXPECT_EQ(box.count(), 0);
    EXPECT_TRUE(prompt.boxes.empty()) << "a failed refill shows nothing";
}

TEST_F(KitTest, AnEntryTableIsNeverWrittenToAnotherDevice) {
    struct Table {
        uint8_t values[4];
    };
    int shownValue = 0;
    int replaced = 0;  // what the page keeps beside the table goes with it
    kit::EntryTable<Table> table;
    table.setHooks([&](Table& t, int entry) { t.values[entry] = static_cast<uint8_t>(shownValue); },
                   [&](const Table& t, int entry) { shownValue = t.values[entry]; }, [&] { ++replaced; });
    auto& first = addDevice(102, "first");
    table.take(Table{{10, 20, 30, 40}}, 0);
    EXPECT_EQ(shownValue, 10);
    shownValue = 11;
    table.select(2);
    EXPECT_EQ(shownValue, 30);
    EXPECT_EQ(table.forWrite().values[0], 11);
    EXPECT_EQ(table.forWrite().values[3], 40);
    EXPECT_EQ(replaced, 1);

    addDevice(102, "second");
    const Table& other = table.forWrite();
    EXPECT_EQ(other.values[0], 0);
    EXPECT_EQ(other.values[2], 30) << "only the shown entry's edits";
    EXPECT_EQ(other.values[3], 0);
    EXPECT_EQ(replaced, 2);
    (void)first;
}

TEST_F(KitTest, EntryNumbersRefuseTheFirstEntryInTheTablesOrder) {
    QComboBox selector;
    for (const char* n : {"1", "2", "3", "4"}) selector.addItem(n);
    QLineEdit a, b;
    kit::EntryNumbers numbers;
    numbers.setEdits(&selector, "行", {{&a, "甲"}, {&b, "乙"}}, -10, 10, kit::EntryNumbers::Read::Edited);
    const auto refusal = [&](int shown) {
        kit::Fields f(&page);
        numbers.check(f, shown);
        return f.ok() ? QString() : prompt.take().text;
    };

    guitest::typeInto(&b, "-");
    EXPECT_TRUE(numbers.leave(2, &a)) << "untouched";
    EXPECT_FALSE(numbers.leave(2, &b));
    guitest::typeInto(&a, "x");
    EXPECT_FALSE(numbers.leave(3, &a));
    EXPECT_FALSE(numbers.leave(3, &b));

    // Entry 1 on show comes before the entries behind it.
    guitest::typeInto(&a, "11");
    b.setText("0");
    EXPECT_EQ(refusal(1), QString::fromUtf8("行2 甲的取值范围为-10~10"));
    guitest::typeInto(&a, "5");
    EXPECT_EQ(refusal(1), QString::fromUtf8("行3 乙的取值范围为-10~10"));

    numbers.restore(3);
    EXPECT_EQ(a.text(), "x");
    EXPECT_EQ(b.text(), "-");
    EXPECT_TRUE(a.isModified() && b.isModified()) << "read, and refused, as typed";
    guitest::typeInto(&a, "1");
    guitest::typeInto(&b, "2");
    EXPECT_TRUE(numbers.leave(3, &a));
    EXPECT_TRUE(numbers.leave(3, &b));
    EXPECT_EQ(refusal(3), QString::fromUtf8("行3 乙的取值范围为-10~10")) << "the one behind still waits";
    numbers.forget();
    EXPECT_EQ(refusal(3), QString());
}
