#pragma once

#include "Database.h"

#include <QDateTime>
#include <QString>
#include <QVariantList>

// A piece of a WHERE clause with "?" placeholders and the values bound to them. User text never
// becomes SQL text: it travels as a bound value, so quotes and wildcard characters stay literal.
struct SqlCondition
{
    QString sql;
    QVariantList values;

    bool isEmpty() const { return sql.isEmpty(); }

    // column contains text, without regard to letter case; "%", "_" and "*" in text are literal.
    static SqlCondition contains(Engine engine, const QString &column, const QString &text);
    // column equals text, without regard to letter case.
    static SqlCondition equalsNoCase(const QString &column, const QString &text);
    static SqlCondition equals(const QString &column, const QVariant &value);
    // The row's classification path holds "@" + code + "@".
    static SqlCondition filedUnder(Engine engine, int code);
    // from <= column < until (an inclusive range of days ends at the next day).
    static SqlCondition dateRange(Engine engine, const QString &column, const QDateTime &from,
                                  const QDateTime &until);
    static SqlCondition raw(const QString &sql) { return {sql, {}}; }

    static SqlCondition allOf(const QList<SqlCondition> &parts);
    static SqlCondition anyOf(const QList<SqlCondition> &parts);
};

// "name" quoted for SQL on both engines.
QString quoted(const QString &identifier);

// The stored form of a date-time: SQLite keeps sortable text, PostgreSQL a timestamp.
QVariant dateValue(Engine engine, const QDateTime &value);
QDateTime dateFromValue(const QVariant &value);
