#pragma once

#include "Database.h"
#include "SqlCondition.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <variant>
#include <vector>

enum class ColumnType { Key, Int32, Int64, Text, Double, DateTime, Bool, Currency, Bytes };

// One column of a table and the member of the row struct that holds it.
template <typename Row>
struct Column
{
    QString name;
    ColumnType type;
    std::variant<qint32 Row::*, qint64 Row::*, QString Row::*, double Row::*, QDateTime Row::*, bool Row::*,
                 QByteArray Row::*>
        member;
};

template <typename Row>
struct TableInfo
{
    QString name;
    DbFile file;
    std::vector<Column<Row>> columns; // the first one is the key the engine assigns
};

// Reads and writes rows of one table through its column list. Every statement is prepared and its
// values bound; each call finishes its query before returning.
template <typename Row>
class RowTable
{
public:
    static const TableInfo<Row> &info() { return Row::table(); }

    static QString selectList()
    {
        QStringList names;
        for (const Column<Row> &c : info().columns)
            names << quoted(c.name);
        return names.join(u", ");
    }

    static QString keyColumn() { return info().columns.front().name; }

    static Result<QList<Row>> select(const Database &db, const SqlCondition &where, const QString &orderBy,
                                     int limit = -1)
    {
        Result<QSqlDatabase> conn = db.connection(info().file);
        if (!conn)
            return Result<QList<Row>>::failure(conn.error());
        QString sql = QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM ") + quoted(info().name);
        if (!where.isEmpty())
            sql += QStringLiteral(" WHERE ") + where.sql;
        if (!orderBy.isEmpty())
            sql += QStringLiteral(" ORDER BY ") + orderBy;
        if (limit >= 0)
            sql += QStringLiteral(" LIMIT ") + QString::number(limit);
        QSqlQuery q(*conn);
        q.setForwardOnly(true);
        if (!q.prepare(sql))
            return Result<QList<Row>>::failure(databaseError(q.lastError().text()));
        for (const QVariant &v : where.values)
            q.addBindValue(v);
        if (!q.exec())
            return Result<QList<Row>>::failure(databaseError(q.lastError().text()));
        QList<Row> rows;
        while (q.next())
            rows.append(read(q));
        return rows;
    }

    static Result<std::optional<Row>> first(const Database &db, const SqlCondition &where, const QString &orderBy)
    {
        Result<QList<Row>> rows = select(db, where, orderBy, 1);
        if (!rows)
            return Result<std::optional<Row>>::failure(rows.error());
        if (rows->isEmpty())
            return std::optional<Row>();
        return std::optional<Row>(rows->front());
    }

    // Inserts every column but the key and returns the key the engine gave the row.
    static Result<qint32> insert(const Database &db, const Row &row)
    {
        Result<QSqlDatabase> conn = db.connection(info().file);
        if (!conn)
            return Result<qint32>::failure(conn.error());
        QStringList names, marks;
        for (const Column<Row> &c : info().columns) {
            if (c.type == ColumnType::Key)
                continue;
            names << quoted(c.name);
            marks << QStringLiteral("?");
        }
        const QString sql = QStringLiteral("INSERT INTO ") + quoted(info().name) + QStringLiteral(" (")
                            + names.join(u", ") + QStringLiteral(") VALUES (") + marks.join(u", ")
                            + QStringLiteral(") RETURNING ") + quoted(keyColumn());
        QSqlQuery q(*conn);
        if (!q.prepare(sql))
            return Result<qint32>::failure(databaseError(q.lastError().text()));
        for (const Column<Row> &c : info().columns) {
            if (c.type != ColumnType::Key)
                q.addBindValue(boundValue(db.engine(), c, row));
        }
        if (!q.exec() || !q.next())
            return Result<qint32>::failure(databaseError(q.lastError().text()));
        const qint32 key = q.value(0).toInt();
        q.finish(); // the connection is free for the caller's next statement
        return key;
    }

    // Rewrites every column of the row whose key the row holds.
    static Status update(const Database &db, const Row &row)
    {
        Result<QSqlDatabase> conn = db.connection(info().file);
        if (!conn)
            return Status::failure(conn.error());
        QStringList sets;
        for (const Column<Row> &c : info().columns) {
            if (c.type != ColumnType::Key)
                sets << quoted(c.name) + QStringLiteral(" = ?");
        }
        const QString sql = QStringLiteral("UPDATE ") + quoted(info().name) + QStringLiteral(" SET ")
                            + sets.join(u", ") + QStringLiteral(" WHERE ") + quoted(keyColumn())
                            + QStringLiteral(" = ?");
        QSqlQuery q(*conn);
        if (!q.prepare(sql))
            return Status::failure(databaseError(q.lastError().text()));
        for (const Column<Row> &c : info().columns) {
            if (c.type != ColumnType::Key)
                q.addBindValue(boundValue(db.engine(), c, row));
        }
        q.addBindValue(boundValue(db.engine(), info().columns.front(), row));
        if (!q.exec())
            return Status::failure(databaseError(q.lastError().text()));
        return {};
    }

