#include "common/TestArchive.h"
#include "db/CClaSet.h"
#include "db/CDFSet.h"
#include "db/CFLOWSET.h"
#include "db/CUserSet.h"
#include "users/PasswordHash.h"

#include <gtest/gtest.h>

#include <set>

namespace {

class Catalogue : public EngineTest
{
protected:
    qint32 addRow(qint32 card, qint32 item, qint32 kind, const QString &path = QStringLiteral("@1@"),
                  const QString &name = QStringLiteral("card"))
    {
        DocumentRow row;
        row.cardNumber = card;
        row.itemNumber = item;
        row.kind = kind;
        row.classPath = path;
        row.cardName = name;
        row.cardDate = QDateTime(QDate(2026, 1, 15), QTime(0, 0));
        const Result<qint32> sn = CDFSet(db()).insert(row);
        EXPECT_TRUE(sn.ok()) << sn.error().toStdString();
        return sn.ok() ? *sn : 0;
    }

    std::set<qint32> cards(const Result<QList<DocumentRow>> &rows)
    {
        EXPECT_TRUE(rows.ok()) << rows.error().toStdString();
        std::set<qint32> out;
        if (rows.ok()) {
            for (const DocumentRow &r : *rows)
                out.insert(r.cardNumber);
        }
        return out;
    }
};

} // namespace

TEST_P(Catalogue, FreshArchiveHasItsCounterRowSettingsRowAndMaster)
{
    const Result<DocumentRow> counter = CDFSet(db()).counterRow();
    ASSERT_TRUE(counter.ok()) << counter.error().toStdString();
    EXPECT_EQ(counter->serial, 1);
    EXPECT_EQ(counter->lastCardNumber, 0);
    EXPECT_LE(counter->cardNumber, 0);

    const Result<std::optional<WorkflowJob>> settings = CFLOWSET(db()).settingsRow();
    ASSERT_TRUE(settings.ok() && settings->has_value());
    EXPECT_EQ((*settings)->serial, 1);

    const Result<std::optional<UserRow>> master = CUserSet(db()).byName(QStringLiteral("MASTER"));
    ASSERT_TRUE(master.ok() && master->has_value());
    const UserRow &m = **master;
    for (qint32 code : {m.FilesBask, m.ScanneBask, m.FaxBask, m.constant, m.classes, m.docser, m.fileser, m.docnew,
                        m.docadd, m.docdel, m.docmod, m.printjob, m.partyStage, m.deleteJob})
        EXPECT_EQ(code, 7);
    EXPECT_EQ(m.classAccess, QStringLiteral("@"));
    EXPECT_NE(m.password, kTestMasterPassword) << "the password must not be stored as text";
    EXPECT_TRUE(PasswordHash::matches(m.password, kTestMasterPassword));
    EXPECT_FALSE(PasswordHash::matches(m.password, QStringLiteral("1"))) << "the digit the login offers opens nothing";
}

TEST_P(Catalogue, CardNumbersCountUpAndAreNeverReused)
{
    const CDFSet set(db());
    EXPECT_EQ(*set.nextCardNumber(), 1);
    EXPECT_EQ(*set.nextCardNumber(), 2);
    const qint32 sn = addRow(2, 1, KindFile);
    ASSERT_EQ(*set.removeSerial(sn), 1);
    // The highest card was deleted; the next number still follows it.
    EXPECT_EQ(*set.nextCardNumber(), 3);
    EXPECT_EQ(set.counterRow()->lastCardNumber, 3);
}

TEST_P(Catalogue, FiledUnderMatchesTheWholeCodeOnly)
{
    addRow(1, 1, KindFile, QStringLiteral("@5@"));
    addRow(2, 1, KindFile, QStringLiteral("@55@"));
    addRow(3, 1, KindFile, QStringLiteral("@15@"));
    addRow(4, 1, KindFile, QStringLiteral("@12@5@"));
    addRow(5, 1, KindFile, QStringLiteral("@1@2@3@4@6@7@8@5@"));
    const CDFSet set(db());
    EXPECT_EQ(cards(set.filedUnder(5)), (std::set<qint32>{1, 4, 5}));
    EXPECT_EQ(cards(set.filedUnder(55)), (std::set<qint32>{2}));
    EXPECT_EQ(cards(set.filedUnder(1)), (std::set<qint32>{5}));
    EXPECT_TRUE(*set.hasDocumentsUnder(15));
    EXPECT_FALSE(*set.hasDocumentsUnder(9));
}

