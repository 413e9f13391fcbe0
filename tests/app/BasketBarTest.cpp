#include "app/CBasketBar.h"
#include "base/Palette.h"
#include "base/SettingsFiles.h"
#include "classes/ClassEditor.h"
#include "common/TestArchive.h"
#include "db/CDFSet.h"
#include "search/QueryBuilder.h"
#include "ui/CBalloonTip.h"
#include "ui/CGridCtrl.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"
#include "users/UserAdmin.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

void touch(const QString &path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write("x");
}

class BasketBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MessageBox::setTestMode(true);
        MessageBox::takeShown();
        ASSERT_TRUE(m_archive.problem().isEmpty()) << m_archive.problem().toStdString();
        m_state = AppState::load(m_archive.home());
        m_state.currentUser = u"CLERK"_s;
        m_state.storedUser = u"Clerk"_s;
        m_state.classAccess = u"@12@31@"_s;

        addClass(u"12"_s, u"المراسلات"_s);
        addClass(u"13"_s, u"العقود"_s);
        addClass(u"31"_s, u"واردة"_s, u"12"_s);
        addClass(u"32"_s, u"صادرة"_s, u"12"_s);

        const QString feeds = m_archive.home() + u"/feeds"_s;
        FeedList list;
        list[0] = {1, FeedRecord::Images, u"الماسح"_s, feeds + u"/scan"_s};
        list[1] = {2, FeedRecord::Text, u"الرسائل"_s, feeds + u"/text"_s};
        list[2] = {3, FeedRecord::File, u"الفاكس"_s, feeds + u"/fax"_s};
        list[3] = {4, FeedRecord::None, u"بلا نوع"_s, feeds + u"/none"_s};
        for (int i = 0; i < 4; ++i)
            QDir().mkpath(list[size_t(i)].folder);
        touch(feeds + u"/scan/a.idx"_s);
        touch(feeds + u"/scan/b.idx"_s);
        touch(feeds + u"/scan/page.jpg"_s);
        touch(feeds + u"/text/t.idx"_s);
        touch(feeds + u"/none/x.idx"_s);
        ASSERT_TRUE(SettingsFiles::writeFeeds(m_state.databaseFolder, list).ok());
    }
    void TearDown() override
    {
        MessageBox::takeShown();
        MessageBox::setTestMode(false);
    }

    void addClass(const QString &code, const QString &name, const QString &parent = {})
    {
        ClassEditor e(m_archive.db());
        if (!parent.isEmpty())
            e.pickParent(parent, {});
        e.fields().code = code;
        e.fields().name = name;
        ASSERT_EQ(e.add().kind, ClassEditor::Outcome::Done);
    }

    void addMemo(const QString &to, const QDateTime &when, const QString &file, bool active = true)
    {
        DocumentRow row;
        row.cardNumber = 1;
        row.itemNumber = ++m_items;
        row.kind = 1;
        row.fileName = file;
        row.keywords = u"كلمات"_s;
        row.reminderUser = to;
        row.reminderText = u"راجع "_s + file;
        row.reminderTime = when;
        row.reminderActive = active;
        ASSERT_TRUE(CDFSet(m_archive.db()).insert(row).ok());
    }

    std::unique_ptr<CBasketBar> bar()
    {
        auto b = std::make_unique<CBasketBar>(m_state, m_archive.db());
        b->resize(265, 300);
        b->show();
        return b;
    }

    static void doubleClick(CGridCtrl *grid, int row, int column)
    {
        Q_EMIT grid->cellDoubleClicked(row, column, grid->gridKind());
    }

    TestArchive m_archive{Engine::SQLite};
    AppState m_state;
    int m_items = 0;
};

QStringList column(CGridCtrl *grid, int c)
{
    QStringList out;
    for (int r = grid->fixedRowCount(); r < grid->rowCount(); ++r)
        out.append(grid->text(r, c));
    return out;
}

} // namespace

