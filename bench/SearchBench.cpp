// Searches an archive of generated rows the way the search form does (QueryBuilder: date range,
// permitted classifications, phrase or keywords) and times each search through the text index
// against the plain scan of the same query in the same run: the whole result, and the first 100
// hits as the report shows them first. Checks that both give the same rows.
//   bench_search [ROWS]   (default 1000000)
// SQLite always; PostgreSQL when DOVRELLE_TEST_PG_URI names a reachable server.
// Each row prints its goals as met or MISSED, with the times measured before this work beside
// it; on PostgreSQL the plan of the first page is read with EXPLAIN and checked as well.
//   DOVRELLE_BENCH_REUSE=DIR   keeps the generated archives in DIR (and the PostgreSQL database
//                              on the server) and uses them again when they hold ROWS rows
//   DOVRELLE_BENCH_CASES=1,4   runs only those searches (numbered from 1 as printed)
//   DOVRELLE_BENCH_ENGINES=pg  PostgreSQL only (=sqlite: SQLite only)
//   DOVRELLE_BENCH_PROFILE=N   runs each chosen search's whole index route N times and nothing else

#include "app/ArchiveSetup.h"
#include "base/TimeZoneFile.h"
#include "db/CDFSet.h"
#include "db/Schema.h"
#include "db/ScopedTransaction.h"
#include "db/SearchIndex.h"
#include "search/QueryBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kRepeats = 3;
constexpr int kFirstHits = 100;
constexpr int kTopClasses = 40;
constexpr int kBatch = 20000;
constexpr int kRareEvery = 1000;      // a rare phrase: one row in a thousand
constexpr int kRareKeywordEvery = 1250;

const QStringList kWords{
    u"عقد"_s,    u"ايجار"_s,  u"شراء"_s,  u"بيع"_s,    u"فاتورة"_s, u"كهرباء"_s, u"ماء"_s,    u"هاتف"_s,
    u"رسالة"_s,  u"وزارة"_s,  u"مالية"_s, u"تقرير"_s,  u"سنوي"_s,   u"محضر"_s,   u"اجتماع"_s, u"لجنة"_s,
    u"قرار"_s,   u"تعيين"_s,  u"نقل"_s,   u"موظف"_s,   u"راتب"_s,   u"اجازة"_s,  u"شهادة"_s,  u"خبرة"_s,
    u"طلب"_s,    u"موافقة"_s, u"مشروع"_s, u"بناء"_s,   u"مدرسة"_s,  u"مستشفي"_s, u"طريق"_s,   u"جسر"_s,
};
const QString kRarePhrase = u"زمردية"_s;
const QString kRareKeyword = u"مناقصة"_s;

QString words(QRandomGenerator &rng, int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << kWords[int(rng.bounded(kWords.size()))];
    return out.join(u' ');
}

DocumentRow generated(int i, QRandomGenerator &rng, int rows)
{
    static constexpr qint32 kKinds[] = {KindImage, KindImage, KindImage, KindFile, KindFolder, KindText};
    DocumentRow r;
    r.cardNumber = i / 3 + 1;
    r.itemNumber = i % 3 + 1;
    r.kind = kKinds[rng.bounded(6)];
    const int top = int(rng.bounded(kTopClasses)) + 1;
    r.classPath = u"@%1@%2@"_s.arg(top).arg(kTopClasses + 1 + int(rng.bounded(360)));
    r.fileName = u"scan%1.jpg"_s.arg(i);
    r.keywords = words(rng, 3);
    if (i % kRareKeywordEvery == 11)
        r.keywords += u' ' + kRareKeyword;
    r.description = words(rng, 6);
    if (i % kRareEvery == 7)
        r.description += u' ' + kRarePhrase;
    r.text = r.kind == KindText ? words(rng, 12) : QString();
    r.seriesFolder = u"Ser1"_s;
    r.extension = r.kind == KindFile ? u"PDF"_s : u"JPG"_s;
    // Twenty years of cards, in card order.
    r.cardDate = QDate(2006, 1, 1).addDays(int(qint64(i) * 7300 / rows)).startOfDay();
    return r;
}

