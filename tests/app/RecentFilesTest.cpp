#include "app/RecentFiles.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(RecentFileList, NineNewestFirstAReopenedFileMovesUpAndRemovalCloses)
{
    QTemporaryDir dir;
    QSettings profile(dir.filePath(QStringLiteral("p.ini")), QSettings::IniFormat);
    RecentFiles recent(profile);
    EXPECT_TRUE(recent.entries().isEmpty());
    for (int i = 1; i <= 11; ++i)
        recent.add(QStringLiteral("/pictures/%1.jpg").arg(i));
    QStringList entries = recent.entries();
    ASSERT_EQ(entries.size(), RecentFiles::kEntries);
    EXPECT_EQ(entries.constFirst(), QStringLiteral("/pictures/11.jpg"));
    EXPECT_EQ(entries.constLast(), QStringLiteral("/pictures/3.jpg"));
    EXPECT_EQ(profile.value(QStringLiteral("Recent File List/File1")).toString(), QStringLiteral("/pictures/11.jpg"));

    recent.add(QStringLiteral("/pictures/5.jpg"));
    entries = RecentFiles(profile).entries();
    EXPECT_EQ(entries.size(), 9);
    EXPECT_EQ(entries.constFirst(), QStringLiteral("/pictures/5.jpg"));
    EXPECT_EQ(entries.count(QStringLiteral("/pictures/5.jpg")), 1);

    recent.remove(QStringLiteral("/pictures/11.jpg"));
    entries = recent.entries();
    EXPECT_EQ(entries.size(), 8);
    EXPECT_FALSE(entries.contains(QStringLiteral("/pictures/11.jpg")));
    EXPECT_FALSE(profile.contains(QStringLiteral("Recent File List/File9")));
}