TEST_P(Catalogue, TypedTextIsStoredAndFoundLiterally)
{
    addRow(1, 1, KindFile, QStringLiteral("@1@"), QStringLiteral("O'Brien's letter"));
    addRow(2, 1, KindFile, QStringLiteral("@1@"), QStringLiteral("100% sure"));
    addRow(3, 1, KindFile, QStringLiteral("@1@"), QStringLiteral("a*b"));
    addRow(4, 1, KindFile, QStringLiteral("@1@"), QStringLiteral("A_B and ab"));
    addRow(5, 1, KindFile, QStringLiteral("@1@"), QStringLiteral("plain ab \\ slash"));
    addRow(6, 1, KindFile, QStringLiteral("@1@"), QStringLiteral("رسالة الموظفين"));
    const CDFSet set(db());
    const Engine e = db().engine();
    auto named = [&](const QString &text) { return cards(set.search(SqlCondition::contains(e, QStringLiteral("s2"), text))); };

    EXPECT_EQ(named(QStringLiteral("'")), (std::set<qint32>{1}));
    EXPECT_EQ(named(QStringLiteral("%")), (std::set<qint32>{2}));
    EXPECT_EQ(named(QStringLiteral("*")), (std::set<qint32>{3}));
    EXPECT_EQ(named(QStringLiteral("_")), (std::set<qint32>{4}));
    EXPECT_EQ(named(QStringLiteral("\\")), (std::set<qint32>{5}));
    EXPECT_EQ(named(QStringLiteral("a*")), (std::set<qint32>{3}));
    // Letter case does not matter.
    EXPECT_EQ(named(QStringLiteral("o'BRIEN")), (std::set<qint32>{1}));
    EXPECT_EQ(named(QStringLiteral("AB")), (std::set<qint32>{4, 5}));
    EXPECT_EQ(named(QStringLiteral("الموظفين")), (std::set<qint32>{6}));
    const Result<QList<DocumentRow>> all = set.search({});
    ASSERT_TRUE(all.ok());
    EXPECT_EQ(all->size(), 7);
    EXPECT_EQ(all->at(1).cardName, QStringLiteral("O'Brien's letter"));
}

TEST_P(Catalogue, UserNamesMatchExactlyWithoutRegardToCase)
{
    const CUserSet users(db());
    UserRow clerk;
    clerk.user = QStringLiteral("Clerk");
    clerk.classAccess = QStringLiteral("@12@");
    ASSERT_TRUE(users.insert(clerk).ok());
    UserRow quoted;
    quoted.user = QStringLiteral("O'NEIL%");
    ASSERT_TRUE(users.insert(quoted).ok());

    const Result<std::optional<UserRow>> found = users.byName(QStringLiteral("CLERK"));
    ASSERT_TRUE(found.ok() && found->has_value());
    EXPECT_EQ((*found)->user, QStringLiteral("Clerk"));
    EXPECT_FALSE(users.byName(QStringLiteral("CL%"))->has_value());
    EXPECT_FALSE(users.byName(QStringLiteral("CLER_"))->has_value());
    EXPECT_FALSE(users.byName(QStringLiteral("*"))->has_value());
    EXPECT_FALSE(users.byName(QStringLiteral("CLER"))->has_value());
    EXPECT_TRUE(users.byName(QStringLiteral("o'neil%"))->has_value());

    UserRow twin;
    twin.user = QStringLiteral("CLERK");
    const Result<qint32> dup = users.insert(twin);
    ASSERT_FALSE(dup.ok());
    EXPECT_EQ(dup.error(), CUserSet::duplicateNameMessage());
    EXPECT_EQ(users.all()->size(), 3);

    UserRow renamed = **found;
    renamed.user = QStringLiteral("master");
    EXPECT_FALSE(users.update(renamed).ok());
    renamed.user = QStringLiteral("Clerk");
    renamed.docadd = 7;
    ASSERT_TRUE(users.update(renamed).ok());
    EXPECT_EQ((*users.byName(QStringLiteral("clerk")))->docadd, 7);
}

