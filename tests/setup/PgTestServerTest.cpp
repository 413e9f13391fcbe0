#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct ScriptRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

ScriptRun pgScript(const QString &action, const QString &folder)
{
    QProcess p;
    p.start(u"bash"_s, {QStringLiteral(DOVRELLE_SOURCE_DIR "/scripts/pg-test-server.sh"), action, folder});
    if (!p.waitForFinished(180000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
            QString::fromUtf8(p.readAllStandardError()).trimmed()};
}

// Why the server cannot be tried here, or empty.
QString whyNot()
{
    if (::getuid() != 0)
        return u"the server runs as the postgres user, which needs root"_s;
    if (QDir(u"/usr/lib/postgresql"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty())
        return u"PostgreSQL is not installed"_s;
    QProcess id;
    id.start(u"id"_s, {u"-u"_s, u"postgres"_s});
    if (!id.waitForFinished() || id.exitCode() != 0)
        return u"there is no postgres user"_s;
    if (!QSqlDatabase::isDriverAvailable(u"QPSQL"_s))
        return u"Qt's PostgreSQL driver is not installed"_s;
    return {};
}

// Runs one query through the URI the script printed.
QString query(const QString &uri, const QString &sql)
{
    const QUrl url(uri);
    QString answer;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, u"pg-script-test"_s);
        db.setHostName(url.host());
        db.setPort(url.port());
        db.setUserName(url.userName());
        db.setDatabaseName(url.path().mid(1));
        if (!db.open()) {
            answer = u"error: "_s + db.lastError().text();
        } else {
            QSqlQuery q(db);
            answer = q.exec(sql) && q.next() ? q.value(0).toString() : u"error: "_s + q.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(u"pg-script-test"_s);
    return answer;
}

} // namespace

// A clone in root's home folder (mode 0700): the postgres user cannot reach the build folder.
TEST(PgTestServerScript, StartsOnItsFirstRunBelowAClosedFolderAndLeavesNothingBehind)
{
    if (const QString why = whyNot(); !why.isEmpty())
        GTEST_SKIP() << "SKIPPED: " << why.toStdString();
    QTemporaryDir closed;
    ASSERT_TRUE(closed.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(closed.path()).constData(), 0700), 0);
    const QString folder = closed.path() + u"/clone/build-test/pg-test"_s;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(folder).path()));

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        const ScriptRun start = pgScript(u"start"_s, folder);
        ASSERT_EQ(start.exitCode, 0) << start.err.toStdString();
        ASSERT_TRUE(start.out.startsWith(u"postgresql://"_s)) << start.out.toStdString();
        EXPECT_EQ(query(start.out, u"SELECT 6 * 7"_s), u"42"_s);
        // The data live where the postgres user reaches them.
        const QString real = QFileInfo(folder).canonicalFilePath();
        EXPECT_TRUE(real.startsWith(u"/tmp/dovrelle-pg."_s)) << real.toStdString();

        const ScriptRun stop = pgScript(u"stop"_s, folder);
        EXPECT_EQ(stop.exitCode, 0) << stop.err.toStdString();
        EXPECT_TRUE(query(start.out, u"SELECT 1"_s).startsWith(u"error: "_s));
        EXPECT_FALSE(QFileInfo::exists(real));
        EXPECT_FALSE(QFileInfo(folder).isSymLink());
    }
}
