#include "QueryBuilder.h"

#include "base/Cp1256.h"
#include "base/FixedRecord.h"
#include "base/HandOffFolder.h"
#include "db/CDFSet.h"
#include "db/SearchIndex.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Matches nothing: a user without permitted classifications finds nothing rather than an error.
SqlCondition nothing()
{
    return SqlCondition::raw(u"1 = 0"_s);
}

// A path holds each code as a plain number, so a code typed with a leading zero ("012") or
// anything else that is not written the way a number is can stand in no path: it permits
// nothing, exactly as its "@012@" occurs in no path.
QList<int> permittedCodes(const PermittedClasses &permitted)
{
    QList<int> codes;
    for (const QString &text : permitted.codes) {
        bool ok = false;
        const int code = text.toInt(&ok);
        if (ok && QString::number(code) == text && !codes.contains(code))
            codes.append(code);
    }
    return codes;
}

SqlCondition permittedCondition(const QList<int> &codes, Engine engine)
{
    return codes.isEmpty() ? nothing() : SqlCondition::filedUnderAny(engine, codes);
}

} // namespace

QString QueryBuilder::dumpPath()
{
    return handOffFolder() + u"/SQLT.txt"_s;
}

Status QueryBuilder::writeDump(const QString &jetText)
{
    const Result<QByteArray> bytes = Cp1256::encode(jetText);
    return FixedRecord::writeWhole(dumpPath(), bytes ? *bytes : jetText.toUtf8());
}

QString QueryBuilder::allClassesText()
{
    return tr("الكل");
}

QString QueryBuilder::enterPhraseMessage()
{
    return tr("ادخل عبارة للبحث");
}

QString QueryBuilder::jetDate(QDate date)
{
    return u"#%1/%2/%3#"_s.arg(date.month()).arg(date.day()).arg(date.year());
}

qint64 QueryBuilder::leadingNumber(const QString &text)
{
    qint64 value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + (c.unicode() - u'0');
        if (value > std::numeric_limits<qint32>::max())
            return 0;
    }
    return value;
}

PermittedClasses PermittedClasses::of(const QList<ClassRow> &classes, const QString &accessList)
{
    PermittedClasses p;
    for (const ClassRow &row : classes) {
        if (!accessList.contains(u'@' + row.codeText + u'@'))
            continue;
        p.codes.append(row.codeText);
        p.comboItems.append(row.codeText + u' ' + row.name);
        p.jetCondition += (p.jetCondition.isEmpty() ? u" s1 LIKE '*@"_s : u" OR   s1 LIKE '*@"_s) + row.codeText + u"@*' "_s;
    }
    return p;
}

Result<BuiltQuery> QueryBuilder::build(const SearchRequest &r, const PermittedClasses &permitted, Engine engine)
{
    if (r.general && r.phrase.isEmpty())
        return Result<BuiltQuery>::failure(enterPhraseMessage());

    BuiltQuery q;
    q.title = r.general ? r.phrase : r.keywords;
    QList<SqlCondition> all;

    // The whole end day counts: rows before the start of the next day.
    const QDate until = r.to.addDays(1);
    q.jetText = u"SELECT * FROM FILESERVER WHERE ("_s;
    q.jetText += u" (d1 BETWEEN "_s + jetDate(r.from) + u" AND "_s + jetDate(until) + u") "_s;
    all.append(SqlCondition::dateRange(engine, u"d1"_s, r.from.startOfDay(), until.startOfDay()));

    if (r.general) {
        const QString &p = r.phrase;
        const QString fileName = u" s5 LIKE '*"_s + p + u"*'  "_s;
        const QString keywords = u" (s6 LIKE '*"_s + p + u"*'  OR  m3  LIKE '*"_s + p + u"*') "_s;
        const QString text = u" ( m1 LIKE '*"_s + p + u"*' ) "_s;
        q.jetText += u" AND ( "_s + fileName + u" OR "_s + keywords + u" OR "_s + text + u" ) "_s;
        all.append(SearchIndex::containsAny(engine, {u"s5"_s, u"s6"_s, u"m3"_s, u"m1"_s}, p));
        // A general search stays within the classifications the user may open.
        q.jetText += u" AND ( "_s + permitted.jetCondition + u" ) "_s;
        all.append(permittedCondition(permittedCodes(permitted), engine));
    } else {
        const qint64 n = leadingNumber(r.classText);
        if (n != 0) {
            q.jetText += u" AND ( "_s + u" s1 LIKE '*@"_s + QString::number(n) + u"@*' "_s + u" ) "_s;
            all.append(SqlCondition::filedUnder(engine, int(n)));
        }
        // A chosen or typed classification is searched only within the ones the user may open.
        // When the user may open the chosen one itself, every row filed under it passes, and the
        // search leaves out the test of all the others.
        q.jetText += u" AND ( "_s + permitted.jetCondition + u" ) "_s;
        const QList<int> codes = permittedCodes(permitted);
        if (n == 0 || !codes.contains(int(n)))
            all.append(permittedCondition(codes, engine));
        if (!r.keywords.isEmpty()) {
            // Every word must stand in the keywords; blanks stay part of a word, and an empty
            // word between two "+" matches any keywords at all.
            const QStringList words = r.keywords.split(u'+');
            QString k = u"( "_s;
            QList<SqlCondition> every;
            for (qsizetype i = 0; i < words.size(); ++i) {
                k += u" (s6 LIKE '*"_s + words[i] + (i + 1 < words.size() ? u"*') AND "_s : u"*') )"_s);
                every.append(SearchIndex::containsAny(engine, {u"s6"_s}, words[i]));
            }
            q.jetText += u" AND "_s + k + u' ';
            all.append(SqlCondition::allOf(every));
        }
    }

    const bool someKinds = r.images || r.texts || r.files;
    const bool allKinds = r.images && r.texts && r.files;
    if (someKinds && !allKinds) {
        QStringList alternatives;
        if (r.images)
            alternatives << u"(n3=2)"_s;
        if (r.texts)
            alternatives << u"(n3=55)"_s;
        if (r.files)
            alternatives << u"(n3=1 OR n3=3)"_s;
        const QString kinds = alternatives.join(u" OR "_s);
        q.jetText += u" AND ("_s + kinds + u')';
        all.append(SqlCondition::raw(kinds));
    }
    q.jetText += u") ORDER BY n1,n2;"_s;
    // The counter row is no card.
    all.append(SqlCondition::raw(u"n1 > 0"_s));
    q.where = SqlCondition::allOf(all);
    return q;
}

Result<bool> QueryBuilder::hasHits(const Database &db, const BuiltQuery &query)
{
    const Result<QList<DocumentRow>> first = CDFSet(db).search(query.where, 1);
    if (!first)
        return Result<bool>::failure(first.error());
    return !first->isEmpty();
}

QString QueryBuilder::noHitsMessage()
{
    return tr("لا توجد نتائج");
}
