#pragma once

#include <QList>

// The pages of the basket viewer's picture grid. A page is a run of consecutive record positions;
// its rows go from the highest position at the top down to the lowest. Nothing here reads a file:
// the viewer passes the number of records it counted and shows what the pager says.
namespace BasketPaging {

inline constexpr int kPageRows = 12;
// The thumbnail list of the grid has this many slots; an item's slot follows its position.
inline constexpr int kThumbnailSlots = 2000;

enum class PageMode {
    Newest = 1, // live: new records come in at the top
    Newer = 2,
    Older = 3,
    Oldest = 4,
};

// The positions first .. end - 1. An empty page still knows where it stands, so that the page
// buttons go on from there.
struct Page
{
    int first = 0;
    int end = 0;

    int rowCount() const { return end > first ? end - first : 0; }
    bool isEmpty() const { return rowCount() == 0; }
    // Top row first.
    QList<int> positionsTopDown() const;
    bool operator==(const Page &) const = default;
};

// The newest kPageRows records of count.
Page newestPage(int count);
// The oldest kPageRows records of count.
Page oldestPage(int count);
// The kPageRows records before the bottom row of the page shown.
Page olderPage(const Page &shown);
// The kPageRows records after the top row of the page shown, within count.
Page newerPage(const Page &shown, int count);

// What a live update does to the grid: the rows to put on top, each above the one before, then
// the rows to take off the bottom so that no more than kPageRows stay.
struct LiveUpdate
{
    QList<int> insertAtTop; // lowest position first
    int removeFromBottom = 0;
    Page page;              // the page afterwards
};

// The live update of a page showing records up to knownCount when count records are there now.
// Records that would be pushed off the page at once are not inserted at all.
LiveUpdate liveUpdate(const Page &shown, int knownCount, int count);

// The position a text feed's live update adds on top, or -1 when nothing arrived. When several
// records arrived since the last look, only the newest of them is added.
int textLiveUpdate(int knownCount, int count);

// The thumbnail slot of a position. Only kPageRows consecutive positions are on a page, so slots
// taken round the list never meet on one page.
int thumbnailSlot(int position);

// The state of the picture grid: the page mode, the page shown and the record count known to the
// live update (it only grows while the index only grows).
class Pager
{
public:
    PageMode mode() const { return m_mode; }
    const Page &page() const { return m_page; }
    int knownCount() const { return m_known; }
    bool isLive() const { return m_mode == PageMode::Newest; }

    const Page &showNewest(int count);
    const Page &showOldest(int count);
    const Page &showOlder();
    const Page &showNewer(int count);
    // Live mode only; an update with nothing new changes nothing and has no rows.
    LiveUpdate update(int count);

    // Whether ">" leads to records below the bottom row, and "<" to records above the top row
    // among those counted when the page was made: a button that would show an empty page is off.
    bool hasOlder() const { return m_page.first > 0; }
    bool hasNewer() const { return m_page.end < m_counted; }

private:
    PageMode m_mode = PageMode::Newest;
    Page m_page;
    int m_known = 0;
    int m_counted = 0;
};

} // namespace BasketPaging
