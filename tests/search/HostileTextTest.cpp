// Texts that mean something to SQL or to a LIKE pattern (quotes, "%", "_", "*", "[", a zero
// character, a very long text) typed into every field that reaches the database: searches find
// exactly the rows that hold them, and storing one changes that row alone, on both engines.
#include "baskets/MemoStore.h"
#include "classes/ClassEditor.h"
#include "common/TestArchive.h"
#include "db/CClaSet.h"
#include "db/CDFSet.h"
#include "db/CUserSet.h"
#include "search/QueryBuilder.h"
#include "users/UserAdmin.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>

#include <algorithm>
#include <map>
#include <set>

namespace {

struct Hostile
{
    const char *label;
    QString text;
};

QList<Hostile> hostileTexts()
{
    return {
        {"quotes", QStringLiteral("O'Neil \"قال\" '' ; DROP TABLE \"FILESERVER\"; --")},
        {"percent", QStringLiteral("100%")},
        {"underscore", QStringLiteral("a_b")},
        // Shorter than the text index's trigram: read with LIKE from the folded copy.
        {"short underscore", QStringLiteral("_X")},
        {"star", QStringLiteral("*")},
        {"bracket", QStringLiteral("[ab]")},
        {"backslash", QStringLiteral("c:\\x\\%")},
        {"zero", QStringLiteral("x") + QChar(0) + QStringLiteral("y")},
        {"long", QString(20000, QChar(0x0639)) + QStringLiteral("طويل")},
    };
}

// Rows each wildcard would match if it were taken as one: "100x" for "%", "aXb" for "_", any row
// for "*", "a" for "[ab]".
const QStringList kDecoys{QStringLiteral("100x"), QStringLiteral("aXb"), QStringLiteral("a"), QStringLiteral("plain"),
                          QStringLiteral("c:xx")};

const PermittedClasses kEverything{{QStringLiteral("1")}, {}, {}};

class HostileText : public EngineTest
{
protected:
    qint32 add(qint32 card, const QString &keywords, const QString &name = QStringLiteral("file.pdf"))
    {
        DocumentRow row;
        row.cardNumber = card;
        row.itemNumber = 1;
        row.kind = 1;
        row.classPath = QStringLiteral("@1@");
        row.fileName = name;
        row.keywords = keywords;
        row.cardDate = QDate(2026, 5, 10).startOfDay();
        const Result<qint32> serial = CDFSet(db()).insert(row);
        EXPECT_TRUE(serial.ok()) << serial.error().toStdString();
        return serial.ok() ? *serial : 0;
    }

    // Every row's card, keywords and file name, to tell that nothing else changed.
    QStringList everyRow()
    {
        SearchRequest r;
        r.general = false;
        r.classText = QueryBuilder::allClassesText();
        r.from = QDate(2000, 1, 1);
        r.to = QDate(2030, 1, 1);
        const Result<BuiltQuery> q = QueryBuilder::build(r, kEverything, db().engine());
        EXPECT_TRUE(q.ok());
        const Result<QList<DocumentRow>> rows = CDFSet(db()).search(q->where);
        EXPECT_TRUE(rows.ok()) << rows.error().toStdString();
        QStringList out;
        for (const DocumentRow &row : rows.ok() ? *rows : QList<DocumentRow>())
            out << QString::number(row.cardNumber) + u'|' + row.keywords + u'|' + row.fileName + u'|' + row.reminderText;
        out.sort();
        return out;
    }

    // The cards a search finds, or nothing with the failure recorded when it fails.
    std::optional<std::set<qint32>> hits(const SearchRequest &r, QString *failure)
    {
        const Result<BuiltQuery> q = QueryBuilder::build(r, kEverything, db().engine());
        if (!q) {
            *failure = q.error();
            return std::nullopt;
        }
        const Result<QList<DocumentRow>> rows = CDFSet(db()).search(q->where);
        if (!rows) {
            *failure = rows.error();
            return std::nullopt;
        }
        std::set<qint32> out;
        for (const DocumentRow &row : *rows)
            out.insert(row.cardNumber);
        return out;
    }

    static SearchRequest keywordSearch(const QString &keywords)
    {
        SearchRequest r;
        r.general = false;
        r.classText = QueryBuilder::allClassesText();
        r.from = QDate(2026, 5, 1);
        r.to = QDate(2026, 5, 31);
        r.keywords = keywords;
        return r;
    }

    static SearchRequest phraseSearch(const QString &phrase)
    {
        SearchRequest r = keywordSearch({});
        r.general = true;
        r.phrase = phrase;
        return r;
    }

    // A zero character cannot be stored in a PostgreSQL text: the engine refuses it. Whatever the
    // engine, storing it either keeps it exactly or fails with a message and keeps nothing.
    bool engineRefusesZero() const { return db().engine() == Engine::PostgreSQL; }
};

} // namespace

