// Searches an archive of generated rows the way the search form does (QueryBuilder: date range,
// permitted classifications, phrase or keywords) and times each search through the text index
// against the plain scan of the same query in the same run: the whole result, and the first 100
// hits as the report shows them first. Checks that both give the same rows.
//   bench_search [ROWS]   (default 1000000)
// SQLite always; PostgreSQL when DOVRELLE_TEST_PG_URI names a reachable server.

#include "app/ArchiveSetup.h"
#include "db/CDFSet.h"
#include "db/ScopedTransaction.h"
#include "db/SearchIndex.h"
#include "search/QueryBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

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

double bestMs(const std::function<void()> &run)
{
    double best = 1e300;
    for (int i = 0; i < kRepeats; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        best = std::min(best, double(t.nsecsElapsed()) / 1e6);
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

struct Case
{
    const char *name;
    SearchRequest request;
    bool selective; // the goal of a selective phrase applies
    bool shortPhrase;
};

void runEngine(Engine engine, const QString &serverUri, int rows)
{
    const char *engineName = engine == Engine::SQLite ? "SQLite" : "PostgreSQL";
    QTemporaryDir work(QDir::tempPath() + u"/dovrelle-bench-XXXXXX"_s);
    // DOVRELLE_BENCH_KEEP=1 keeps the archive and prints the planned statements, to study plans.
    const bool keep = qEnvironmentVariable("DOVRELLE_BENCH_KEEP") == u"1";
    work.setAutoRemove(!keep);
    if (keep)
        std::printf("%s: archive kept in %s\n", engineName, qPrintable(work.path()));
    const QString home = work.filePath(u"home"_s);
    if (Status s = createArchive(home, serverUri); !s) {
        std::printf("%s: cannot create the archive: %s\n", engineName, qPrintable(s.error()));
        return;
    }
    Result<Database> db = Database::open(home + u"/DataBase"_s);
    if (!db) {
        std::printf("%s: %s\n", engineName, qPrintable(db.error()));
        return;
    }
    QElapsedTimer clock;
    clock.start();
    if (Status s = generate(*db, rows); !s) {
        std::printf("%s: generating failed: %s\n", engineName, qPrintable(s.error()));
        return;
    }
    const double generateS = double(clock.elapsed()) / 1000.0;
    if (engine == Engine::PostgreSQL) {
        Result<QSqlDatabase> conn = db->connection(DbFile::Archive);
        QSqlQuery(*conn).exec(u"ANALYZE"_s);
    }
    std::printf("\n%s: %d rows generated in %.1f s (one transaction, index kept in step)\n", engineName, rows,
                generateS);

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
        cases.append({"general, selective phrase (1 row in 1000)", r, true, false});
        r.phrase = u"ايجار"_s;
        cases.append({"general, common phrase", r, false, false});
        r.phrase = u"عق"_s;
        cases.append({"general, 2-letter phrase (no index)", r, false, true});
        r.phrase = kRarePhrase;
        r.from = QDate(2016, 1, 1);
        r.to = QDate(2016, 12, 31);
        cases.append({"general, selective phrase, one year", r, true, false});
        SearchRequest k = base;
        k.general = false;
        k.classText = QueryBuilder::allClassesText();
        k.keywords = kRareKeyword;
        cases.append({"keywords, selective word, all classes", k, true, false});
        k.keywords = u"عقد+ايجار"_s;
        k.classText = u"7"_s;
        cases.append({"keywords, two common words, class 7", k, false, false});
    }

    const CDFSet table(*db);
    std::printf("  %-42s %7s %9s %9s %7s | %9s %9s %7s\n", "search", "hits", "index ms", "scan ms", "ratio",
                "first100", "scan 100", "ratio");
    for (const Case &c : cases) {
        const Result<BuiltQuery> built = QueryBuilder::build(c.request, permitted, engine);
        if (!built) {
            std::printf("  %s: %s\n", c.name, qPrintable(built.error()));
            continue;
        }
        const SqlCondition scan = plainScan(c.request, permitted, engine);
        if (keep) {
            const Result<SearchPlan> planned = table.planSearch(built->where);
            if (planned) {
                QStringList values;
                for (const QVariant &v : planned->where.values)
                    values << v.toString();
                std::printf("  %s\n    %s\n    [%s]\n", c.name, qPrintable(planned->where.sql), qPrintable(values.join(u" | "_s)));
            }
        }
        QList<qint32> indexed, scanned, first, scannedFirst;
        const double wholeMs = bestMs([&] { indexed = serials(table.search(built->where)); });
        const double scanMs = bestMs([&] { scanned = serials(table.search(scan)); });
        const double firstMs = bestMs([&] {
            // What the report does before its first row: plan, then read the first page.
            const Result<SearchPlan> planned = table.planSearch(built->where);
            first = planned ? serials(table.searchPage(*planned, std::nullopt, kFirstHits)) : QList<qint32>();
        });
        const double scanFirstMs = bestMs([&] { scannedFirst = serials(table.search(scan, kFirstHits)); });
        const bool same = indexed == scanned && first == scannedFirst;
        std::printf("  %-42s %7lld %9.1f %9.1f %6.1fx | %9.1f %9.1f %6.1fx %s\n", c.name, qlonglong(indexed.size()),
                    wholeMs, scanMs, scanMs / std::max(wholeMs, 0.001), firstMs, scanFirstMs,
                    scanFirstMs / std::max(firstMs, 0.001), same ? "same rows" : "ROWS DIFFER");
        if (c.selective && indexed.size() <= 1000) {
            std::printf("  %-42s goal whole < 50 ms and >= 20x: %s\n", "",
                        wholeMs < 50 && scanMs / wholeMs >= 20 ? "met" : "MISSED");
        }
        if (c.shortPhrase) {
            std::printf("  %-42s goal no slower than the scan: %s\n", "", wholeMs <= scanMs * 1.05 ? "met" : "MISSED");
        }
        std::printf("  %-42s goal first 100 < 50 ms: %s\n", "", firstMs < 50 ? "met" : "MISSED");
    }
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

    bool create()
    {
        name = u"dovrelle_bench_%1"_s.arg(QCoreApplication::applicationPid());
        if (!exec(u"CREATE DATABASE "_s + name))
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
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 1000000;
    std::printf("bench_search: %d generated rows, best of %d runs; index = the search as the report runs it, "
                "scan = the same query on the table's own columns\n",
                rows, kRepeats);
    if (qEnvironmentVariable("DOVRELLE_BENCH_ENGINES") != u"pg")
        runEngine(Engine::SQLite, {}, rows);

    ServerDatabase server;
    server.admin = qEnvironmentVariable("DOVRELLE_TEST_PG_URI");
    if (server.admin.isEmpty()) {
        std::printf("\nPostgreSQL: SKIPPED (DOVRELLE_TEST_PG_URI is not set; scripts/pg-test-server.sh start DIR)\n");
    } else if (!server.create()) {
        std::printf("\nPostgreSQL: SKIPPED (server not reachable: %s)\n", qPrintable(server.problem));
    } else {
        runEngine(Engine::PostgreSQL, server.uri, rows);
        if (qEnvironmentVariable("DOVRELLE_BENCH_KEEP") == u"1")
            std::printf("PostgreSQL: database %s kept\n", qPrintable(server.name));
        else
            server.drop();
    }
    return 0;
}
