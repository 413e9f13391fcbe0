#include "baskets/BasketPaging.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace BasketPaging;

namespace {

QList<int> range(int highest, int lowest)
{
    QList<int> out;
    for (int p = highest; p >= lowest; --p)
        out.append(p);
    return out;
}

} // namespace

TEST(BasketPaging, FiveRecordsLiveThenNewerShowsNothing)
{
    Pager pager;
    EXPECT_EQ(pager.showNewest(5).positionsTopDown(), range(4, 0));
    EXPECT_TRUE(pager.isLive());
    EXPECT_EQ(pager.knownCount(), 5);

    // No record follows position 4.
    EXPECT_TRUE(pager.showNewer(5).isEmpty());
    EXPECT_EQ(pager.mode(), PageMode::Newer);
    // The empty page still knows where it is: the older page is the one left.
    EXPECT_EQ(pager.showOlder().positionsTopDown(), range(4, 0));
}

TEST(BasketPaging, ThirtyRecordsOlderOlderOldestNewer)
{
    Pager pager;
    EXPECT_EQ(pager.showNewest(30).positionsTopDown(), range(29, 18));
    EXPECT_EQ(pager.showOlder().positionsTopDown(), range(17, 6));
    EXPECT_EQ(pager.mode(), PageMode::Older);
    EXPECT_EQ(pager.showOlder().positionsTopDown(), range(5, 0));
    EXPECT_TRUE(pager.showOlder().isEmpty());
    EXPECT_EQ(pager.showOldest(30).positionsTopDown(), range(11, 0));
    EXPECT_EQ(pager.mode(), PageMode::Oldest);
    EXPECT_EQ(pager.showNewer(30).positionsTopDown(), range(23, 12));
    EXPECT_EQ(pager.showNewer(30).positionsTopDown(), range(29, 24));
    // Newer pages reach records counted after the page was first shown.
    EXPECT_EQ(pager.showNewer(40).positionsTopDown(), range(39, 30));
    // The fixed pages leave the known count of the live update alone.
    EXPECT_EQ(pager.knownCount(), 30);
}

TEST(BasketPaging, PagesOfAnEmptyOrShortIndex)
{
    EXPECT_TRUE(newestPage(0).isEmpty());
    EXPECT_TRUE(oldestPage(0).isEmpty());
    EXPECT_EQ(newestPage(7).positionsTopDown(), range(6, 0));
    EXPECT_EQ(oldestPage(7).positionsTopDown(), range(6, 0));
    EXPECT_TRUE(olderPage(oldestPage(7)).isEmpty());
    EXPECT_EQ(newerPage(Page{0, 0}, 3).positionsTopDown(), range(2, 0));
    // An index that shrank below the page gives an empty newer page, never a reversed one.
    EXPECT_TRUE(newerPage(Page{20, 25}, 10).isEmpty());
    EXPECT_EQ(newerPage(Page{20, 25}, 10).end, 25);
}

TEST(BasketPaging, ThreeRecordsAppendedAtOnceGoOnTopAndTwelveRowsStay)
{
    Pager pager;
    pager.showNewest(30);
    const LiveUpdate update = pager.update(33);
    EXPECT_EQ(update.insertAtTop, (QList<int>{30, 31, 32}));
    EXPECT_EQ(update.removeFromBottom, 3);
    EXPECT_EQ(update.page.positionsTopDown(), range(32, 21));
    EXPECT_EQ(pager.page(), update.page);
    EXPECT_EQ(pager.knownCount(), 33);

    // Nothing new: nothing to do.
    const LiveUpdate none = pager.update(33);
    EXPECT_TRUE(none.insertAtTop.isEmpty());
    EXPECT_EQ(none.removeFromBottom, 0);
}

TEST(BasketPaging, LiveUpdateOfAShortPageKeepsItsRowsUntilTwelve)
{
    Pager pager;
    pager.showNewest(5);
    LiveUpdate update = pager.update(8);
    EXPECT_EQ(update.insertAtTop, (QList<int>{5, 6, 7}));
    EXPECT_EQ(update.removeFromBottom, 0);
    EXPECT_EQ(update.page.positionsTopDown(), range(7, 0));
    update = pager.update(14);
    EXPECT_EQ(update.insertAtTop, (QList<int>{8, 9, 10, 11, 12, 13}));
    EXPECT_EQ(update.removeFromBottom, 2);
    EXPECT_EQ(update.page.positionsTopDown(), range(13, 2));

    // An empty feed that fills up.
    Pager empty;
    empty.showNewest(0);
    EXPECT_EQ(empty.update(2).page.positionsTopDown(), range(1, 0));
}

