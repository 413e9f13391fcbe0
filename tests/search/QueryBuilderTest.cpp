#include "common/ClassRows.h"
#include "common/TestArchive.h"
#include "db/CDFSet.h"
#include "search/QueryBuilder.h"

#include <gtest/gtest.h>

#include <set>

namespace {

SearchRequest keywordSearch()
{
    SearchRequest r;
    r.general = false;
    r.classText = QueryBuilder::allClassesText();
    r.from = QDate(2006, 1, 1);
    r.to = QDate(2006, 1, 15);
    return r;
}

const PermittedClasses kOneAndTwo =
    PermittedClasses::of({classRow(QStringLiteral("1"), QStringLiteral("أ")), classRow(QStringLiteral("2"), QStringLiteral("ب")),
                          classRow(QStringLiteral("3"), QStringLiteral("ج"))},
                         QStringLiteral("@1@2@"));

} // namespace

TEST(QueryText, KeywordSearchOfAllPermittedImagesIsWrittenAsAlways)
{
    SearchRequest r = keywordSearch();
    r.keywords = QStringLiteral("a+b");
    r.texts = false;
    r.files = false;
    const Result<BuiltQuery> q = QueryBuilder::build(r, kOneAndTwo, Engine::SQLite);
    ASSERT_TRUE(q.ok());
    EXPECT_EQ(q->jetText,
              QStringLiteral("SELECT * FROM FILESERVER WHERE ( (d1 BETWEEN #1/1/2006# AND #1/16/2006#)  AND (  s1 LIKE "
                             "'*@1@*'  OR   s1 LIKE '*@2@*'  )  AND (  (s6 LIKE '*a*') AND  (s6 LIKE '*b*') )  AND "
                             "((n3=2))) ORDER BY n1,n2;"));
    EXPECT_EQ(q->title, QStringLiteral("a+b"));
    EXPECT_EQ(kOneAndTwo.comboItems, (QStringList{QStringLiteral("1 أ"), QStringLiteral("2 ب")}));
}

TEST(QueryText, EdgesOfTheForm)
{
    SearchRequest r = keywordSearch();
    // All kinds off is the same as all on: no kind condition.
    r.images = r.texts = r.files = false;
    EXPECT_FALSE(QueryBuilder::build(r, kOneAndTwo, Engine::SQLite)->jetText.contains(QStringLiteral("n3=")));
    r.images = r.texts = r.files = true;
    EXPECT_FALSE(QueryBuilder::build(r, kOneAndTwo, Engine::SQLite)->jetText.contains(QStringLiteral("n3=")));
    r.texts = false;
    EXPECT_TRUE(QueryBuilder::build(r, kOneAndTwo, Engine::SQLite)->jetText.contains(QStringLiteral(" AND ((n3=2) OR (n3=1 OR n3=3))")));

    // Empty words and blanks around "+" are kept.
    r.keywords = QStringLiteral("a++ b ");
    EXPECT_TRUE(QueryBuilder::build(r, kOneAndTwo, Engine::SQLite)
                    ->jetText.contains(QStringLiteral("(  (s6 LIKE '*a*') AND  (s6 LIKE '**') AND  (s6 LIKE '* b *') )")));

    // The combo's leading number picks the classification, listed or not, and the dump shows the
    // permitted classifications after it, as the query runs.
    r.classText = QStringLiteral("12 عقود");
    EXPECT_TRUE(QueryBuilder::build(r, kOneAndTwo, Engine::SQLite)
                    ->jetText.contains(QStringLiteral("AND (  s1 LIKE '*@12@*'  )  AND (  s1 LIKE '*@1@*'  OR   s1 LIKE '*@2@*'  ) ")));
    r.classText = QStringLiteral("7");
    EXPECT_TRUE(QueryBuilder::build(r, kOneAndTwo, Engine::SQLite)->jetText.contains(QStringLiteral("'*@7@*'")));
    r.classText = QStringLiteral("012 مراسلات");
    EXPECT_TRUE(QueryBuilder::build(r, kOneAndTwo, Engine::SQLite)->jetText.contains(QStringLiteral("'*@12@*'")));
    const PermittedClasses leadingZero = PermittedClasses::of({classRow(QStringLiteral("012"), QStringLiteral("م"))}, QStringLiteral("@012@"));
    r.classText = QStringLiteral("جميع");
    EXPECT_TRUE(QueryBuilder::build(r, leadingZero, Engine::SQLite)->jetText.contains(QStringLiteral("AND (  s1 LIKE '*@012@*'  )")));

    // 31 December ends at 1 January.
    r.to = QDate(2026, 12, 31);
    EXPECT_TRUE(QueryBuilder::build(r, kOneAndTwo, Engine::SQLite)->jetText.contains(QStringLiteral("AND #1/1/2027#)")));

    // A keyword search without keywords has an empty caption; a general one needs a phrase.
    r.keywords.clear();
    EXPECT_TRUE(QueryBuilder::build(r, kOneAndTwo, Engine::SQLite)->title.isEmpty());
    SearchRequest g = keywordSearch();
    g.general = true;
    EXPECT_EQ(QueryBuilder::build(g, kOneAndTwo, Engine::SQLite).error(), QStringLiteral("ادخل عبارة للبحث"));
    g.phrase = QStringLiteral("عقد");
    g.keywords = QStringLiteral("ignored");
    g.classText = QStringLiteral("9");
    const QString general = QueryBuilder::build(g, kOneAndTwo, Engine::SQLite)->jetText;
    EXPECT_TRUE(general.contains(QStringLiteral(" AND (  s5 LIKE '*عقد*'   OR  (s6 LIKE '*عقد*'  OR  m3  LIKE '*عقد*')  OR  ( m1 LIKE '*عقد*' )  ) ")));
    EXPECT_TRUE(general.contains(QStringLiteral(" AND (  s1 LIKE '*@1@*'  OR   s1 LIKE '*@2@*'  ) ")));
    EXPECT_FALSE(general.contains(QStringLiteral("ignored")));
    EXPECT_FALSE(general.contains(QStringLiteral("@9@")));
}