TEST_F(BasketBarTest, TabsInOrderAndTheTreeGoesDownAndUpWithThePathOfNames)
{
    auto b = bar();
    ASSERT_EQ(b->count(), 3);
    EXPECT_EQ(b->tabText(0), u" الارشيف"_s);
    EXPECT_EQ(b->tabText(1), u"تغذية المعلومات"_s);
    EXPECT_EQ(b->tabText(2), u"مذكرة / تنبيه"_s);
    EXPECT_EQ(b->currentIndex(), 0);
    EXPECT_TRUE(b->isRightToLeft());

    CGridCtrl *g = b->classGrid();
    EXPECT_EQ(g->gridKind(), CBasketBar::kClassGridKind);
    EXPECT_EQ(column(g, CBasketBar::ClassCode), (QStringList{u"12"_s, u"13"_s}));
    EXPECT_EQ(g->text(0, 2), u"الارشيف"_s);
    EXPECT_EQ(g->background(1, 2), QColor(Palette::kMarked)) << "12 is in the access list";
    EXPECT_NE(g->background(2, 2), QColor(Palette::kMarked)) << "13 is not";

    doubleClick(g, 1, CBasketBar::ClassCode); // down into 12, without a report
    EXPECT_EQ(column(g, CBasketBar::ClassCode), (QStringList{u"31"_s, u"32"_s}));
    EXPECT_EQ(g->text(0, 0), u"12"_s);
    EXPECT_EQ(g->text(0, 1), u"0"_s);
    EXPECT_EQ(g->text(0, 2), u"الارشيف/المراسلات"_s);

    doubleClick(g, 1, CBasketBar::ClassCode); // 31 has no children: nothing changes
    EXPECT_EQ(column(g, CBasketBar::ClassCode), (QStringList{u"31"_s, u"32"_s}));

    doubleClick(g, 0, 2); // the header goes up
    EXPECT_EQ(column(g, CBasketBar::ClassCode), (QStringList{u"12"_s, u"13"_s}));
    EXPECT_EQ(g->text(0, 2), u"الارشيف"_s);

    // The classification editor changed the tree: the level is read again.
    addClass(u"14"_s, u"التقارير"_s);
    b->refreshClassGrid();
    EXPECT_EQ(column(g, CBasketBar::ClassCode), (QStringList{u"12"_s, u"13"_s, u"14"_s}));
}

TEST_F(BasketBarTest, AReportOpensOnlyForAPermittedClassification)
{
    auto b = bar();
    QList<BuiltQuery> reports;
    QObject::connect(b.get(), &CBasketBar::reportRequested, [&](const BuiltQuery &q) { reports.append(q); });
    CGridCtrl *g = b->classGrid();

    doubleClick(g, 2, CBasketBar::ClassName); // 13: not permitted, has no children
    EXPECT_TRUE(reports.isEmpty());
    doubleClick(g, 1, CBasketBar::ClassName); // 12: permitted; goes down and lists
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0].title, u"المراسلات"_s);
    EXPECT_EQ(reports[0].jetText, u"SELECT * FROM FILESERVER WHERE s1 LIKE '*@12@*' ORDER BY n1,n2"_s);
    EXPECT_EQ(g->text(0, 2), u"الارشيف/المراسلات"_s);

    doubleClick(g, 1, CBasketBar::ClassName); // 31: permitted leaf: only the report
    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports[1].title, u"واردة"_s);
    EXPECT_EQ(column(g, CBasketBar::ClassCode), (QStringList{u"31"_s, u"32"_s}));
    doubleClick(g, 2, CBasketBar::ClassName); // 32: not permitted
    EXPECT_EQ(reports.size(), 2);
}