    static Result<int> remove(const Database &db, const SqlCondition &where)
    {
        Result<QSqlDatabase> conn = db.connection(info().file);
        if (!conn)
            return Result<int>::failure(conn.error());
        QSqlQuery q(*conn);
        if (!q.prepare(QStringLiteral("DELETE FROM ") + quoted(info().name) + QStringLiteral(" WHERE ") + where.sql))
            return Result<int>::failure(databaseError(q.lastError().text()));
        for (const QVariant &v : where.values)
            q.addBindValue(v);
        if (!q.exec())
            return Result<int>::failure(databaseError(q.lastError().text()));
        return q.numRowsAffected();
    }

    static Result<bool> exists(const Database &db, const SqlCondition &where)
    {
        Result<QSqlDatabase> conn = db.connection(info().file);
        if (!conn)
            return Result<bool>::failure(conn.error());
        QSqlQuery q(*conn);
        q.setForwardOnly(true);
        if (!q.prepare(QStringLiteral("SELECT 1 FROM ") + quoted(info().name) + QStringLiteral(" WHERE ")
                       + where.sql + QStringLiteral(" LIMIT 1")))
            return Result<bool>::failure(databaseError(q.lastError().text()));
        for (const QVariant &v : where.values)
            q.addBindValue(v);
        if (!q.exec())
            return Result<bool>::failure(databaseError(q.lastError().text()));
        return q.next();
    }

    static Row read(const QSqlQuery &q)
    {
        Row row;
        int i = 0;
        for (const Column<Row> &c : info().columns) {
            const QVariant v = q.value(i++);
            std::visit(
                [&](auto member) {
                    using T = std::remove_reference_t<decltype(row.*member)>;
                    if constexpr (std::is_same_v<T, qint32>)
                        row.*member = v.toInt();
                    else if constexpr (std::is_same_v<T, qint64>)
                        row.*member = v.toLongLong();
                    else if constexpr (std::is_same_v<T, QByteArray>)
                        row.*member = v.toByteArray();
                    else if constexpr (std::is_same_v<T, QString>)
                        row.*member = v.toString();
                    else if constexpr (std::is_same_v<T, double>)
                        row.*member = v.toDouble();
                    else if constexpr (std::is_same_v<T, QDateTime>)
                        row.*member = dateFromValue(v);
                    else if constexpr (std::is_same_v<T, bool>)
                        row.*member = v.toBool();
                },
                c.member);
        }
        return row;
    }

    // The column's SQL type on the engine, for the schema.
    static QString sqlType(Engine engine, ColumnType type)
    {
        const bool pg = engine == Engine::PostgreSQL;
        switch (type) {
        case ColumnType::Key:
            return pg ? QStringLiteral("integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                      : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
        case ColumnType::Int32: return pg ? QStringLiteral("integer") : QStringLiteral("INTEGER");
        case ColumnType::Int64: return pg ? QStringLiteral("bigint") : QStringLiteral("INTEGER");
        case ColumnType::Bytes: return pg ? QStringLiteral("bytea") : QStringLiteral("BLOB");
        case ColumnType::Text: return pg ? QStringLiteral("text") : QStringLiteral("TEXT");
        case ColumnType::Double: return pg ? QStringLiteral("double precision") : QStringLiteral("REAL");
        case ColumnType::DateTime: return pg ? QStringLiteral("timestamp") : QStringLiteral("TEXT");
        case ColumnType::Bool: return pg ? QStringLiteral("boolean") : QStringLiteral("INTEGER");
        case ColumnType::Currency: return pg ? QStringLiteral("numeric(19,4)") : QStringLiteral("NUMERIC");
        }
        return {};
    }

    static QString createTableSql(Engine engine)
    {
        QStringList defs;
        for (const Column<Row> &c : info().columns)
            defs << quoted(c.name) + u' ' + sqlType(engine, c.type);
        return QStringLiteral("CREATE TABLE ") + quoted(info().name) + QStringLiteral(" (") + defs.join(u", ")
               + u')';
    }

    // The value of a row's column as it is bound for the engine.
    static QVariant boundValue(Engine engine, const Column<Row> &c, const Row &row)
    {
        return std::visit(
            [&](auto member) -> QVariant {
                using T = std::remove_cvref_t<decltype(row.*member)>;
                if constexpr (std::is_same_v<T, QDateTime>)
                    return dateValue(engine, row.*member);
                else if constexpr (std::is_same_v<T, bool>)
                    return engine == Engine::SQLite ? QVariant(int(row.*member)) : QVariant(row.*member);
                else
                    return QVariant(row.*member);
            },
            c.member);
    }
};
