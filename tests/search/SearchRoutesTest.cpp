#include "common/ClassRows.h"
#include "common/TestArchive.h"
#include "db/CDFSet.h"
#include "db/ScopedTransaction.h"
#include "db/SearchIndex.h"
#include "search/QueryBuilder.h"

#include <QRegularExpression>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

// Rows of many cards: "ايجار" in every second row is common, "زمردية" in one row of 400 is
// rare, the classifications 1 to 8 in turn, with a second code from 20 to 22.
DocumentRow generatedRow(int i)
{
    DocumentRow r;
    r.cardNumber = i / 2 + 1;
    r.itemNumber = i % 2 + 1;
    r.kind = i % 4 == 0 ? KindText : KindImage;
    r.classPath = u"@%1@%2@"_s.arg(i % 8 + 1).arg(20 + i % 3);
    r.fileName = u"scan%1.jpg"_s.arg(i);
    r.keywords = (i % 2 == 0 ? u"عقد ايجار"_s : u"شهادة خبرة"_s) + (i % 3 == 0 ? u" عقد"_s : QString());
    r.description = u"وصف %1"_s.arg(i) + (i % 400 == 17 ? u" زمرّدية"_s : QString());
    r.text = r.kind == KindText ? u"نص %1"_s.arg(i) : QString();
    r.seriesFolder = u"Ser1"_s;
    r.extension = u"JPG"_s;
    r.cardDate = QDate(2006, 1, 1).addDays(i / 4).startOfDay();
    return r;
}

class SearchRoutes : public EngineTest
{
protected:
    void fill(int count)
    {
        QList<DocumentRow> rows;
        for (int i = 0; i < count; ++i)
            rows.append(generatedRow(i));
        Result<QSqlDatabase> conn = db().connection(DbFile::Archive);
        ASSERT_TRUE(conn.ok());
        {
            ScopedTransaction tx(*conn, db().engine());
            const Result<int> written = CDFSet(db()).insertMany(rows);
            ASSERT_TRUE(written.ok()) << written.error().toStdString();
            ASSERT_TRUE(tx.commit().ok());
        }
        // What the planner of the engine knows: the statistics a maintained server has.
        ASSERT_TRUE(QSqlQuery(*conn).exec(u"ANALYZE"_s));
    }

    void add(qint32 card, const QString &path, const QString &keywords)
    {
        DocumentRow row;
        row.cardNumber = card;
        row.itemNumber = 1;
        row.kind = KindImage;
        row.classPath = path;
        row.keywords = keywords;
        row.cardDate = QDate(2026, 5, 10).startOfDay();
        ASSERT_TRUE(CDFSet(db()).insert(row).ok());
    }

    std::set<qint32> cards(const SearchRequest &r, const PermittedClasses &p)
    {
        const Result<BuiltQuery> q = QueryBuilder::build(r, p, db().engine());
        EXPECT_TRUE(q.ok()) << q.error().toStdString();
        const Result<QList<DocumentRow>> rows = CDFSet(db()).search(q->where);
        EXPECT_TRUE(rows.ok()) << rows.error().toStdString();
        std::set<qint32> out;
        for (const DocumentRow &row : rows ? *rows : QList<DocumentRow>())
            out.insert(row.cardNumber);
        return out;
    }

    // The rows of a request worked out here from the rows themselves, in report order.
    QList<qint32> expected(const std::function<bool(const DocumentRow &)> &wanted)
    {
        const Result<QList<DocumentRow>> all = CDFSet(db()).search(SqlCondition::raw(u"n1 > 0"_s));
        EXPECT_TRUE(all.ok());
        QList<qint32> out;
        for (const DocumentRow &r : *all) {
            if (wanted(r))
                out.append(r.serial);
        }
        return out;
    }

    // The rows of `where` on the routes that the bounds of rare hits choose and as a whole search
    // are `want`, in report order; the number of plans whose statements read listed serials.
    int expectOnEveryRoute(const SqlCondition &where, const QList<qint32> &want, std::initializer_list<int> rareHitsBounds,
                           const std::string &what)
    {
        const CDFSet table(db());
        int listed = 0;
        for (int rareHits : rareHitsBounds) {
            const Result<SearchPlan> plan = table.planSearch(where, rareHits);
            EXPECT_TRUE(plan.ok()) << plan.error().toStdString();
            if (!plan)
                continue;
            listed += plan->where.sql.contains(u"json_each"_s) || plan->where.sql.contains(u"unnest"_s) ? 1 : 0;
            const Result<QList<DocumentRow>> rows = table.searchPage(*plan, std::nullopt, 5000);
            EXPECT_TRUE(rows.ok()) << rows.error().toStdString();
            EXPECT_EQ(rows ? serialsOf(*rows) : QList<qint32>(), want)
                << what << " rareHits " << rareHits << "\n" << plan->where.sql.toStdString();
        }
        const Result<QList<DocumentRow>> whole = table.search(where);
        EXPECT_TRUE(whole.ok());
        EXPECT_EQ(whole ? serialsOf(*whole) : QList<qint32>(), want) << what << " whole";
        return listed;
    }

