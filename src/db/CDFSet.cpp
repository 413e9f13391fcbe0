#include "CDFSet.h"

#include "Counter.h"
#include "SearchIndex.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSqlRecord>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

struct CDFSetTr
{
    Q_DECLARE_TR_FUNCTIONS(CDFSet)
};

using Documents = RowTable<DocumentRow>;

SqlCondition cardIs(qint32 card)
{
    return SqlCondition::equals(u"n1"_s, card);
}

QString missingCounterRow()
{
    return CDFSetTr::tr("سجل العداد (الرقم التسلسلي 1) غير موجود في جدول الوثائق");
}

const QString kReportOrder = u"n1, n2, sn"_s;

// The order of the report as the route reads it. Through the index on PostgreSQL the few hits
// are sorted: written as an expression, the order keeps the planner from walking the whole card
// index in report order to find them, which its estimates of the text index's hits often favour.
QString reportOrder(Engine engine, SearchPlan::Route route)
{
    return engine == Engine::PostgreSQL && route == SearchPlan::Route::ThroughIndex ? u"n1 + 0, n2, sn"_s : kReportOrder;
}

constexpr double kRareHitsPerRootOfRows = 23.0;

constexpr int kFewestRareHits = 1000;
// The first rows in report order that a search with a first page reads before it asks the
// index (see CDFSet::planSearch): a phrase in a tenth of them fills a page of a hundred. Reading
// them costs a fraction of the index's count of a common phrase.
constexpr int kFirstRowsRead = 1000;
// A text's index hits are listed while counted up to this many (see SearchPlanner::bound).
constexpr qint64 kListedWhileCounted = 4000;
// A part whose index hits are at most this many times those of the part that drives the search
// is intersected with it first.
constexpr int kIntersectShare = 8;

// A sample of this many rows of the folded copy tells a common phrase on PostgreSQL (see
// SearchPlanner::sampledCommon) when the count would be of at least kSampledFrom rows; the sample
// must show kSampledMargin times the count for the phrase to be taken as common without counting.
constexpr qint64 kSampleRows = 1000;
constexpr qint64 kSampledFrom = 5000;
constexpr double kSampledMargin = 3.0;

// A date range over more than this share of the archive's dates is read without the date index.
constexpr double kWideDateShare = 0.25;

using Part = SqlCondition::Part;

// A bound value written into the statement as PostgreSQL reads it: its server-side prepared
// statements cannot be explained, so an EXPLAIN is sent with the values in its text.
QString pgLiteral(const QVariant &v)
{
    if (v.isNull())
        return u"NULL"_s;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(v.toLongLong());
    case QMetaType::Bool:
        return v.toBool() ? u"TRUE"_s : u"FALSE"_s;
    case QMetaType::QDateTime:
        return u"TIMESTAMP '"_s + v.toDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_s) + u'\'';
    default: {
        QString text = v.toString();
        text.replace(u'\'', u"''"_s);
        return u'\'' + text + u'\''; // standard strings: a backslash is itself
    }
    }
}

// The statement with its bound values written in, for an EXPLAIN, which PostgreSQL refuses to
// prepare. The marks of the statement are its only question marks: no literal in it holds one.
QString inlined(const QString &sql, const QVariantList &values)
{
    QString out;
    qsizetype next = 0;
    for (QChar c : sql) {
        if (c == u'?' && next < values.size())
            out += pgLiteral(values.at(next++));
        else
            out += c;
    }
    return out;
}

// PostgreSQL's estimates for a LIKE answered by the trigram index are far off: it takes a phrase
// in one row of a thousand for a common one and reads the whole table or a whole index instead.
// The plan of a search knows better, from the index itself, and tells the engine which way to go
// for the statements of that search: bitmap scans of the text index for a rare phrase, the card
// index in report order for a common one.
class RouteSettings
{
public:
    // `limit`: the statement reads a page of that many rows, -1 every row.
    RouteSettings(QSqlDatabase conn, Engine engine, SearchPlan::Route route, int limit = -1) : m_conn(std::move(conn))
    {
        if (engine != Engine::PostgreSQL)
            return;
        switch (route) {
        case SearchPlan::Route::ThroughIndex:
            // The hits are sorted after (see reportOrder): index scans stay allowed, for the
            // classification filter and the rows' own serials.
            m_settings = {{u"enable_seqscan"_s, u"off"_s}};
            break;
        case SearchPlan::Route::ReportOrder:
            // A page walks the card index; every row is read as the planner finds best.
            if (limit >= 0)
                m_settings = {{u"enable_seqscan"_s, u"off"_s}, {u"enable_sort"_s, u"off"_s}};
            break;
        case SearchPlan::Route::AsWritten:
            break;
        }
        // Workers for a page of a hundred rows start slower than one process finds them.
        if (limit >= 0 && route != SearchPlan::Route::AsWritten)
            m_settings.append({u"max_parallel_workers_per_gather"_s, u"0"_s});
        // One exchange with the server for all of them, and one to undo them.
        QStringList set;
        for (const auto &[name, value] : m_settings)
            set << u"SET "_s + name + u" = "_s + value;
        if (!set.isEmpty())
            QSqlQuery(m_conn).exec(set.join(u"; "_s));
    }
    ~RouteSettings()
    {
        QStringList reset;
        for (const auto &setting : m_settings)
            reset << u"RESET "_s + setting.first;
        if (!reset.isEmpty())
            QSqlQuery(m_conn).exec(reset.join(u"; "_s));
    }
    RouteSettings(const RouteSettings &) = delete;
    RouteSettings &operator=(const RouteSettings &) = delete;

private:
    QSqlDatabase m_conn;
    QList<std::pair<QString, QString>> m_settings; // name, value
};

