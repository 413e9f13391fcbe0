#include "common/TestArchive.h"
#include "db/CDFSet.h"
#include "db/Schema.h"
#include "db/ScopedTransaction.h"
#include "db/SearchIndex.h"

#include <QSqlQuery>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Paths as cards hold them, and the odd ones a hand-edited or damaged row may hold.
const QStringList kPaths{
    u"@1@"_s,     u"@1@2@"_s,  u"@12@"_s,   u"@5@15@55@"_s, u"@012@"_s, u"5@"_s,     u"@5"_s,
    u"x@5@y"_s,   u"@@5@@"_s,  u"@-3@"_s,   u"@+3@"_s,      QString(),  u"@0@"_s,    u"@2147483648@"_s,
    u"@7@7@"_s,   u"@ 7@"_s,   u"@1@12@"_s, u"@2@1@"_s,
};

QList<qint32> serials(const Result<QList<DocumentRow>> &rows) { return rows ? serialsOf(*rows) : QList<qint32>(); }

class ClassFilter : public EngineTest
{
protected:
    // The rows filed under each code, by the plain LIKE on the paths and by the filter.
    void expectFilterAgreesWithLike()
    {
        const CDFSet table(db());
        int nonEmpty = 0;
        for (int code : {-3, 0, 1, 2, 3, 5, 7, 12, 15, 55, 99}) {
            const SqlCondition like = SqlCondition::allOf(
                {SqlCondition::contains(db().engine(), u"s1"_s, u'@' + QString::number(code) + u'@'),
                 SqlCondition::raw(u"n1 > 0"_s)});
            const QList<qint32> expected = serials(table.search(like));
            const QList<qint32> filtered = serials(table.search(SqlCondition::allOf(
                {SqlCondition::filedUnder(db().engine(), code), SqlCondition::raw(u"n1 > 0"_s)})));
            EXPECT_EQ(filtered, expected) << "code " << code;
            // Both ways the planner may write it.
            for (int rareHits : {1, 1000}) {
                const Result<SearchPlan> plan = table.planSearch(
                    SqlCondition::allOf({SqlCondition::filedUnder(db().engine(), code), SqlCondition::raw(u"n1 > 0"_s)}),
                    rareHits);
                ASSERT_TRUE(plan.ok()) << plan.error().toStdString();
                EXPECT_EQ(serials(table.searchPage(*plan, std::nullopt, 1000)), expected)
                    << "code " << code << " " << plan->where.sql.toStdString();
            }
            const Result<QList<DocumentRow>> under = table.filedUnder(code);
            ASSERT_TRUE(under.ok());
            EXPECT_EQ(int(under->size()), int(expected.size()));
            const Result<bool> has = table.hasDocumentsUnder(code);
            ASSERT_TRUE(has.ok());
            EXPECT_EQ(*has, !expected.isEmpty()) << "code " << code;
            nonEmpty += expected.isEmpty() ? 0 : 1;
        }
        EXPECT_GE(nonEmpty, 7);
    }

    QList<DocumentRow> m_rows;

    void addRows()
    {
        Result<QSqlDatabase> conn = db().connection(DbFile::Archive);
        ASSERT_TRUE(conn.ok());
        ScopedTransaction tx(*conn, db().engine());
        for (int i = 0; i < kPaths.size(); ++i) {
            DocumentRow r;
            r.cardNumber = i + 1;
            r.itemNumber = 1;
            r.kind = KindImage;
            r.classPath = kPaths[i];
            const Result<qint32> sn = CDFSet(db()).insert(r);
            ASSERT_TRUE(sn.ok()) << sn.error().toStdString();
            r.serial = *sn;
            m_rows.append(r);
        }
        ASSERT_TRUE(tx.commit().ok());
    }
};

} // namespace

TEST(ClassFilterCodes, OnlyCodesBetweenTwoAtSignsWrittenAsNumbers)
{
    EXPECT_EQ(SearchIndex::classCodes(u"@1@2@"_s), (QList<int>{1, 2}));
    EXPECT_EQ(SearchIndex::classCodes(u"@5@15@55@"_s), (QList<int>{5, 15, 55}));
    EXPECT_EQ(SearchIndex::classCodes(u"@012@"_s), QList<int>{});
    EXPECT_EQ(SearchIndex::classCodes(u"5@"_s), QList<int>{});
    EXPECT_EQ(SearchIndex::classCodes(u"x@5@y"_s), QList<int>{5});
    EXPECT_EQ(SearchIndex::classCodes(u"@-3@+3@"_s), QList<int>{-3});
    EXPECT_EQ(SearchIndex::classCodes(u"@7@7@"_s), QList<int>{7});
    EXPECT_EQ(SearchIndex::classCodes(u"@2147483648@"_s), QList<int>{});
    EXPECT_EQ(SearchIndex::classCodes(QString()), QList<int>{});
}

TEST_P(ClassFilter, AgreesWithThePathTestAfterInsertUpdateAndRemove)
{
    addRows();
    expectFilterAgreesWithLike();

    // A card moved to other classifications, and one removed: the filter follows.
    m_rows[0].classPath = u"@99@5@"_s;
    ASSERT_TRUE(CDFSet(db()).update(m_rows[0]).ok());
    m_rows[2].classPath = QString();
    ASSERT_TRUE(CDFSet(db()).update(m_rows[2]).ok());
    ASSERT_TRUE(CDFSet(db()).removeSerial(m_rows[1].serial).ok());
    ASSERT_TRUE(CDFSet(db()).removeCard(m_rows[3].cardNumber).ok());
    expectFilterAgreesWithLike();
    const Result<QList<DocumentRow>> under99 = CDFSet(db()).filedUnder(99);
    ASSERT_TRUE(under99.ok());
    ASSERT_EQ(under99->size(), 1);
    EXPECT_EQ(under99->front().serial, m_rows[0].serial);
}

TEST_P(ClassFilter, UpgradeFillsTheFilterFromTheRowsThere)
{
    addRows();
    // The archive as the previous version of the program left it: rows, no filter.
    {
        Result<QSqlDatabase> conn = db().connection(DbFile::Archive);
        ASSERT_TRUE(conn.ok());
        QSqlQuery q(*conn);
        for (const QString &sql : undoKeywordIndex(db().engine()))
            ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
        ASSERT_TRUE(q.exec(u"DROP TABLE fileserver_class"_s));
        ASSERT_TRUE(q.exec(u"DROP TABLE \"COPYOUT\""_s));
        ASSERT_TRUE(q.exec(u"UPDATE dovrelle_schema SET version = 2 WHERE component = 'archive'"_s));
    }
    ASSERT_EQ(*Schema::version(db(), DbFile::Archive), 2);
    const Status upgraded = Schema::upgrade(db());
    ASSERT_TRUE(upgraded.ok()) << upgraded.error().toStdString();
    EXPECT_EQ(*Schema::version(db(), DbFile::Archive), Schema::kArchiveVersion);
    expectFilterAgreesWithLike();
}

DOVRELLE_ON_BOTH_ENGINES(ClassFilter);
