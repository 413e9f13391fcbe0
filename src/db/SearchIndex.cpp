#include "SearchIndex.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <functional>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

// Phrases shorter than a trigram are not in the index; they are compared against the folded copy.
constexpr qsizetype kTrigram = 3;
// A phrase matched through the index costs the product of its trigrams and their places in the
// rows (20,000 pasted letters took a minute on a dozen rows); past this length the folded copy
// is compared instead, which costs one pass over the rows.
constexpr qsizetype kLongestIndexedPhrase = 200;

bool isHaraka(char16_t c)
{
    return (c >= 0x064B && c <= 0x065F) || c == 0x0670 || c == 0x0640;
}

const QString kKeywordTable = QStringLiteral("fileserver_keywords");

QString quotedForMatch(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'"', u"\"\""_s);
    return u'"' + quoted + u'"';
}

// Trigrams of the phrase that together hold each of its letters: every third one and the last.
// A phrase with a character outside the basic plane (two UTF-16 units) is its own cover: its
// trigrams are counted in characters.
QStringList trigramCover(const QString &phrase)
{
    if (std::any_of(phrase.begin(), phrase.end(), [](QChar c) { return c.isSurrogate(); }))
        return {quotedForMatch(phrase)};
    QStringList out;
    for (qsizetype at = 0; at + kTrigram <= phrase.size(); at += kTrigram)
        out << quotedForMatch(phrase.mid(at, kTrigram));
    if (phrase.size() % kTrigram != 0)
        out << quotedForMatch(phrase.right(kTrigram));
    return out;
}

Status run(QSqlQuery &q)
{
    if (!q.exec())
        return Status::failure(databaseError(q.lastError().text()));
    return {};
}

Status storeClasses(QSqlQuery &ins, qint32 sn, const QString &path)
{
    for (int code : SearchIndex::classCodes(path)) {
        ins.bindValue(0, code);
        ins.bindValue(1, sn);
        if (Status s = run(ins); !s)
            return s;
    }
    return {};
}

const QString kInsertClass = QStringLiteral("INSERT INTO fileserver_class (code, sn) VALUES (?, ?)");

constexpr int kFillBatch = 5000;

// Hands every row of FILESERVER to `work`, a batch at a time in serial order. Each batch is read
// whole before the work writes: PostgreSQL's driver drops the rest of a result that is still
// being read when the same connection runs another statement.
Status eachRowBatch(QSqlDatabase &conn, const QString &columns,
                    const std::function<DocumentRow(const QSqlQuery &)> &read,
                    const std::function<Status(const QList<DocumentRow> &)> &work)
{
    qint32 after = std::numeric_limits<qint32>::min();
    for (;;) {
        QList<DocumentRow> batch;
        {
            QSqlQuery rows(conn);
            rows.setForwardOnly(true);
            rows.prepare(u"SELECT "_s + columns + u" FROM \"FILESERVER\" WHERE sn > ? ORDER BY sn LIMIT "_s
                         + QString::number(kFillBatch));
            rows.addBindValue(after);
            if (!rows.exec())
                return Status::failure(databaseError(rows.lastError().text()));
            while (rows.next())
                batch.append(read(rows));
        }
        if (batch.isEmpty())
            return {};
        if (Status s = work(batch); !s)
            return s;
        after = batch.back().serial;
    }
}

} // namespace

namespace SearchIndex {

QString fold(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar ch : text.toLower()) {
        const char16_t c = ch.unicode();
        if (isHaraka(c))
            continue;
        switch (c) {
        case 0x0623: case 0x0625: case 0x0622: case 0x0671: out += QChar(0x0627); break;
        case 0x0649: out += QChar(0x064A); break;
        default: out += ch;
        }
    }
    return out;
}

