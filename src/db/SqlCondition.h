#pragma once

#include "Database.h"

#include <QDateTime>
#include <QString>
#include <QVariantList>

#include <functional>
#include <memory>

// A piece of a WHERE clause with "?" placeholders and the values bound to them. User text never
// becomes SQL text: it travels as a bound value, so quotes and wildcard characters stay literal.
//
// Some pieces can be written more than one way with the same rows as the result: a text test can
// be answered from the text index or row by row from the folded copy, a date range through its
// index or not. Such a condition keeps its parts as a tree, so that a search can write each part
// the way that is fastest for this query (CDFSet::searchPage); `sql` is always the default form.
struct SqlCondition
{
    struct Form
    {
        QString sql;
        QVariantList values = {};
    };

    struct Part
    {
        enum class Kind { Plain, All, Any, Text, Date };
        Kind kind = Kind::Plain;
        QList<std::shared_ptr<const Part>> children = {}; // All, Any
        // Plain: one form. Text: [0] answered by the index, [1] tested on the row in hand, [2]
        // (SQLite, a text the index cannot answer) the row in hand looked up in its rows listed.
        // Date: [0] may use the column's index, [1] may not.
        QList<Form> forms = {};
        Form probe = {};       // Text: counts index hits, LIMIT ? bound last; empty: no index
        Form rows = {};        // Text: the serials of the index hits, a SELECT of one column
        Form rowTest = {};     // Text: forms[1]'s test on the folded copy "f" of the row
        // Text: the test on the index that ANDs with the other parts' tests on it, for one look
        // at the index for all of them (SQLite: "?" bound to the full-text expression).
        Form indexTest = {};
        // Text, SQLite: the full-text table that indexTest asks, and an expression of it that
        // every hit matches: the phrase's trigrams without their order, which the index answers
        // without reading where in the text each stands. It finds a few rows more than the
        // phrase, so it serves only where the rows are tested on the phrase as well.
        QString indexTable = {};
        QString indexCover = {};
        // Text: forms[1] costs one look in an index for the row in hand (the classification
        // filter), not a read of its texts.
        bool seekTest = false;
        QVariant from = {};    // Date: the bounds as stored
        QVariant until = {};
    };
    // Chooses the form of a Text or Date part; the index into Part::forms, or kAnswered: a term
    // the caller adds answers the part exactly, which is then written as true.
    using Chooser = std::function<int(const Part &)>;
    static constexpr int kAnswered = -1;

    QString sql;
    QVariantList values;
    std::shared_ptr<const Part> parts = {}; // null: the condition has one form only

    bool isEmpty() const { return sql.isEmpty(); }

    // The same condition with the forms the chooser picks. Without parts, the condition itself.
    SqlCondition written(const Chooser &choose) const;
    // The tree of the condition, a Plain leaf when it has none.
    std::shared_ptr<const Part> tree() const;
    static SqlCondition ofTree(std::shared_ptr<const Part> part);
    // A test on the folded copy "f" of the row (see SearchIndex) as a condition on the row.
    static Form rowTestForm(const Form &test);

    // column contains text, without regard to letter case; "%", "_" and "*" in text are literal.
    static SqlCondition contains(Engine engine, const QString &column, const QString &text);
    // column equals text, without regard to letter case.
    static SqlCondition equalsNoCase(const QString &column, const QString &text);
    static SqlCondition equals(const QString &column, const QVariant &value);
    // The row's classification path holds "@" + code + "@" (answered by the classification
    // filter, which the archive's schema keeps with the rows).
    static SqlCondition filedUnder(Engine engine, int code);
    // The path holds at least one of the codes; no codes: no row at all.
    static SqlCondition filedUnderAny(Engine engine, const QList<int> &codes);
    // from <= column < until (an inclusive range of days ends at the next day).
    static SqlCondition dateRange(Engine engine, const QString &column, const QDateTime &from,
                                  const QDateTime &until);
    static SqlCondition raw(const QString &sql) { return {sql, {}}; }

    static SqlCondition allOf(const QList<SqlCondition> &parts);
    static SqlCondition anyOf(const QList<SqlCondition> &parts);
};

// "name" quoted for SQL on both engines.
QString quoted(const QString &identifier);

// The LIKE pattern of a column that contains the text anywhere: "%", "_" and the escape "\" in
// the text stand for themselves (ESCAPE '\').
QString likePattern(const QString &text);

// The stored form of a date-time: SQLite keeps sortable text, PostgreSQL a timestamp.
QVariant dateValue(Engine engine, const QDateTime &value);
QDateTime dateFromValue(const QVariant &value);