// Chooses the forms of a condition's parts for one search; see CDFSet::planSearch.
class SearchPlanner
{
    // The rows that hold all the words of an All, from one look at the text index.
    struct Joint
    {
        SqlCondition::Form rows;
        std::set<const Part *> words; // the parts it answers
    };

public:
    SearchPlanner(QSqlDatabase &conn, Engine engine, int rareHits)
        : m_conn(conn), m_engine(engine), m_rareHits(rareHits)
    {
    }

    // Plans for reading every hit at once rather than the first page: the walk in report order
    // reads every row, so a part the index counts in fewer than half of the `rows` rows drives.
    // Rows found through the index are read one by one and sorted after: for a part in most of
    // the rows (all the classifications a user may see) that costs more than the walk. A text
    // the index cannot answer walks too, tested against its rows listed first (see plan()).
    void planForWhole(qint64 rows)
    {
        m_rareHits = int(std::clamp<qint64>(rows / 2, 1, std::numeric_limits<int>::max()));
        m_forWhole = true;
    }

    Result<SearchPlan> plan(const SqlCondition &where)
    {
        if (!where.parts)
            return SearchPlan{where};
        const Part &root = *where.parts;
        const qint64 fewest = bound(root, m_rareHits);
        if (fewest < m_rareHits) {
            drive(root, true);
            intersect(root, fewest);
        }
        if (!m_error.isEmpty())
            return Result<SearchPlan>::failure(m_error);
        const bool walksAll = m_forWhole && m_driving.empty() && m_jointRows.sql.isEmpty() && m_intersection.isEmpty()
                              && !hasNarrowDates(root);
        const SqlCondition written = where.written([&](const Part &p) {
            if (p.kind == Part::Kind::Text) {
                if (m_driving.contains(&p))
                    return 0;
                // Its serials, listed from its own test, find the rows: nothing left to test.
                // So do the serials of the words' joint look on PostgreSQL, which tests each
                // word as the row's test would (SQLite's covers find a few rows more).
                if (&p == m_listedDriver || (m_engine == Engine::PostgreSQL && m_jointWords.contains(&p)))
                    return SqlCondition::kAnswered;
                // A walk over every row tests a text the index cannot answer against its rows
                // listed first, in one pass over the folded copy, instead of looking up the
                // folded copy of each row.
                return walksAll && p.probe.sql.isEmpty() ? 2 : 1;
            }
            return wide(p) ? 1 : 0;
        });
        if (!m_error.isEmpty())
            return Result<SearchPlan>::failure(m_error);
        SqlCondition planned{written.sql, written.values};
        if (!m_intersection.isEmpty()) {
            // Implied by the condition, so it changes nothing but the way the rows are found: the
            // serials all the parts let through, before a single row is read.
            QStringList selects;
            QVariantList values;
            for (const SqlCondition::Form &rows : m_intersection) {
                selects << rows.sql;
                values << rows.values;
            }
            planned = SqlCondition::allOf(
                {planned, SqlCondition{u"sn IN ("_s + selects.join(u" INTERSECT "_s) + u')', values}});
        } else if (!m_jointRows.sql.isEmpty()) {
            planned = SqlCondition::allOf({planned, SqlCondition{u"sn IN ("_s + m_jointRows.sql + u')', m_jointRows.values}});
        }
        const bool throughIndex = !m_driving.empty() || !m_jointRows.sql.isEmpty() || !m_intersection.isEmpty();
        return SearchPlan{planned, throughIndex ? SearchPlan::Route::ThroughIndex : SearchPlan::Route::ReportOrder};
    }

private:
    // At most how many rows the part lets through as far as the index tells, counted up to
    // `cap`: a result of `cap` means "cap or more". Probes stop as soon as the answer is known,
    // so a search over many common classifications costs a few counts, not one per class.
    qint64 bound(const Part &p, qint64 cap)
    {
        if (cap <= 0)
            return 0;
        if (const auto it = m_bounds.find(&p); it != m_bounds.end()) {
            const auto [value, countedTo] = it->second;
            if (value < countedTo)
                return value;
            if (cap <= countedTo)
                return cap;
        }
        qint64 b = cap;
        switch (p.kind) {
        case Part::Kind::Text:
            if (!p.probe.sql.isEmpty() && !sampledCommon(p, cap) && !estimatedCommon(p, cap)) {
                // Few enough to list: the statements of the search read the list instead of
                // asking the index again. A text's hits are listed while counted, up to a few
                // thousand: its count reads every hit's row as its list does. A classification's
                // count reads its index alone, and a common one would cost its list for nothing,
                // so it is counted first.
                // How many hits there are, up to `upTo`; listed when fewer.
                const auto listUpTo = [&](qint64 upTo) {
                    SqlCondition::Form rows = p.rows;
                    const qint64 n = listed(rows, upTo);
                    if (n < upTo)
                        m_listed[&p] = std::move(rows);
                    return n;
                };
                const qint64 listFirst =
                    p.seekTest || p.rows.sql.isEmpty() ? 0 : std::min<qint64>(cap, kListedWhileCounted);
                if (const qint64 n = listFirst > 0 ? listUpTo(listFirst) : 0; n < listFirst) {
                    b = n;
                } else if (listFirst < cap) {
                    b = std::min(count(p.probe, cap), cap);
                    if (b < cap && b <= CDFSet::kRareHits && !p.rows.sql.isEmpty())
                        listUpTo(b + 1);
                }
            }
            break;
        case Part::Kind::All: {
            // Words that are each common may be rare together, as the keywords of a search
            // often are: the text index answers all of them at once. Counted first, it bounds
            // how far the other parts need counting.
            if (std::optional<Joint> joint = jointRows(p)) {
                // Listed while counted: the look that finds them costs more than their list,
                // and words that are each common are seldom common together.
                qint64 c = listed(joint->rows, std::min<qint64>(b, CDFSet::kRareHits + 1));
                if (c > CDFSet::kRareHits)
                    c = count({u"SELECT count(*) FROM ("_s + joint->rows.sql + u" LIMIT ?) AS probe"_s, joint->rows.values},
                              b);
                if (c < b) {
                    b = c;
                    m_joint[&p] = std::move(*joint);
                }
            }
            // An All inside (the words of a keyword search) is often the rarest of the parts and
            // found in one look; bounded first, it bounds how far the others need counting.
            QList<const Part *> children;
            for (const auto &child : p.children)
                children.append(child.get());
            std::stable_partition(children.begin(), children.end(),
                                  [](const Part *c) { return c->kind == Part::Kind::All; });
            // A part the joint look answers whole lets through no fewer rows than the look does on
            // PostgreSQL. SQLite's covers find a few rows more: once they are few, the part could
            // save too little to be worth another look at the index.
            std::set<const Part *> jointWords;
            if (const auto joint = m_joint.find(&p); joint != m_joint.end())
                jointWords = joint->second.words;
            for (const Part *child : children) {
                if (b == 0)
                    break;
                if (!jointWords.empty() && (m_engine == Engine::PostgreSQL || b <= kFewestRareHits)
                    && answeredBy(*child, jointWords))
                    continue;
                const qint64 c = bound(*child, b);
                if (c < b) {
                    b = c;
                    m_fewest[&p] = child;
                    m_joint.erase(&p);
                }
            }
            break;
        }
        case Part::Kind::Any: {
            qint64 sum = 0;
            for (const auto &child : p.children) {
                sum += bound(*child, cap - sum);
                if (sum >= cap)
                    break;
            }
            b = std::min(sum, cap);
            break;
        }
        case Part::Kind::Plain:
        case Part::Kind::Date:
            break;
        }
        m_bounds[&p] = {b, cap};
        return b;
    }

