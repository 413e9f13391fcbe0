#include "common/TestArchive.h"
#include "db/CDFSet.h"
#include "db/ScopedTransaction.h"
#include "db/SearchIndex.h"
#include "search/ReportLoader.h"

#include <QEventLoop>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

// Words of the generated rows: "شهادة" in every third row is common, "زمردة" in one row of fifty
// is rare, "عق" is shorter than the index answers.
DocumentRow streamedRow(int i)
{
    DocumentRow r;
    r.cardNumber = i / 2 + 1;
    r.itemNumber = i % 2 + 1;
    r.kind = (i % 5 == 0) ? KindText : KindImage;
    r.classPath = u"@%1@"_s.arg(i % 7 + 1);
    r.fileName = u"scan%1.jpg"_s.arg(i);
    r.keywords = (i % 3 == 0 ? u"شَهادة خبرة"_s : u"عقد ايجار"_s) + (i % 50 == 7 ? u" زمرّدة"_s : QString());
    r.description = u"وصف %1"_s.arg(i);
    r.text = r.kind == KindText ? u"نص %1"_s.arg(i) : QString();
    r.seriesFolder = u"Ser1"_s;
    r.extension = u"JPG"_s;
    r.cardDate = QDate(2006, 1, 1).addDays(i).startOfDay();
    return r;
}

void fill(const Database &db, int count)
{
    QList<DocumentRow> rows;
    for (int i = 0; i < count; ++i)
        rows.append(streamedRow(i));
    Result<QSqlDatabase> conn = db.connection(DbFile::Archive);
    ASSERT_TRUE(conn.ok());
    ScopedTransaction tx(*conn, db.engine());
    const Result<int> written = CDFSet(db).insertMany(rows);
    ASSERT_TRUE(written.ok()) << written.error().toStdString();
    ASSERT_EQ(*written, count);
    ASSERT_TRUE(tx.commit().ok());
}

QList<qint32> serials(const QList<DocumentRow> &rows)
{
    QList<qint32> out;
    for (const DocumentRow &r : rows)
        out.append(r.serial);
    return out;
}

// The rows a condition must give, worked out here from the rows themselves, in report order.
QList<qint32> expectedSerials(const Database &db, const std::function<bool(const DocumentRow &)> &wanted)
{
    const Result<QList<DocumentRow>> all = CDFSet(db).search(SqlCondition::raw(u"n1 > 0"_s));
    EXPECT_TRUE(all.ok());
    QList<qint32> out;
    for (const DocumentRow &r : *all) {
        if (wanted(r))
            out.append(r.serial);
    }
    return out;
}

class StreamedSearch : public EngineTest
{
};

} // namespace

TEST_P(StreamedSearch, EveryPlanAndEveryPagingGivesTheRowsOfThePlainTest)
{
    constexpr int kRows = 600;
    fill(db(), kRows);
    const CDFSet table(db());
    const QDateTime wideFrom = QDate(2000, 1, 1).startOfDay();
    const QDateTime narrowFrom = QDate(2006, 6, 1).startOfDay();
    const QDateTime until = QDate(2030, 1, 1).startOfDay();

    struct Case
    {
        QString phrase;
        QDateTime from;
    };
    const QList<Case> cases{{u"شهادة"_s, wideFrom}, {u"زمردة"_s, wideFrom}, {u"عق"_s, wideFrom},
                            {u"شهادة"_s, narrowFrom}, {u"زمردة"_s, narrowFrom}, {u"لا شيء هنا"_s, wideFrom}};
    int nonEmpty = 0;
    for (const Case &c : cases) {
        const SqlCondition where = SqlCondition::allOf(
            {SqlCondition::dateRange(db().engine(), u"d1"_s, c.from, until),
             SearchIndex::containsAny(db().engine(), {u"s5"_s, u"s6"_s, u"m3"_s, u"m1"_s}, c.phrase),
             SqlCondition::raw(u"n1 > 0"_s)});
        const QString needle = SearchIndex::fold(c.phrase);
        const QList<qint32> expected = expectedSerials(db(), [&](const DocumentRow &r) {
            if (r.cardDate < c.from || r.cardDate >= until)
                return false;
            for (const QString *t : {&r.fileName, &r.keywords, &r.description, &r.text}) {
                if (SearchIndex::fold(*t).contains(needle))
                    return true;
            }
            return false;
        });
        nonEmpty += expected.isEmpty() ? 0 : 1;

        // A threshold of 1000 makes the rare phrase drive through the index and the common one
        // walk the report order; 1 makes every phrase walk.
        for (int rareHits : {1000, 1}) {
            const Result<SearchPlan> planned = table.planSearch(where, rareHits);
            ASSERT_TRUE(planned.ok()) << planned.error().toStdString();
            // Page by page, short pages so that the keys are crossed many times.
            QList<qint32> paged;
            std::optional<SearchKey> after;
            for (;;) {
                const Result<QList<DocumentRow>> page = table.searchPage(*planned, after, 7);
                ASSERT_TRUE(page.ok()) << page.error().toStdString();
                paged += serials(*page);
                if (page->size() < 7)
                    break;
                after = SearchKey::of(page->back());
            }
            EXPECT_EQ(paged, expected) << c.phrase.toStdString() << " rareHits " << rareHits << "\n"
                                       << planned->where.sql.toStdString();
        }
        const Result<QList<DocumentRow>> whole = table.search(where);
        ASSERT_TRUE(whole.ok());
        EXPECT_EQ(serials(*whole), expected) << c.phrase.toStdString();
    }
    EXPECT_GE(nonEmpty, 4);
}