SqlCondition containsAny(Engine engine, const QStringList &cols, const QString &phrase)
{
    const QString folded = fold(phrase);
    const bool indexed = folded.size() >= kTrigram && folded.size() <= kLongestIndexedPhrase;
    QStringList tests, rowTests;
    QVariantList values;
    // A phrase shorter than a trigram makes pg_trgm read its whole index for nothing: the
    // column written as an expression keeps it away from the index, the rows are read instead.
    const bool keepOffIndex = engine == Engine::PostgreSQL && !indexed;
    for (const QString &c : cols) {
        const QString column = keepOffIndex ? u'(' + quoted(c) + u" || '')"_s : quoted(c);
        const QString rowColumn = keepOffIndex ? u"(f."_s + quoted(c) + u" || '')"_s : u"f."_s + quoted(c);
        tests << column + u" LIKE ? ESCAPE '\\'"_s;
        rowTests << rowColumn + u" LIKE ? ESCAPE '\\'"_s;
        values << likePattern(folded);
    }
    auto part = std::make_shared<SqlCondition::Part>();
    part->kind = SqlCondition::Part::Kind::Text;
    if (engine == Engine::SQLite && indexed) {
        // The keywords alone have an index of their own: a keyword search looks at nothing else,
        // and in the index of all the texts a common word's hits in the other texts are read too.
        const bool keywordsOnly = cols == QStringList{u"s6"_s};
        const QString table = keywordsOnly ? kKeywordTable : u"fileserver_fts"_s;
        const QString columnFilter = u'{' + cols.join(u' ') + u"} : "_s;
        const QString match = columnFilter + quotedForMatch(folded);
        const QString select = u"SELECT rowid FROM "_s + table + u" WHERE "_s + table + u" MATCH ?"_s;
        part->rows = {select, {match}};
        part->forms.append({u"sn IN ("_s + select + u')', {match}});
        part->indexTest = {u"?"_s, {match}};
        part->indexTable = table;
        part->indexCover = columnFilter + u'(' + trigramCover(folded).join(u" AND "_s) + u')';
        part->probe = {u"SELECT count(*) FROM ("_s + select + u" LIMIT ?)"_s, {match}};
    } else {
        part->rows = {u"SELECT sn FROM fileserver_folded WHERE "_s + tests.join(u" OR "_s), values};
        part->forms.append({u"sn IN ("_s + part->rows.sql + u')', values});
        // pg_trgm makes its trigrams of the letters and digits alone: a phrase with other
        // characters ("@12@") tells the index little and is not worth counting.
        const bool wordsOnly = std::all_of(folded.begin(), folded.end(),
                                           [](QChar c) { return c.isLetterOrNumber() || c == u' '; });
        if (indexed && wordsOnly) {
            part->indexTest = {tests.join(u" OR "_s), values};
            part->probe = {u"SELECT count(*) FROM (SELECT 1 FROM fileserver_folded WHERE "_s + tests.join(u" OR "_s)
                               + u" LIMIT ?) AS probe"_s,
                           values};
        }
    }
    // The same test on the row in hand, for a search that walks the rows in report order and
    // finds its first hits long before the index could list all of a common phrase.
    part->rowTest = {rowTests.join(u" OR "_s), values};
    part->forms.append(SqlCondition::rowTestForm(part->rowTest));
    if (engine == Engine::SQLite && !indexed) {
        // The serials of the rows that hold it, listed once, as a test of the row in hand: the
        // "+" keeps SQLite from reading the rows in the list's order instead of walking them.
        part->forms.append({u"+sn IN ("_s + part->rows.sql + u')', values});
    }
    return SqlCondition::ofTree(std::move(part));
}

// The folded copy alone: the step of the schema that made the index came before the filter.
Status storeFolded(QSqlDatabase &conn, const DocumentRow &row)
{
    QSqlQuery del(conn);
    del.prepare(u"DELETE FROM fileserver_folded WHERE sn = ?"_s);
    del.addBindValue(row.serial);
    if (Status s = run(del); !s)
        return s;
    QSqlQuery ins(conn);
    ins.prepare(u"INSERT INTO fileserver_folded (sn, s1, s5, s6, m3, m1) VALUES (?, ?, ?, ?, ?, ?)"_s);
    ins.addBindValue(row.serial);
    for (const QString *text : {&row.classPath, &row.fileName, &row.keywords, &row.description, &row.text})
        ins.addBindValue(fold(*text));
    return run(ins);
}