TEST_P(Catalogue, RowsOfACardAndNavigationBetweenCards)
{
    addRow(4, 2, KindImage);
    addRow(4, 1, KindText);
    addRow(4, 1, KindFile);
    addRow(9, 1, KindFolder);
    addRow(7, 1, KindFile);
    const CDFSet set(db());

    const Result<QList<DocumentRow>> rows = set.cardRows(4);
    ASSERT_TRUE(rows.ok());
    ASSERT_EQ(rows->size(), 3);
    EXPECT_EQ(rows->at(0).itemNumber, 1);
    EXPECT_EQ(rows->at(2).itemNumber, 2);
    EXPECT_EQ(set.textRows(4)->size(), 1);
    EXPECT_EQ(set.nonTextRows(4)->size(), 2);
    const Result<QList<DocumentRow>> bySerial = set.cardRowsBySerial(4);
    EXPECT_LT(bySerial->at(0).serial, bySerial->at(1).serial);
    EXPECT_EQ(bySerial->at(0).kind, KindImage);

    // The counter row comes first in card order: the start of the archive.
    EXPECT_EQ((*set.firstInCardOrder())->serial, 1);
    EXPECT_EQ((*set.lastInCardOrder())->cardNumber, 9);
    EXPECT_EQ((*set.lastBefore(7))->cardNumber, 4);
    EXPECT_EQ((*set.firstAfter(4))->cardNumber, 7);
    EXPECT_FALSE(set.firstAfter(9)->has_value());
    EXPECT_EQ((*set.lastBefore(4))->serial, 1);
}

TEST_P(Catalogue, DatesAndRemindersRoundTrip)
{
    const CDFSet set(db());
    const qint32 sn = addRow(1, 1, KindFile);
    DocumentRow row = **set.rowBySerial(sn);
    EXPECT_EQ(row.cardDate, QDateTime(QDate(2026, 1, 15), QTime(0, 0)));
    EXPECT_FALSE(row.archivingDate.isValid());
    row.reminderUser = QStringLiteral("CLERK");
    row.reminderText = QStringLiteral("راجع الملف");
    row.reminderTime = QDateTime(QDate(2026, 12, 9), QTime(14, 30, 5));
    row.reminderActive = true;
    ASSERT_TRUE(set.update(row).ok());
    DocumentRow inactive = row;
    inactive.serial = addRow(2, 1, KindFile);
    inactive.cardNumber = 2;
    inactive.reminderActive = false;
    ASSERT_TRUE(set.update(inactive).ok());

    const Result<QList<DocumentRow>> reminders = set.activeReminders(QStringLiteral("clerk"));
    ASSERT_TRUE(reminders.ok()) << reminders.error().toStdString();
    ASSERT_EQ(reminders->size(), 1);
    EXPECT_EQ(reminders->at(0).serial, sn);
    EXPECT_EQ(reminders->at(0).reminderTime, row.reminderTime);
    EXPECT_EQ(reminders->at(0).reminderText, row.reminderText);
    EXPECT_TRUE(set.activeReminders(QStringLiteral("OTHER"))->isEmpty());

    // An inclusive range of days ends at the start of the next day.
    const Engine e = db().engine();
    auto inRange = [&](QDate from, QDate to) {
        return cards(set.search(SqlCondition::dateRange(e, QStringLiteral("d1"), from.startOfDay(), to.addDays(1).startOfDay())));
    };
    EXPECT_EQ(inRange(QDate(2026, 1, 15), QDate(2026, 1, 15)), (std::set<qint32>{1, 2}));
    EXPECT_TRUE(inRange(QDate(2026, 1, 16), QDate(2026, 2, 1)).empty());
}

