#include "base/ColumnFit.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

int sum(const QList<int> &widths) { return std::accumulate(widths.begin(), widths.end(), 0); }

} // namespace

TEST(ColumnFit, ColumnsThatFitKeepTheirContentWidths)
{
    EXPECT_EQ(ColumnFit::fit({0, 120, 40, 60, 30}, 400, 20), (QList<int>{0, 120, 40, 60, 30}));
    EXPECT_EQ(ColumnFit::fit({0, 120, 40, 60, 30}, 250, 20), (QList<int>{0, 120, 40, 60, 30}));
}

// A long folder path gives way, the short names stay whole.
TEST(ColumnFit, TheWidestGiveWayFirstAndTheRestStayWhole)
{
    const QList<int> one = ColumnFit::fit({0, 300, 40, 60, 30}, 230, 20);
    EXPECT_EQ(one, (QList<int>{0, 100, 40, 60, 30}));
    EXPECT_EQ(sum(one), 230);

    // Two long columns share what the short ones leave.
    const QList<int> two = ColumnFit::fit({300, 250, 50}, 250, 20);
    EXPECT_EQ(two, (QList<int>{100, 100, 50}));
    EXPECT_LE(sum(two), 250);

    // No column below the minimum, however narrow the grid; hidden columns stay hidden.
    EXPECT_EQ(ColumnFit::fit({0, 300, 40, 60}, 50, 30), (QList<int>{0, 30, 30, 30}));
    EXPECT_EQ(ColumnFit::fit({0, 300, 10}, 50, 30), (QList<int>{0, 40, 10}));
}

// The feed names stay whole while the folder paths and index names can give way.
TEST(ColumnFit, ColumnsKeptWholeGiveWayLast)
{
    const QList<bool> keepName{false, false, false, true, false};
    EXPECT_EQ(ColumnFit::fit({0, 300, 90, 95, 30}, 275, 20, keepName), (QList<int>{0, 75, 75, 95, 30}));
    EXPECT_EQ(ColumnFit::fit({0, 300, 90, 95, 30}, 600, 20, keepName), (QList<int>{0, 300, 90, 95, 30}));
    // With no room for the others at their minimum, the kept column is cut as well.
    const QList<int> narrow = ColumnFit::fit({0, 300, 90, 95, 30}, 100, 20, keepName);
    EXPECT_EQ(narrow, ColumnFit::fit({0, 300, 90, 95, 30}, 100, 20));
    EXPECT_LT(narrow[3], 95);
}
