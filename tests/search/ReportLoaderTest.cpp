#include "common/PictureBombs.h"
#include "common/SolidPicture.h"
#include "common/TestArchive.h"
#include "db/CDFSet.h"
#include "db/ScopedTransaction.h"
#include "imaging/Thumbnail.h"
#include "search/QueryBuilder.h"
#include "search/ReportLoader.h"
#include "search/ThumbnailCache.h"

#include <Magick++.h>

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

// Runs the event loop until the loader has ended `runs` runs in all, or 30 s have passed.
bool waitForRuns(ReportLoader &loader, int &ended, int runs)
{
    if (ended >= runs)
        return true;
    QEventLoop loop;
    QObject::connect(&loader, &ReportLoader::finished, &loop, [&] {
        if (ended >= runs)
            loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    return ended >= runs;
}

struct Received
{
    QList<ReportHit> images;
    QList<QImage> thumbnails;
    QList<ReportHit> texts;
    QStringList failures;
    int runs = 0;

    void listen(ReportLoader &loader)
    {
        QObject::connect(&loader, &ReportLoader::imageRow, &loader, [this](const ReportHit &hit, const QImage &image) {
            images.append(hit);
            thumbnails.append(image);
        });
        QObject::connect(&loader, &ReportLoader::textRow, &loader, [this](const ReportHit &hit) { texts.append(hit); });
        QObject::connect(&loader, &ReportLoader::failed, &loader, [this](const QString &m) { failures.append(m); });
        // Connected before any waiting loop, so the count is up to date when a loop looks at it.
        QObject::connect(&loader, &ReportLoader::finished, &loader, [this] { ++runs; });
    }
};

class ReportLoading : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_TRUE(m_cache.isValid());
    }

    void add(qint32 card, qint32 item, qint32 kind, const QString &extension = u"JPG"_s)
    {
        DocumentRow row;
        row.cardNumber = card;
        row.itemNumber = item;
        row.kind = kind;
        row.classPath = u"@1@"_s;
        row.fileName = u"page.jpg"_s;
        row.keywords = u"كلمات %1"_s.arg(card);
        row.seriesFolder = u"Ser1"_s;
        row.extension = extension;
        row.text = kind == KindText ? u"نص البطاقة %1"_s.arg(card) : QString();
        row.description = u"وصف %1"_s.arg(card);
        row.cardDate = QDate(2026, 5, 10).startOfDay();
        ASSERT_TRUE(CDFSet(db()).insert(row).ok());
    }

    std::unique_ptr<ReportLoader> loader(const SqlCondition &where = SqlCondition::raw(u"n1 > 0"_s))
    {
        auto l = std::make_unique<ReportLoader>(db(), where, archive().fileServerFolder(), archive().home());
        l->setThumbnailCacheFolder(m_cache.path());
        return l;
    }

    QTemporaryDir m_cache;
};

constexpr qint32 kKinds[] = {KindImage, KindFile, KindFolder, KindText, 7, 0};

} // namespace