    // The rows that drive the search are thousands: each would be read and tested on the other
    // parts. Where another part that the whole condition implies lets through not many more, the
    // indexes give both sets of serials and the engine keeps those in both, so that only the
    // rows of the result are read, as a class and two words that are each common find few rows.
    void intersect(const Part &root, qint64 fewest)
    {
        if (fewest <= kFewestRareHits || fewest >= CDFSet::kRareHits || root.kind != Part::Kind::All)
            return;
        QList<const Part *> implied;
        impliedTexts(root, implied);
        SqlCondition::Form driver;
        const Part *driving = m_driving.size() == 1 ? *m_driving.begin() : nullptr;
        if (!m_jointRows.sql.isEmpty())
            driver = m_jointRows;
        else if (driving && implied.contains(driving) && !driving->rows.sql.isEmpty())
            driver = driving->rows;
        else
            return;
        const qint64 cap = std::min<qint64>(fewest * kIntersectShare, qint64(m_rareHits) * kIntersectShare / 2);
        QList<SqlCondition::Form> others;
        QList<const Part *> seeks;
        for (const Part *p : implied) {
            if (p == driving || p->rows.sql.isEmpty() || m_jointWords.contains(p))
                continue;
            if (m_engine == Engine::SQLite && p->seekTest) {
                seeks.append(p);
                continue;
            }
            if (!p->probe.sql.isEmpty() && count(p->probe, cap) < cap)
                others.append(p->rows);
        }
        if (others.isEmpty() && seeks.isEmpty())
            return;
        if (!seeks.isEmpty()) {
            std::optional<SqlCondition::Form> kept = passing(driver, seeks);
            if (!kept)
                return;
            driver = std::move(*kept);
        }
        m_driving.clear();
        m_jointRows = {};
        m_intersection = QList<SqlCondition::Form>{driver} + others;
    }