Status store(QSqlDatabase &conn, const DocumentRow &row)
{
    if (Status s = storeFolded(conn, row); !s)
        return s;
    QSqlQuery delClasses(conn);
    delClasses.prepare(u"DELETE FROM fileserver_class WHERE sn = ?"_s);
    delClasses.addBindValue(row.serial);
    if (Status s = run(delClasses); !s)
        return s;
    QSqlQuery insClass(conn);
    if (!insClass.prepare(kInsertClass))
        return Status::failure(databaseError(insClass.lastError().text()));
    return storeClasses(insClass, row.serial, row.classPath);
}

Status storeNew(QSqlDatabase &conn, const QList<DocumentRow> &rows)
{
    QSqlQuery ins(conn);
    if (!ins.prepare(u"INSERT INTO fileserver_folded (sn, s1, s5, s6, m3, m1) VALUES (?, ?, ?, ?, ?, ?)"_s))
        return Status::failure(databaseError(ins.lastError().text()));
    QSqlQuery insClass(conn);
    if (!insClass.prepare(kInsertClass))
        return Status::failure(databaseError(insClass.lastError().text()));
    for (const DocumentRow &row : rows) {
        ins.bindValue(0, row.serial);
        int i = 1;
        for (const QString *text : {&row.classPath, &row.fileName, &row.keywords, &row.description, &row.text})
            ins.bindValue(i++, fold(*text));
        if (Status s = run(ins); !s)
            return s;
        if (Status s = storeClasses(insClass, row.serial, row.classPath); !s)
            return s;
    }
    return {};
}

Status forget(QSqlDatabase &conn, const QString &where, const QVariantList &values)
{
    for (const QString &table : {u"fileserver_folded"_s, u"fileserver_class"_s}) {
        QSqlQuery q(conn);
        q.prepare(u"DELETE FROM "_s + table + u" WHERE sn IN (SELECT sn FROM \"FILESERVER\" WHERE "_s + where + u')');
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (Status s = run(q); !s)
            return s;
    }
    return {};
}

Status create(QSqlDatabase &conn, Engine engine)
{
    QStringList statements{
        u"CREATE TABLE fileserver_folded (sn INTEGER PRIMARY KEY, s1 TEXT, s5 TEXT, s6 TEXT, m3 TEXT, m1 TEXT)"_s};
    if (engine == Engine::SQLite) {
        statements << u"CREATE VIRTUAL TABLE fileserver_fts USING fts5(s1, s5, s6, m3, m1, content='fileserver_folded', "
                      u"content_rowid='sn', tokenize='trigram case_sensitive 0')"_s
                   << u"CREATE TRIGGER fileserver_folded_ai AFTER INSERT ON fileserver_folded BEGIN INSERT INTO "
                      u"fileserver_fts(rowid, s1, s5, s6, m3, m1) VALUES (new.sn, new.s1, new.s5, new.s6, new.m3, "
                      u"new.m1); END"_s
                   << u"CREATE TRIGGER fileserver_folded_ad AFTER DELETE ON fileserver_folded BEGIN INSERT INTO "
                      u"fileserver_fts(fileserver_fts, rowid, s1, s5, s6, m3, m1) VALUES ('delete', old.sn, old.s1, "
                      u"old.s5, old.s6, old.m3, old.m1); END"_s;
    } else {
        statements << u"CREATE EXTENSION IF NOT EXISTS pg_trgm"_s
                   << u"CREATE INDEX fileserver_folded_trgm ON fileserver_folded USING gin (s1 gin_trgm_ops, s5 "
                      u"gin_trgm_ops, s6 gin_trgm_ops, m3 gin_trgm_ops, m1 gin_trgm_ops)"_s;
    }
    return execAll(conn, statements);
}

