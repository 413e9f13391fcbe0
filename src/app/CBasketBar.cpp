#include "CBasketBar.h"

#include "base/ColumnFit.h"
#include "base/Palette.h"
#include "base/SettingsFiles.h"
#include "db/CClaSet.h"
#include "db/CDFSet.h"
#include "db/ClassPath.h"
#include "search/QueryBuilder.h"
#include "ui/CBalloonTip.h"
#include "ui/CGridCtrl.h"
#include "ui/GridModel.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"
#include "users/UserAdmin.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QHeaderView>
#include <QStyle>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kBasketRowHeight = 20;
constexpr int kMemoColumns = 8;
// No feed column is cut narrower than this; the text in a cell keeps this much room either side.
constexpr int kFeedMinimumWidth = 24;
constexpr int kFeedCellPadding = 6;

// The index files of a feed folder: every visible file ending in ".idx", in listing order.
QStringList indexFilesIn(const QString &folder)
{
    if (folder.isEmpty())
        return {};
    return QDir(folder).entryList({u"*.idx"_s}, QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
}

QString dateText(const QDateTime &d)
{
    if (!d.isValid())
        return {};
    const QDate day = d.date();
    return u"%1/%2/%3"_s.arg(day.year()).arg(day.month()).arg(day.day());
}

} // namespace

CBasketBar::CBasketBar(AppState &state, Database db, QWidget *parent)
    : QTabWidget(parent)
    , m_state(state)
    , m_db(std::move(db))
    , m_classes(new CGridCtrl(this))
    , m_feeds(new CGridCtrl(this))
    , m_memos(new CGridCtrl(this))
    , m_alertTimer(new QTimer(this))
    , m_watchTimer(new QTimer(this))
{
    setLayoutDirection(Qt::RightToLeft);
    m_classes->setGridKind(kClassGridKind);
    m_feeds->setGridKind(kFeedsGridKind);
    m_memos->setGridKind(kMemoGridKind);

    buildFeeds();
    buildClasses();
    buildMemos();

    addTab(m_classes, tr(" الارشيف"));
    addTab(m_feeds, tr("تغذية المعلومات"));
    addTab(m_memos, tr("مذكرة / تنبيه"));
    setCurrentIndex(0);

    connect(m_classes, &CGridCtrl::cellDoubleClicked, this,
            [this](int row, int column, int) { classDoubleClicked(row, column); });
    connect(m_feeds, &CGridCtrl::cellDoubleClicked, this, [this](int row, int, int) { feedDoubleClicked(row); });
    connect(m_feeds, &CGridCtrl::cellRightDoubleClicked, this, [this](int, int, int) { feedRightDoubleClicked(); });
    connect(m_memos, &CGridCtrl::cellDoubleClicked, this, [this](int row, int, int) { memoDoubleClicked(row); });

    m_alertTimer->setInterval(Reminders::AlertClock::kFirstIntervalMs);
    connect(m_alertTimer, &QTimer::timeout, this, &CBasketBar::alertTick);
    m_watchTimer->setInterval(kWatchIntervalMs);
    connect(m_watchTimer, &QTimer::timeout, this, &CBasketBar::watchReceivedFiles);
}

CBasketBar::~CBasketBar()
{
    for (const QPointer<CBalloonTip> &balloon : std::as_const(m_balloons))
        delete balloon.data();
}

void CBasketBar::showError(const QString &message)
{
    MessageBox::warning(this, message);
}

// The ten feeds of the settings, each with the index files its folder holds now. Index files
// that appear later are listed at the next start.
void CBasketBar::buildFeeds()
{
    constexpr int widths[] = {0, 150, 100, 115, 600};
    m_feeds->setColumns(widths);
    m_feeds->setRowCount(SettingsFiles::kFeedCount);
    m_feeds->setFixedRowCount(0);
    m_feeds->setFixedColumnCount(0);
    m_feeds->setEditable(true);
    // One line per cell, a long text cut at its end, the whole of it in the tooltip.
    m_feeds->setWordWrap(false);
    m_feeds->setTextElideMode(Qt::ElideRight);
    m_feeds->gridModel()->setTextTips(true);
    m_feeds->viewport()->installEventFilter(this);

    const FeedList feeds = SettingsFiles::readFeeds(m_state.databaseFolder);
    for (int i = 0; i < SettingsFiles::kFeedCount; ++i) {
        const FeedRecord &feed = feeds[size_t(i)];
        m_feeds->setText(i, FeedName, feed.name);
        m_feeds->setText(i, FeedFolder, feed.folder);
        m_feeds->setText(i, FeedType, SettingsFiles::feedTypeText(feed.type));
        const QStringList indexFiles = indexFilesIn(feed.folder);
        if (!indexFiles.isEmpty()) {
            m_feeds->setOptions(i, FeedIndex, indexFiles);
            m_feeds->setText(i, FeedIndex, indexFiles.first());
        }
        m_feeds->setText(i, FeedNumber, QString::number(i));
    }
}

