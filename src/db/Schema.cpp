#include "Schema.h"

#include "ClassRow.h"
#include "DocumentRow.h"
#include "OutboxRow.h"
#include "ScopedTransaction.h"
#include "SearchIndex.h"
#include "UserRow.h"
#include "WorkflowJob.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

#include <functional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

struct SchemaTr
{
    Q_DECLARE_TR_FUNCTIONS(Schema)
};

using Step = std::function<Status(QSqlDatabase &, Engine)>;

struct Component
{
    DbFile file;
    QString name;
    std::vector<Step> steps; // step i brings the part from version i to i + 1
};

// The first row a table gets must be its settings or counter row with serial 1.
Status insertFirstRow(QSqlDatabase &conn, const QString &table, const QString &columns, const QString &values)
{
    QSqlQuery q(conn);
    const QString sql = u"INSERT INTO "_s + quoted(table) + u" ("_s + columns + u") VALUES ("_s + values
                        + u") RETURNING sn"_s;
    if (!q.exec(sql) || !q.next())
        return Status::failure(databaseError(q.lastError().text()));
    if (q.value(0).toInt() != 1)
        return Status::failure(databaseError(u"%1: first row is not serial 1"_s.arg(table)));
    return {};
}

const std::vector<Component> &components()
{
    static const std::vector<Component> all{
        {DbFile::Archive,
         u"archive"_s,
         {[](QSqlDatabase &c, Engine e) -> Status {
             Status s = execAll(c, {
                 RowTable<DocumentRow>::createTableSql(e),
                 u"CREATE INDEX fileserver_card ON \"FILESERVER\" (n1, n2)"_s,
                 u"CREATE INDEX fileserver_kind ON \"FILESERVER\" (n3)"_s,
                 u"CREATE INDEX fileserver_reminder ON \"FILESERVER\" (s10, b1)"_s,
                 u"CREATE INDEX fileserver_date ON \"FILESERVER\" (d1)"_s,
                 RowTable<WorkflowJob>::createTableSql(e),
                 u"CREATE INDEX flow_number ON \"FLOW\" (n2)"_s,
             });
             if (s)
                 s = insertFirstRow(c, u"FILESERVER"_s, u"n1, n9"_s, u"0, 0"_s);
             if (s)
                 s = insertFirstRow(c, u"FLOW"_s, u"n9"_s, u"0"_s);
             return s;
         },
         // The search index over the texts of the rows, and the series the items go to.
         [](QSqlDatabase &c, Engine e) -> Status {
             Status s = execAll(c, {u"CREATE INDEX fileserver_series ON \"FILESERVER\" (s7)"_s});
             if (s)
                 s = SearchIndex::create(c, e);
             if (s)
                 s = SearchIndex::fill(c);
             return s;
         },
         // The classification filter, filled from the paths of the rows already there.
         [](QSqlDatabase &c, Engine e) -> Status {
             Status s = SearchIndex::createClassTable(c, e);
             if (s)
                 s = SearchIndex::fillClassTable(c);
             return s;
         },
         // Sizes of files over 2 GiB: SQLite's INTEGER already holds 64 bits.
         [](QSqlDatabase &c, Engine e) -> Status {
             if (e == Engine::SQLite)
                 return {};
             return execAll(c, {u"ALTER TABLE \"FILESERVER\" ALTER COLUMN n6 TYPE bigint"_s});
         },
         // The copy orders of a card, kept with its rows until its workstation hands them over.
         [](QSqlDatabase &c, Engine e) -> Status {
             return execAll(c, {
                 RowTable<OutboxRow>::createTableSql(e),
                 u"CREATE INDEX copyout_station ON \"COPYOUT\" (station, id)"_s,
             });
         },
         // The index of the keywords alone.
         [](QSqlDatabase &c, Engine e) -> Status { return SearchIndex::createKeywordIndex(c, e); },
         // The keyword index holds the paths as well, for a classification looked up with the words.
         [](QSqlDatabase &c, Engine e) -> Status { return SearchIndex::remakeKeywordIndex(c, e); }}},
        {DbFile::Classes,
         u"classes"_s,
         {[](QSqlDatabase &c, Engine e) -> Status {
             // The code is unique as typed and as a number, so that a path "@12@" names one
             // classification; codes whose number is 0 can never stand on a card and may repeat.
             return execAll(c, {
                 RowTable<ClassRow>::createTableSql(e),
                 u"CREATE UNIQUE INDEX class_code ON \"Class\" (s1)"_s,
                 u"CREATE UNIQUE INDEX class_code_number ON \"Class\" (n5) WHERE n5 <> 0"_s,
                 u"CREATE INDEX class_parent ON \"Class\" (n14)"_s,
             });
         }}},
        {DbFile::Users,
         u"users"_s,
         {[](QSqlDatabase &c, Engine e) -> Status {
             // Names are looked up without regard to letter case, so they must be unique that way.
             return execAll(c, {
                 RowTable<UserRow>::createTableSql(e),
                 u"CREATE UNIQUE INDEX users_name ON \"USERS\" (lower(\"user\"))"_s,
             });
         }}},
    };
    return all;
}

