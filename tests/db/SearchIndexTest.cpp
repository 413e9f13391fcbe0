#include "common/TestArchive.h"
#include "db/CDFSet.h"
#include "db/ScopedTransaction.h"
#include "db/Schema.h"
#include "db/SearchIndex.h"

#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <set>

TEST(SearchFolding, LettersThatReadAlikeCompareAlike)
{
    EXPECT_EQ(SearchIndex::fold(QStringLiteral("أحمد")), SearchIndex::fold(QStringLiteral("احمد")));
    EXPECT_EQ(SearchIndex::fold(QStringLiteral("إسلام آمن ٱلله")), QStringLiteral("اسلام امن الله"));
    EXPECT_EQ(SearchIndex::fold(QStringLiteral("مُحَمَّد")), QStringLiteral("محمد"));
    EXPECT_EQ(SearchIndex::fold(QStringLiteral("كتـــاب")), QStringLiteral("كتاب"));
    EXPECT_EQ(SearchIndex::fold(QStringLiteral("مستشفى")), QStringLiteral("مستشفي"));
    EXPECT_EQ(SearchIndex::fold(QStringLiteral("Report ÉTÉ")), QStringLiteral("report été"));
    EXPECT_NE(SearchIndex::fold(QStringLiteral("ة")), SearchIndex::fold(QStringLiteral("ه"))) << "only the listed letters fold";
}

namespace {

class IndexAgreesWithScan : public EngineTest
{
};

// Pieces that stress the index: harakat, alef forms, case, quotes, wildcards and short words.
const QStringList kPieces{
    QStringLiteral("أحمد"), QStringLiteral("احمد"),  QStringLiteral("مُحَمَّد"), QStringLiteral("كتـاب"),
    QStringLiteral("مستشفى"), QStringLiteral("إدارة"), QStringLiteral("Report"), QStringLiteral("REPORT"),
    QStringLiteral("o'neil"), QStringLiteral("100%"),  QStringLiteral("a_b"),   QStringLiteral("\"q\""),
    QStringLiteral("ab"),     QStringLiteral("ع"),     QStringLiteral("@12@"),  QStringLiteral(" "),
};

QString randomText(QRandomGenerator &rng)
{
    QString t;
    const int n = int(rng.bounded(4));
    for (int i = 0; i < n; ++i)
        t += kPieces[int(rng.bounded(kPieces.size()))] + (rng.bounded(2) ? QStringLiteral(" ") : QString());
    return t;
}

} // namespace

TEST_P(IndexAgreesWithScan, OnGeneratedRows)
{
    QRandomGenerator rng(20261209);
    QList<DocumentRow> rows;
    {
        Result<QSqlDatabase> conn = db().connection(DbFile::Archive);
        ASSERT_TRUE(conn.ok());
        ScopedTransaction tx(*conn, db().engine());
        for (int i = 0; i < 400; ++i) {
            DocumentRow r;
            r.cardNumber = i + 1;
            r.itemNumber = 1;
            r.kind = 1;
            r.classPath = rng.bounded(2) ? QStringLiteral("@12@") : QStringLiteral("@1@2@");
            r.fileName = randomText(rng);
            r.keywords = randomText(rng);
            r.description = randomText(rng);
            r.text = randomText(rng);
            const Result<qint32> sn = CDFSet(db()).insert(r);
            ASSERT_TRUE(sn.ok()) << sn.error().toStdString();
            r.serial = *sn;
            rows.append(r);
        }
        ASSERT_TRUE(tx.commit().ok());
    }
    // Changed and removed rows leave the index as well.
    rows[3].fileName = QStringLiteral("تغيير جديد");
    rows[3].keywords = QStringLiteral("تغيير");
    ASSERT_TRUE(CDFSet(db()).update(rows[3]).ok());
    ASSERT_TRUE(CDFSet(db()).removeSerial(rows[4].serial).ok());
    rows.removeAt(4);

    QStringList phrases = kPieces;
    phrases << QStringLiteral("تغيير") << QStringLiteral("ort") << QStringLiteral("حمد") << QStringLiteral("PORT r")
            << QStringLiteral("%") << QStringLiteral("_") << QStringLiteral("'") << QStringLiteral("xyz");
    const QStringList searched{QStringLiteral("s5"), QStringLiteral("s6"), QStringLiteral("m3"), QStringLiteral("m1")};
    int nonEmpty = 0;
    for (const QString &phrase : phrases) {
        for (const QStringList &cols : {searched, QStringList{QStringLiteral("s6")}, QStringList{QStringLiteral("s1")}}) {
            std::set<qint32> expected;
            const QString needle = SearchIndex::fold(phrase);
            for (const DocumentRow &r : rows) {
                const QString values[] = {r.classPath, r.fileName, r.keywords, r.description, r.text};
                for (int c = 0; c < 5; ++c) {
                    if (cols.contains(SearchIndex::columns()[c]) && SearchIndex::fold(values[c]).contains(needle))
                        expected.insert(r.serial);
                }
            }
            const Result<QList<DocumentRow>> found =
                CDFSet(db()).search(SqlCondition::allOf({SearchIndex::containsAny(db().engine(), cols, phrase),
                                                         SqlCondition::raw(QStringLiteral("n1 > 0"))}));
            ASSERT_TRUE(found.ok()) << found.error().toStdString();
            std::set<qint32> got;
            for (const DocumentRow &r : *found)
                got.insert(r.serial);
            EXPECT_EQ(got, expected) << "phrase '" << phrase.toStdString() << "' in " << cols.join(u',').toStdString();
            nonEmpty += expected.empty() ? 0 : 1;
        }
    }
    EXPECT_GT(nonEmpty, 30) << "the generated rows must give the phrases something to find";
}