// Every feed column as wide as its longest text when the tab is wide enough; otherwise the longest
// are cut, so that every column stays in view.
void CBasketBar::fitFeedColumns()
{
    const QFontMetrics metrics(m_feeds->font());
    QList<int> content;
    for (int c = 0; c < m_feeds->columnCount(); ++c) {
        if (c == FeedNumber) {
            content.append(0);
            continue;
        }
        int widest = 0;
        for (int r = 0; r < m_feeds->rowCount(); ++r) {
            QStringList texts = m_feeds->options(r, c);
            texts.append(m_feeds->text(r, c));
            for (const QString &text : std::as_const(texts))
                widest = std::max(widest, metrics.horizontalAdvance(text));
        }
        content.append(widest > 0 ? widest + 2 * kFeedCellPadding : kFeedMinimumWidth);
    }
    // The feed's name and type stay whole the longest.
    QList<bool> keepWhole(content.size(), false);
    keepWhole[FeedName] = true;
    keepWhole[FeedType] = true;
    const QList<int> widths = ColumnFit::fit(content, m_feeds->viewport()->width(), kFeedMinimumWidth, keepWhole);
    for (int c = 0; c < int(widths.size()); ++c)
        m_feeds->setColumnWidth(c, widths[c]);
}

bool CBasketBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_feeds->viewport() && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        fitFeedColumns();
    return QTabWidget::eventFilter(watched, event);
}

void CBasketBar::buildClasses()
{
    m_classes->setColumnCount(3);
    m_classes->setRowCount(1);
    m_classes->setFixedRowCount(1);
    m_classes->setFixedColumnCount(1);
    m_classes->setEditable(false);
    m_classes->setColumnWidth(ClassCode, 55);
    m_classes->setColumnWidth(ClassParent, 0);
    m_classes->setColumnWidth(ClassName, 175);
    m_classes->setRowHeight(0, kBasketRowHeight);
    m_classes->setText(0, ClassCode, u"0"_s);
    m_classes->setText(0, ClassParent, u"0"_s);
    m_classes->setText(0, ClassName, ClassLevel::rootName());

    const Result<ClassLevel> top = ClassLevelNavigator(m_db).top();
    if (top)
        showLevel(*top);
}

void CBasketBar::showLevel(const ClassLevel &level)
{
    m_classes->beginBatch();
    m_classes->setText(0, ClassCode, QString::number(level.code));
    m_classes->setText(0, ClassParent, QString::number(level.parent));
    m_classes->setText(0, ClassName, level.path);
    m_classes->removeNonFixedRows();
    m_classes->setRowCount(int(level.rows.size()) + 1);
    const QString access = m_state.classAccess;
    for (int i = 0; i < level.rows.size(); ++i) {
        const ClassRow &row = level.rows.at(i);
        const int r = i + 1;
        m_classes->setText(r, ClassCode, row.codeText);
        m_classes->setText(r, ClassParent, QString::number(row.parentCode));
        m_classes->setText(r, ClassName, row.name);
        if (access.contains(u'@' + row.codeText + u'@'))
            m_classes->setBackground(r, ClassName, QColor(Palette::kMarked));
        m_classes->setRowHeight(r, kBasketRowHeight);
    }
    m_classes->endBatch();
}

ClassLevel CBasketBar::shownLevel() const
{
    ClassLevel level;
    level.code = m_classes->text(0, ClassCode).toInt();
    level.parent = m_classes->text(0, ClassParent).toInt();
    level.path = m_classes->text(0, ClassName);
    return level;
}

void CBasketBar::refreshClassGrid()
{
    m_classes->removeNonFixedRows();
    classDoubleClicked(0, ClassName);
}

void CBasketBar::classDoubleClicked(int row, int column)
{
    const ClassLevelNavigator navigator(m_db);
    const ClassLevel shown = shownLevel();
    if (row == 0) {
        const Result<std::optional<ClassLevel>> up = navigator.up(shown);
        if (!up)
            return showError(up.error());
        if (up->has_value())
            showLevel(**up);
        return;
    }
    if (row < 0 || row >= m_classes->rowCount())
        return;

    const QString codeText = m_classes->text(row, ClassCode);
    const QString name = m_classes->text(row, ClassName);
    const qint32 code = CClaSet::codeNumber(codeText);
    const Result<std::optional<ClassLevel>> down = navigator.down(shown, code, name);
    if (!down)
        return showError(down.error());
    if (down->has_value())
        showLevel(**down);

    if (column == ClassCode || !m_state.classAccess.contains(u'@' + codeText + u'@'))
        return;
    BuiltQuery query;
    query.jetText = u"SELECT * FROM FILESERVER WHERE s1 LIKE '*@"_s + codeText + u"@*' ORDER BY n1,n2"_s;
    query.where = SqlCondition::filedUnder(m_db.engine(), code);
    query.title = name;
    Q_EMIT reportRequested(query);
}