TEST(BasketPaging, ManyRecordsAtOnceInsertOnlyThoseThatStay)
{
    Pager pager;
    pager.showNewest(30);
    const LiveUpdate update = pager.update(130);
    EXPECT_EQ(update.insertAtTop.size(), kPageRows);
    EXPECT_EQ(update.insertAtTop.first(), 118);
    EXPECT_EQ(update.insertAtTop.last(), 129);
    // Every row shown before goes.
    EXPECT_EQ(update.removeFromBottom, 12);
    EXPECT_EQ(update.page.positionsTopDown(), range(129, 118));
}

TEST(BasketPaging, FixedPagesAreNotUpdatedLive)
{
    Pager pager;
    pager.showNewest(30);
    pager.showOlder();
    const LiveUpdate update = pager.update(40);
    EXPECT_TRUE(update.insertAtTop.isEmpty());
    EXPECT_EQ(pager.page().positionsTopDown(), range(17, 6));
    EXPECT_EQ(pager.knownCount(), 30);
    // Back to the newest page: live again, from the count now.
    pager.showNewest(40);
    EXPECT_EQ(pager.update(41).insertAtTop, QList<int>{40});
}

TEST(BasketPaging, TextLiveUpdateAddsOnlyTheNewest)
{
    EXPECT_EQ(textLiveUpdate(3, 3), -1);
    EXPECT_EQ(textLiveUpdate(3, 4), 3);
    // Two records within one period: only the newer of them.
    EXPECT_EQ(textLiveUpdate(3, 5), 4);
    EXPECT_EQ(textLiveUpdate(5, 4), -1);
}

TEST(BasketPaging, ThumbnailSlotsOfOnePageNeverMeet)
{
    EXPECT_EQ(thumbnailSlot(0), 0);
    EXPECT_EQ(thumbnailSlot(1999), 1999);
    EXPECT_EQ(thumbnailSlot(2000), 0);
    EXPECT_EQ(thumbnailSlot(-1), -1);
    for (int first : {0, 1990, 1995, 3999, 123456}) {
        QSet<int> taken;
        for (int p = first; p < first + kPageRows; ++p)
            taken.insert(thumbnailSlot(p));
        EXPECT_EQ(taken.size(), kPageRows) << first;
    }
}

// ">" is off on a page that ends at position 0 and "<" on one that ends at the newest record
// counted, so neither button ever leads to an empty page; each comes back where records are.
TEST(BasketPaging, PageButtonsAreOffAtBothEnds)
{
    Pager pager;
    pager.showNewest(0);
    EXPECT_FALSE(pager.hasOlder());
    EXPECT_FALSE(pager.hasNewer());

    pager.showNewest(30);
    EXPECT_TRUE(pager.hasOlder());
    EXPECT_FALSE(pager.hasNewer()) << "the newest page has nothing above it";
    pager.showOlder(); // 17 .. 6
    EXPECT_TRUE(pager.hasOlder());
    EXPECT_TRUE(pager.hasNewer());
    pager.showOlder(); // 5 .. 0
    EXPECT_FALSE(pager.hasOlder()) << "nothing below position 0";
    EXPECT_TRUE(pager.hasNewer());
    pager.showNewer(30); // 17 .. 6
    pager.showNewer(30); // 29 .. 18
    EXPECT_FALSE(pager.hasNewer());
    EXPECT_TRUE(pager.hasOlder());
    pager.showOldest(30);
    EXPECT_FALSE(pager.hasOlder());
    EXPECT_TRUE(pager.hasNewer());

    // A short feed fits on its newest page; the live update opens ">" once records fall off it.
    Pager live;
    live.showNewest(5);
    EXPECT_FALSE(live.hasOlder());
    live.update(14);
    EXPECT_TRUE(live.hasOlder());
    EXPECT_FALSE(live.hasNewer());
}