    // How many of `rows` there are, counted up to `cap`; when fewer, `rows` becomes the list of
    // their serials, so that the statements of the search do not ask the index again.
    qint64 listed(SqlCondition::Form &rows, qint64 cap)
    {
        // The engine lists them itself, in one value: row by row through the driver costs more
        // than finding them.
        const RouteSettings route(m_conn, m_engine, SearchPlan::Route::ThroughIndex);
        const QString list = m_engine == Engine::SQLite ? u"json_group_array(sn)"_s : u"array_agg(sn)::text"_s;
        QSqlQuery q(m_conn);
        if (!ask(q, u"WITH r(sn) AS ("_s + rows.sql + u" LIMIT ?) SELECT count(*), "_s + list + u" FROM r"_s,
                 rows.values + QVariantList{cap}))
            return cap;
        const qint64 n = q.value(0).toLongLong();
        if (n < cap)
            rows = serialList(q.value(1));
        return n;
    }

    // A list of serials as the engine wrote it (SQLite: a JSON array; PostgreSQL: an array, NULL
    // when empty) as the rows of a condition.
    SqlCondition::Form serialList(const QVariant &list) const
    {
        if (m_engine == Engine::SQLite)
            return {u"SELECT value FROM json_each(?)"_s, {list}};
        return {u"SELECT unnest(CAST(? AS integer[]))"_s, {list}};
    }

    // The serials of `rows` that pass the tests of the parts, each test one look in an index,
    // listed once for all the statements of the search: a few thousand looks cost less than
    // listing every row of a common classification to intersect with. The statement names its
    // list of serials after the table, so that the parts' tests of the row in hand read them.
    std::optional<SqlCondition::Form> passing(const SqlCondition::Form &rows, const QList<const Part *> &seeks)
    {
        QStringList tests;
        QVariantList values = rows.values;
        for (const Part *p : seeks) {
            tests << p->forms.at(1).sql;
            values << p->forms.at(1).values;
        }
        QSqlQuery q(m_conn);
        if (!ask(q,
                 u"WITH \"FILESERVER\"(sn) AS ("_s + rows.sql + u") SELECT json_group_array(sn) FROM \"FILESERVER\" WHERE "_s
                     + tests.join(u" AND "_s),
                 values))
            return std::nullopt;
        return serialList(q.value(0));
    }

    // Whether every text the part implies is among `words`, and nothing else is in it.
    static bool answeredBy(const Part &p, const std::set<const Part *> &words)
    {
        if (p.kind == Part::Kind::Text)
            return words.contains(&p);
        if (p.kind != Part::Kind::All)
            return false;
        return std::all_of(p.children.begin(), p.children.end(),
                           [&](const auto &child) { return answeredBy(*child, words); });
    }

    // The Text parts the condition implies: its own, and those of the All inside it.
    static void impliedTexts(const Part &all, QList<const Part *> &out)
    {
        for (const auto &child : all.children) {
            if (child->kind == Part::Kind::Text)
                out.append(child.get());
            else if (child->kind == Part::Kind::All)
                impliedTexts(*child, out);
        }
    }

    // The serials of the rows that hold every text of the All that its index answers, in one
    // look at the index; nothing when fewer than two of its own texts are in the index.
    std::optional<Joint> jointRows(const Part &all) const
    {
        Joint joint;
        // Every text the All implies, a classification among them, in one look.
        QList<const Part *> implied;
        impliedTexts(all, implied);
        if (m_engine == Engine::SQLite) {
            // One full-text expression of the words' covers, in the table that answers most of
            // them. The covers find a few rows more; the words are tested on the rows anyway.
            std::map<QString, QList<const Part *>> byTable;
            for (const Part *t : implied) {
                if (!t->indexTable.isEmpty())
                    byTable[t->indexTable].append(t);
            }
            const auto most = std::max_element(byTable.begin(), byTable.end(), [](const auto &a, const auto &b) {
                return a.second.size() < b.second.size();
            });
            if (most == byTable.end() || most->second.size() < 2)
                return std::nullopt;
            QStringList covers;
            for (const Part *t : most->second) {
                covers << u'(' + t->indexCover + u')';
                joint.words.insert(t);
            }
            joint.rows = {u"SELECT rowid FROM "_s + most->first + u" WHERE "_s + most->first + u" MATCH ?"_s,
                          {covers.join(u" AND "_s)}};
            return joint;
        }
        QStringList tests;
        QVariantList values;
        for (const Part *t : implied) {
            if (t->indexTest.sql.isEmpty())
                continue;
            tests << u'(' + t->indexTest.sql + u')';
            values << t->indexTest.values;
            joint.words.insert(t);
        }
        if (tests.size() < 2)
            return std::nullopt;
        joint.rows = {u"SELECT sn FROM fileserver_folded WHERE "_s + tests.join(u" AND "_s), values};
        return joint;
    }