DOVRELLE_ON_BOTH_ENGINES(IndexAgreesWithScan);

namespace {
class IndexUpgrade : public EngineTest
{
};
} // namespace

TEST_P(IndexUpgrade, UpgradeIndexesEveryRowAlreadyThere)
{
    // Rows written by a program that had no index yet: the upgrade must index all of them, not
    // only the first one it reads.
    for (int i = 0; i < 30; ++i) {
        DocumentRow r;
        r.cardNumber = i + 1;
        r.itemNumber = 1;
        r.kind = 1;
        r.classPath = QStringLiteral("@%1@").arg(i % 4 + 1);
        r.description = i % 3 == 0 ? QStringLiteral("تقرير سنوي") : QStringLiteral("محضر");
        r.keywords = i % 5 == 0 ? QStringLiteral("مناقصة عامة") : QStringLiteral("شراء مباشر");
        ASSERT_TRUE(CDFSet(db()).insert(r).ok());
    }
    {
        Result<QSqlDatabase> conn = db().connection(DbFile::Archive);
        ASSERT_TRUE(conn.ok());
        QSqlQuery q(*conn);
        QStringList drops = undoKeywordIndex(db().engine());
        drops << QStringLiteral("DROP TABLE fileserver_class") << QStringLiteral("DROP INDEX fileserver_series");
        if (db().engine() == Engine::SQLite)
            drops << QStringLiteral("DROP TABLE fileserver_fts");
        drops << QStringLiteral("DROP TABLE fileserver_folded") << QStringLiteral("DROP TABLE \"COPYOUT\"")
              << QStringLiteral("UPDATE dovrelle_schema SET version = 1 WHERE component = 'archive'");
        for (const QString &sql : drops)
            ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
    }
    const Status upgraded = Schema::upgrade(db());
    ASSERT_TRUE(upgraded.ok()) << upgraded.error().toStdString();

    const auto count = [&](const SqlCondition &where) {
        const Result<QList<DocumentRow>> rows =
            CDFSet(db()).search(SqlCondition::allOf({where, SqlCondition::raw(QStringLiteral("n1 > 0"))}));
        EXPECT_TRUE(rows.ok());
        return rows ? int(rows->size()) : -1;
    };
    EXPECT_EQ(count(SearchIndex::containsAny(db().engine(), {QStringLiteral("m3")}, QStringLiteral("تقرير"))), 10);
    EXPECT_EQ(count(SearchIndex::containsAny(db().engine(), {QStringLiteral("m3")}, QStringLiteral("محضر"))), 20);
    EXPECT_EQ(count(SqlCondition::filedUnder(db().engine(), 2)), 8);
    // The keywords have an index of their own, filled from the same rows.
    EXPECT_EQ(count(SearchIndex::containsAny(db().engine(), {QStringLiteral("s6")}, QStringLiteral("مناقصة"))), 6);
    EXPECT_EQ(count(SqlCondition::allOf({SearchIndex::containsAny(db().engine(), {QStringLiteral("s6")}, QStringLiteral("شراء")),
                                         SearchIndex::containsAny(db().engine(), {QStringLiteral("s6")}, QStringLiteral("مباشر"))})),
              24);
}

