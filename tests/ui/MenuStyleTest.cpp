#include "ui/MenuStyle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace {

TEST(MenuStyleTest, FlatLookReachesMenusMadeBeforeAndAfterButNoOtherWidget)
{
    MenuStyle styles;
    QMenu before;
    QMenuBar bar;
    QPushButton button;
    styles.setLook(MenuStyle::Look::Flat);

    QMenu after;
    after.ensurePolished();
    EXPECT_EQ(before.style(), styles.flatStyle());
    EXPECT_EQ(bar.style(), styles.flatStyle());
    EXPECT_EQ(after.style(), styles.flatStyle());
    EXPECT_EQ(button.style(), QApplication::style());
}

TEST(MenuStyleTest, DefaultLookGivesMenusBackTheApplicationStyle)
{
    QMenu menu;
    {
        MenuStyle styles;
        styles.setLook(MenuStyle::Look::Flat);
        ASSERT_EQ(menu.style(), styles.flatStyle());
        styles.setLook(MenuStyle::Look::Default);
        EXPECT_EQ(menu.style(), QApplication::style());
        EXPECT_EQ(styles.look(), MenuStyle::Look::Default);

        QMenu later;
        later.ensurePolished();
        EXPECT_EQ(later.style(), QApplication::style());
        styles.setLook(MenuStyle::Look::Flat);
    }
    // The switch went while the flat look was on: the menu must not keep its style.
    EXPECT_EQ(menu.style(), QApplication::style());
}

TEST(MenuStyleTest, FlatLookChangesHowAMenuLooks)
{
    QMenu menu;
    menu.addAction(QStringLiteral("Default"));
    menu.addSeparator();
    menu.addAction(QStringLiteral("XP"));
    menu.setActiveAction(menu.actions().first());
    const QImage standard = menu.grab().toImage();
    MenuStyle styles;
    styles.setLook(MenuStyle::Look::Flat);
    EXPECT_NE(menu.grab().toImage(), standard);
}

} // namespace