Status createKeywordIndex(QSqlDatabase &conn, Engine engine)
{
    // PostgreSQL's trigram index keeps the keys of each column apart already.
    if (engine != Engine::SQLite)
        return {};
    const QStringList statements{
        u"CREATE VIRTUAL TABLE fileserver_keywords USING fts5(s6, s1, content='fileserver_folded', content_rowid='sn', "
        u"tokenize='trigram case_sensitive 0')"_s,
        u"CREATE TRIGGER fileserver_keywords_ai AFTER INSERT ON fileserver_folded BEGIN INSERT INTO "
        u"fileserver_keywords(rowid, s6, s1) VALUES (new.sn, new.s6, new.s1); END"_s,
        u"CREATE TRIGGER fileserver_keywords_ad AFTER DELETE ON fileserver_folded BEGIN INSERT INTO "
        u"fileserver_keywords(fileserver_keywords, rowid, s6, s1) VALUES ('delete', old.sn, old.s6, old.s1); END"_s,
        // The folded keywords and paths of the rows already there, in one segment of the index.
        u"INSERT INTO fileserver_keywords(fileserver_keywords) VALUES ('rebuild')"_s,
        u"INSERT INTO fileserver_keywords(fileserver_keywords) VALUES ('optimize')"_s,
    };
    return execAll(conn, statements);
}

Status remakeKeywordIndex(QSqlDatabase &conn, Engine engine)
{
    if (engine != Engine::SQLite)
        return {};
    if (Status s = execAll(conn, {u"DROP TRIGGER IF EXISTS fileserver_keywords_ai"_s,
                                  u"DROP TRIGGER IF EXISTS fileserver_keywords_ad"_s,
                                  u"DROP TABLE IF EXISTS fileserver_keywords"_s});
        !s)
        return s;
    return createKeywordIndex(conn, engine);
}

QString keywordIndexTable()
{
    return kKeywordTable;
}

QString filedUnderInKeywordIndex(int code)
{
    // The path is digits and "@" alone: folding leaves it as it is, and as a phrase of trigrams
    // "@12@" is found only where those four characters stand together, so "@012@" and "@112@"
    // are not.
    return u"{s1} : "_s + quotedForMatch(u'@' + QString::number(code) + u'@');
}

Status fill(QSqlDatabase &conn)
{
    return eachRowBatch(conn, u"sn, s1, s5, s6, m3, m1"_s, [&](const QSqlQuery &rows) {
        DocumentRow row;
        row.serial = rows.value(0).toInt();
        row.classPath = rows.value(1).toString();
        row.fileName = rows.value(2).toString();
        row.keywords = rows.value(3).toString();
        row.description = rows.value(4).toString();
        row.text = rows.value(5).toString();
        return row;
    }, [&](const QList<DocumentRow> &batch) -> Status {
        for (const DocumentRow &row : batch) {
            if (Status s = storeFolded(conn, row); !s)
                return s;
        }
        return {};
    });
}

QList<int> classCodes(const QString &path)
{
    // Only the pieces with "@" on both sides, and only as a number is written (no sign but "-",
    // no leading zero): "@012@" holds no code 12, exactly as the text "@12@" does not occur in it.
    QList<int> codes;
    const QStringList pieces = path.split(u'@');
    for (qsizetype i = 1; i + 1 < pieces.size(); ++i) {
        bool ok = false;
        const int code = pieces[i].toInt(&ok);
        if (ok && QString::number(code) == pieces[i] && !codes.contains(code))
            codes.append(code);
    }
    return codes;
}

Status createClassTable(QSqlDatabase &conn, Engine engine)
{
    const QString suffix = engine == Engine::SQLite ? u" WITHOUT ROWID"_s : QString();
    return execAll(conn, {u"CREATE TABLE fileserver_class (code INTEGER NOT NULL, sn INTEGER NOT NULL, "
                          u"PRIMARY KEY (code, sn))"_s + suffix,
                          u"CREATE INDEX fileserver_class_sn ON fileserver_class (sn)"_s});
}

Status fillClassTable(QSqlDatabase &conn)
{
    QSqlQuery ins(conn);
    if (!ins.prepare(kInsertClass))
        return Status::failure(databaseError(ins.lastError().text()));
    return eachRowBatch(conn, u"sn, s1"_s, [](const QSqlQuery &rows) {
        DocumentRow row;
        row.serial = rows.value(0).toInt();
        row.classPath = rows.value(1).toString();
        return row;
    }, [&](const QList<DocumentRow> &batch) -> Status {
        for (const DocumentRow &row : batch) {
            if (Status s = storeClasses(ins, row.serial, row.classPath); !s)
                return s;
        }
        return {};
    });
}

} // namespace SearchIndex