    // The part lets few rows through: find them through the index, and test the rest on them.
    // `implied`: the whole condition implies the part (only "and" lies between them).
    void drive(const Part &p, bool implied)
    {
        switch (p.kind) {
        case Part::Kind::Text:
            if (const auto it = m_listed.find(&p); it != m_listed.end() && implied && m_jointRows.sql.isEmpty()) {
                m_jointRows = it->second;
                m_jointWords = {&p};
                m_listedDriver = &p;
            } else {
                m_driving.insert(&p);
            }
            break;
        case Part::Kind::All:
            if (const auto it = m_fewest.find(&p); it != m_fewest.end())
                drive(*it->second, implied);
            else if (const auto joint = m_joint.find(&p); joint != m_joint.end() && implied) {
                m_jointRows = joint->second.rows;
                m_jointWords = joint->second.words;
            }
            break;
        case Part::Kind::Any:
            for (const auto &child : p.children)
                drive(*child, false);
            break;
        case Part::Kind::Plain:
        case Part::Kind::Date:
            break;
        }
    }

    qint64 count(const SqlCondition::Form &probe, qint64 cap)
    {
        const RouteSettings route(m_conn, m_engine, SearchPlan::Route::ThroughIndex);
        QSqlQuery q(m_conn);
        return ask(q, probe.sql, probe.values + QVariantList{cap}) ? q.value(0).toLongLong() : cap;
    }

    // Runs a statement with its values bound and steps to its one row; on a failure keeps the
    // error for the plan and answers false.
    bool ask(QSqlQuery &q, const QString &sql, const QVariantList &values)
    {
        if (!q.prepare(sql)) {
            m_error = databaseError(q.lastError().text());
            return false;
        }
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (!q.exec() || !q.next()) {
            m_error = databaseError(q.lastError().text());
            return false;
        }
        return true;
    }

    // Whether a sample of the folded copy already shows that the text of the part is in at least
    // `cap` rows. PostgreSQL's trigram index lists every hit of a common phrase before it can
    // count the first: a few pages of the table tell the same in a fraction of the time. A
    // phrase the sample finds in few rows is counted exactly; a common one is never taken for rare.
    bool sampledCommon(const Part &p, qint64 cap)
    {
        if (m_engine != Engine::PostgreSQL || p.seekTest || p.indexTest.sql.isEmpty() || cap < kSampledFrom)
            return false;
        if (m_tableRows < 0) {
            QSqlQuery q(m_conn);
            m_tableRows = q.exec(u"SELECT reltuples FROM pg_class WHERE relname = 'fileserver_folded'"_s) && q.next()
                              ? qint64(q.value(0).toDouble())
                              : 0;
        }
        if (m_tableRows < kSampleRows * 4)
            return false;
        const double percent = 100.0 * double(kSampleRows) / double(m_tableRows);
        QSqlQuery q(m_conn);
        // REPEATABLE: the same pages every time, so that a search is planned the same way twice.
        if (!q.prepare(u"SELECT count(*) FROM fileserver_folded TABLESAMPLE SYSTEM (%1) REPEATABLE (7) WHERE "_s.arg(
                           percent, 0, 'f', 4)
                       + p.indexTest.sql))
            return false;
        for (const QVariant &v : p.indexTest.values)
            q.addBindValue(v);
        if (!q.exec() || !q.next())
            return false;
        const double estimate = q.value(0).toDouble() * 100.0 / percent;
        return estimate >= double(cap) * kSampledMargin;
    }

    // Whether PostgreSQL's own estimate already puts a part of the classification filter in at
    // least `cap` rows: its statistics know how many rows each common code has, and asking costs
    // less than counting the rows of all the classifications a user may see.
    bool estimatedCommon(const Part &p, qint64 cap)
    {
        if (m_engine != Engine::PostgreSQL || !p.seekTest || cap < kSampledFrom)
            return false;
        QSqlQuery q(m_conn);
        if (!q.exec(u"EXPLAIN "_s + inlined(p.rows.sql, p.rows.values)) || !q.next())
            return false;
        static const QRegularExpression rows(u" rows=(\\d+) "_s);
        const QRegularExpressionMatch m = rows.match(q.value(0).toString());
        return m.hasMatch() && m.captured(1).toDouble() >= double(cap) * kSampledMargin;
    }

    // A date range the condition implies that is read through the date index: the walk then
    // reads the rows of those dates only.
    bool hasNarrowDates(const Part &all)
    {
        if (all.kind != Part::Kind::All)
            return all.kind == Part::Kind::Date && !wide(all);
        return std::any_of(all.children.begin(), all.children.end(), [this](const auto &child) {
            return (child->kind == Part::Kind::Date || child->kind == Part::Kind::All) && hasNarrowDates(*child);
        });
    }