void CBasketBar::feedDoubleClicked(int row)
{
    const QString folder = m_feeds->text(row, FeedFolder);
    if (folder.isEmpty())
        return;
    const QString index = m_feeds->text(row, FeedIndex);
    const QString name = m_feeds->text(row, FeedName);
    if (index.isEmpty())
        return requestBrowser(BasketSource::ofFolder(name, folder));
    const QString type = m_feeds->text(row, FeedType);
    const bool pictures = type.contains(SettingsFiles::feedTypeText(FeedRecord::Images))
                          || type.contains(SettingsFiles::feedTypeText(FeedRecord::File));
    if (!pictures && !type.contains(SettingsFiles::feedTypeText(FeedRecord::Text)))
        return;
    m_lastBasket = {name, folder, index, pictures ? BasketContent::PicturesOrFiles : BasketContent::Texts};
    Q_EMIT basketViewerRequested(m_lastBasket);
}

void CBasketBar::feedRightDoubleClicked()
{
    const QString folder = FileDialog::chooseFolder(this);
    if (folder.isEmpty())
        requestBrowser(BasketSource::ofFolder(m_lastBasket.title, m_lastBasket.folder));
    else
        requestBrowser(BasketSource::ofFolder(folder, folder));
}

void CBasketBar::requestBrowser(const BasketSource &source)
{
    m_lastBasket = source;
    Q_EMIT thumbnailBrowserRequested(source);
}

// The reminders addressed to the current user, read once: a memo written later is listed at the
// next start.
void CBasketBar::buildMemos()
{
    constexpr int widths[kMemoColumns] = {0, 50, 100, 150, 80, 0, 0, 0};
    m_memos->setColumns(widths);
    m_memos->setFixedRowCount(0);
    m_memos->setFixedColumnCount(0);
    m_memos->setEditable(false);

    const Result<QList<DocumentRow>> rows = CDFSet(m_db).activeReminders(m_state.currentUser);
    if (!rows) {
        m_memos->setRowCount(0);
        return;
    }
    m_memos->setRowCount(int(rows->size()));
    const QDate today = QDate::currentDate();
    for (int r = 0; r < rows->size(); ++r) {
        const DocumentRow &row = rows->at(r);
        m_memos->setText(r, MemoFile, row.fileName);
        m_memos->setText(r, MemoKeywords, row.keywords);
        m_memos->setText(r, MemoText, row.reminderText);
        m_memos->setText(r, MemoDate, dateText(row.reminderTime));
        m_memos->setText(r, MemoSerial, QString::number(row.serial));
        if (Reminders::isDueOn(row.reminderTime, today)) {
            for (int c = MemoFile; c <= MemoDate; ++c)
                m_memos->setBackground(r, c, QColor(Palette::kToday));
        }
    }
}

void CBasketBar::memoDoubleClicked(int row)
{
    if (row < 0 || row >= m_memos->rowCount())
        return;
    const Result<qint32> serial = MemoStore::parseRowNumber(m_memos->text(row, MemoSerial));
    if (!serial)
        return showError(serial.error());
    Q_EMIT memoRequested({*serial});
}

void CBasketBar::start()
{
    if (m_watch)
        return;
    m_watch.emplace(receivedFilesFolder(m_state.databaseFolder, m_state.receivedFilesUser()));
    m_clock = {};
    m_alertTimer->setInterval(Reminders::AlertClock::kFirstIntervalMs);
    m_alertTimer->start();
    m_watchTimer->start();
    // The count comes after the timers are running: while the message is open, new files and
    // reminders still announce themselves.
    if (const qsizetype count = m_watch->known().size(); count > 0)
        MessageBox::information(this, u"you have %1 files"_s.arg(count));
}

void CBasketBar::watchReceivedFiles()
{
    if (!m_watch)
        return;
    // Every name is known before its message is shown, so a tick that comes while the message is
    // open cannot announce the same file again.
    for (const QString &name : m_watch->poll())
        MessageBox::information(this, u"you have new file "_s + name);
}

void CBasketBar::alertTick()
{
    const Reminders::AlertClock::Tick tick = m_clock.tick();
    if (m_alertTimer->interval() != tick.nextIntervalMs)
        m_alertTimer->setInterval(tick.nextIntervalMs);
    if (!tick.alert)
        return;

    const QColor today(Palette::kToday);
    QPoint corner = mapToGlobal(rect().bottomRight());
    const QPixmap icon = style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(16, 16);
    for (int r = 0; r < m_memos->rowCount(); ++r) {
        if (m_memos->background(r, MemoFile) != today)
            continue;
        auto *balloon = new CBalloonTip;
        balloon->setTitle(tr(" تنبيه "));
        balloon->setText(m_memos->text(r, MemoFile) + u'\n' + m_memos->text(r, MemoKeywords) + u'\n'
                         + m_memos->text(r, MemoText));
        balloon->setIcon(icon);
        balloon->setFont(QFont(u"Arial"_s, 12));
        balloon->setBackgroundColour(today);
        balloon->showAt(corner, Qt::BottomRightCorner);
        m_balloons.append(balloon);
        // The next one stands above this one instead of hiding it.
        corner.ry() -= balloon->height() + 4;
    }
}

QList<CBalloonTip *> CBasketBar::openBalloons() const
{
    QList<CBalloonTip *> open;
    for (const QPointer<CBalloonTip> &balloon : m_balloons) {
        if (balloon && balloon->isVisible())
            open.append(balloon.data());
    }
    return open;
}