TEST_P(ReportLoading, StopThenResumeGivesEveryHitExactlyOnce)
{
    // 42 records: seven of each kind, among them kinds that belong in no grid.
    for (qint32 card = 1; card <= 42; ++card)
        add(card, 1, kKinds[card % 6]);

    auto l = loader();
    std::atomic<int> stopAt{10};
    l->setRecordHook([&stopAt, raw = l.get()](int position) {
        if (position == stopAt.load()) {
            stopAt = -1;
            raw->requestStop();
        }
    });
    Received got;
    got.listen(*l);

    l->start();
    ASSERT_TRUE(waitForRuns(*l, got.runs, 1));
    EXPECT_FALSE(l->isComplete());
    EXPECT_EQ(l->resumePosition(), 10);
    // The rest of the result is not read yet, so its size is not known.
    EXPECT_EQ(l->recordCount(), -1);
    // Records 0..9 are cards 1..10: kinds image, file, folder, text, 7, 0, image, ...
    EXPECT_EQ(got.images.size() + got.texts.size(), 7);

    stopAt = 25;
    l->resume();
    ASSERT_TRUE(waitForRuns(*l, got.runs, 2));
    EXPECT_EQ(l->resumePosition(), 25);
    EXPECT_FALSE(l->isComplete());

    l->resume();
    ASSERT_TRUE(waitForRuns(*l, got.runs, 3));
    EXPECT_TRUE(l->isComplete());
    EXPECT_FALSE(l->isRunning());
    EXPECT_EQ(l->recordCount(), 42);

    std::map<qint32, int> seen;
    for (const ReportHit &hit : got.images) {
        ++seen[hit.cardNumber];
        EXPECT_TRUE(hit.kind == KindImage || hit.kind == KindFile || hit.kind == KindFolder) << hit.cardNumber;
    }
    for (const ReportHit &hit : got.texts) {
        ++seen[hit.cardNumber];
        EXPECT_EQ(hit.kind, KindText);
        EXPECT_EQ(hit.text, u"نص البطاقة %1"_s.arg(hit.cardNumber));
    }
    std::map<qint32, int> expected;
    for (qint32 card = 1; card <= 42; ++card) {
        const qint32 kind = kKinds[card % 6];
        if (kind != 7 && kind != 0)
            expected[card] = 1;
    }
    EXPECT_EQ(seen, expected);

    // Slots and running numbers go on across the stops, in record order.
    for (int i = 0; i < got.images.size(); ++i)
        EXPECT_EQ(got.images[i].number, i);
    for (int k = 0; k < got.texts.size(); ++k)
        EXPECT_EQ(got.texts[k].number, k);
    EXPECT_TRUE(got.failures.isEmpty());
}

TEST_P(ReportLoading, RowsOfOtherKindsAppearNowhere)
{
    add(1, 1, 0);
    add(2, 1, 4);
    add(3, 1, 7);
    add(4, 1, 54);
    auto l = loader();
    Received got;
    got.listen(*l);
    l->start();
    ASSERT_TRUE(waitForRuns(*l, got.runs, 1));
    EXPECT_TRUE(l->isComplete());
    EXPECT_EQ(l->recordCount(), 4);
    EXPECT_TRUE(got.images.isEmpty());
    EXPECT_TRUE(got.texts.isEmpty());

    // Resume after the end has nothing to go on with.
    l->resume();
    EXPECT_FALSE(l->isRunning());
    QEventLoop loop;
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(got.runs, 1);
}

TEST_P(ReportLoading, OnlyTheFirstSlotsGetThumbnails)
{
    for (qint32 card = 1; card <= 5; ++card)
        add(card, 1, KindImage);
    add(6, 1, KindText);
    auto l = loader();
    l->setThumbnailLimit(3);
    Received got;
    got.listen(*l);
    l->start();
    ASSERT_TRUE(waitForRuns(*l, got.runs, 1));
    ASSERT_EQ(got.images.size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(got.images[i].cardNumber, i + 1);
        if (i < 3) {
            EXPECT_EQ(got.images[i].number, i);
            EXPECT_EQ(got.thumbnails[i].size(), Thumbnail::kSize);
        } else {
            EXPECT_EQ(got.images[i].number, -1);
            EXPECT_TRUE(got.thumbnails[i].isNull());
        }
    }
    ASSERT_EQ(got.texts.size(), 1);
    EXPECT_EQ(got.texts[0].number, 0);
}