namespace {

class SearchResults : public EngineTest
{
protected:
    void add(qint32 card, qint32 kind, const QString &path, const QString &name, const QString &keywords,
             QDate date = QDate(2026, 5, 10))
    {
        DocumentRow row;
        row.cardNumber = card;
        row.itemNumber = 1;
        row.kind = kind;
        row.classPath = path;
        row.fileName = name;
        row.keywords = keywords;
        row.cardDate = date.startOfDay();
        ASSERT_TRUE(CDFSet(db()).insert(row).ok());
    }

    std::set<qint32> hits(const SearchRequest &r, const PermittedClasses &p)
    {
        const Result<BuiltQuery> q = QueryBuilder::build(r, p, db().engine());
        EXPECT_TRUE(q.ok()) << q.error().toStdString();
        const Result<QList<DocumentRow>> rows = CDFSet(db()).search(q->where);
        EXPECT_TRUE(rows.ok()) << rows.error().toStdString();
        std::set<qint32> out;
        for (const DocumentRow &row : *rows)
            out.insert(row.cardNumber);
        return out;
    }
};

} // namespace

TEST_P(SearchResults, ConditionsSelectTheRightRows)
{
    add(1, 2, QStringLiteral("@1@"), QStringLiteral("scan.jpg"), QStringLiteral("عقد ايجار"));
    add(2, 1, QStringLiteral("@2@"), QStringLiteral("O'Neil.pdf"), QStringLiteral("عقد"));
    add(3, 55, QStringLiteral("@3@"), QString(), QStringLiteral("عقد سري"));
    add(4, 2, QStringLiteral("@1@"), QStringLiteral("late.jpg"), QStringLiteral("عقد"), QDate(2026, 5, 11));
    add(5, 3, QStringLiteral("@12@"), QStringLiteral("folder"), QStringLiteral("x"));

    SearchRequest r = keywordSearch();
    r.from = QDate(2026, 5, 1);
    r.to = QDate(2026, 5, 10);
    r.keywords = QStringLiteral("عقد");
    // Card 3 is filed where the user may not look; card 4 is dated after the end day.
    EXPECT_EQ(hits(r, kOneAndTwo), (std::set<qint32>{1, 2}));
    r.to = QDate(2026, 5, 11);
    EXPECT_EQ(hits(r, kOneAndTwo), (std::set<qint32>{1, 2, 4}));
    r.images = false;
    EXPECT_EQ(hits(r, kOneAndTwo), (std::set<qint32>{2}));
    r.images = true;
    r.keywords = QStringLiteral("عقد+ايجار");
    EXPECT_EQ(hits(r, kOneAndTwo), (std::set<qint32>{1}));
    r.keywords.clear();
    // A classification chosen or typed in keyword mode is searched only where the user may look.
    r.classText = QStringLiteral("12");
    EXPECT_TRUE(hits(r, kOneAndTwo).empty()) << "a typed code the user may not use finds nothing";
    const PermittedClasses withTwelve{{QStringLiteral("1"), QStringLiteral("12")}, {}, {}};
    EXPECT_EQ(hits(r, withTwelve), (std::set<qint32>{5}));
    r.classText = QStringLiteral("3");
    EXPECT_TRUE(hits(r, kOneAndTwo).empty());
    r.classText = QStringLiteral("2 ب");
    EXPECT_EQ(hits(r, kOneAndTwo), (std::set<qint32>{2}));
    // Filed under 3, where the user may not look, and under 1, where they may: found under both.
    add(6, 2, QStringLiteral("@3@1@"), QStringLiteral("both.jpg"), QStringLiteral("x"));
    r.classText = QStringLiteral("3");
    EXPECT_EQ(hits(r, kOneAndTwo), (std::set<qint32>{6}));
    r.classText = QStringLiteral("1");
    EXPECT_EQ(hits(r, kOneAndTwo), (std::set<qint32>{1, 4, 6}));

    SearchRequest g = keywordSearch();
    g.general = true;
    g.from = QDate(2026, 1, 1);
    g.to = QDate(2026, 12, 31);
    g.phrase = QStringLiteral("'neil");
    EXPECT_EQ(hits(g, kOneAndTwo), (std::set<qint32>{2}));
    g.phrase = QStringLiteral("سري");
    EXPECT_TRUE(hits(g, kOneAndTwo).empty()) << "a general search stays within the permitted classifications";
    EXPECT_EQ(hits(g, PermittedClasses::of({classRow(QStringLiteral("3"), QString())}, QStringLiteral("@3@"))),
              (std::set<qint32>{3}));
    EXPECT_TRUE(hits(g, PermittedClasses()).empty()) << "no permitted classification finds nothing, without an error";
}

