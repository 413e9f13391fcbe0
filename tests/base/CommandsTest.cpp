#include "app/WindowPlacement.h"
#include "base/Commands.h"

#include <gtest/gtest.h>

TEST(CommandRules, EachRightGatesItsCommandOnlyAtSeven)
{
    struct Case
    {
        int command;
        int Rights::*right;
    } cases[] = {
        {Command::Settings, &Rights::constant},     {Command::Classes, &Rights::classes},
        {Command::Search, &Rights::fileser},       {Command::Users, &Rights::filesBask},
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
    for (int id : {Command::DeleteFile, Command::DeleteText}) {
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

TEST(CommandRules, CommandsOfLaterWindowsStayDisabledWhateverTheRights)
{
    AppState s;
    s.rights.constant = s.rights.classes = s.rights.fileser = s.rights.filesBask = s.rights.printjob = kGranted;
    s.workflowUser = true;
    s.cardEntry = true;
    CommandContext c;
    c.clipboardHasImage = c.webPageViewActive = true;
    for (int id : std::initializer_list<int>{Command::SelectSource, Command::Acquire}) {
        EXPECT_TRUE(isLaterCommand(id)) << id;
        EXPECT_FALSE(isCommandEnabled(id, s, c)) << id;
    }
    for (int id : std::initializer_list<int>{Command::PrintSetup, Command::WindowNew, Command::WindowCascade, Command::WindowTileHorz,
                   Command::WindowTileVert, Command::WindowArrange, Command::Settings, Command::Search, Command::Users, Command::Workflow, Command::FindFiles,
                   Command::DeleteFile, Command::EnterText, Command::Paste, Command::RecentLast + 1, Command::FileOpen,
                   Command::CloseAllImages, Command::Duplicate, Command::ZoomIn, Command::ToolText, Command::RecentFirst}) {
        EXPECT_FALSE(isLaterCommand(id)) << id;
    }
}

TEST(WindowPlacementRules, WithNothingStoredTheWindowCoversMostOfTheScreenCentred)
{
    const QRect available(0, 0, 1400, 860); // a 1400 x 900 screen under a 40 pixel panel
    const QRect r = WindowPlacement::defaultRect(available);
    EXPECT_GE(qint64(r.width()) * r.height(), qint64(1400) * 860 * 8 / 10);
    EXPECT_TRUE(available.contains(r));
    EXPECT_EQ(r.center(), available.center());

    const QList<QRect> screens{available, QRect(1400, 0, 1024, 768)};
    EXPECT_EQ(WindowPlacement::openingRect({false, 0, 0, 850, 650}, screens), r) << "the defaults store nothing";
    EXPECT_EQ(WindowPlacement::openingRect({false, 0, 40, 850, 650}, screens), r);
    EXPECT_EQ(WindowPlacement::openingRect({false, 40, 50, 740, 550}, screens), QRect(40, 50, 700, 500));
    // On the second screen, and partly off every screen: still as stored.
    EXPECT_EQ(WindowPlacement::openingRect({false, 1500, 50, 2600, 550}, screens), QRect(1500, 50, 1100, 500));
    // On a screen that is no longer there: the default place.
    EXPECT_EQ(WindowPlacement::openingRect({false, 3000, 50, 3700, 550}, screens), r);
    EXPECT_EQ(WindowPlacement::openingRect({false, 700, 50, 40, 550}, screens), r) << "an inside-out rectangle";
}

TEST(WindowPlacementRules, TilingStacksOrSetsSideBySideAndCoversTheArea)
{
    const QRect area(0, 0, 900, 600);
    const QList<QRect> stacked = WindowPlacement::tileRects(area, 3, Qt::Horizontal, false);
    ASSERT_EQ(stacked.size(), 3);
    EXPECT_EQ(stacked.at(0), QRect(0, 0, 900, 200));
    EXPECT_EQ(stacked.at(1), QRect(0, 200, 900, 200));
    EXPECT_EQ(stacked.at(2), QRect(0, 400, 900, 200));

    const QList<QRect> sideBySide = WindowPlacement::tileRects(area, 3, Qt::Vertical, false);
    EXPECT_EQ(sideBySide.at(0), QRect(0, 0, 300, 600));
    EXPECT_EQ(sideBySide.at(2), QRect(600, 0, 300, 600));
    const QList<QRect> rightToLeft = WindowPlacement::tileRects(area, 3, Qt::Vertical, true);
    EXPECT_EQ(rightToLeft.at(0), QRect(600, 0, 300, 600));
    EXPECT_EQ(rightToLeft.at(2), QRect(0, 0, 300, 600));

    // Too many for one stack: two stacks of strips no thinner than the minimum, nothing left over.
    const QList<QRect> many = WindowPlacement::tileRects(area, 7, Qt::Horizontal, false, 120);
    ASSERT_EQ(many.size(), 7);
    qint64 covered = 0;
    for (int i = 0; i < many.size(); ++i) {
        EXPECT_GE(many.at(i).height(), 120);
        EXPECT_TRUE(area.contains(many.at(i)));
        covered += qint64(many.at(i).width()) * many.at(i).height();
        for (int j = i + 1; j < many.size(); ++j)
            EXPECT_FALSE(many.at(i).intersects(many.at(j))) << i << " " << j;
    }
    EXPECT_EQ(covered, qint64(900) * 600);
    EXPECT_TRUE(WindowPlacement::tileRects(area, 0, Qt::Vertical, false).isEmpty());
}

TEST(WindowPlacementRules, CascadeStepsDownFromTheCornerAndKeepsWindowsLarge)
{
    const QRect area(0, 0, 1000, 600);
    const QList<QRect> three = WindowPlacement::cascadeRects(area, 3, 30, false);
    ASSERT_EQ(three.size(), 3);
    EXPECT_EQ(three.at(0), QRect(0, 0, 940, 540));
    EXPECT_EQ(three.at(2), QRect(60, 60, 940, 540));
    EXPECT_EQ(WindowPlacement::cascadeRects(area, 3, 30, true).at(0), QRect(60, 0, 940, 540)) << "from the right";
    // Many windows: none smaller than 60 % of the area, none outside it.
    for (const QRect &r : WindowPlacement::cascadeRects(area, 40, 30, false)) {
        EXPECT_TRUE(area.contains(r));
        EXPECT_GE(r.height(), 360);
    }
}