Result<int> readVersion(QSqlDatabase &conn, const QString &component)
{
    QSqlQuery q(conn);
    if (!q.prepare(u"SELECT version FROM dovrelle_schema WHERE component = ?"_s))
        return Result<int>::failure(databaseError(q.lastError().text()));
    q.addBindValue(component);
    if (!q.exec())
        return Result<int>::failure(databaseError(q.lastError().text()));
    return q.next() ? q.value(0).toInt() : 0;
}

const Component *componentOf(DbFile file)
{
    for (const Component &c : components()) {
        if (c.file == file)
            return &c;
    }
    return nullptr;
}

} // namespace

namespace Schema {

Result<int> version(const Database &db, DbFile file)
{
    Result<QSqlDatabase> conn = db.connection(file);
    if (!conn)
        return Result<int>::failure(conn.error());
    if (!conn->tables().contains(u"dovrelle_schema"_s))
        return 0;
    return readVersion(*conn, componentOf(file)->name);
}

Status upgrade(const Database &db)
{
    for (const Component &component : components()) {
        Result<QSqlDatabase> conn = db.connection(component.file);
        if (!conn)
            return Status::failure(conn.error());
        if (!conn->tables().contains(u"dovrelle_schema"_s)) {
            const Status made = execAll(*conn, {u"CREATE TABLE IF NOT EXISTS dovrelle_schema (component TEXT PRIMARY KEY, "
                                                u"version INTEGER NOT NULL)"_s});
            if (!made)
                return made;
        }

        ScopedTransaction tx(*conn, db.engine());
        if (!tx.begun())
            return tx.begun();
        Result<int> current = readVersion(*conn, component.name);
        if (!current)
            return Status::failure(current.error());
        const int target = int(component.steps.size());
        if (*current > target) {
            return Status::failure(
                SchemaTr::tr("قاعدة البيانات كتبها اصدار أحدث من البرنامج؛ حدّث البرنامج أولا"));
        }
        for (int v = *current; v < target; ++v) {
            if (Status s = component.steps[v](*conn, db.engine()); !s)
                return s;
        }
        if (*current < target) {
            QSqlQuery q(*conn);
            q.prepare(*current == 0 ? u"INSERT INTO dovrelle_schema (version, component) VALUES (?, ?)"_s
                                    : u"UPDATE dovrelle_schema SET version = ? WHERE component = ?"_s);
            q.addBindValue(target);
            q.addBindValue(component.name);
            if (!q.exec())
                return Status::failure(databaseError(q.lastError().text()));
        }
        if (Status s = tx.commit(); !s)
            return s;
    }
    return {};
}

} // namespace Schema