TEST_P(Catalogue, ClassificationsKeepTheirCodesUnique)
{
    const CClaSet classes(db());
    ClassRow row;
    row.codeText = QStringLiteral("12");
    row.code = 12;
    row.name = QStringLiteral("عقود");
    row.parentName = rootClassName();
    const Result<qint32> sn = classes.insert(row);
    ASSERT_TRUE(sn.ok()) << sn.error().toStdString();
    const ClassRow stored = **classes.bySerial(*sn);
    EXPECT_EQ(stored.serialText, QString::number(*sn));
    EXPECT_EQ(*classes.nameOfCode(12), QStringLiteral("عقود"));
    EXPECT_TRUE(classes.nameOfCode(13)->isEmpty());

    ClassRow same = row;
    same.name = QStringLiteral("اسم آخر");
    EXPECT_EQ(classes.insert(same).error(), CClaSet::duplicateCodeMessage());
    same.codeText = QStringLiteral("012"); // the same number typed differently
    EXPECT_EQ(classes.insert(same).error(), CClaSet::duplicateCodeMessage());
    EXPECT_EQ(classes.all()->size(), 1);

    // Codes whose number is 0 cannot stand on a card, so they need not be unique as numbers.
    ClassRow word;
    word.codeText = QStringLiteral("abc");
    ASSERT_TRUE(classes.insert(word).ok());
    word.codeText = QStringLiteral("xyz");
    ASSERT_TRUE(classes.insert(word).ok());

    ClassRow child;
    child.codeText = QStringLiteral("31");
    child.code = 31;
    child.parentCode = 12;
    const Result<qint32> childSn = classes.insert(child);
    ASSERT_TRUE(childSn.ok());
    EXPECT_EQ(classes.children(12)->size(), 1);
    EXPECT_EQ(classes.children(0)->size(), 3);

    // Editing onto a code in use is refused and leaves the row as it was.
    ClassRow edited = **classes.bySerial(*childSn);
    edited.codeText = QStringLiteral("12");
    edited.code = 12;
    EXPECT_EQ(classes.update(edited).error(), CClaSet::duplicateCodeMessage());
    EXPECT_EQ((*classes.bySerial(*childSn))->code, 31);
    edited.codeText = QStringLiteral("32");
    edited.code = 32;
    ASSERT_TRUE(classes.update(edited).ok());
    EXPECT_EQ((*classes.byCode(32))->serialText, QString::number(*childSn));
    EXPECT_EQ((*classes.before(*childSn))->codeText, QStringLiteral("xyz"));
    EXPECT_FALSE(classes.after(*childSn)->has_value());
}

TEST_P(Catalogue, WorkflowJobsLeaveTheSettingsRowAside)
{
    const CFLOWSET flow(db());
    EXPECT_EQ(*flow.nextJobNumber(), 1);
    for (qint32 n : {3, 1, 2}) {
        WorkflowJob job;
        job.number = n;
        job.publicationName = QStringLiteral("كتاب %1").arg(n);
        job.printingDate = QDateTime(QDate(1999, 1, 1), QTime(0, 0));
        ASSERT_TRUE(flow.insert(job).ok());
    }
    const Result<QList<WorkflowJob>> jobs = flow.jobs();
    ASSERT_TRUE(jobs.ok());
    ASSERT_EQ(jobs->size(), 3);
    EXPECT_EQ(jobs->at(0).number, 1);
    EXPECT_EQ((*flow.byNumber(2))->publicationName, QStringLiteral("كتاب 2"));
    EXPECT_EQ((*flow.byNumber(2))->printingDate.date(), QDate(1999, 1, 1));
    EXPECT_EQ(flow.search(SqlCondition::contains(db().engine(), QStringLiteral("s1"), QStringLiteral("3")))->size(), 1);
    EXPECT_EQ((*flow.settingsRow())->lastJobNumber, 1);
}

DOVRELLE_ON_BOTH_ENGINES(Catalogue);

TEST(StoredDates, TheStoredTextReadsBackExactlyAndOtherFormsStillRead)
{
    EXPECT_EQ(dateFromValue(QStringLiteral("2026-03-01 13:45:07")), QDateTime(QDate(2026, 3, 1), QTime(13, 45, 7)));
    EXPECT_EQ(dateFromValue(dateValue(Engine::SQLite, QDate(1999, 1, 1).startOfDay())), QDate(1999, 1, 1).startOfDay());
    EXPECT_FALSE(dateFromValue(QStringLiteral("2026-02-30 00:00:00")).isValid());
    EXPECT_FALSE(dateFromValue(QStringLiteral("2026-0a-01 00:00:00")).isValid());
    EXPECT_EQ(dateFromValue(QStringLiteral("2026-03-01T10:00:00")), QDateTime(QDate(2026, 3, 1), QTime(10, 0)));
    EXPECT_FALSE(dateFromValue(QVariant()).isValid());
}