    bool wide(const Part &date)
    {
        if (m_engine != Engine::SQLite || date.kind != Part::Kind::Date)
            return false;
        if (!m_spanRead) {
            m_spanRead = true;
            QSqlQuery q(m_conn);
            // Two subqueries: each is answered from one end of the date index.
            if (q.exec(u"SELECT (SELECT min(d1) FROM \"FILESERVER\"), (SELECT max(d1) FROM \"FILESERVER\")"_s)
                && q.next()) {
                m_first = dateFromValue(q.value(0));
                m_last = dateFromValue(q.value(1));
            }
        }
        if (!m_first.isValid() || !m_last.isValid() || m_last <= m_first)
            return false;
        const QDateTime from = std::max(dateFromValue(date.from), m_first);
        const QDateTime until = std::min(dateFromValue(date.until), m_last);
        if (!from.isValid() || !until.isValid())
            return true;
        const double share = double(from.secsTo(until)) / double(m_first.secsTo(m_last));
        return share > kWideDateShare;
    }

    QSqlDatabase &m_conn;
    Engine m_engine;
    int m_rareHits;
    std::map<const Part *, std::pair<qint64, qint64>> m_bounds; // value, counted up to
    std::map<const Part *, const Part *> m_fewest;               // the child that bounds an All
    std::map<const Part *, Joint> m_joint;                       // or all its words at once
    std::map<const Part *, SqlCondition::Form> m_listed;         // the serials of a rare text
    const Part *m_listedDriver = nullptr; // the listed text whose serials drive, if one does
    SqlCondition::Form m_jointRows;
    std::set<const Part *> m_jointWords; // the parts the joint expression answers
    std::set<const Part *> m_driving;
    QList<SqlCondition::Form> m_intersection;
    bool m_forWhole = false;
    qint64 m_tableRows = -1;
    bool m_spanRead = false;
    QDateTime m_first, m_last;
    QString m_error;
};

} // namespace

Result<DocumentRow> CDFSet::counterRow() const
{
    Result<std::optional<DocumentRow>> row = rowBySerial(kCounterRowSerial);
    if (!row)
        return Result<DocumentRow>::failure(row.error());
    if (!row->has_value())
        return Result<DocumentRow>::failure(missingCounterRow());
    return **row;
}

Result<qint32> CDFSet::nextCardNumber() const
{
    return advanceCounter(m_db, DbFile::Archive, u"FILESERVER"_s, kCounterRowSerial, missingCounterRow());
}

Result<qint32> CDFSet::nextCardNumberIn(QSqlDatabase &conn)
{
    return advanceCounterIn(conn, u"FILESERVER"_s, kCounterRowSerial, missingCounterRow());
}

Result<QList<DocumentRow>> CDFSet::cardRows(qint32 card) const
{
    return Documents::select(m_db, cardIs(card), u"n2, sn"_s);
}

Result<QList<DocumentRow>> CDFSet::cardRowsBySerial(qint32 card) const
{
    return Documents::select(m_db, cardIs(card), u"sn"_s);
}

Result<QList<DocumentRow>> CDFSet::textRows(qint32 card) const
{
    return Documents::select(m_db, SqlCondition::allOf({cardIs(card), SqlCondition::raw(u"n3 = 55"_s)}), u"n2, sn"_s);
}

Result<QList<DocumentRow>> CDFSet::nonTextRows(qint32 card) const
{
    return Documents::select(m_db, SqlCondition::allOf({cardIs(card), SqlCondition::raw(u"n3 <> 55"_s)}), u"n2, sn"_s);
}

Result<std::optional<DocumentRow>> CDFSet::firstInCardOrder() const
{
    return Documents::first(m_db, {}, u"n1, sn"_s);
}

Result<std::optional<DocumentRow>> CDFSet::lastInCardOrder() const
{
    return Documents::first(m_db, {}, u"n1 DESC, sn DESC"_s);
}

Result<std::optional<DocumentRow>> CDFSet::lastBefore(qint32 card) const
{
    return Documents::first(m_db, {u"n1 < ?"_s, {card}}, u"n1 DESC, sn DESC"_s);
}

Result<std::optional<DocumentRow>> CDFSet::firstAfter(qint32 card) const
{
    return Documents::first(m_db, {u"n1 > ?"_s, {card}}, u"n1, sn"_s);
}

Result<QList<DocumentRow>> CDFSet::filedUnder(int code) const
{
    return Documents::select(m_db, SqlCondition::filedUnder(m_db.engine(), code), u"n1, n2"_s);
}

Result<bool> CDFSet::hasDocumentsUnder(int code) const
{
    return Documents::exists(m_db, SqlCondition::filedUnder(m_db.engine(), code));
}

