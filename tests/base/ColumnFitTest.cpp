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
