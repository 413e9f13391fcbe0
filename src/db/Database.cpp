#include "Database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QThread>
#include <QUrl>

#include <mutex>
#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

// The most pages a connection to an SQLite file keeps in memory, in KiB.
constexpr int kPageCacheKiB = 64 * 1024;

struct DatabaseTr
{
    Q_DECLARE_TR_FUNCTIONS(Database)
};

// Names of the connections each thread opened, so that the thread can close exactly its own.
std::mutex g_namesMutex;
std::set<QString> g_connectionNames;

QString threadTag()
{
    return QString::number(reinterpret_cast<quintptr>(QThread::currentThreadId()), 16);
}

} // namespace

QString databaseError(const QString &driverText)
{
    // The words each engine uses for a disk with no room (SQLite's SQLITE_FULL, PostgreSQL's
    // "could not extend file" and its disk-full SQLSTATE text): the clerk is told what to do.
    static const QStringList noRoom{u"database or disk is full"_s, u"No space left on device"_s,
                                    u"could not extend file"_s, u"could not write to file"_s};
    for (const QString &words : noRoom) {
        if (driverText.contains(words, Qt::CaseInsensitive)) {
            return DatabaseTr::tr("لا توجد مساحة كافية لقاعدة البيانات على القرص: افسح مكانا ثم اعد المحاولة "
                                  "(%1)")
                .arg(driverText);
        }
    }
    return DatabaseTr::tr("خطأ في قاعدة البيانات: %1").arg(driverText);
}

Status execAll(QSqlDatabase &conn, const QStringList &statements)
{
    for (const QString &sql : statements) {
        QSqlQuery q(conn);
        if (!q.exec(sql))
            return Status::failure(databaseError(q.lastError().text() + u" ["_s + sql + u']'));
    }
    return {};
}

Result<ServerConfig> ServerConfig::parse(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != u"postgresql"_s && url.scheme() != u"postgres"_s)
        || url.host().isEmpty()) {
        return Result<ServerConfig>::failure(
            DatabaseTr::tr("ملف server.conf لا يحوي عنوان خادم صالحا (postgresql://user@host:port/database)"));
    }
    ServerConfig config;
    config.host = url.host();
    config.port = url.port(5432);
    config.user = url.userName();
    config.password = url.password();
    config.database = url.path().mid(1);
    if (config.database.isEmpty())
        config.database = config.user;
    return config;
}

QString ServerConfig::uri() const
{
    QUrl url;
    url.setScheme(u"postgresql"_s);
    url.setHost(host);
    url.setPort(port);
    url.setUserName(user);
    url.setPassword(password);
    url.setPath(u"/"_s + database);
    return url.toString();
}

QString Database::serverConfPath(const QString &folder)
{
    return folder + u"/server.conf"_s;
}

QString Database::sqliteFileName(DbFile file)
{
    switch (file) {
    case DbFile::Archive: return u"Arch.sqlite"_s;
    case DbFile::Classes: return u"Classes.sqlite"_s;
    case DbFile::Users: return u"SUS.sqlite"_s;
    }
    return {};
}

Result<Database> Database::open(const QString &folder, OpenMode mode)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        return Result<Database>::failure(
            DatabaseTr::tr("مجلد قاعدة البيانات غير موجود: %1").arg(QDir::toNativeSeparators(folder)));
    }
    Database db;
    db.m_folder = QFileInfo(folder).absoluteFilePath();

    QFile conf(serverConfPath(folder));
    if (conf.exists()) {
        if (!conf.open(QIODevice::ReadOnly))
            return Result<Database>::failure(DatabaseTr::tr("تعذرت قراءة الملف server.conf"));
        Result<ServerConfig> server = ServerConfig::parse(QString::fromUtf8(conf.readAll()));
        if (!server)
            return Result<Database>::failure(server.error());
        db.m_engine = Engine::PostgreSQL;
        db.m_server = *server;
        return db;
    }

    if (mode == OpenMode::Existing) {
        for (DbFile file : {DbFile::Archive, DbFile::Classes, DbFile::Users}) {
            const QString path = folder + u'/' + sqliteFileName(file);
            if (!QFileInfo::exists(path)) {
                return Result<Database>::failure(
                    DatabaseTr::tr("ملف قاعدة البيانات غير موجود: %1").arg(QDir::toNativeSeparators(path)));
            }
        }
    }
    return db;
}

QString Database::connectionName(DbFile file) const
{
    if (m_engine == Engine::PostgreSQL)
        return u"dovrelle|pg|%1|%2"_s.arg(m_server.uri(), threadTag());
    return u"dovrelle|sqlite|%1|%2"_s.arg(m_folder + u'/' + sqliteFileName(file), threadTag());
}

Result<QSqlDatabase> Database::connection(DbFile file) const
{
    const QString name = connectionName(file);
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase existing = QSqlDatabase::database(name, false);
        if (existing.isOpen() || existing.open())
            return existing;
        const QString why = existing.lastError().text();
        return Result<QSqlDatabase>::failure(databaseError(why));
    }

    QSqlDatabase db;
    if (m_engine == Engine::PostgreSQL) {
        db = QSqlDatabase::addDatabase(u"QPSQL"_s, name);
        db.setHostName(m_server.host);
        db.setPort(m_server.port);
        db.setUserName(m_server.user);
        db.setPassword(m_server.password);
        db.setDatabaseName(m_server.database);
        db.setConnectOptions(u"connect_timeout=10"_s);
    } else {
        db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(m_folder + u'/' + sqliteFileName(file));
        // Several workstations share the files: wait for another writer instead of failing.
        db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=30000"_s);
    }
    {
        const std::lock_guard lock(g_namesMutex);
        g_connectionNames.insert(name);
    }
    if (!db.open()) {
        const QString why = db.lastError().text();
        return Result<QSqlDatabase>::failure(databaseError(why));
    }
    if (m_engine == Engine::SQLite) {
        QSqlQuery pragma(db);
        pragma.exec(u"PRAGMA synchronous=FULL"_s);
        // A search reads rows spread over the whole file: with the default 2 MB of pages each
        // search asks the system for most of them again. The cache only grows as pages are read,
        // and stays valid between statements while no other workstation writes.
        pragma.exec(u"PRAGMA cache_size=-%1"_s.arg(kPageCacheKiB));
    }
    return db;
}

void Database::closeThreadConnections()
{
    const QString suffix = u'|' + threadTag();
    QStringList mine;
    {
        const std::lock_guard lock(g_namesMutex);
        for (auto it = g_connectionNames.begin(); it != g_connectionNames.end();) {
            if (it->endsWith(suffix)) {
                mine << *it;
                it = g_connectionNames.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const QString &name : mine) {
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
}
