#include "SqlCondition.h"

#include "SearchIndex.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr auto kDateFormat = "yyyy-MM-dd HH:mm:ss";

SqlCondition join(const QList<SqlCondition> &parts, const QString &op, SqlCondition::Part::Kind kind)
{
    SqlCondition out;
    bool anyTree = false;
    for (const SqlCondition &part : parts) {
        if (part.isEmpty())
            continue;
        if (!out.sql.isEmpty())
            out.sql += op;
        out.sql += u'(' + part.sql + u')';
        out.values += part.values;
        anyTree = anyTree || part.parts;
    }
    if (anyTree) {
        auto group = std::make_shared<SqlCondition::Part>();
        group->kind = kind;
        for (const SqlCondition &part : parts) {
            if (!part.isEmpty())
                group->children.append(part.tree());
        }
        out.parts = std::move(group);
    }
    return out;
}

QString rowTestSql(const QString &test)
{
    return u"EXISTS (SELECT 1 FROM fileserver_folded f WHERE f.sn = \"FILESERVER\".sn AND ("_s + test;
}

// Whether the part is tested on the row's folded copy alone with the forms the chooser picks.
bool isRowTest(const SqlCondition::Part &part, const SqlCondition::Chooser &choose)
{
    using Kind = SqlCondition::Part::Kind;
    if (!choose)
        return false;
    switch (part.kind) {
    case Kind::Text:
        return !part.rowTest.sql.isEmpty() && choose(part) == 1;
    case Kind::All:
    case Kind::Any:
        return !part.children.isEmpty()
               && std::all_of(part.children.begin(), part.children.end(),
                              [&](const auto &child) { return isRowTest(*child, choose); });
    case Kind::Plain:
    case Kind::Date:
        return false;
    }
    return false;
}

// The test of a part for which isRowTest holds, on the folded copy "f".
void renderRowTest(const SqlCondition::Part &part, QString &sql, QVariantList &values)
{
    using Kind = SqlCondition::Part::Kind;
    if (part.kind == Kind::Text) {
        sql += part.rowTest.sql;
        values += part.rowTest.values;
        return;
    }
    const QString op = part.kind == Kind::All ? u" AND "_s : u" OR "_s;
    bool first = true;
    for (const auto &child : part.children) {
        if (!first)
            sql += op;
        first = false;
        sql += u'(';
        renderRowTest(*child, sql, values);
        sql += u')';
    }
}

void render(const SqlCondition::Part &part, const SqlCondition::Chooser &choose, QString &sql, QVariantList &values)
{
    using Kind = SqlCondition::Part::Kind;
    switch (part.kind) {
    case Kind::All:
    case Kind::Any: {
        // The parts tested on the row in hand look up its folded copy once, all in one test.
        if (isRowTest(part, choose)) {
            sql += rowTestSql(QString());
            renderRowTest(part, sql, values);
            sql += u"))"_s;
            return;
        }
        QList<const SqlCondition::Part *> rowTests, others;
        for (const auto &child : part.children)
            (part.kind == Kind::All && isRowTest(*child, choose) ? rowTests : others).append(child.get());
        if (rowTests.size() < 2) {
            rowTests.clear();
            others.clear();
            for (const auto &child : part.children)
                others.append(child.get());
        }
        const QString op = part.kind == Kind::All ? u" AND "_s : u" OR "_s;
        bool first = true;
        for (const SqlCondition::Part *child : others) {
            if (!first)
                sql += op;
            first = false;
            sql += u'(';
            render(*child, choose, sql, values);
            sql += u')';
        }
        if (!rowTests.isEmpty()) {
            if (!first)
                sql += op;
            sql += u'(' + rowTestSql(QString());
            for (qsizetype i = 0; i < rowTests.size(); ++i) {
                sql += i == 0 ? u"("_s : u" AND ("_s;
                renderRowTest(*rowTests[i], sql, values);
                sql += u')';
            }
            sql += u")))"_s;
        }
        return;
    }
    case Kind::Plain:
        sql += part.forms.value(0).sql;
        values += part.forms.value(0).values;
        return;
    case Kind::Text:
    case Kind::Date: {
        const int chosen = choose ? choose(part) : 0;
        if (chosen == SqlCondition::kAnswered) {
            sql += u"1 = 1"_s;
            return;
        }
        const int i = std::clamp(chosen, 0, int(part.forms.size()) - 1);
        sql += part.forms.at(i).sql;
        values += part.forms.at(i).values;
        return;
    }
    }
}

} // namespace

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