Result<qint64> CDFSet::bytesInSeries(const QString &series) const
{
    Result<QSqlDatabase> conn = m_db.connection(DbFile::Archive);
    if (!conn)
        return Result<qint64>::failure(conn.error());
    QSqlQuery q(*conn);
    q.prepare(u"SELECT SUM(n6) FROM \"FILESERVER\" WHERE s7 = ? AND n3 <> 55"_s);
    q.addBindValue(series);
    if (!q.exec() || !q.next())
        return Result<qint64>::failure(databaseError(q.lastError().text()));
    const qint64 bytes = q.value(0).toLongLong();
    q.finish();
    return bytes;
}

Result<QList<DocumentRow>> CDFSet::activeReminders(const QString &user) const
{
    const SqlCondition active{m_db.engine() == Engine::SQLite ? u"b1 = 1"_s : u"b1 = TRUE"_s, {}};
    return Documents::select(m_db, SqlCondition::allOf({active, SqlCondition::equalsNoCase(u"s10"_s, user)}), u"sn"_s);
}

Result<std::optional<DocumentRow>> CDFSet::rowBySerial(qint32 serial) const
{
    return Documents::first(m_db, SqlCondition::equals(u"sn"_s, serial), u"sn"_s);
}

Result<QList<DocumentRow>> CDFSet::search(const SqlCondition &where, int limit) const
{
    if (!where.parts)
        return Documents::select(m_db, where, kReportOrder, limit);
    Result<QSqlDatabase> conn = m_db.connection(DbFile::Archive);
    if (!conn)
        return Result<QList<DocumentRow>>::failure(conn.error());
    Result<SearchPlan> plan = planSearch(where);
    // A part rare enough for the first page is rare enough for the whole; otherwise the index
    // is asked again, with the whole table as the bound.
    if (plan && limit < 0 && plan->route == SearchPlan::Route::ReportOrder) {
        QSqlQuery q(*conn);
        const qint64 rows = q.exec(u"SELECT max(sn) FROM \"FILESERVER\""_s) && q.next() ? q.value(0).toLongLong() : 0;
        q.finish();
        SearchPlanner planner(*conn, m_db.engine(), 0);
        planner.planForWhole(rows);
        plan = planner.plan(where);
    }
    if (!plan)
        return Result<QList<DocumentRow>>::failure(plan.error());
    const RouteSettings route(*conn, m_db.engine(), plan->route, limit);
    return Documents::select(m_db, plan->where, reportOrder(m_db.engine(), plan->route), limit);
}

Result<SearchPlan> CDFSet::planSearch(const SqlCondition &where, int rareHits, int firstPage) const
{
    if (!where.parts)
        return SearchPlan{where};
    Result<QSqlDatabase> conn = m_db.connection(DbFile::Archive);
    if (!conn)
        return Result<SearchPlan>::failure(conn.error());
    // On SQLite only: PostgreSQL's planner turns the tests of so short a walk into a join with
    // every hit of the text index, which costs more than the search. There a common phrase's
    // first page comes after a sample of the table (see SearchPlanner::sampledCommon).
    if (rareHits < 0 && firstPage > 0 && m_db.engine() == Engine::SQLite) {
        // Planned without a look at the index, every part tested on the row in hand.
        Result<SearchPlan> walk = SearchPlanner(*conn, m_db.engine(), 0).plan(where);
        if (!walk)
            return walk;
        // The cards up to the one that holds the kFirstRowsRead-th row in report order: a bound
        // on the card index, so that the walk stops there or at its page.
        const SqlCondition firstRowsOnly{u"n1 <= (SELECT n1 FROM \"FILESERVER\" ORDER BY "_s + kReportOrder
                                             + u" LIMIT 1 OFFSET "_s + QString::number(kFirstRowsRead - 1) + u')',
                                         {}};
        Result<QList<DocumentRow>> rows =
            Documents::select(m_db, SqlCondition::allOf({walk->where, firstRowsOnly}), kReportOrder, firstPage);
        if (!rows)
            return Result<SearchPlan>::failure(rows.error());
        if (rows->size() >= firstPage) {
            walk->firstRows = std::move(*rows);
            return walk;
        }
    }
    if (rareHits < 0) {
        // Through the index, the first page costs about 3 us per hit (all hits are found and
        // sorted); walking the report order costs about 15 us per row walked, and a part with H
        // hits among N rows needs 100 N / H rows for a page of 100. The two meet near 23 sqrt(N).
        QSqlQuery q(*conn);
        const qint64 rows = q.exec(u"SELECT max(sn) FROM \"FILESERVER\""_s) && q.next() ? q.value(0).toLongLong() : 0;
        rareHits = std::clamp(int(kRareHitsPerRootOfRows * std::sqrt(double(rows))), kFewestRareHits, kRareHits);
    }
    return SearchPlanner(*conn, m_db.engine(), rareHits).plan(where);
}

