#pragma once

#include "base/AppState.h"
#include "baskets/BasketSource.h"
#include "baskets/MemoStore.h"
#include "baskets/ReceivedFiles.h"
#include "baskets/Reminders.h"
#include "classes/ClassLevel.h"
#include "db/Database.h"

#include <QPointer>
#include <QTabWidget>

#include <optional>

class CBalloonTip;
class CGridCtrl;
class QTimer;
struct BuiltQuery;

// The content of the "Baskets" side bar: the classification tree one level at a time, the
// information feeds with their index files, and the current user's reminders. It also watches the
// user's received-files folder and raises the reminder balloons. The windows it opens are asked
// for by signals that carry what the window is to show.
class CBasketBar : public QTabWidget
{
    Q_OBJECT

public:
    static constexpr int kClassGridKind = 376;
    static constexpr int kFeedsGridKind = 333;
    static constexpr int kMemoGridKind = 3331;
    static constexpr int kWatchIntervalMs = 2000;

    enum ClassColumn { ClassCode = 0, ClassParent = 1, ClassName = 2 };
    enum FeedColumn { FeedNumber = 0, FeedFolder = 1, FeedIndex = 2, FeedName = 3, FeedType = 4 };
    enum MemoColumn { MemoFile = 1, MemoKeywords = 2, MemoText = 3, MemoDate = 4, MemoSerial = 7 };

    CBasketBar(AppState &state, Database db, QWidget *parent = nullptr);
    ~CBasketBar() override;

    CGridCtrl *classGrid() const { return m_classes; }
    CGridCtrl *feedsGrid() const { return m_feeds; }
    CGridCtrl *memoGrid() const { return m_memos; }

    // Lists the received files, tells the user how many wait, and starts the new-file watch and
    // the reminder alerts.
    void start();
    bool isStarted() const { return m_watch.has_value(); }

    // The classification editor changed the tree: go up from the level on show, as a double-click
    // on the header row does.
    void refreshClassGrid();

    // One tick of each timer; public so that tests can drive them without waiting.
    void watchReceivedFiles();
    void alertTick();

    // The balloons of the reminders raised so far that the user has not closed.
    QList<CBalloonTip *> openBalloons() const;

signals:
    void reportRequested(const BuiltQuery &query);
    void thumbnailBrowserRequested(const BasketSource &source);
    void basketViewerRequested(const BasketSource &source);
    void memoRequested(const MemoTarget &target);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildFeeds();
    void fitFeedColumns();
    void buildClasses();
    void buildMemos();
    void showLevel(const ClassLevel &level);
    ClassLevel shownLevel() const;
    void classDoubleClicked(int row, int column);
    void feedDoubleClicked(int row);
    void feedRightDoubleClicked();
    void memoDoubleClicked(int row);
    void showError(const QString &message);
    void requestBrowser(const BasketSource &source);

    AppState &m_state;
    Database m_db;
    CGridCtrl *m_classes;
    CGridCtrl *m_feeds;
    CGridCtrl *m_memos;
    QTimer *m_alertTimer;
    QTimer *m_watchTimer;
    Reminders::AlertClock m_clock;
    std::optional<ReceivedFilesWatch> m_watch;
    QList<QPointer<CBalloonTip>> m_balloons;
    // The basket handed over last; a folder choice that is cancelled browses its folder again.
    BasketSource m_lastBasket;
};
