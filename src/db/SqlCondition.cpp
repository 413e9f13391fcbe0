#include "SqlCondition.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr auto kDateFormat = "yyyy-MM-dd HH:mm:ss";

QString likePattern(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    for (QChar c : text) {
        if (c == u'\\' || c == u'%' || c == u'_')
            escaped += u'\\';
        escaped += c;
    }
    return u'%' + escaped + u'%';
}

SqlCondition join(const QList<SqlCondition> &parts, const QString &op)
{
    SqlCondition out;
    for (const SqlCondition &part : parts) {
        if (part.isEmpty())
            continue;
        if (!out.sql.isEmpty())
            out.sql += op;
        out.sql += u'(' + part.sql + u')';
        out.values += part.values;
    }
    return out;
}

} // namespace

QString quoted(const QString &identifier)
{
    QString inner = identifier;
    inner.replace(u'"', u"\"\""_s);
    return u'"' + inner + u'"';
}

QVariant dateValue(Engine engine, const QDateTime &value)
{
    if (!value.isValid())
        return QVariant(QMetaType::fromType<QString>());
    if (engine == Engine::SQLite)
        return value.toString(QLatin1StringView(kDateFormat));
    return value;
}

QDateTime dateFromValue(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().startOfDay();
    const QString text = value.toString();
    QDateTime dt = QDateTime::fromString(text, QLatin1StringView(kDateFormat));
    if (!dt.isValid())
        dt = QDateTime::fromString(text, Qt::ISODate);
    return dt;
}

SqlCondition SqlCondition::contains(Engine engine, const QString &column, const QString &text)
{
    const QString op = engine == Engine::PostgreSQL ? u" ILIKE ? ESCAPE '\\'"_s : u" LIKE ? ESCAPE '\\'"_s;
    return {quoted(column) + op, {likePattern(text)}};
}

SqlCondition SqlCondition::equalsNoCase(const QString &column, const QString &text)
{
    return {u"lower("_s + quoted(column) + u") = lower(?)"_s, {text}};
}

SqlCondition SqlCondition::equals(const QString &column, const QVariant &value)
{
    return {quoted(column) + u" = ?"_s, {value}};
}

SqlCondition SqlCondition::filedUnder(Engine engine, int code)
{
    // "@5@" holds 5 but neither 15 nor 55: the delimiters on both sides make the match exact.
    return contains(engine, u"s1"_s, u'@' + QString::number(code) + u'@');
}

SqlCondition SqlCondition::dateRange(Engine engine, const QString &column, const QDateTime &from,
                                     const QDateTime &until)
{
    return {quoted(column) + u" >= ? AND "_s + quoted(column) + u" < ?"_s,
            {dateValue(engine, from), dateValue(engine, until)}};
}

SqlCondition SqlCondition::allOf(const QList<SqlCondition> &parts)
{
    return join(parts, u" AND "_s);
}

SqlCondition SqlCondition::anyOf(const QList<SqlCondition> &parts)
{
    return join(parts, u" OR "_s);
}