Status generate(const Database &db, int rows)
{
    QRandomGenerator rng(20261209);
    Result<QSqlDatabase> conn = db.connection(DbFile::Archive);
    if (!conn)
        return Status::failure(conn.error());
    if (db.engine() == Engine::SQLite) {
        // A page cache large enough for the whole import: otherwise every spill of a full cache
        // waits for the disk.
        QSqlQuery(*conn).exec(u"PRAGMA cache_size = -400000"_s);
    }
    ScopedTransaction tx(*conn, db.engine());
    if (!tx.begun())
        return tx.begun();
    QList<DocumentRow> batch;
    for (int i = 0; i < rows; ++i) {
        batch.append(generated(i, rng, rows));
        if (batch.size() == kBatch || i + 1 == rows) {
            if (Result<int> n = CDFSet(db).insertMany(batch); !n)
                return Status::failure(n.error());
            batch.clear();
        }
    }
    return tx.commit();
}

// The server process that answers this thread's statements on PostgreSQL, 0 on SQLite.
qint64 g_backendPid = 0;

// Nanoseconds on a processor of this thread and of the server process answering it: on a machine
// shared with other work the wall clock also counts the waits for a free processor.
qint64 cpuNs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    qint64 ns = qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    if (g_backendPid > 0) {
        QFile stat(u"/proc/%1/schedstat"_s.arg(g_backendPid));
        if (stat.open(QIODevice::ReadOnly))
            ns += stat.readAll().split(' ').value(0).toLongLong();
    }
    return ns;
}

struct Timing
{
    double wall = 1e300;
    double cpu = 1e300;
};

Timing bestMs(const std::function<void()> &run)
{
    Timing best;
    for (int i = 0; i < kRepeats; ++i) {
        QElapsedTimer t;
        const qint64 cpu = cpuNs();
        t.start();
        run();
        best.wall = std::min(best.wall, double(t.nsecsElapsed()) / 1e6);
        best.cpu = std::min(best.cpu, double(cpuNs() - cpu) / 1e6);
    }
    return best;
}

QList<qint32> serials(const Result<QList<DocumentRow>> &rows) { return rows ? serialsOf(*rows) : QList<qint32>(); }

// The same search written as plain comparisons on the table's own columns: what the search runs
// without the index.
SqlCondition plainScan(const SearchRequest &r, const PermittedClasses &permitted, Engine engine)
{
    QList<SqlCondition> all;
    const SqlCondition dates =
        SqlCondition::dateRange(engine, u"d1"_s, r.from.startOfDay(), r.to.addDays(1).startOfDay());
    all.append(dates.written([](const SqlCondition::Part &) { return 1; }));
    const auto classes = [&](const QStringList &codes) {
        QList<SqlCondition> any;
        for (const QString &code : codes)
            any.append(SqlCondition::contains(engine, u"s1"_s, u'@' + code + u'@'));
        return SqlCondition::anyOf(any);
    };
    if (r.general) {
        QList<SqlCondition> any;
        for (const QString &c : {u"s5"_s, u"s6"_s, u"m3"_s, u"m1"_s})
            any.append(SqlCondition::contains(engine, c, r.phrase));
        all.append(SqlCondition::anyOf(any));
        all.append(classes(permitted.codes));
    } else {
        const qint64 n = QueryBuilder::leadingNumber(r.classText);
        all.append(n != 0 ? classes({QString::number(n)}) : classes(permitted.codes));
        for (const QString &w : r.keywords.split(u'+'))
            all.append(SqlCondition::contains(engine, u"s6"_s, w));
    }
    all.append(SqlCondition::raw(u"n1 > 0"_s));
    const SqlCondition joined = SqlCondition::allOf(all);
    return {joined.sql, joined.values};
}

// The times of the landed search before the class filter and the planned routes (best of 3,
// 1M rows), printed beside each row.
struct Before
{
    double first;
    double whole;
};

struct Case
{
    const char *name;
    SearchRequest request;
    Before sqlite;
    Before postgres;
};

bool shortPhrase(const Case &c)
{
    return c.request.general && SearchIndex::fold(c.request.phrase).size() < 3;
}

bool oneYear(const Case &c)
{
    return c.request.from.daysTo(c.request.to) < 370;
}