    // The keyword search of the form over every date.
    Result<BuiltQuery> keywordQuery(const QString &classText, const QString &keywords, const PermittedClasses &permitted)
    {
        SearchRequest r = wideRequest();
        r.general = false;
        r.classText = classText;
        r.keywords = keywords;
        return QueryBuilder::build(r, permitted, db().engine());
    }

    static SearchRequest wideRequest()
    {
        SearchRequest r;
        r.from = QDate(2000, 1, 1);
        r.to = QDate(2030, 12, 31);
        return r;
    }

    // Permits the classifications 1 to 8 and 20 to 22.
    static PermittedClasses allPermitted()
    {
        PermittedClasses p;
        for (int code : {1, 2, 3, 4, 5, 6, 7, 8, 20, 21, 22})
            p.codes << QString::number(code);
        return p;
    }
};

bool holds(const DocumentRow &r, const QString &phrase)
{
    const QString needle = SearchIndex::fold(phrase);
    for (const QString *t : {&r.fileName, &r.keywords, &r.description, &r.text}) {
        if (SearchIndex::fold(*t).contains(needle))
            return true;
    }
    return false;
}

} // namespace

TEST_P(SearchRoutes, CodeWithLeadingZeroPermitsNoCardButPickedInTheComboSearchesItsNumber)
{
    add(1, u"@12@"_s, u"عقد"_s);
    add(2, u"@012@"_s, u"عقد"_s); // a path written by hand: no classification stands in it
    add(3, u"@7@"_s, u"عقد"_s);
    const PermittedClasses leadingZero =
        PermittedClasses::of({classRow(u"012"_s, u"مراسلات"_s), classRow(u"7"_s, u"عقود"_s)}, u"@012@@7@"_s);
    ASSERT_EQ(leadingZero.comboItems, (QStringList{u"012 مراسلات"_s, u"7 عقود"_s}));

    SearchRequest k = wideRequest();
    k.general = false;
    k.classText = QueryBuilder::allClassesText();
    k.keywords = u"عقد"_s;
    EXPECT_EQ(cards(k, leadingZero), (std::set<qint32>{3})) << "012 in the permitted classifications matches no card";
    SearchRequest g = wideRequest();
    g.phrase = u"عقد"_s;
    EXPECT_EQ(cards(g, leadingZero), (std::set<qint32>{3}));
    const PermittedClasses onlyLeadingZero = PermittedClasses::of({classRow(u"012"_s, u"مراسلات"_s)}, u"@012@"_s);
    EXPECT_TRUE(cards(k, onlyLeadingZero).empty());

    // Picked in the combo, "012 مراسلات" searches code 12, where the user may look at 12.
    k.classText = leadingZero.comboItems.front();
    PermittedClasses withTwelve = leadingZero;
    withTwelve.codes << u"12"_s;
    EXPECT_EQ(cards(k, withTwelve), (std::set<qint32>{1}));
    EXPECT_TRUE(cards(k, leadingZero).empty()) << "12 itself is not among the permitted classifications";
}

TEST_P(SearchRoutes, ClassFilterGivesTheRowsOfThePathTestOnEveryRoute)
{
    fill(1200);
    struct Search
    {
        QString classText;
        QString keywords;
        PermittedClasses permitted;
    };
    PermittedClasses some;
    some.codes = {u"2"_s, u"21"_s, u"05"_s};
    // More codes than one pattern of the path tests on PostgreSQL, and not 7 nor 20 to 22: the
    // rows under 7 are left out.
    PermittedClasses many;
    many.codes = {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"8"_s};
    for (int code = 100; code < 170; ++code)
        many.codes << QString::number(code);
    const QList<Search> searches{
        {u"7"_s, u"عقد+ايجار"_s, allPermitted()},     // two common words in one class
        {QueryBuilder::allClassesText(), u"شهادة"_s, some}, // a permitted list with a leading zero
        {u"21 x"_s, u"خبرة"_s, some},
        {u"3"_s, u"ايجار"_s, some},                      // a class the user may not look at
        {QueryBuilder::allClassesText(), u"عق"_s, allPermitted()},
        {QueryBuilder::allClassesText(), u"ايجار"_s, many},
    };
    int nonEmpty = 0;
    for (const Search &s : searches) {
        const Result<BuiltQuery> q = keywordQuery(s.classText, s.keywords, s.permitted);
        ASSERT_TRUE(q.ok());
        const qint64 chosen = QueryBuilder::leadingNumber(s.classText);
        const QList<qint32> want = expected([&](const DocumentRow &row) {
            const auto under = [&](const QString &code) { return row.classPath.contains(u'@' + code + u'@'); };
            if (chosen != 0 && !under(QString::number(chosen)))
                return false;
            if (std::none_of(s.permitted.codes.begin(), s.permitted.codes.end(), under))
                return false;
            const QString keywords = SearchIndex::fold(row.keywords);
            const QStringList words = s.keywords.split(u'+');
            return std::all_of(words.begin(), words.end(),
                               [&](const QString &w) { return keywords.contains(SearchIndex::fold(w)); });
        });
        nonEmpty += want.isEmpty() ? 0 : 1;
        expectOnEveryRoute(q->where, want, {1, 40, 100000},
                           s.keywords.toStdString() + " class " + s.classText.toStdString());
    }
    EXPECT_GE(nonEmpty, 3);
}