TEST_F(BasketBarTest, FeedsChooseTheViewerKindOrTheBrowser)
{
    auto b = bar();
    CGridCtrl *g = b->feedsGrid();
    QList<BasketSource> viewers;
    QList<BasketSource> browsers;
    QObject::connect(b.get(), &CBasketBar::basketViewerRequested, [&](const BasketSource &s) { viewers.append(s); });
    QObject::connect(b.get(), &CBasketBar::thumbnailBrowserRequested, [&](const BasketSource &s) { browsers.append(s); });

    EXPECT_EQ(g->rowCount(), 10);
    QStringList options = g->options(0, CBasketBar::FeedIndex);
    EXPECT_EQ(g->text(0, CBasketBar::FeedIndex), options.value(0));
    options.sort();
    EXPECT_EQ(options, (QStringList{u"a.idx"_s, u"b.idx"_s})) << "only the index files of the folder";
    EXPECT_EQ(g->text(0, CBasketBar::FeedType), u"صور"_s);
    EXPECT_EQ(g->text(1, CBasketBar::FeedType), u"نص"_s);
    EXPECT_EQ(g->text(5, CBasketBar::FeedNumber), u"5"_s);

    doubleClick(g, 0, 3);
    ASSERT_EQ(viewers.size(), 1);
    EXPECT_EQ(viewers[0].kind, BasketContent::PicturesOrFiles);
    EXPECT_EQ(viewers[0].title, u"الماسح"_s);
    EXPECT_EQ(viewers[0].folder, m_archive.home() + u"/feeds/scan"_s);
    EXPECT_EQ(viewers[0].indexFile, g->text(0, CBasketBar::FeedIndex));

    doubleClick(g, 1, 0);
    ASSERT_EQ(viewers.size(), 2);
    EXPECT_EQ(viewers[1].kind, BasketContent::Texts);
    EXPECT_EQ(viewers[1].indexFile, u"t.idx"_s);

    doubleClick(g, 2, 0); // a feed without index files shows its folder
    ASSERT_EQ(browsers.size(), 1);
    EXPECT_EQ(browsers[0].title, u"الفاكس"_s);
    EXPECT_EQ(browsers[0].folder, m_archive.home() + u"/feeds/fax"_s);
    EXPECT_EQ(browsers[0].indexFile, u"non"_s);
    EXPECT_FALSE(browsers[0].isReceivedFiles());

    doubleClick(g, 3, 0); // no type: nothing
    doubleClick(g, 7, 0); // no folder: nothing
    EXPECT_EQ(viewers.size(), 2);
    EXPECT_EQ(browsers.size(), 1);

    FileDialog::setNextPath(u"/tmp/elsewhere"_s);
    Q_EMIT g->cellRightDoubleClicked(4, 1, g->gridKind());
    ASSERT_EQ(browsers.size(), 2);
    EXPECT_EQ(browsers[1].title, u"/tmp/elsewhere"_s);
    EXPECT_EQ(browsers[1].folder, u"/tmp/elsewhere"_s);
    FileDialog::setNextPath(QString()); // cancelled: the last folder again
    Q_EMIT g->cellRightDoubleClicked(4, 1, g->gridKind());
    ASSERT_EQ(browsers.size(), 3);
    EXPECT_EQ(browsers[2].title, u"/tmp/elsewhere"_s);
    EXPECT_EQ(browsers[2].folder, u"/tmp/elsewhere"_s);
    EXPECT_EQ(browsers[2].indexFile, u"non"_s);

    // Cancelled after a viewer: the viewer's feed folder is browsed under its name.
    doubleClick(g, 0, 3);
    FileDialog::setNextPath(QString());
    Q_EMIT g->cellRightDoubleClicked(4, 1, g->gridKind());
    ASSERT_EQ(browsers.size(), 4);
    EXPECT_EQ(browsers[3].title, u"الماسح"_s);
    EXPECT_EQ(browsers[3].folder, m_archive.home() + u"/feeds/scan"_s);
    EXPECT_EQ(browsers[3].indexFile, u"non"_s);
}

TEST_F(BasketBarTest, RemindersOfTodayAreColouredAndAlertedOnTheSecondTick)
{
    const QDateTime now = QDateTime::currentDateTime();
    addMemo(u"clerk"_s, now, u"a.jpg"_s);
    addMemo(u"CLERK"_s, QDateTime(now.date(), QTime(8, 0)), u"b.jpg"_s);
    addMemo(u"Clerk"_s, QDateTime(now.date(), QTime(23, 0)), u"c.jpg"_s);
    addMemo(u"CLERK"_s, now.addDays(-1), u"yesterday.jpg"_s);
    addMemo(u"CLERK"_s, now, u"off.jpg"_s, false);
    addMemo(u"OTHER"_s, now, u"other.jpg"_s);

    auto b = bar();
    CGridCtrl *g = b->memoGrid();
    ASSERT_EQ(g->rowCount(), 4) << "the user's active reminders, any letter case";
    const QColor today(Palette::kToday);
    int coloured = 0;
    for (int r = 0; r < g->rowCount(); ++r) {
        const bool isToday = g->text(r, CBasketBar::MemoFile) != u"yesterday.jpg"_s;
        EXPECT_EQ(g->background(r, CBasketBar::MemoDate) == today, isToday) << r;
        coloured += isToday;
    }
    EXPECT_EQ(coloured, 3);
    EXPECT_EQ(g->text(0, CBasketBar::MemoDate), u"%1/%2/%3"_s.arg(now.date().year()).arg(now.date().month()).arg(now.date().day()));

    b->alertTick();
    EXPECT_TRUE(b->openBalloons().isEmpty()) << "not on the first tick";
    b->alertTick();
    const QList<CBalloonTip *> balloons = b->openBalloons();
    ASSERT_EQ(balloons.size(), 3);
    EXPECT_EQ(balloons[0]->title(), u" تنبيه "_s);
    EXPECT_EQ(balloons[0]->text(), u"a.jpg\nكلمات\nراجع a.jpg"_s);
    EXPECT_EQ(balloons[0]->backgroundColour(), today);
    for (int i = 0; i < 3; ++i)
        b->alertTick();
    EXPECT_EQ(b->openBalloons().size(), 3) << "the next alert is 300 ticks away";

    // The memo grid's double-click names the row for the memo dialog.
    QList<MemoTarget> asked;
    QObject::connect(b.get(), &CBasketBar::memoRequested, [&](const MemoTarget &t) { asked.append(t); });
    doubleClick(g, 1, 2);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_GT(asked[0].serial, 0);
    EXPECT_EQ(QString::number(asked[0].serial), g->text(1, CBasketBar::MemoSerial));
    // A row that names no serial opens nothing and says why.
    MessageBox::takeShown();
    g->setText(1, CBasketBar::MemoSerial, u"abc"_s);
    doubleClick(g, 1, 2);
    EXPECT_EQ(asked.size(), 1);
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"رقم الملف غير صالح: abc"_s});
}