DOVRELLE_ON_BOTH_ENGINES(SearchResults);

TEST_P(SearchResults, HasHitsTellsASearchThatFindsNothingFromOneThatFindsARow)
{
    add(1, 2, QStringLiteral("@1@"), QStringLiteral("scan.jpg"), QStringLiteral("عقد ايجار"));
    SearchRequest r = keywordSearch();
    r.from = QDate(2026, 5, 1);
    r.to = QDate(2026, 5, 10);
    r.keywords = QStringLiteral("عقد");
    const Result<BuiltQuery> found = QueryBuilder::build(r, kOneAndTwo, db().engine());
    ASSERT_TRUE(found.ok());
    const Result<bool> some = QueryBuilder::hasHits(db(), *found);
    ASSERT_TRUE(some.ok()) << some.error().toStdString();
    EXPECT_TRUE(*some);
    r.to = QDate(2026, 5, 9);
    const Result<BuiltQuery> none = QueryBuilder::build(r, kOneAndTwo, db().engine());
    ASSERT_TRUE(none.ok());
    const Result<bool> nothing = QueryBuilder::hasHits(db(), *none);
    ASSERT_TRUE(nothing.ok()) << nothing.error().toStdString();
    EXPECT_FALSE(*nothing);
}

// A chosen classification the user may open lets through only rows they may open: the search
// does not test the others as well. One the user may not open keeps the test.
TEST(QueryText, AChosenPermittedClassIsNotTestedAgainstThePermittedOnes)
{
    SearchRequest r = keywordSearch();
    r.keywords = QStringLiteral("a");
    const auto classTests = [&](const QString &classText) {
        r.classText = classText;
        const Result<BuiltQuery> q = QueryBuilder::build(r, kOneAndTwo, Engine::SQLite);
        EXPECT_TRUE(q.ok());
        return q ? q->where.sql.count(QStringLiteral("fileserver_class")) : -1;
    };
    EXPECT_EQ(classTests(QStringLiteral("2 ب")), 1);
    EXPECT_EQ(classTests(QStringLiteral("3")), 2);
    EXPECT_EQ(classTests(QueryBuilder::allClassesText()), 1);
    r.classText = QStringLiteral("2 ب");
    const Result<BuiltQuery> q = QueryBuilder::build(r, kOneAndTwo, Engine::SQLite);
    ASSERT_TRUE(q.ok());
    EXPECT_TRUE(q->jetText.contains(QStringLiteral("s1 LIKE '*@1@*'"))) << "the hand-off text keeps the whole query";
}

// A classification is offered for its whole code in the list, never for a part of another's.
TEST(QueryText, AClassIsPermittedByItsWholeCodeOnly)
{
    const PermittedClasses p = PermittedClasses::of({classRow(QStringLiteral("1"), QStringLiteral("أ")),
                                                     classRow(QStringLiteral("2"), QStringLiteral("ب")),
                                                     classRow(QStringLiteral("12"), QStringLiteral("ج"))},
                                                    QStringLiteral("@12@"));
    EXPECT_EQ(p.codes, QStringList{QStringLiteral("12")});
}
