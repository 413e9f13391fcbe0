#pragma once

#include "base/Result.h"
#include "db/ClassRow.h"
#include "db/SqlCondition.h"

#include <QCoreApplication>
#include <QDate>
#include <QStringList>

// What the search form holds when the user presses search.
struct SearchRequest
{
    bool images = true;
    bool texts = true;
    bool files = true;
    QDate from;
    QDate to;
    QString classText; // the classification combo: "code name", a typed code, or "الكل"
    QString keywords;  // words joined by "+"
    bool general = true;
    QString phrase;
};

// The classifications the user may see, in table order, as the form lists them.
struct PermittedClasses
{
    QStringList codes;      // s1 as typed
    QStringList comboItems; // s1 + " " + s2
    QString jetCondition;   // " s1 LIKE '*@c@*' " joined by " OR   "

    static PermittedClasses of(const QList<ClassRow> &classes, const QString &accessList);
};

// A search turned into a query: the text in the dialect the search dump has always used, and the
// condition the database runs, where every typed value is bound.
struct BuiltQuery
{
    QString jetText;
    SqlCondition where;
    QString title;
};

class QueryBuilder
{
    Q_DECLARE_TR_FUNCTIONS(QueryBuilder)

public:
    static Result<BuiltQuery> build(const SearchRequest &request, const PermittedClasses &permitted, Engine engine);

    // Writes the query text to "SQLT.txt" in the hand-off folder, replacing it: the text's bytes
    // in code page 1256 (UTF-8 when it holds a character the code page lacks), no line end.
    static Status writeDump(const QString &jetText);
    static QString dumpPath();

    // Whether the query finds at least one row; a search without hits opens no report.
    static Result<bool> hasHits(const Database &db, const BuiltQuery &query);

    static QString allClassesText();       // "الكل"
    static QString noHitsMessage();        // "لا توجد نتائج"
    static QString enterPhraseMessage();   // "ادخل عبارة للبحث"
    // "#month/day/year#"
    static QString jetDate(QDate date);
    // The leading decimal digits of a text as a number, 0 when it starts with none.
    static qint64 leadingNumber(const QString &text);
};