TEST_P(ReportLoading, PicturesFromTheFileIconsForOtherTypes)
{
    add(1, 1, KindImage, u"JPG"_s);
    add(2, 1, KindFile, u"DOC"_s);
    add(3, 1, KindFolder, u"JPG"_s);
    add(4, 1, KindFile, u"PDF"_s);
    // The picture of card 1 is in the store; the word icon is installed, the others are not.
    writePicture(archive().fileServerFolder() + u"/Ser1/1&1&page.jpg"_s, 300, 100, "red");
    writePicture(archive().home() + u"/COM/ICONS/word.jpg"_s, 90, 120, "blue");

    auto l = loader();
    Received got;
    got.listen(*l);
    l->start();
    ASSERT_TRUE(waitForRuns(*l, got.runs, 1));
    ASSERT_EQ(got.images.size(), 4);
    EXPECT_EQ(got.images[0].path, archive().fileServerFolder() + u"/Ser1/1&1&page.jpg"_s);

    const QImage empty = Thumbnail::compose({});
    const QImage red = got.thumbnails[0];
    EXPECT_NE(red, empty);
    // A wide picture fills the width and is centred vertically: the middle is red.
    EXPECT_GT(QColor(red.pixel(75, 67)).red(), 240);
    EXPECT_LT(QColor(red.pixel(75, 67)).blue(), 10);

    const QImage word = got.thumbnails[1];
    EXPECT_GT(QColor(word.pixel(75, 67)).blue(), 200);
    EXPECT_LT(QColor(word.pixel(75, 67)).red(), 10);

    // Folder and PDF icons are not installed: drawn stand-ins, different from each other and
    // from the empty box.
    EXPECT_NE(got.thumbnails[2], empty);
    EXPECT_NE(got.thumbnails[3], empty);
    EXPECT_NE(got.thumbnails[2], got.thumbnails[3]);
}

TEST_P(ReportLoading, ADecompressionBombAmongTheHitsKeepsAnEmptyCellAndTheReportGoesOn)
{
    for (qint32 card = 1; card <= 3; ++card)
        add(card, 1, KindImage);
    writePicture(archive().fileServerFolder() + u"/Ser1/1&1&page.jpg"_s, 300, 100, "red");
    // Card 2's page is a 50,000 x 50,000 PNG under a JPEG's name, as a feed may bring one.
    ASSERT_TRUE(PictureBombs::writePng(archive().fileServerFolder() + u"/Ser1/2&1&page.jpg"_s, 50000));
    writePicture(archive().fileServerFolder() + u"/Ser1/3&1&page.jpg"_s, 300, 100, "red");

    auto l = loader();
    Received got;
    got.listen(*l);
    QElapsedTimer t;
    t.start();
    l->start();
    ASSERT_TRUE(waitForRuns(*l, got.runs, 1));
    EXPECT_LT(t.elapsed(), 10000);
    ASSERT_EQ(got.images.size(), 3);
    // The empty framed cell (as the store gives it back: through JPEG, so only near its colours).
    ASSERT_EQ(got.thumbnails[1].size(), Thumbnail::kSize);
    const QColor middle = got.thumbnails[1].pixelColor(75, 67);
    EXPECT_GT(std::min({middle.red(), middle.green(), middle.blue()}), 240) << "white, not a picture";
    for (int i : {0, 2})
        EXPECT_GT(QColor(got.thumbnails[i].pixel(75, 67)).red(), 240) << "card " << i + 1;
    EXPECT_TRUE(got.failures.isEmpty());
}

// The phrase fills the first page from the first rows read, and stands again only far past them:
// the rows after the first page come all the same, each once and in report order.
TEST_P(ReportLoading, APhraseInTheFirstRowsAndFarPastThemArrivesWhole)
{
    QList<DocumentRow> rows;
    QList<qint32> want;
    for (qint32 card = 1; card <= 1400; ++card) {
        DocumentRow row;
        row.cardNumber = card;
        row.itemNumber = 1;
        row.kind = KindText;
        row.classPath = u"@1@"_s;
        const bool holds = card <= 150 || card == 1390;
        row.text = holds ? u"عقد ايجار %1"_s.arg(card) : u"نص %1"_s.arg(card);
        row.cardDate = QDate(2026, 5, 10).startOfDay();
        rows.append(row);
        if (holds)
            want.append(card);
    }
    {
        Result<QSqlDatabase> conn = db().connection(DbFile::Archive);
        ASSERT_TRUE(conn.ok());
        ScopedTransaction tx(*conn, db().engine());
        ASSERT_TRUE(CDFSet(db()).insertMany(rows).ok());
        ASSERT_TRUE(tx.commit().ok());
    }
    SearchRequest r;
    r.from = QDate(2026, 1, 1);
    r.to = QDate(2026, 12, 31);
    r.phrase = u"عقد ايجار"_s;
    PermittedClasses permitted;
    permitted.codes = {u"1"_s};
    const Result<BuiltQuery> q = QueryBuilder::build(r, permitted, db().engine());
    ASSERT_TRUE(q.ok());

    auto l = loader(q->where);
    Received got;
    got.listen(*l);
    l->start();
    ASSERT_TRUE(waitForRuns(*l, got.runs, 1));
    EXPECT_TRUE(got.failures.isEmpty()) << got.failures.join(u' ').toStdString();
    EXPECT_TRUE(l->isComplete());
    QList<qint32> cards;
    for (const ReportHit &hit : got.texts)
        cards.append(hit.cardNumber);
    EXPECT_EQ(cards, want);
}