TEST_P(HostileText, SearchesFindExactlyTheRowsThatHoldTheText)
{
    qint32 card = 1;
    std::map<QString, qint32> cardOf;
    for (const QString &decoy : kDecoys)
        add(card++, decoy);
    for (const Hostile &h : hostileTexts()) {
        if (h.text.contains(QChar(0)) && engineRefusesZero())
            continue;
        cardOf[h.text] = card;
        add(card++, QStringLiteral("قبل ") + h.text + QStringLiteral(" بعد"), h.text.left(100) + QStringLiteral(".pdf"));
    }
    const QStringList before = everyRow();
    ASSERT_EQ(before.size(), card - 1);

    for (const Hostile &h : hostileTexts()) {
        SCOPED_TRACE(h.label);
        for (const SearchRequest &r : {keywordSearch(h.text), phraseSearch(h.text)}) {
            QString failure;
            QElapsedTimer clock;
            clock.start();
            const std::optional<std::set<qint32>> found = hits(r, &failure);
            // A pasted page of text once took a minute through the text index on a dozen rows.
            EXPECT_LT(clock.elapsed(), 10000) << (r.general ? "phrase" : "keywords");
            if (!found) {
                // Only the zero character may be refused, and then with a message.
                EXPECT_TRUE(h.text.contains(QChar(0))) << failure.toStdString();
                EXPECT_FALSE(failure.isEmpty());
                continue;
            }
            if (cardOf.count(h.text))
                EXPECT_EQ(*found, (std::set<qint32>{cardOf[h.text]})) << (r.general ? "phrase" : "keywords");
            else
                EXPECT_TRUE(found->empty());
        }
    }
    EXPECT_EQ(everyRow(), before) << "a search changes no row";
}

TEST_P(HostileText, ClassificationNamesAreStoredAsTypedAndChangeNoOtherRow)
{
    ClassEditor editor(db());
    QList<std::pair<qint32, QString>> stored;
    qint32 code = 10;
    for (const Hostile &h : hostileTexts()) {
        SCOPED_TRACE(h.label);
        editor.clear();
        editor.fields().code = QString::number(code);
        editor.fields().name = h.text;
        editor.fields().notes = h.text;
        const QList<ClassRow> before = *CClaSet(db()).all();
        const ClassEditor::Outcome o = editor.add();
        if (o.kind != ClassEditor::Outcome::Done) {
            EXPECT_TRUE(h.text.contains(QChar(0)) || h.text.size() > 255) << o.message.toStdString();
            EXPECT_FALSE(o.message.isEmpty());
            EXPECT_EQ(CClaSet(db()).all()->size(), before.size()) << "a refused name adds nothing";
        } else {
            stored.append({code, h.text});
        }
        ++code;
    }
    ASSERT_FALSE(stored.isEmpty());
    for (const auto &[c, name] : stored) {
        const Result<std::optional<ClassRow>> row = CClaSet(db()).byCode(c);
        ASSERT_TRUE(row.ok() && row->has_value()) << c;
        EXPECT_EQ((*row)->name, name) << c;
    }
    EXPECT_EQ(CClaSet(db()).all()->size(), stored.size());
}

TEST_P(HostileText, UserNamesMatchOnlyThemselves)
{
    QStringList added;
    for (const Hostile &h : hostileTexts()) {
        SCOPED_TRACE(h.label);
        NewUser u;
        u.name = h.text.left(40);
        u.password = QStringLiteral("pw");
        const Result<qint32> r = addUser(db(), u);
        if (r)
            added << u.name;
        else
            EXPECT_FALSE(r.error().isEmpty());
    }
    // Quotes, "%", "_", "*" and "[" are ordinary letters of a name.
    const QList<Hostile> texts = hostileTexts();
    for (const char *name : {"percent", "underscore", "star", "bracket", "quotes"}) {
        const auto it = std::find_if(texts.cbegin(), texts.cend(),
                                     [&](const Hostile &h) { return qstrcmp(h.label, name) == 0; });
        EXPECT_TRUE(added.contains(it->text.left(40))) << name;
    }
    for (const QString &name : added) {
        const Result<std::optional<UserRow>> row = CUserSet(db()).byName(name);
        ASSERT_TRUE(row.ok() && row->has_value()) << name.toStdString();
        EXPECT_EQ((*row)->user, name);
    }
    // Taken as patterns they would find MASTER or "a_b".
    for (const QString &pattern : {QStringLiteral("%"), QStringLiteral("M%"), QStringLiteral("a%b"),
                                   QStringLiteral("MASTE_"), QStringLiteral("*"), QStringLiteral("[M]ASTER")}) {
        if (added.contains(pattern))
            continue;
        const Result<std::optional<UserRow>> row = CUserSet(db()).byName(pattern);
        ASSERT_TRUE(row.ok()) << row.error().toStdString();
        EXPECT_FALSE(row->has_value()) << pattern.toStdString();
    }
    EXPECT_EQ(CUserSet(db()).all()->size(), added.size() + 1) << "MASTER and the users added, nobody else";
}

TEST_P(HostileText, MemoTextIsStoredAsWrittenOnItsOwnRow)
{
    const qint32 first = add(1, QStringLiteral("one"));
    const qint32 second = add(2, QStringLiteral("two"));
    const MemoStore memos(db());
    for (const Hostile &h : hostileTexts()) {
        SCOPED_TRACE(h.label);
        const QStringList before = everyRow();
        Memo memo;
        memo.addressee = h.text.left(50);
        memo.text = h.text;
        memo.reminder = QDate(2026, 6, 1).startOfDay();
        memo.remind = true;
        const Status written = memos.write(first, memo);
        if (!written) {
            EXPECT_TRUE(h.text.contains(QChar(0)) && engineRefusesZero()) << written.error().toStdString();
            EXPECT_EQ(everyRow(), before) << "a refused memo changes nothing";
            continue;
        }
        const Result<MemoItem> read = memos.read(first);
        ASSERT_TRUE(read.ok()) << read.error().toStdString();
        EXPECT_EQ(read->memo.text, h.text);
        EXPECT_EQ(read->memo.addressee, h.text.left(50));
        const Result<MemoItem> other = memos.read(second);
        ASSERT_TRUE(other.ok());
        EXPECT_TRUE(other->memo.text.isEmpty()) << "the other row keeps no memo";
    }
}

DOVRELLE_ON_BOTH_ENGINES(HostileText);
