#include "ui/CFlatButton.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(CFlatButtonTest, HighlightShowsOnlyWhileThePointerIsOver)
{
    CFlatButton button(QIcon(), u"بحث"_s);
    button.resize(90, 30);
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    // The pointer may sit where the window appeared: start from a pointer that is elsewhere.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    const QImage plain = button.grab().toImage();
    EXPECT_FALSE(button.isHighlighted());

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), button.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&button, &enter);
    EXPECT_TRUE(button.isHighlighted());
    EXPECT_NE(button.grab().toImage(), plain);

    QApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(button.isHighlighted());
    EXPECT_EQ(button.grab().toImage(), plain);
}

TEST(CFlatButtonTest, DisabledButtonIsNeverHighlightedNorClicked)
{
    CFlatButton button(QIcon(), u"حفظ"_s);
    QSignalSpy clicked(&button, &QPushButton::clicked);
    button.setEnabled(false);
    button.show();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), button.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&button, &enter);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_FALSE(button.isHighlighted());
    EXPECT_EQ(clicked.count(), 0);
}

} // namespace
