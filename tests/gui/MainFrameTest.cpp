#include "app/ArchiveSetup.h"
#include "app/CMainFrame.h"

#include <QApplication>

#include <gtest/gtest.h>

TEST(MainFrame, IsTitledDovrelleAndLaidOutRightToLeft)
{
    registerCoreResources();
    QApplication::setLayoutDirection(Qt::RightToLeft);
    CMainFrame frame;
    frame.show();
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Dovrelle"));
    EXPECT_TRUE(frame.isRightToLeft());
    EXPECT_FALSE(frame.windowIcon().pixmap(32, 32).isNull());
}