QList<int> chosenCases()
{
    QList<int> out;
    for (const QString &n : qEnvironmentVariable("DOVRELLE_BENCH_CASES").split(u',', Qt::SkipEmptyParts))
        out.append(n.trimmed().toInt());
    return out;
}

// The archive of the run: made and filled, or the one a run with DOVRELLE_BENCH_REUSE left.
struct BenchArchive
{
    std::optional<QTemporaryDir> temporary;
    QString home;
    std::optional<Database> db;
};

qint64 rowCount(const Database &db)
{
    Result<QSqlDatabase> conn = db.connection(DbFile::Archive);
    if (!conn)
        return -1;
    QSqlQuery q(*conn);
    return q.exec(u"SELECT count(*) FROM \"FILESERVER\""_s) && q.next() ? q.value(0).toLongLong() : -1;
}

// freshDatabase empties the server's database before an archive is made in it again.
bool prepareArchive(BenchArchive &archive, Engine engine, const QString &serverUri, int rows,
                    const std::function<bool()> &freshDatabase)
{
    const char *engineName = engine == Engine::SQLite ? "SQLite" : "PostgreSQL";
    const QString reuse = qEnvironmentVariable("DOVRELLE_BENCH_REUSE");
    if (!reuse.isEmpty()) {
        archive.home = reuse + (engine == Engine::SQLite ? u"/sqlite"_s : u"/postgresql"_s);
        if (QFileInfo::exists(archive.home + u"/DataBase"_s)) {
            Result<Database> db = Database::open(archive.home + u"/DataBase"_s);
            if (db && rowCount(*db) == rows + 1) {
                // An archive left by an older build gets the schema's new steps, as the program does.
                QElapsedTimer clock;
                clock.start();
                if (Status s = Schema::upgrade(*db); !s) {
                    std::printf("%s: cannot bring the archive up to date: %s\n", engineName, qPrintable(s.error()));
                    return false;
                }
                if (clock.elapsed() > 100)
                    std::printf("%s: the archive brought up to date in %.1f s\n", engineName, double(clock.elapsed()) / 1000.0);
                archive.db = *db;
                std::printf("\n%s: the archive of %d rows in %s used again\n", engineName, rows,
                            qPrintable(archive.home));
                return true;
            }
            Database::closeThreadConnections();
        }
        QDir(archive.home).removeRecursively();
        QDir().mkpath(reuse);
        if (freshDatabase && !freshDatabase()) {
            std::printf("%s: cannot empty the database on the server\n", engineName);
            return false;
        }
    } else {
        archive.temporary.emplace(QDir::tempPath() + u"/dovrelle-bench-XXXXXX"_s);
        archive.home = archive.temporary->filePath(u"home"_s);
    }
    if (Status s = createArchive(archive.home, serverUri); !s) {
        std::printf("%s: cannot create the archive: %s\n", engineName, qPrintable(s.error()));
        return false;
    }
    Result<Database> db = Database::open(archive.home + u"/DataBase"_s);
    if (!db) {
        std::printf("%s: %s\n", engineName, qPrintable(db.error()));
        return false;
    }
    archive.db = *db;
    QElapsedTimer clock;
    clock.start();
    if (Status s = generate(*db, rows); !s) {
        std::printf("%s: generating failed: %s\n", engineName, qPrintable(s.error()));
        return false;
    }
    const double generateS = double(clock.elapsed()) / 1000.0;
    Result<QSqlDatabase> conn = db->connection(DbFile::Archive);
    // The statistics and the visibility map that a server's autovacuum makes soon after a load.
    QSqlQuery(*conn).exec(engine == Engine::PostgreSQL ? u"VACUUM ANALYZE"_s : u"ANALYZE"_s);
    std::printf("\n%s: %d rows generated in %.1f s (one transaction, index kept in step), then (VACUUM) ANALYZE\n",
                engineName, rows, generateS);
    return true;
}

QString goal(bool met)
{
    return met ? u"met"_s : u"MISSED"_s;
}

