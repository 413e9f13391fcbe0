#include "SearchIndex.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

// Phrases shorter than a trigram are not in the index; they are compared against the folded copy.
constexpr qsizetype kTrigram = 3;

bool isHaraka(char16_t c)
{
    return (c >= 0x064B && c <= 0x065F) || c == 0x0670 || c == 0x0640;
}

QString likePattern(const QString &text)
{
    QString escaped;
    for (QChar c : text) {
        if (c == u'\\' || c == u'%' || c == u'_')
            escaped += u'\\';
        escaped += c;
    }
    return u'%' + escaped + u'%';
}

Status run(QSqlQuery &q)
{
    if (!q.exec())
        return Status::failure(databaseError(q.lastError().text()));
    return {};
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
    if (engine == Engine::SQLite && folded.size() >= kTrigram) {
        QString quotedPhrase = folded;
        quotedPhrase.replace(u'"', u"\"\""_s);
        return {u"sn IN (SELECT rowid FROM fileserver_fts WHERE fileserver_fts MATCH ?)"_s,
                {u'{' + cols.join(u' ') + u"} : \""_s + quotedPhrase + u'"'}};
    }
    QStringList tests;
    QVariantList values;
    for (const QString &c : cols) {
        tests << quoted(c) + u" LIKE ? ESCAPE '\\'"_s;
        values << likePattern(folded);
    }
    return {u"sn IN (SELECT sn FROM fileserver_folded WHERE "_s + tests.join(u" OR "_s) + u')', values};
}

Status store(QSqlDatabase &conn, const DocumentRow &row)
{
    QSqlQuery del(conn);
    del.prepare(u"DELETE FROM fileserver_folded WHERE sn = ?"_s);
    del.addBindValue(row.sn);
    if (Status s = run(del); !s)
        return s;
    QSqlQuery ins(conn);
    ins.prepare(u"INSERT INTO fileserver_folded (sn, s1, s5, s6, m3, m1) VALUES (?, ?, ?, ?, ?, ?)"_s);
    ins.addBindValue(row.sn);
    for (const QString *text : {&row.s1, &row.s5, &row.s6, &row.m3, &row.m1})
        ins.addBindValue(fold(*text));
    return run(ins);
}

Status forget(QSqlDatabase &conn, const QString &where, const QVariantList &values)
{
    QSqlQuery q(conn);
    q.prepare(u"DELETE FROM fileserver_folded WHERE sn IN (SELECT sn FROM \"FILESERVER\" WHERE "_s + where + u')');
    for (const QVariant &v : values)
        q.addBindValue(v);
    return run(q);
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
    for (const QString &sql : statements) {
        QSqlQuery q(conn);
        if (!q.exec(sql))
            return Status::failure(databaseError(q.lastError().text() + u" ["_s + sql + u']'));
    }
    return {};
}

Status fill(QSqlDatabase &conn)
{
    QSqlQuery rows(conn);
    rows.setForwardOnly(true);
    if (!rows.exec(u"SELECT sn, s1, s5, s6, m3, m1 FROM \"FILESERVER\""_s))
        return Status::failure(databaseError(rows.lastError().text()));
    while (rows.next()) {
        DocumentRow row;
        row.sn = rows.value(0).toInt();
        row.s1 = rows.value(1).toString();
        row.s5 = rows.value(2).toString();
        row.s6 = rows.value(3).toString();
        row.m3 = rows.value(4).toString();
        row.m1 = rows.value(5).toString();
        if (Status s = store(conn, row); !s)
            return s;
    }
    return {};
}

} // namespace SearchIndex
