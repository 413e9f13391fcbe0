#include "app/Commands.h"
#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

TEST(CommandRules, EachRightGatesItsCommandOnlyAtSeven)
{
    struct Case
    {
        int command;
        int Rights::*right;
    } cases[] = {
        {Command::Settings, &Rights::constant},     {Command::Classes, &Rights::classes},
        {Command::Search, &Rights::fileser},        {Command::Users, &Rights::filesBask},
        {Command::Print, &Rights::printjob},        {Command::PrintArchived, &Rights::printjob},
        {Command::PrintSelected, &Rights::printjob}, {Command::PrintReport, &Rights::printjob},
    };
    const CommandContext none;
    for (const Case &c : cases) {
        for (int value : {0, 1, 6, 8, -7}) {
            AppState s;
            s.rights.*c.right = value;
            EXPECT_FALSE(isCommandEnabled(c.command, s, none)) << c.command << " with " << value;
        }
        AppState s;
        s.rights.*c.right = kGranted;
        EXPECT_TRUE(isCommandEnabled(c.command, s, none)) << c.command;
        // Granting one right opens nothing else.
        for (const Case &other : cases) {
            if (other.right != c.right) {
                EXPECT_FALSE(isCommandEnabled(other.command, s, none)) << other.command;
            }
        }
    }
}

TEST(CommandRules, StateAndContextRules)
{
    AppState s;
    CommandContext c;
    EXPECT_FALSE(isCommandEnabled(Command::Workflow, s, c));
    s.workflowUser = true;
    EXPECT_TRUE(isCommandEnabled(Command::Workflow, s, c));
    for (int id : {Command::DeleteFile, Command::EnterText, Command::DeleteText}) {
        EXPECT_FALSE(isCommandEnabled(id, s, c));
        s.cardEntry = true;
        EXPECT_TRUE(isCommandEnabled(id, s, c));
        s.cardEntry = false;
    }
    for (int id : {Command::ViewFile, Command::ViewText, Command::EditText, Command::CardDialog, Command::About})
        EXPECT_TRUE(isCommandEnabled(id, s, c));
    EXPECT_FALSE(isCommandEnabled(Command::Paste, s, c));
    EXPECT_FALSE(isCommandEnabled(Command::SaveWebPage, s, c));
    c.clipboardHasImage = true;
    c.webPageViewActive = true;
    EXPECT_TRUE(isCommandEnabled(Command::Paste, s, c));
    EXPECT_TRUE(isCommandEnabled(Command::SaveWebPage, s, c));
}

TEST(WebAddress, WwwAfterTheFirstCharacterOpensAsHttp)
{
    EXPECT_EQ(webAddressForPath(QStringLiteral("/home/u/www.site.org/index.htm")),
              QStringLiteral("http://www.site.org/index.htm"));
    EXPECT_EQ(webAddressForPath(QStringLiteral("www.site.org/page.htm")), QStringLiteral("www.site.org/page.htm"));
    EXPECT_EQ(webAddressForPath(QStringLiteral("/docs/page.mhtml")), QStringLiteral("/docs/page.mhtml"));
    EXPECT_EQ(clipboardImageCaption(3), QStringLiteral("Clipboard Image 3"));
    EXPECT_EQ(capturedImageCaption(1), QStringLiteral("Captured Image 1"));
}

TEST(WindowPlacementRules, StartAndClose)
{
    EXPECT_FALSE(WindowPlacement::startRect({false, 0, 10, 800, 600}).has_value());
    EXPECT_FALSE(WindowPlacement::startRect({false, 10, 10, 800, 0}).has_value());
    EXPECT_EQ(WindowPlacement::startRect({false, 10, 20, 810, 620}), QRect(10, 20, 800, 600));

    const QSize screen(1280, 800);
    const ScreenPlacement previous{false, 10, 20, 810, 620};
    // Mostly off the right edge: the left edge comes back, the right stays, so the width shrinks.
    const ScreenPlacement off = WindowPlacement::atClose(previous, QRect(1250, 790, 800, 600), screen, false, false);
    EXPECT_EQ(off.left, 1180);
    EXPECT_EQ(off.top, 700);
    EXPECT_EQ(off.right, 2050);
    EXPECT_EQ(off.bottom, 1390);
    const ScreenPlacement maxed = WindowPlacement::atClose(previous, QRect(0, 0, 1280, 800), screen, true, false);
    EXPECT_TRUE(maxed.maximized);
    EXPECT_EQ(maxed.left, 10);
    EXPECT_EQ(maxed.right, 810);
    const ScreenPlacement normal = WindowPlacement::atClose(previous, QRect(100, 50, 700, 500), screen, false, false);
    EXPECT_EQ(normal.left, 100);
    EXPECT_EQ(normal.bottom, 550);
    EXPECT_FALSE(normal.maximized);
}