// An archive whose keyword index holds the keywords alone (version 6) gets the paths in it: a
// keyword search in one classification looks both up in that index, for the rows there before
// the upgrade and for a row written after it.
TEST_P(IndexUpgrade, AKeywordIndexWithoutPathsIsMadeAgainWithThem)
{
    if (db().engine() != Engine::SQLite)
        GTEST_SKIP() << "SKIPPED: PostgreSQL keeps no keyword index of its own";
    const auto add = [&](qint32 card, const QString &path, const QString &keywords) {
        DocumentRow r;
        r.cardNumber = card;
        r.itemNumber = 1;
        r.kind = 1;
        r.classPath = path;
        r.keywords = keywords;
        ASSERT_TRUE(CDFSet(db()).insert(r).ok());
    };
    add(1, QStringLiteral("@7@"), QStringLiteral("عقد ايجار"));
    add(2, QStringLiteral("@17@"), QStringLiteral("عقد ايجار"));
    add(3, QStringLiteral("@5@7@"), QStringLiteral("عقد بيع"));
    {
        QSqlQuery q(*db().connection(DbFile::Archive));
        QStringList steps = undoKeywordIndex(db().engine());
        steps << QStringLiteral("CREATE VIRTUAL TABLE fileserver_keywords USING fts5(s6, content='fileserver_folded', "
                                "content_rowid='sn', tokenize='trigram case_sensitive 0')")
              << QStringLiteral("CREATE TRIGGER fileserver_keywords_ai AFTER INSERT ON fileserver_folded BEGIN INSERT "
                                "INTO fileserver_keywords(rowid, s6) VALUES (new.sn, new.s6); END")
              << QStringLiteral("INSERT INTO fileserver_keywords(fileserver_keywords) VALUES ('rebuild')")
              << QStringLiteral("UPDATE dovrelle_schema SET version = 6 WHERE component = 'archive'");
        for (const QString &sql : steps)
            ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
    }
    const Status upgraded = Schema::upgrade(db());
    ASSERT_TRUE(upgraded.ok()) << upgraded.error().toStdString();
    add(4, QStringLiteral("@7@"), QStringLiteral("ايجار عقد"));

    const auto cards = [&](const QStringList &words) {
        QList<SqlCondition> parts{SqlCondition::filedUnder(db().engine(), 7), SqlCondition::raw(QStringLiteral("n1 > 0"))};
        for (const QString &w : words)
            parts << SearchIndex::containsAny(db().engine(), {QStringLiteral("s6")}, w);
        const Result<SearchPlan> plan = CDFSet(db()).planSearch(SqlCondition::allOf(parts));
        EXPECT_TRUE(plan.ok());
        std::set<qint32> out;
        if (!plan)
            return out;
        const Result<QList<DocumentRow>> rows = CDFSet(db()).searchPage(*plan, std::nullopt, 100);
        EXPECT_TRUE(rows.ok());
        for (const DocumentRow &r : rows ? *rows : QList<DocumentRow>())
            out.insert(r.cardNumber);
        return out;
    };
    EXPECT_EQ(cards({QStringLiteral("عقد"), QStringLiteral("ايجار")}), (std::set<qint32>{1, 4}));
    EXPECT_EQ(cards({QStringLiteral("عقد")}), (std::set<qint32>{1, 3, 4}));
    // Digits among the keywords are looked for in the keywords, not in the path.
    EXPECT_TRUE(cards({QStringLiteral("@7@")}).empty());
}

DOVRELLE_ON_BOTH_ENGINES(IndexUpgrade);

// The text index answers every phrase of a trigram or more (and not past the longest it holds);
// a shorter one is read from the folded copy, as the index has nothing to say of it.
TEST(SearchFolding, APhraseOfThreeLettersIsTheShortestTheIndexAnswers)
{
    const QStringList cols{QStringLiteral("m3")};
    const auto probed = [&](Engine engine, const QString &phrase) {
        const std::shared_ptr<const SqlCondition::Part> part = SearchIndex::containsAny(engine, cols, phrase).tree();
        return part && !part->probe.sql.isEmpty();
    };
    for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
        EXPECT_TRUE(probed(engine, QStringLiteral("تقر")));
        EXPECT_TRUE(probed(engine, QStringLiteral("abc")));
        EXPECT_FALSE(probed(engine, QStringLiteral("تق")));
    }
    EXPECT_NE(SearchIndex::containsAny(Engine::SQLite, cols, QStringLiteral("abc")).sql.indexOf(QStringLiteral("fileserver_fts")), -1);
    EXPECT_EQ(SearchIndex::containsAny(Engine::SQLite, cols, QStringLiteral("ab")).sql.indexOf(QStringLiteral("fileserver_fts")), -1);
}
