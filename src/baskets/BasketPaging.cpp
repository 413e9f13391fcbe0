#include "BasketPaging.h"

#include <algorithm>

namespace BasketPaging {

QList<int> Page::positionsTopDown() const
{
    QList<int> positions;
    positions.reserve(rowCount());
    for (int p = end - 1; p >= first; --p)
        positions.append(p);
    return positions;
}

Page newestPage(int count)
{
    count = std::max(0, count);
    return {count - std::min(kPageRows, count), count};
}

Page oldestPage(int count)
{
    return {0, std::min(kPageRows, std::max(0, count))};
}

Page olderPage(const Page &shown)
{
    const int bottom = std::max(0, shown.first);
    return {bottom - std::min(kPageRows, bottom), bottom};
}

Page newerPage(const Page &shown, int count)
{
    const int from = std::max(0, shown.end);
    return {from, std::max(from, std::min(count, from + kPageRows))};
}

LiveUpdate liveUpdate(const Page &shown, int knownCount, int count)
{
    LiveUpdate update;
    update.page = shown;
    if (count <= knownCount)
        return update;
    const int firstKept = std::max(knownCount, count - kPageRows);
    for (int p = firstKept; p < count; ++p)
        update.insertAtTop.append(p);
    const int rows = shown.rowCount() + int(update.insertAtTop.size());
    update.removeFromBottom = std::max(0, rows - kPageRows);
    update.page = {std::max(shown.first, count - kPageRows), count};
    if (shown.isEmpty())
        update.page.first = firstKept;
    return update;
}

int textLiveUpdate(int knownCount, int count)
{
    return count > knownCount ? count - 1 : -1;
}

int thumbnailSlot(int position)
{
    return position < 0 ? -1 : position % kThumbnailSlots;
}

const Page &Pager::showNewest(int count)
{
    m_mode = PageMode::Newest;
    m_known = std::max(0, count);
    m_counted = m_known;
    m_page = newestPage(count);
    return m_page;
}

const Page &Pager::showOldest(int count)
{
    m_mode = PageMode::Oldest;
    m_counted = std::max(0, count);
    m_page = oldestPage(count);
    return m_page;
}

const Page &Pager::showOlder()
{
    m_mode = PageMode::Older;
    m_page = olderPage(m_page);
    return m_page;
}

const Page &Pager::showNewer(int count)
{
    m_mode = PageMode::Newer;
    m_counted = std::max(0, count);
    m_page = newerPage(m_page, count);
    return m_page;
}

LiveUpdate Pager::update(int count)
{
    if (!isLive() || count <= m_known)
        return liveUpdate(m_page, m_known, m_known);
    LiveUpdate result = liveUpdate(m_page, m_known, count);
    m_page = result.page;
    m_known = count;
    m_counted = count;
    return result;
}

} // namespace BasketPaging