// Thousands of rows for every part of a keyword search, so that the serials are intersected in
// the indexes before rows are read: a class and a word, a word and a class, two words and a class.
// "جارايج" holds the trigrams of "ايجار" without holding it: the index's cheap look finds it, the
// search must not.
TEST_P(SearchRoutes, IntersectedPartsGiveTheRowsOfTheirTestsAndNoRowThatOnlyHoldsTheTrigrams)
{
    QList<DocumentRow> rows;
    for (int i = 0; i < 3600; ++i) {
        DocumentRow r = generatedRow(i);
        r.classPath = (i % 2 == 0 ? u"@7@9@"_s : u"@8@9@"_s);
        r.keywords = i % 3 == 0 ? u"عقد ايجار"_s : i % 3 == 1 ? u"عقد ايجار شهادة"_s : u"جارايج عقد"_s;
        rows.append(r);
    }
    {
        Result<QSqlDatabase> conn = db().connection(DbFile::Archive);
        ASSERT_TRUE(conn.ok());
        ScopedTransaction tx(*conn, db().engine());
        ASSERT_TRUE(CDFSet(db()).insertMany(rows).ok());
        ASSERT_TRUE(tx.commit().ok());
        ASSERT_TRUE(QSqlQuery(*conn).exec(u"ANALYZE"_s));
    }
    PermittedClasses permitted;
    permitted.codes = {u"7"_s, u"8"_s, u"9"_s};
    const CDFSet table(db());
    struct Search
    {
        QString classText;
        QString keywords;
        std::function<bool(int)> wanted; // of the generated row's number
    };
    const QList<Search> searches{
        {u"7"_s, u"عقد+ايجار"_s, [](int i) { return i % 2 == 0 && i % 3 != 2; }},
        {u"9"_s, u"ايجار+عقد"_s, [](int i) { return i % 3 != 2; }},
        {u"9"_s, u"عقد+شهادة"_s, [](int i) { return i % 3 == 1; }},
    };
    int listed = 0;
    for (const Search &s : searches) {
        const Result<BuiltQuery> q = keywordQuery(s.classText, s.keywords, permitted);
        ASSERT_TRUE(q.ok());
        const Result<QList<DocumentRow>> all = table.search(SqlCondition::raw(u"n1 > 0"_s));
        ASSERT_TRUE(all.ok());
        QList<qint32> want;
        for (qsizetype i = 0; i < all->size(); ++i) {
            if (s.wanted(int(i)))
                want.append(all->at(i).serial);
        }
        ASSERT_GT(want.size(), 1000);
        listed += expectOnEveryRoute(q->where, want, {1, 100000},
                                     s.keywords.toStdString() + " class " + s.classText.toStdString());
    }
    EXPECT_EQ(listed, 3) << "each search's serials are listed once for its statements";
}