TEST_P(StreamedSearch, RarePhraseDrivesThroughTheIndexCommonOneWalksTheRows)
{
    fill(db(), 300);
    const CDFSet table(db());
    const auto plannedSql = [&](const QString &phrase, int rareHits) {
        const Result<SearchPlan> p = table.planSearch(
            SqlCondition::allOf({SearchIndex::containsAny(db().engine(), {u"s6"_s}, phrase),
                                 SqlCondition::raw(u"n1 > 0"_s)}),
            rareHits);
        EXPECT_TRUE(p.ok());
        return p ? p->where.sql : QString();
    };
    // 6 rows hold the rare word, 100 the common one.
    EXPECT_FALSE(plannedSql(u"زمردة"_s, 50).contains(u"EXISTS"_s));
    EXPECT_TRUE(plannedSql(u"شهادة"_s, 50).contains(u"EXISTS"_s));
    // Too short for the index: always tested row by row.
    EXPECT_TRUE(plannedSql(u"عق"_s, 50).contains(u"EXISTS"_s));

    // Two words, each in more rows than the threshold: in no row together, or in most rows.
    const auto routeOf = [&](const QString &a, const QString &b) {
        const Result<SearchPlan> p = table.planSearch(
            SqlCondition::allOf({SqlCondition::allOf({SearchIndex::containsAny(db().engine(), {u"s6"_s}, a),
                                                      SearchIndex::containsAny(db().engine(), {u"s6"_s}, b)}),
                                 SqlCondition::raw(u"n1 > 0"_s)}),
            50);
        EXPECT_TRUE(p.ok());
        return p ? p->route : SearchPlan::Route::AsWritten;
    };
    EXPECT_EQ(routeOf(u"عقد"_s, u"ايجار"_s), SearchPlan::Route::ReportOrder);
    if (db().engine() == Engine::SQLite) { // the full-text index answers both words at once
        EXPECT_EQ(routeOf(u"شهادة"_s, u"ايجار"_s), SearchPlan::Route::ThroughIndex);
    }
}

TEST_P(StreamedSearch, KeywordsTogetherGiveTheRowsOfThePlainTest)
{
    fill(db(), 400);
    const CDFSet table(db());
    const QList<QStringList> searches{{u"@3@"_s, u"عقد"_s, u"ايجار"_s}, {u"@3@"_s, u"شهادة"_s, u"ايجار"_s},
                                      {u"@2@"_s, u"خبرة"_s, u"زمردة"_s},  {u"@5@"_s, u"عق"_s, u"ايجار"_s}};
    for (const QStringList &words : searches) {
        const SqlCondition where = SqlCondition::allOf(
            {SearchIndex::containsAny(db().engine(), {u"s1"_s}, words[0]),
             SqlCondition::allOf({SearchIndex::containsAny(db().engine(), {u"s6"_s}, words[1]),
                                  SearchIndex::containsAny(db().engine(), {u"s6"_s}, words[2])}),
             SqlCondition::raw(u"n1 > 0"_s)});
        const QList<qint32> expected = expectedSerials(db(), [&](const DocumentRow &r) {
            const QString keywords = SearchIndex::fold(r.keywords);
            return r.classPath.contains(words[0]) && keywords.contains(SearchIndex::fold(words[1]))
                   && keywords.contains(SearchIndex::fold(words[2]));
        });
        for (int rareHits : {1, 20, 1000}) {
            const Result<SearchPlan> plan = table.planSearch(where, rareHits);
            ASSERT_TRUE(plan.ok()) << plan.error().toStdString();
            const Result<QList<DocumentRow>> rows = table.searchPage(*plan, std::nullopt, 1000);
            ASSERT_TRUE(rows.ok()) << rows.error().toStdString();
            EXPECT_EQ(serials(*rows), expected) << words.join(u' ').toStdString() << " rareHits " << rareHits;
        }
    }
}

