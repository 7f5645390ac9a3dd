#include <QSignalSpy>
#include <QTest>

#include "ClickedComboBox.h"
#include "CustomIntValidator.h"
#include "GuiHarness.h"

TEST(ClickedComboBox, SaysSoOnALeftPressBeforeOpening) {
    ClickedComboBox box;
    box.addItem("old");
    int itemsWhenClicked = -1;
    QObject::connect(&box, &ClickedComboBox::clicked, [&] {
        box.clear();
        box.addItem("1");
        box.addItem("2");
        itemsWhenClicked = box.count();
    });
    QSignalSpy spy(&box, &ClickedComboBox::clicked);
    box.show();
    QTest::mouseClick(&box, Qt::RightButton);
    QTest::mouseClick(&box, Qt::MiddleButton);
    EXPECT_EQ(spy.count(), 0);
    QTest::mousePress(&box, Qt::LeftButton);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(itemsWhenClicked, 2);
    box.hidePopup();
}

TEST(CustomIntValidator, RefusesOutOfRangeValuesWhileTyping) {
    struct Case {
        int lo, hi;
        const char* text;
        QValidator::State state;
    };
    const Case cases[] = {
        {1, 255, "", QValidator::Intermediate},   {1, 255, "0", QValidator::Invalid},
        {1, 255, "256", QValidator::Invalid},     {1, 255, "-", QValidator::Invalid},
        {1, 255, "12a", QValidator::Invalid},     {1, 255, "255", QValidator::Acceptable},
        {1, 65535, "65536", QValidator::Invalid}, {0, 100, "99999999999", QValidator::Invalid},
        {-10, 10, "-5", QValidator::Acceptable},
    };
    for (const Case& c : cases) {
        CustomIntValidator v(c.lo, c.hi);
        QString text = c.text;
        int pos = text.size();
        EXPECT_EQ(v.validate(text, pos), c.state) << c.lo << ".." << c.hi << " '" << c.text << "'";
    }
    CustomIntValidator ranged(nullptr);
    ranged.setRange(1, 9);
    QString ten = "10";
    int pos = 2;
    EXPECT_EQ(ranged.validate(ten, pos), QValidator::Invalid);
}