TEST_P(SearchRoutes, RarePhraseGoesThroughTheIndexCommonAndShortOnesInReportOrder)
{
    fill(4000);
    const CDFSet table(db());
    const bool pg = db().engine() == Engine::PostgreSQL;
    const auto planOf = [&](const QString &phrase) {
        SearchRequest r = wideRequest();
        r.phrase = phrase;
        const Result<BuiltQuery> q = QueryBuilder::build(r, allPermitted(), db().engine());
        EXPECT_TRUE(q.ok());
        const Result<SearchPlan> plan = table.planSearch(q->where);
        EXPECT_TRUE(plan.ok()) << plan.error().toStdString();
        const Result<QStringList> lines = table.explainSearch(*plan, 100);
        EXPECT_TRUE(lines.ok()) << lines.error().toStdString();
        // The first page must be the rows of the plain test.
        const Result<QList<DocumentRow>> page = table.searchPage(*plan, std::nullopt, 100);
        EXPECT_TRUE(page.ok());
        QList<qint32> want = expected([&](const DocumentRow &row) { return holds(row, phrase); });
        want = want.mid(0, 100);
        EXPECT_EQ(serialsOf(*page), want) << phrase.toStdString();
        return std::pair{plan->route, lines->join(u'\n')};
    };

    // 10 rows of 4000 hold the rare phrase: found in the index while the search is planned, and
    // its statements read those rows by their serials, never the whole table.
    const auto [rareRoute, rarePlan] = planOf(u"زمردية"_s);
    EXPECT_EQ(rareRoute, SearchPlan::Route::ThroughIndex) << rarePlan.toStdString();
    EXPECT_TRUE(rarePlan.contains(pg ? u"FILESERVER_pkey"_s : u"USING INTEGER PRIMARY KEY"_s)) << rarePlan.toStdString();
    EXPECT_FALSE(rarePlan.contains(pg ? u"Seq Scan"_s : u"SCAN FILESERVER"_s)) << rarePlan.toStdString();
    EXPECT_FALSE(rarePlan.contains(u"fileserver_card"_s)) << rarePlan.toStdString();

    // Half of the rows hold the common one: its first page comes in report order, unsorted.
    const auto [commonRoute, commonPlan] = planOf(u"ايجار"_s);
    EXPECT_EQ(commonRoute, SearchPlan::Route::ReportOrder) << commonPlan.toStdString();
    EXPECT_TRUE(commonPlan.contains(u"fileserver_card"_s)) << commonPlan.toStdString();
    // An incremental sort within one card's items streams; a sort of all hits does not.
    const QRegularExpression fullSort(pg ? u"(^|->)\\s*Sort\\s+\\("_s : u"TEMP B-TREE"_s, QRegularExpression::MultilineOption);
    EXPECT_FALSE(fullSort.match(commonPlan).hasMatch()) << commonPlan.toStdString();

    // Two letters are fewer than a trigram: the index cannot answer them and is not asked.
    const auto [shortRoute, shortPlan] = planOf(u"عق"_s);
    EXPECT_NE(shortRoute, SearchPlan::Route::ThroughIndex);
    EXPECT_FALSE(shortPlan.contains(pg ? u"fileserver_folded_trgm"_s : u"fileserver_fts"_s)) << shortPlan.toStdString();
}

// "وصف 1" stands in rows 1, 10 to 19, 100 to 199 and 1000 to 1999: 111 of the first 1000 rows in
// report order, none past the 2000th.
TEST_P(SearchRoutes, FirstPageOfAPhraseInManyOfTheFirstRowsComesWithThePlan)
{
    fill(4000);
    const CDFSet table(db());
    const auto queryOf = [&](const QString &phrase) {
        SearchRequest r = wideRequest();
        r.phrase = phrase;
        return QueryBuilder::build(r, allPermitted(), db().engine());
    };
    const Result<BuiltQuery> dense = queryOf(u"وصف 1"_s);
    ASSERT_TRUE(dense.ok());
    const QList<qint32> want = expected([](const DocumentRow &row) { return holds(row, u"وصف 1"_s); });
    ASSERT_EQ(want.size(), 1111);

    const Result<SearchPlan> plan = table.planSearch(dense->where, -1, 100);
    ASSERT_TRUE(plan.ok()) << plan.error().toStdString();
    const Result<QList<DocumentRow>> first = table.searchPage(*plan, std::nullopt, 100);
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(serialsOf(*first), want.mid(0, 100));
    if (db().engine() == Engine::SQLite) {
        ASSERT_TRUE(plan->firstRows.has_value());
        EXPECT_EQ(serialsOf(*plan->firstRows), want.mid(0, 100));
        EXPECT_EQ(plan->route, SearchPlan::Route::ReportOrder);
    } else {
        EXPECT_FALSE(plan->firstRows.has_value());
    }
    // The plan serves the pages after it as well, read from the table.
    const Result<QList<DocumentRow>> rest = table.searchPage(*plan, SearchKey::of(first->back()), 5000);
    ASSERT_TRUE(rest.ok());
    EXPECT_EQ(serialsOf(*rest), want.mid(100));
    // A page larger than the one read comes from the table too.
    const Result<QList<DocumentRow>> larger = table.searchPage(*plan, std::nullopt, 150);
    ASSERT_TRUE(larger.ok());
    EXPECT_EQ(serialsOf(*larger), want.mid(0, 150));

    // Ten rows of 4000: the first rows hold no page of it, and the index is asked.
    const Result<BuiltQuery> rare = queryOf(u"زمردية"_s);
    ASSERT_TRUE(rare.ok());
    const Result<SearchPlan> rarePlan = table.planSearch(rare->where, -1, 100);
    ASSERT_TRUE(rarePlan.ok());
    EXPECT_FALSE(rarePlan->firstRows.has_value());
    EXPECT_EQ(rarePlan->route, SearchPlan::Route::ThroughIndex);
}

DOVRELLE_ON_BOTH_ENGINES(SearchRoutes);