Result<QList<DocumentRow>> CDFSet::searchPage(const SearchPlan &plan, const std::optional<SearchKey> &after,
                                              int limit) const
{
    if (!after && plan.firstRows && plan.firstRows->size() >= limit)
        return plan.firstRows->mid(0, limit);
    Result<QSqlDatabase> conn = m_db.connection(DbFile::Archive);
    if (!conn)
        return Result<QList<DocumentRow>>::failure(conn.error());
    const RouteSettings route(*conn, m_db.engine(), plan.route, limit);
    SqlCondition page{plan.where.sql, plan.where.values};
    if (after) {
        page = SqlCondition::allOf(
            {page, SqlCondition{u"(n1, n2, sn) > (?, ?, ?)"_s, {after->cardNumber, after->itemNumber, after->serial}}});
    }
    return Documents::select(m_db, page, reportOrder(m_db.engine(), plan.route), limit);
}

Result<QStringList> CDFSet::explainSearch(const SearchPlan &plan, int limit) const
{
    Result<QSqlDatabase> conn = m_db.connection(DbFile::Archive);
    if (!conn)
        return Result<QStringList>::failure(conn.error());
    const RouteSettings route(*conn, m_db.engine(), plan.route, limit);
    QSqlQuery q(*conn);
    const QString select = u"SELECT sn FROM \"FILESERVER\" WHERE "_s + plan.where.sql + u" ORDER BY "_s
                           + reportOrder(m_db.engine(), plan.route)
                           + u" LIMIT "_s + QString::number(limit);
    if (m_db.engine() == Engine::SQLite) {
        if (!q.prepare(u"EXPLAIN QUERY PLAN "_s + select))
            return Result<QStringList>::failure(databaseError(q.lastError().text()));
        for (const QVariant &v : plan.where.values)
            q.addBindValue(v);
        if (!q.exec())
            return Result<QStringList>::failure(databaseError(q.lastError().text()));
    } else {
        if (!q.exec(u"EXPLAIN "_s + inlined(select, plan.where.values)))
            return Result<QStringList>::failure(databaseError(q.lastError().text()));
    }
    QStringList lines;
    while (q.next())
        lines << q.value(q.record().count() - 1).toString();
    return lines;
}

Result<qint32> CDFSet::insert(const DocumentRow &row) const
{
    Result<qint32> sn = Documents::insert(m_db, row);
    if (!sn)
        return sn;
    Result<QSqlDatabase> conn = m_db.connection(DbFile::Archive);
    if (!conn)
        return Result<qint32>::failure(conn.error());
    DocumentRow stored = row;
    stored.serial = *sn;
    if (Status s = SearchIndex::store(*conn, stored); !s)
        return Result<qint32>::failure(s.error());
    return sn;
}

Status CDFSet::update(const DocumentRow &row) const
{
    if (Status s = Documents::update(m_db, row); !s)
        return s;
    Result<QSqlDatabase> conn = m_db.connection(DbFile::Archive);
    if (!conn)
        return Status::failure(conn.error());
    return SearchIndex::store(*conn, row);
}

namespace {
Result<int> removeWhere(const Database &db, const SqlCondition &where)
{
    Result<QSqlDatabase> conn = db.connection(DbFile::Archive);
    if (!conn)
        return Result<int>::failure(conn.error());
    if (Status s = SearchIndex::forget(*conn, where.sql, where.values); !s)
        return Result<int>::failure(s.error());
    return Documents::remove(db, where);
}
} // namespace

Result<int> CDFSet::removeSerial(qint32 serial) const
{
    return removeWhere(m_db, SqlCondition::equals(u"sn"_s, serial));
}

Result<int> CDFSet::removeCard(qint32 card) const
{
    return removeWhere(m_db, cardIs(card));
}

Result<int> CDFSet::insertMany(const QList<DocumentRow> &rows) const
{
    Result<QSqlDatabase> conn = m_db.connection(DbFile::Archive);
    if (!conn)
        return Result<int>::failure(conn.error());
    QStringList names, marks;
    for (const Column<DocumentRow> &c : Documents::info().columns) {
        if (c.type == ColumnType::Key)
            continue;
        names << quoted(c.name);
        marks << u"?"_s;
    }
    QSqlQuery q(*conn);
    if (!q.prepare(u"INSERT INTO \"FILESERVER\" ("_s + names.join(u", "_s) + u") VALUES ("_s + marks.join(u", "_s)
                   + u") RETURNING sn"_s))
        return Result<int>::failure(databaseError(q.lastError().text()));
    QList<DocumentRow> stored;
    stored.reserve(rows.size());
    for (const DocumentRow &row : rows) {
        int i = 0;
        for (const Column<DocumentRow> &c : Documents::info().columns) {
            if (c.type != ColumnType::Key)
                q.bindValue(i++, Documents::boundValue(m_db.engine(), c, row));
        }
        if (!q.exec() || !q.next())
            return Result<int>::failure(databaseError(q.lastError().text()));
        stored.append(row);
        stored.back().serial = q.value(0).toInt();
        q.finish();
    }
    if (Status s = SearchIndex::storeNew(*conn, stored); !s)
        return Result<int>::failure(s.error());
    return int(stored.size());
}
