#include "db/ClassPath.h"

#include <gtest/gtest.h>

TEST(ClassPathRules, MakeAndMatch)
{
    EXPECT_EQ(ClassPath::make({12, 7}), QStringLiteral("@12@7@"));
    EXPECT_EQ(ClassPath::make({}), QStringLiteral("@"));
    const QString five = ClassPath::make({5});
    EXPECT_TRUE(ClassPath::contains(five, 5));
    EXPECT_FALSE(ClassPath::contains(five, 55));
    EXPECT_FALSE(ClassPath::contains(five, 15));
    EXPECT_FALSE(ClassPath::contains(QStringLiteral("@"), 1));
    EXPECT_TRUE(ClassPath::contains(QStringLiteral("@1@"), 1));
    EXPECT_FALSE(ClassPath::contains(QStringLiteral("@1@"), 11));
    EXPECT_FALSE(ClassPath::contains(QStringLiteral("@1@"), 21));
}

TEST(ClassPathRules, ReadingBackTakesTheCodesInOrder)
{
    const QString eight = ClassPath::make({1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(ClassPath::codes(eight), (QList<qint32>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(ClassPath::codes(eight, ClassPath::kShownCodes), (QList<qint32>{1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(ClassPath::contains(eight, 8));
    EXPECT_TRUE(ClassPath::codes(QStringLiteral("@")).isEmpty());
    EXPECT_TRUE(ClassPath::codes(QString()).isEmpty());
    EXPECT_EQ(ClassPath::codes(QStringLiteral("@12@x@7@")), (QList<qint32>{12, 0, 7}));
    EXPECT_EQ(ClassPath::codes(QStringLiteral("@99999999999@3@")), (QList<qint32>{0, 3}));
}

// An empty or unreadable slot of a card's path reads as 0 and grants nothing, whatever the list
// names; only a shown code the list names does.
TEST(ClassPathRules, OnlyAShownCodeTheListNamesPermitsACard)
{
    EXPECT_TRUE(ClassPath::permits(QStringLiteral("@4@"), QStringLiteral("@12@4@")));
    EXPECT_FALSE(ClassPath::permits(QStringLiteral("@0@"), QStringLiteral("@12@x@7@")));
    EXPECT_FALSE(ClassPath::permits(QStringLiteral("@0@1@"), QStringLiteral("@@")));
    EXPECT_FALSE(ClassPath::permits(QStringLiteral("@7@"), ClassPath::make({1, 2, 3, 4, 5, 6, 7})));
}
