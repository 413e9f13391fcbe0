#include "TestArchive.h"

#include "app/ArchiveSetup.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

QAtomicInt g_counter;

// Runs one statement on the administrative database of the test server.
bool adminExec(const QString &sql, QString *why)
{
    const QString name = u"dovrelle-test-admin"_s;
    bool ok = false;
    {
        Result<ServerConfig> config = ServerConfig::parse(TestArchive::adminUri(why));
        if (!config)
            return false;
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, name);
        db.setHostName(config->host);
        db.setPort(config->port);
        db.setUserName(config->user);
        db.setPassword(config->password);
        db.setDatabaseName(config->database);
        if (!db.open()) {
            *why = db.lastError().text();
        } else {
            QSqlQuery q(db);
            ok = q.exec(sql);
            if (!ok)
                *why = q.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace

QString TestArchive::adminUri(QString *why)
{
    const QString uri = qEnvironmentVariable("DOVRELLE_TEST_PG_URI");
    if (uri.isEmpty() && why)
        *why = u"no PostgreSQL test server (DOVRELLE_TEST_PG_URI is not set; 'make test' starts one)"_s;
    return uri;
}

TestArchive::TestArchive(Engine engine)
{
    if (!m_dir.isValid()) {
        m_problem = u"no temporary folder"_s;
        return;
    }
    m_home = m_dir.path() + u"/home"_s;
    if (engine == Engine::PostgreSQL) {
        QString why;
        const QString admin = adminUri(&why);
        if (admin.isEmpty()) {
            m_problem = why;
            m_skipped = qEnvironmentVariable("DOVRELLE_REQUIRE_PG") != u"1";
            return;
        }
        m_pgDatabase = u"dovrelle_t%1_%2"_s.arg(QCoreApplication::applicationPid()).arg(g_counter.fetchAndAddRelaxed(1));
        if (!adminExec(u"CREATE DATABASE "_s + m_pgDatabase, &why)) {
            m_problem = u"cannot create a test database: "_s + why;
            m_pgDatabase.clear();
            return;
        }
        ServerConfig config = *ServerConfig::parse(admin);
        config.database = m_pgDatabase;
        m_serverUri = config.uri();
    }
    if (Status s = createArchive(m_home, m_serverUri); !s) {
        m_problem = s.error();
        return;
    }
    Result<Database> db = Database::open(databaseFolder());
    if (!db) {
        m_problem = db.error();
        return;
    }
    m_db = *db;
}

TestArchive::~TestArchive()
{
    Database::closeThreadConnections();
    if (!m_pgDatabase.isEmpty()) {
        QString why;
        adminExec(u"DROP DATABASE IF EXISTS "_s + m_pgDatabase + u" WITH (FORCE)"_s, &why);
    }
}

void EngineTest::SetUp()
{
    m_archive = std::make_unique<TestArchive>(GetParam());
    if (m_archive->skipped())
        GTEST_SKIP() << "SKIPPED: " << m_archive->problem().toStdString();
    ASSERT_TRUE(m_archive->problem().isEmpty()) << m_archive->problem().toStdString();
}

void EngineTest::TearDown()
{
    m_archive.reset();
}

std::string engineName(const ::testing::TestParamInfo<Engine> &info)
{
    return info.param == Engine::SQLite ? "SQLite" : "PostgreSQL";
}