// What the plan of the first page must not do: read the whole table for a selective search,
// ask the trigram index about a phrase it cannot answer, or sort a common phrase's hits when
// the card index gives them in order.
QStringList planProblems(Engine engine, const Case &c, const SearchPlan &plan, const QStringList &lines,
                         bool selective)
{
    QStringList problems;
    const QString text = lines.join(u'\n');
    const bool pg = engine == Engine::PostgreSQL;
    if (shortPhrase(c) && text.contains(pg ? u"fileserver_folded_trgm"_s : u"fileserver_fts"_s))
        problems << u"the text index for a 2-letter phrase"_s;
    if (selective) {
        const bool fullScan = pg ? text.contains(u"Seq Scan"_s)
                                 : std::any_of(lines.begin(), lines.end(), [](const QString &l) {
                                       return l.contains(u"SCAN FILESERVER"_s) && !l.contains(u"USING"_s);
                                   });
        if (fullScan)
            problems << u"a sequential scan"_s;
        if (plan.route != SearchPlan::Route::ThroughIndex)
            problems << u"not through the index"_s;
    }
    if (!selective && plan.route == SearchPlan::Route::ReportOrder && pg
        && (text.contains(u"Seq Scan on \"FILESERVER\""_s) || text.contains(u"Seq Scan on FILESERVER"_s)))
        problems << u"a sequential scan in report order"_s;
    return problems;
}

