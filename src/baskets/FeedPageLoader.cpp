#include "FeedPageLoader.h"

FeedPageLoader::FeedPageLoader(FeedIndex feed, QObject *parent)
    : QObject(parent), m_feed(std::move(feed)), m_loader(new BackgroundLoader(this))
{
    connect(m_loader, &BackgroundLoader::finished, this, &FeedPageLoader::finished);
}

FeedPageLoader::~FeedPageLoader() { stop(); }

bool FeedPageLoader::stop() { return m_loader->stop(BackgroundLoader::Pending::Drop, kStopWaitMs); }

bool FeedPageLoader::isRunning() const { return m_loader->isRunning(); }

void FeedPageLoader::showPage(const BasketPaging::Pager &pager, Move move, int retryBudgetMs)
{
    m_loader->start([feed = m_feed, pager, move, retryBudgetMs, loader = this](const BackgroundLoader::Run &run) {
        BasketPaging::Pager moved = pager;
        const auto count = [&] {
            RetryingOpener opener(retryBudgetMs, run.stopFlag());
            return feed.recordCount(opener);
        };
        BasketPaging::Page page;
        switch (move) {
        case Move::Newest: page = moved.showNewest(count()); break;
        case Move::Oldest: page = moved.showOldest(count()); break;
        case Move::Older: page = moved.showOlder(); break;
        case Move::Newer: page = moved.showNewer(count()); break;
        }
        run.deliver([loader, moved] { Q_EMIT loader->paged(moved); });
        // One budget for the page: twelve files that never come cost it once.
        RetryingOpener opener(retryBudgetMs, run.stopFlag());
        for (int p = page.first; p < page.end && !run.stopRequested(); ++p) {
            const FeedItem item = FeedItems::picture(feed, p, opener);
            run.deliver([loader, item] { Q_EMIT loader->pictureRow(item); });
        }
    });
}

void FeedPageLoader::loadPictures(const QList<int> &positions, int retryBudgetMs)
{
    m_loader->start([feed = m_feed, positions, retryBudgetMs, loader = this](const BackgroundLoader::Run &run) {
        RetryingOpener opener(retryBudgetMs, run.stopFlag());
        for (int p : positions) {
            if (run.stopRequested())
                break;
            const FeedItem item = FeedItems::picture(feed, p, opener);
            run.deliver([loader, item] { Q_EMIT loader->pictureRow(item); });
        }
    });
}

void FeedPageLoader::loadTexts(int retryBudgetMs)
{
    m_loader->start([feed = m_feed, retryBudgetMs, loader = this](const BackgroundLoader::Run &run) {
        RetryingOpener opener(retryBudgetMs, run.stopFlag());
        const int count = feed.recordCount(opener);
        run.deliver([loader, count] { Q_EMIT loader->textsCounted(count); });
        for (int r = 0; r < count && !run.stopRequested(); ++r) {
            const FeedItem item = FeedItems::text(feed, count - 1 - r, opener);
            run.deliver([loader, item] { Q_EMIT loader->textRow(item); });
        }
    });
}

void FeedPageLoader::loadText(int position, int retryBudgetMs)
{
    m_loader->start([feed = m_feed, position, retryBudgetMs, loader = this](const BackgroundLoader::Run &run) {
        RetryingOpener opener(retryBudgetMs, run.stopFlag());
        const FeedItem item = FeedItems::text(feed, position, opener);
        run.deliver([loader, item] { Q_EMIT loader->textRow(item); });
    });
}