TEST_P(ReportLoading, RejectedQueryIsReported)
{
    add(1, 1, KindImage);
    auto l = loader(SqlCondition::raw(u"no_such_column = 1"_s));
    Received got;
    got.listen(*l);
    l->start();
    ASSERT_TRUE(waitForRuns(*l, got.runs, 1));
    EXPECT_EQ(got.failures.size(), 1);
    EXPECT_TRUE(got.images.isEmpty());
    EXPECT_FALSE(l->isRunning());
}

TEST_P(ReportLoading, DestroyingARunningLoaderStopsIt)
{
    for (qint32 card = 1; card <= 20; ++card)
        add(card, 1, KindImage);
    auto l = loader();
    std::atomic<int> reached{-1};
    l->setRecordHook([&reached](int position) {
        reached = position;
        QThread::msleep(20);
    });
    l->start();
    QThread::msleep(100);
    EXPECT_TRUE(l->isRunning());
    QElapsedTimer clock;
    clock.start();
    l.reset();
    EXPECT_LT(clock.elapsed(), ReportLoader::kStopWaitMs);
    const int at = reached.load();
    QThread::msleep(100);
    EXPECT_EQ(reached.load(), at); // the worker is gone, not just forgotten
    EXPECT_LT(at, 19);
}

TEST_P(ReportLoading, ASecondRunTakesTheThumbnailsFromTheArchivesStore)
{
    add(1, 1, KindImage);
    const QString stored = archive().fileServerFolder() + u"/Ser1/1&1&page.jpg"_s;
    writePicture(stored, 300, 100, "red");
    const auto runOnce = [this] {
        auto l = loader();
        Received got;
        got.listen(*l);
        l->start();
        EXPECT_TRUE(waitForRuns(*l, got.runs, 1));
        return got.thumbnails.value(0);
    };
    EXPECT_GT(QColor(runOnce().pixel(75, 67)).red(), 240);

    // Put another picture in the store for the file as it is: the report shows what is stored.
    const ThumbnailCache probe(m_cache.path(), archive().fileServerFolder());
    ASSERT_TRUE(QFileInfo(probe.storePath()).isFile());
    QImage green(Thumbnail::kSize, QImage::Format_RGB32);
    green.fill(Qt::green);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"report-store"_s);
        db.setDatabaseName(probe.storePath());
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.prepare(u"UPDATE thumbnails SET jpeg = ?"_s));
        q.addBindValue(ThumbnailCache::encode(green));
        ASSERT_TRUE(q.exec());
        EXPECT_EQ(q.numRowsAffected(), 1);
    }
    QSqlDatabase::removeDatabase(u"report-store"_s);
    EXPECT_GT(QColor(runOnce().pixel(75, 67)).green(), 200);

    // A file changed since is made again.
    QFile file(stored);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    file.close();
    EXPECT_GT(QColor(runOnce().pixel(75, 67)).red(), 240);
}

DOVRELLE_ON_BOTH_ENGINES(ReportLoading);