void runEngine(Engine engine, const QString &serverUri, int rows, const std::function<bool()> &freshDatabase = {})
{
    const char *engineName = engine == Engine::SQLite ? "SQLite" : "PostgreSQL";
    // DOVRELLE_BENCH_KEEP=1 prints the planned statements, to study plans.
    const bool keep = qEnvironmentVariable("DOVRELLE_BENCH_KEEP") == u"1";
    BenchArchive archive;
    if (!prepareArchive(archive, engine, serverUri, rows, freshDatabase))
        return;
    const Database &db = *archive.db;

    QList<ClassRow> classRows;
    QString access;
    for (int code = 1; code <= kTopClasses; ++code) {
        ClassRow c;
        c.codeText = QString::number(code);
        c.name = u"تصنيف %1"_s.arg(code);
        classRows.append(c);
        access += u'@' + c.codeText + u'@';
    }
    const PermittedClasses permitted = PermittedClasses::of(classRows, access);

    SearchRequest base;
    base.from = QDate(2006, 1, 1);
    base.to = QDate(2026, 12, 31);
    QList<Case> cases;
    {
        SearchRequest r = base;
        r.phrase = kRarePhrase;
        cases.append({"general, selective phrase (1 row in 1000)", r, {9.2, 35.5}, {21.6, 39.0}});
        r.phrase = u"ايجار"_s;
        cases.append({"general, common phrase", r, {11.4, 10500}, {94.9, 5800}});
        r.phrase = u"عق"_s;
        cases.append({"general, 2-letter phrase (no index)", r, {6.6, 11400}, {5.5, 4600}});
        r.phrase = kRarePhrase;
        r.from = QDate(2016, 1, 1);
        r.to = QDate(2016, 12, 31);
        cases.append({"general, selective phrase, one year", r, {7.0, 7.4}, {13.9, 19.1}});
        SearchRequest k = base;
        k.general = false;
        k.classText = QueryBuilder::allClassesText();
        k.keywords = kRareKeyword;
        cases.append({"keywords, selective word, all classes", k, {11.8, 31.5}, {15.8, 22.3}});
        k.keywords = u"عقد+ايجار"_s;
        k.classText = u"7"_s;
        cases.append({"keywords, two common words, class 7", k, {82.7, 86.8}, {1094, 1117}});
    }
    const QList<int> chosen = chosenCases();

    const CDFSet table(db);
    std::printf("  %-42s %7s %9s %9s %7s | %9s %9s %7s | before: first / whole\n", "search", "hits", "whole ms",
                "scan ms", "ratio", "first100", "scan 100", "ratio");
    if (engine == Engine::PostgreSQL) {
        Result<QSqlDatabase> conn = db.connection(DbFile::Archive);
        QSqlQuery q(*conn);
        g_backendPid = q.exec(u"SELECT pg_backend_pid()"_s) && q.next() ? q.value(0).toLongLong() : 0;
    } else {
        g_backendPid = 0;
    }
    int missed = 0;
    for (qsizetype n = 0; n < cases.size(); ++n) {
        const Case &c = cases[n];
        if (!chosen.isEmpty() && !chosen.contains(int(n + 1)))
            continue;
        const Result<BuiltQuery> built = QueryBuilder::build(c.request, permitted, engine);
        if (!built) {
            std::printf("  %s: %s\n", c.name, qPrintable(built.error()));
            continue;
        }
        const SqlCondition scan = plainScan(c.request, permitted, engine);
        if (const int profile = qEnvironmentVariableIntValue("DOVRELLE_BENCH_PROFILE"); profile > 0) {
            // Only the report's first page and the whole search, that many times: something for
            // perf to watch.
            for (int i = 0; i < profile; ++i) {
                const Result<SearchPlan> planned = table.planSearch(built->where, -1, kFirstHits);
                table.searchPage(*planned, std::nullopt, kFirstHits);
                table.search(built->where);
                fprintf(stderr, "--\n");
            }
            continue;
        }
        QList<qint32> indexed, scanned, first, scannedFirst;
        const Timing whole = bestMs([&] { indexed = serials(table.search(built->where)); });
        const Timing scanWhole = bestMs([&] { scanned = serials(table.search(scan)); });
        const Timing firstPage = bestMs([&] {
            // What the report does before its first row: plan, then read the first page.
            const Result<SearchPlan> planned = table.planSearch(built->where, -1, kFirstHits);
            first = planned ? serials(table.searchPage(*planned, std::nullopt, kFirstHits)) : QList<qint32>();
        });
        const Timing scannedPage = bestMs([&] { scannedFirst = serials(table.search(scan, kFirstHits)); });
        const bool same = indexed == scanned && first == scannedFirst;
        const Before &before = engine == Engine::SQLite ? c.sqlite : c.postgres;
        // A search is selective when it finds at most one row in a thousand.
        const bool selective = indexed.size() <= rows / 1000;
        bool allMet = true;
        const auto report = [&](const char *clock, double wholeMs, double scanMs, double firstMs, double scanFirstMs) {
            std::printf("  %-4s %-37s %7lld %9.1f %9.1f %6.1fx | %9.1f %9.1f %6.1fx | %.1f / %.1f ms\n", clock, "",
                        qlonglong(indexed.size()), wholeMs, scanMs, scanMs / std::max(wholeMs, 0.001), firstMs,
                        scanFirstMs, scanFirstMs / std::max(firstMs, 0.001), before.first, before.whole);
            QStringList goals;
            bool met = firstMs < 20;
            goals << u"first 100 < 20 ms: "_s + goal(firstMs < 20);
            if (selective) {
                const double limit = oneYear(c) ? 10 : 20;
                const bool fast = wholeMs < limit && scanMs / std::max(wholeMs, 0.001) >= 50;
                goals << u"whole < %1 ms and >= 50x the scan: "_s.arg(limit) + goal(fast);
                met = met && fast;
            }
            // A few per cent is the noise of a run.
            const bool noSlower = wholeMs <= scanMs * 1.05 && firstMs <= scanFirstMs * 1.05;
            goals << u"no slower than the scan: "_s + goal(noSlower);
            std::printf("  %-42s goals (%s): %s\n", "", clock, qPrintable(goals.join(u"; "_s)));
            return met && noSlower;
        };
        std::printf("%d %-42s %s\n", int(n + 1), c.name, same ? "same rows" : "ROWS DIFFER");
        allMet = report("wall", whole.wall, scanWhole.wall, firstPage.wall, scannedPage.wall) && same;
        // The processor time decides where the machine is shared: the wall clock counts the waits.
        report("cpu", whole.cpu, scanWhole.cpu, firstPage.cpu, scannedPage.cpu);
        QStringList goals;

        const Result<SearchPlan> planned = table.planSearch(built->where, -1, kFirstHits);
        if (planned) {
            static const char *const kRoutes[] = {"as written", "through the index", "in report order"};
            const Result<QStringList> lines = table.explainSearch(*planned, kFirstHits);
            const QStringList problems =
                lines ? planProblems(engine, c, *planned, *lines, selective) : QStringList{lines.error()};
            goals << u"plan (%1): "_s.arg(QLatin1StringView(kRoutes[int(planned->route)]))
                         + (problems.isEmpty() ? u"met"_s : u"MISSED, "_s + problems.join(u", "_s));
            allMet = allMet && problems.isEmpty();
            if (keep || !problems.isEmpty()) {
                QStringList values;
                for (const QVariant &v : planned->where.values)
                    values << v.toString();
                std::printf("    %s\n    [%s]\n", qPrintable(planned->where.sql), qPrintable(values.join(u" | "_s)));
                if (lines) {
                    for (const QString &l : *lines)
                        std::printf("      %s\n", qPrintable(l));
                }
            }
        }
        missed += allMet ? 0 : 1;
        std::printf("  %-42s goals: %s\n", "", qPrintable(goals.join(u"; "_s)));
    }
    std::printf("%s: %s\n", engineName, missed == 0 ? "every goal met" : qPrintable(u"%1 searches missed a goal"_s.arg(missed)));
    Database::closeThreadConnections();
}
// Creates a database for the run on the server and returns its URI; drop() removes it again.
struct ServerDatabase
{
    QString admin;
    QString name;
    QString uri;
    QString problem;