TEST_P(StreamedSearch, FirstRowsArriveBeforeTheResultIsRead)
{
    constexpr int kRows = 1500;
    fill(db(), kRows);
    QTemporaryDir cache;
    ReportLoader loader(db(), SqlCondition::raw(u"n1 > 0"_s), archive().fileServerFolder(), archive().home());
    loader.setThumbnailCacheFolder(cache.path());

    // When the first row is in hand, another workstation adds a card at the end and removes one
    // near the end. A loader that had read the whole result first would still show the removed
    // card and not the new one; a loader that streams holds no statement open either, so the
    // writes do not wait for it.
    QSemaphore reached, written;
    loader.setRecordHook([&](int position) {
        if (position == 0) {
            reached.release();
            written.acquire();
        }
    });
    QList<qint32> cards;
    int runs = 0;
    QObject::connect(&loader, &ReportLoader::imageRow, &loader,
                     [&](const ReportHit &hit, const QImage &) { cards.append(hit.cardNumber); });
    QObject::connect(&loader, &ReportLoader::textRow, &loader, [&](const ReportHit &hit) { cards.append(hit.cardNumber); });
    QObject::connect(&loader, &ReportLoader::finished, &loader, [&] { ++runs; });

    loader.start();
    ASSERT_TRUE(reached.tryAcquire(1, 30000));
    const qint32 removedCard = kRows / 2 - 10;
    const Result<int> removed = CDFSet(db()).removeCard(removedCard);
    ASSERT_TRUE(removed.ok()) << removed.error().toStdString();
    EXPECT_EQ(*removed, 2);
    DocumentRow late = streamedRow(0);
    late.cardNumber = kRows;
    ASSERT_TRUE(CDFSet(db()).insert(late).ok());
    written.release();

    QEventLoop loop;
    QObject::connect(&loader, &ReportLoader::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    if (runs == 0)
        loop.exec();
    ASSERT_EQ(runs, 1);
    EXPECT_TRUE(loader.isComplete());
    EXPECT_EQ(loader.recordCount(), kRows - 2 + 1);
    ASSERT_EQ(cards.size(), kRows - 2 + 1);
    EXPECT_EQ(cards.front(), 1);
    EXPECT_EQ(cards.back(), kRows);
    EXPECT_FALSE(cards.contains(removedCard));
    EXPECT_TRUE(std::is_sorted(cards.begin(), cards.end()));
}

TEST_P(StreamedSearch, ResumeGoesOnAfterTheKeyWhenEarlierRowsWentAway)
{
    fill(db(), 200);
    QTemporaryDir cache;
    ReportLoader loader(db(), SqlCondition::raw(u"n1 > 0"_s), archive().fileServerFolder(), archive().home());
    loader.setThumbnailCacheFolder(cache.path());
    std::atomic<int> stopAt{150};
    loader.setRecordHook([&](int position) {
        if (position == stopAt.load()) {
            stopAt = -1;
            loader.requestStop();
        }
    });
    QList<qint32> serialsSeen;
    std::set<std::pair<qint32, qint32>> seen;
    int runs = 0;
    const auto note = [&](const ReportHit &hit) { EXPECT_TRUE(seen.insert({hit.cardNumber, hit.itemNumber}).second) << hit.cardNumber; };
    QObject::connect(&loader, &ReportLoader::imageRow, &loader, [&](const ReportHit &h, const QImage &) { note(h); });
    QObject::connect(&loader, &ReportLoader::textRow, &loader, [&](const ReportHit &h) { note(h); });
    QObject::connect(&loader, &ReportLoader::finished, &loader, [&] { ++runs; });
    const auto waitRuns = [&](int n) {
        QEventLoop loop;
        QObject::connect(&loader, &ReportLoader::finished, &loop, [&] {
            if (runs >= n)
                loop.quit();
        });
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        if (runs < n)
            loop.exec();
        return runs >= n;
    };

    loader.start();
    ASSERT_TRUE(waitRuns(1));
    EXPECT_EQ(loader.resumePosition(), 150);
    EXPECT_EQ(seen.size(), 150u);
    // Cards already shown go away meanwhile: a resume that skipped 150 records would now miss
    // ten of the rows still to come.
    for (qint32 card = 1; card <= 5; ++card)
        ASSERT_TRUE(CDFSet(db()).removeCard(card).ok());
    loader.resume();
    ASSERT_TRUE(waitRuns(2));
    EXPECT_TRUE(loader.isComplete());
    EXPECT_EQ(seen.size(), 200u);
}

DOVRELLE_ON_BOTH_ENGINES(StreamedSearch);