namespace {

// "yyyy-MM-dd HH:mm:ss" read digit by digit: the format parser costs tens of microseconds a value,
// which a grid of thousands of dated rows feels.
QDateTime storedDateTime(const QString &text)
{
    static constexpr int kLength = 19;
    if (text.size() != kLength)
        return {};
    int fields[6] = {};
    static constexpr int kStarts[6] = {0, 5, 8, 11, 14, 17};
    static constexpr int kLengths[6] = {4, 2, 2, 2, 2, 2};
    static constexpr char16_t kSeparators[kLength + 1] = u"    -  -     :  :  ";
    for (int i = 0; i < kLength; ++i) {
        if (kSeparators[i] != u' ' && text[i] != QChar(kSeparators[i]))
            return {};
    }
    if (text[10] != u' ')
        return {};
    for (int f = 0; f < 6; ++f) {
        for (int i = kStarts[f]; i < kStarts[f] + kLengths[f]; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return {};
            fields[f] = fields[f] * 10 + (c - u'0');
        }
    }
    const QDate date(fields[0], fields[1], fields[2]);
    const QTime time(fields[3], fields[4], fields[5]);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

} // namespace

QDateTime dateFromValue(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().startOfDay();
    const QString text = value.toString();
    QDateTime dt = storedDateTime(text);
    if (!dt.isValid())
        dt = QDateTime::fromString(text, QLatin1StringView(kDateFormat));
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
    return filedUnderAny(engine, {code});
}

namespace {
// The most codes that PostgreSQL tests on the row's path in one pattern (see filedUnderAny).
constexpr qsizetype kCodesInOnePattern = 64;
} // namespace

SqlCondition SqlCondition::filedUnderAny(Engine engine, const QList<int> &codes)
{
    if (codes.isEmpty())
        return raw(u"1 = 0"_s);
    // The classification filter holds a pair for every "@" + code + "@" in a row's path: the same
    // rows as s1 LIKE '%@code@%' ("@5@" holds 5 but neither 15 nor 55), found through an index.
    QStringList marks;
    QVariantList values;
    for (int code : codes) {
        marks << u"?"_s;
        values << code;
    }
    const QString test = codes.size() == 1 ? u"code = ?"_s : u"code IN ("_s + marks.join(u", "_s) + u')';
    auto part = std::make_shared<Part>();
    part->kind = Part::Kind::Text;
    part->rows = {u"SELECT sn FROM fileserver_class WHERE "_s + test, values};
    Form onRow;
    if (engine == Engine::SQLite || codes.size() > kCodesInOnePattern) {
        // On the row in hand SQLite would look up every code of a long list beside the row's
        // serial; the row's own few pairs, found by the serial alone and each tested, cost one look.
        const QString rowTest = engine == Engine::SQLite && codes.size() > 1 ? u"+c."_s + test : u"c."_s + test;
        onRow = {u"EXISTS (SELECT 1 FROM fileserver_class c WHERE c.sn = \"FILESERVER\".sn AND "_s + rowTest + u')',
                 values};
    } else {
        // PostgreSQL tests the row's own path: one pattern of a few dozen codes costs a fraction
        // of a look in the filter's index (of a few hundred, more: its matcher slows with every
        // choice). "@" on both sides of a code as written, as the pairs hold.
        QStringList written;
        for (int code : codes)
            written << QString::number(code);
        onRow = {u"\"FILESERVER\".\"s1\" ~ ?"_s, {u"@("_s + written.join(u'|') + u")@"_s}};
    }
    part->forms = {{u"sn IN ("_s + part->rows.sql + u')', values}, onRow};
    part->seekTest = true;
    // One code goes into the words' one look at the text index, which then reads only the rows of
    // both. SQLite's keyword index holds the path too. PostgreSQL's folded copy keeps the path as
    // it is (folding changes letters only), and its trigram index holds the code as a word.
    if (codes.size() == 1 && engine == Engine::SQLite) {
        part->indexTable = SearchIndex::keywordIndexTable();
        part->indexCover = SearchIndex::filedUnderInKeywordIndex(codes.front());
    } else if (codes.size() == 1) {
        part->indexTest = {u"\"s1\" LIKE ? ESCAPE '\\'"_s, {likePattern(u'@' + QString::number(codes.front()) + u'@')}};
    }
    // A row under two of the codes counts twice: the count only bounds the rows from above.
    part->probe = {u"SELECT count(*) FROM (SELECT 1 FROM fileserver_class WHERE "_s + test + u" LIMIT ?) AS probe"_s,
                   values};
    return ofTree(std::move(part));
}

SqlCondition::Form SqlCondition::rowTestForm(const Form &test)
{
    return {rowTestSql(test.sql) + u"))"_s, test.values};
}

SqlCondition SqlCondition::dateRange(Engine engine, const QString &column, const QDateTime &from,
                                     const QDateTime &until)
{
    const QVariantList bounds{dateValue(engine, from), dateValue(engine, until)};
    // "+column" keeps SQLite off the column's index: for a wide range it walks nearly the whole
    // index and is slower than reading the table in any order.
    const QString plain = quoted(column);
    const QString unindexed = engine == Engine::SQLite ? u'+' + plain : plain;
    auto part = std::make_shared<Part>();
    part->kind = Part::Kind::Date;
    part->forms = {{plain + u" >= ? AND "_s + plain + u" < ?"_s, bounds},
                   {unindexed + u" >= ? AND "_s + unindexed + u" < ?"_s, bounds}};
    part->from = bounds[0];
    part->until = bounds[1];
    SqlCondition out{part->forms[0].sql, bounds};
    out.parts = std::move(part);
    return out;
}

SqlCondition SqlCondition::allOf(const QList<SqlCondition> &parts)
{
    return join(parts, u" AND "_s, Part::Kind::All);
}

SqlCondition SqlCondition::anyOf(const QList<SqlCondition> &parts)
{
    return join(parts, u" OR "_s, Part::Kind::Any);
}

std::shared_ptr<const SqlCondition::Part> SqlCondition::tree() const
{
    if (parts)
        return parts;
    auto leaf = std::make_shared<Part>();
    leaf->forms = {{sql, values}};
    return leaf;
}

SqlCondition SqlCondition::ofTree(std::shared_ptr<const Part> part)
{
    SqlCondition out;
    render(*part, {}, out.sql, out.values);
    out.parts = std::move(part);
    return out;
}

SqlCondition SqlCondition::written(const Chooser &choose) const
{
    if (!parts)
        return *this;
    SqlCondition out;
    render(*parts, choose, out.sql, out.values);
    out.parts = parts;
    return out;
}
