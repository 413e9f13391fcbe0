#include "TestArchive.h"

#include "app/ArchiveSetup.h"
#include "classes/Classifications.h"

#include <QAtomicInt>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QAtomicInt g_counter;

// Short: the paths file takes folder names of at most 118 bytes, and the archives live below it.
constexpr std::string_view kRunPrefix = "dovrelle-test-";
std::string g_tempFolder;

void removeTestTempFolder()
{
    if (g_tempFolder.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(g_tempFolder, ignored);
    g_tempFolder.clear();
}

// The process a folder named dovrelle-test-PID-XXXXXX belongs to, or 0 for any other name.
pid_t ownerOf(const std::string &name)
{
    if (name.rfind(kRunPrefix, 0) != 0)
        return 0;
    const std::string rest = name.substr(kRunPrefix.size());
    const std::size_t dash = rest.find('-');
    if (dash == 0 || dash > 9 || rest.find_first_not_of("0123456789") != dash)
        return 0;
    return static_cast<pid_t>(std::stol(rest.substr(0, dash)));
}

// Removes the folders of test programs that are gone (killed, or crashed before their exit).
void removeAbandonedFolders(const std::filesystem::path &base)
{
    std::error_code error;
    for (std::filesystem::directory_iterator it(base, error), end; !error && it != end; it.increment(error)) {
        const pid_t owner = ownerOf(it->path().filename().string());
        if (owner <= 0 || owner == ::getpid())
            continue;
        if (::kill(owner, 0) == 0 || errno == EPERM)
            continue; // still running
        std::error_code ignored;
        std::filesystem::remove_all(it->path(), ignored);
    }
}

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

void enterTestTempFolder()
{
    if (!g_tempFolder.empty())
        return;
    // A test program started by a test makes its folder beside its parent's, not inside it.
    const char *outer = std::getenv("DOVRELLE_TEST_TEMP_BASE");
    const char *tmpdir = std::getenv("TMPDIR");
    const std::filesystem::path base = outer && *outer ? outer : tmpdir && *tmpdir ? tmpdir : "/tmp";
    removeAbandonedFolders(base);
    std::string folder = (base / (std::string(kRunPrefix) + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (!::mkdtemp(folder.data()))
        return;
    // Others may pass through, not look in: the test CUPS server's filters run as lp and reach
    // its spool below this folder, as the test PostgreSQL server's user reaches its data.
    ::chmod(folder.c_str(), 0711);
    const std::string runtime = folder + "/runtime";
    if (::mkdir(runtime.c_str(), 0700) != 0) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        return;
    }
    // Scanning starts with every main window: without a configuration of its own a test would
    // start the workstation's scanner backends. An empty backend list gives no scanner; the scan
    // tests name SANE's test backend in their own folder before the library first starts.
    const std::string sane = folder + "/sane";
    if (!std::getenv("SANE_CONFIG_DIR") && ::mkdir(sane.c_str(), 0700) == 0) {
        if (FILE *dll = std::fopen((sane + "/dll.conf").c_str(), "w"))
            std::fclose(dll);
        ::setenv("SANE_CONFIG_DIR", sane.c_str(), 1);
    }
    g_tempFolder = folder;
    std::atexit(removeTestTempFolder);
    ::setenv("DOVRELLE_TEST_TEMP_BASE", base.c_str(), 1);
    ::setenv("TMPDIR", folder.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
}

QString testTempFolder()
{
    return QString::fromStdString(g_tempFolder);
}

QString TestArchive::adminUri(QString *why)
{
    const QString uri = qEnvironmentVariable("DOVRELLE_TEST_PG_URI");
    if (uri.isEmpty() && why)
        *why = u"no PostgreSQL test server (DOVRELLE_TEST_PG_URI is not set; ./test starts one)"_s;
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
    if (Status s = createArchive(m_home, m_serverUri, {}, kTestMasterPassword); !s) {
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

QStringList undoKeywordIndex(Engine engine)
{
    if (engine != Engine::SQLite)
        return {};
    return {QStringLiteral("DROP TRIGGER IF EXISTS fileserver_keywords_ai"),
            QStringLiteral("DROP TRIGGER IF EXISTS fileserver_keywords_ad"),
            QStringLiteral("DROP TABLE fileserver_keywords")};
}

Result<QList<qint32>> addClassSeeds(const Database &db, std::span<const ClassSeed> seeds)
{
    QList<qint32> serials;
    for (const ClassSeed &seed : seeds) {
        const Result<qint32> serial = addClassification(db, {seed.code, seed.name, {}, 0});
        if (!serial)
            return Result<QList<qint32>>::failure(serial.error());
        serials.append(*serial);
    }
    return serials;
}

bool copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    if (!QDir().mkpath(to))
        return false;
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        const QString target = to + u'/' + QDir(from).relativeFilePath(entry.filePath());
        if (entry.isDir() ? !QDir().mkpath(target) : !QFile::copy(entry.filePath(), target))
            return false;
    }
    return true;
}