TEST_F(BasketBarTest, ReceivedFilesAreCountedAtStartAndNewOnesAnnouncedOnce)
{
    // The folder is named by the stored spelling of the user's name.
    const QString folder = receivedFilesFolder(m_state.databaseFolder, u"Clerk"_s);
    QDir().mkpath(folder);
    touch(folder + u"/one.jpg"_s);
    touch(folder + u"/two.doc"_s);

    auto b = bar();
    EXPECT_TRUE(MessageBox::takeShown().isEmpty()) << "nothing before the start";
    b->start();
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"you have 2 files"_s});

    touch(folder + u"/three.pdf"_s);
    b->watchReceivedFiles();
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"you have new file three.pdf"_s});
    b->watchReceivedFiles();
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());

    ASSERT_TRUE(QFile::remove(folder + u"/three.pdf"_s));
    touch(folder + u"/three.pdf"_s);
    b->watchReceivedFiles();
    EXPECT_TRUE(MessageBox::takeShown().isEmpty()) << "a name comes only once";
}

// In the side bar's width every feed column is in view: the names whole, the long folder paths
// cut, and each cell's whole text in its tooltip.
TEST_F(BasketBarTest, FeedColumnsFitTheirContentWithTheWholeTextAsATooltip)
{
    FeedList list = SettingsFiles::readFeeds(m_state.databaseFolder);
    list[4] = {5, FeedRecord::Images, u"الماسح الضوئي للبريد الوارد"_s, m_archive.home() + u"/feeds/scan"_s};
    ASSERT_TRUE(SettingsFiles::writeFeeds(m_state.databaseFolder, list).ok());
    auto b = bar();
    b->setCurrentWidget(b->feedsGrid());
    QCoreApplication::processEvents();
    CGridCtrl *g = b->feedsGrid();
    const QFontMetrics metrics(g->font());
    const int viewport = g->viewport()->width();
    int total = 0;
    for (int c = 0; c < g->columnCount(); ++c)
        total += g->columnWidth(c);
    EXPECT_LE(total, viewport) << "no column runs off the tab";
    for (const QString &name : {u"الماسح"_s, u"الرسائل"_s, u"الفاكس"_s, u"الماسح الضوئي للبريد الوارد"_s})
        EXPECT_GE(g->columnWidth(CBasketBar::FeedName), metrics.horizontalAdvance(name)) << "the whole name shows";
    EXPECT_GE(g->columnWidth(CBasketBar::FeedType), metrics.horizontalAdvance(u"صور"_s));
    const QString folder = g->text(0, CBasketBar::FeedFolder);
    EXPECT_LT(g->columnWidth(CBasketBar::FeedFolder), metrics.horizontalAdvance(folder)) << "the long path gives way";
    EXPECT_FALSE(g->wordWrap());
    EXPECT_EQ(g->textElideMode(), Qt::ElideRight);
    EXPECT_EQ(g->model()->index(0, CBasketBar::FeedFolder - g->fixedColumnCount()).data(Qt::ToolTipRole).toString(), folder);
    EXPECT_EQ(g->model()->index(1, CBasketBar::FeedName - g->fixedColumnCount()).data(Qt::ToolTipRole).toString(),
              u"الرسائل"_s);

    // A wider bar gives the path its whole width.
    b->resize(1400, 300);
    QCoreApplication::processEvents();
    EXPECT_GE(g->columnWidth(CBasketBar::FeedFolder), metrics.horizontalAdvance(folder));
}
