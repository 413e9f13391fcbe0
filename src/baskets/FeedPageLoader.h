#pragma once

#include "base/BackgroundLoader.h"
#include "baskets/BasketPaging.h"
#include "baskets/FeedIndex.h"

#include <QList>
#include <QObject>

// Reads the rows of the basket viewer on a thread of its own: a page of pictures, the new records
// of a live update, or the messages of a text feed, each row handed to the thread that owns the
// loader as soon as it is made. Every request stops the one before; what that one still sends is
// dropped. A request waits at most its retry budget for files the feed's writer holds.
class FeedPageLoader : public QObject
{
    Q_OBJECT

public:
    static constexpr int kStopWaitMs = BackgroundLoader::kStopWaitMs;

    // The page buttons' moves.
    enum class Move { Newest, Oldest, Older, Newer };

    explicit FeedPageLoader(FeedIndex feed, QObject *parent = nullptr);
    ~FeedPageLoader() override;

    // Moves a copy of the pager (counting the records first when the move needs the count), sends
    // it as `paged`, then the picture rows of the page it shows, lowest position first.
    void showPage(const BasketPaging::Pager &pager, Move move, int retryBudgetMs);
    // The picture rows at these positions, in this order.
    void loadPictures(const QList<int> &positions, int retryBudgetMs);
    // Counts the messages of a text feed (`textsCounted`), then sends them newest first.
    void loadTexts(int retryBudgetMs);
    // The message at one position.
    void loadText(int position, int retryBudgetMs);

    // Asks the request to stop and waits for it, at most kStopWaitMs; what it has not handed over
    // yet is dropped. True when it has ended.
    bool stop();
    bool isRunning() const;

signals:
    void paged(const BasketPaging::Pager &pager);
    void pictureRow(const FeedItem &item);
    void textsCounted(int count);
    void textRow(const FeedItem &item);
    // The request has read all it was asked for, or stopped by itself.
    void finished();

private:
    FeedIndex m_feed;
    BackgroundLoader *m_loader;
};
