#include "common/TestArchive.h"
#include "db/CDFSet.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
class SchemaUpgrade : public EngineTest
{
};
} // namespace

TEST_P(SchemaUpgrade, UpgradingACurrentArchiveChangesNothing)
{
    ASSERT_TRUE(CDFSet(db()).nextCardNumber().ok());
    ASSERT_TRUE(Schema::upgrade(db()).ok());
    for (DbFile f : {DbFile::Archive, DbFile::Classes, DbFile::Users})
        EXPECT_EQ(*Schema::version(db(), f), f == DbFile::Archive ? Schema::kArchiveVersion : 1);
    EXPECT_EQ(CDFSet(db()).counterRow()->lastCardNumber, 1);
    EXPECT_EQ(CDFSet(db()).search({})->size(), 1);
}

TEST_P(SchemaUpgrade, ADatabaseFromANewerProgramIsRefused)
{
    {
        QSqlQuery q(*db().connection(DbFile::Classes));
        ASSERT_TRUE(q.exec(QStringLiteral("UPDATE dovrelle_schema SET version = 99 WHERE component = 'classes'")));
    }
    const Status s = Schema::upgrade(db());
    ASSERT_FALSE(s.ok());
    EXPECT_TRUE(s.error().contains(QStringLiteral("أحدث")));
}

TEST_P(SchemaUpgrade, AnArchiveOfVersionThreeGetsSizesOver2GiBAndTheCopyOutbox)
{
    {
        QSqlQuery q(*db().connection(DbFile::Archive));
        if (db().engine() == Engine::PostgreSQL) {
            ASSERT_TRUE(q.exec(QStringLiteral("ALTER TABLE \"FILESERVER\" ALTER COLUMN n6 TYPE integer")));
        }
        for (const QString &sql : undoKeywordIndex(db().engine()))
            ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
        ASSERT_TRUE(q.exec(QStringLiteral("DROP TABLE \"COPYOUT\"")));
        ASSERT_TRUE(q.exec(QStringLiteral("UPDATE dovrelle_schema SET version = 3 WHERE component = 'archive'")));
    }
    const Status upgraded = Schema::upgrade(db());
    ASSERT_TRUE(upgraded.ok()) << upgraded.error().toStdString();
    EXPECT_EQ(*Schema::version(db(), DbFile::Archive), Schema::kArchiveVersion);

    constexpr qint64 kThreeGiB = 3LL << 30;
    DocumentRow row;
    row.cardNumber = 1;
    row.itemNumber = 1;
    row.kind = KindFile;
    row.size = kThreeGiB;
    row.seriesFolder = QStringLiteral("Ser1");
    const Result<qint32> sn = CDFSet(db()).insert(row);
    ASSERT_TRUE(sn.ok()) << sn.error().toStdString();
    EXPECT_EQ((*CDFSet(db()).rowBySerial(*sn))->size, kThreeGiB);
    EXPECT_EQ(*CDFSet(db()).bytesInSeries(QStringLiteral("Ser1")), kThreeGiB);
    QSqlQuery q(*db().connection(DbFile::Archive));
    EXPECT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM \"COPYOUT\"")));
}

DOVRELLE_ON_BOTH_ENGINES(SchemaUpgrade);

TEST(DatabaseOpen, MissingOrBrokenDatabasesGiveClearErrors)
{
    QTemporaryDir dir;
    const Result<Database> missingFolder = Database::open(dir.path() + QStringLiteral("/nowhere"));
    ASSERT_FALSE(missingFolder.ok());
    EXPECT_TRUE(missingFolder.error().contains(QStringLiteral("مجلد قاعدة البيانات غير موجود")));

    const Result<Database> noFiles = Database::open(dir.path());
    ASSERT_FALSE(noFiles.ok());
    EXPECT_TRUE(noFiles.error().contains(QStringLiteral("Arch.sqlite")));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("Arch.sqlite")))) << "opening must not create files";

    for (const char *name : {"Arch.sqlite", "Classes.sqlite", "SUS.sqlite"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'z'));
    }
    const Result<Database> garbage = Database::open(dir.path());
    ASSERT_TRUE(garbage.ok());
    const Status upgrade = Schema::upgrade(*garbage);
    EXPECT_FALSE(upgrade.ok());
    EXPECT_FALSE(upgrade.error().isEmpty());
    const Result<DocumentRow> counter = CDFSet(*garbage).counterRow();
    EXPECT_FALSE(counter.ok());
    Database::closeThreadConnections();
}

TEST(DatabaseOpen, ServerConfMustHoldAServerAddress)
{
    QTemporaryDir dir;
    QFile conf(Database::serverConfPath(dir.path()));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("not a uri\n");
    conf.close();
    const Result<Database> db = Database::open(dir.path());
    ASSERT_FALSE(db.ok());
    EXPECT_TRUE(db.error().contains(QStringLiteral("server.conf")));

    const Result<ServerConfig> parsed = ServerConfig::parse(QStringLiteral("postgresql://arch:pw@db.local:6543/archive"));
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed->host, QStringLiteral("db.local"));
    EXPECT_EQ(parsed->port, 6543);
    EXPECT_EQ(parsed->user, QStringLiteral("arch"));
    EXPECT_EQ(parsed->database, QStringLiteral("archive"));
    EXPECT_EQ(ServerConfig::parse(parsed->uri())->password, QStringLiteral("pw"));
}