    bool exec(const QString &sql)
    {
        const QString connection = u"bench-admin"_s;
        bool ok = false;
        {
            const Result<ServerConfig> config = ServerConfig::parse(admin);
            if (!config) {
                problem = config.error();
                return false;
            }
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, connection);
            db.setHostName(config->host);
            db.setPort(config->port);
            db.setUserName(config->user);
            db.setPassword(config->password);
            db.setDatabaseName(config->database);
            db.setConnectOptions(u"connect_timeout=5"_s);
            if (!db.open()) {
                problem = db.lastError().text();
            } else {
                QSqlQuery q(db);
                ok = q.exec(sql);
                if (!ok)
                    problem = q.lastError().text();
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(connection);
        return ok;
    }

    // A database of its own for the run; with DOVRELLE_BENCH_REUSE one of a fixed name, kept
    // for the next run.
    bool create()
    {
        const bool reuse = !qEnvironmentVariable("DOVRELLE_BENCH_REUSE").isEmpty();
        name = reuse ? u"dovrelle_bench_reuse"_s : u"dovrelle_bench_%1"_s.arg(QCoreApplication::applicationPid());
        if (!exec(u"CREATE DATABASE "_s + name) && !(reuse && problem.contains(u"already exists"_s)))
            return false;
        ServerConfig config = *ServerConfig::parse(admin);
        config.database = name;
        uri = config.uri();
        return true;
    }

    void drop() { exec(u"DROP DATABASE IF EXISTS "_s + name + u" WITH (FORCE)"_s); }
};

} // namespace

int main(int argc, char *argv[])
{
    readTimeZoneOnce();
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 1000000;
    std::printf("bench_search: %d generated rows, best of %d runs; index = the search as the report runs it, "
                "scan = the same query on the table's own columns\n",
                rows, kRepeats);
    const QString engines = qEnvironmentVariable("DOVRELLE_BENCH_ENGINES");
    if (engines != u"pg")
        runEngine(Engine::SQLite, {}, rows);
    if (engines == u"sqlite")
        return 0;

    ServerDatabase server;
    server.admin = qEnvironmentVariable("DOVRELLE_TEST_PG_URI");
    if (server.admin.isEmpty()) {
        std::printf("\nPostgreSQL: SKIPPED (DOVRELLE_TEST_PG_URI is not set; scripts/pg-test-server.sh start DIR)\n");
    } else if (!server.create()) {
        std::printf("\nPostgreSQL: SKIPPED (server not reachable: %s)\n", qPrintable(server.problem));
    } else {
        runEngine(Engine::PostgreSQL, server.uri, rows, [&] {
            server.drop();
            return server.create();
        });
        if (qEnvironmentVariable("DOVRELLE_BENCH_KEEP") == u"1" || !qEnvironmentVariable("DOVRELLE_BENCH_REUSE").isEmpty())
            std::printf("PostgreSQL: database %s kept\n", qPrintable(server.name));
        else
            server.drop();
    }
    return 0;
}
