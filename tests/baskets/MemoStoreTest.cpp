#include "baskets/MemoStore.h"
#include "common/TestArchive.h"
#include "db/CDFSet.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class MemoRows : public EngineTest
{
protected:
    qint32 addItem()
    {
        DocumentRow row;
        row.cardNumber = 4;
        row.itemNumber = 1;
        row.kind = KindImage;
        row.classPath = u"@3@"_s;
        row.cardName = u"بطاقة"_s;
        row.fileName = u"عقد ايجار.jpg"_s;
        row.keywords = u"عقد، ايجار"_s;
        row.seriesFolder = u"Ser1"_s;
        row.extension = u"JPG"_s;
        row.description = u"وصف"_s;
        row.cardDate = QDate(2026, 3, 1).startOfDay();
        row.archivingDate = QDate(2026, 3, 2).startOfDay();
        const Result<qint32> sn = CDFSet(db()).insert(row);
        EXPECT_TRUE(sn.ok()) << sn.error().toStdString();
        return sn.ok() ? *sn : 0;
    }

    std::optional<DocumentRow> row(qint32 sn)
    {
        const Result<std::optional<DocumentRow>> r = CDFSet(db()).rowBySerial(sn);
        EXPECT_TRUE(r.ok());
        return r.ok() ? *r : std::nullopt;
    }

    QList<qint32> listedFor(const QString &user)
    {
        QList<qint32> serials;
        const Result<QList<DocumentRow>> rows = CDFSet(db()).activeReminders(user);
        EXPECT_TRUE(rows.ok()) << rows.error().toStdString();
        for (const DocumentRow &r : rows.ok() ? *rows : QList<DocumentRow>())
            serials.append(r.serial);
        return serials;
    }
};

const QDateTime kReminder(QDate(2026, 12, 24), QTime(9, 30, 15));

} // namespace

TEST_P(MemoRows, ARowThatNeverHadAMemoReadsEmpty)
{
    const qint32 sn = addItem();
    const Result<MemoItem> item = MemoStore(db()).read(sn);
    ASSERT_TRUE(item.ok()) << item.error().toStdString();
    EXPECT_EQ(item->caption(), u" الملف / عقد ايجار.jpg  /  عقد، ايجار"_s);
    EXPECT_EQ(item->entered.date(), QDate(2026, 3, 2));
    EXPECT_TRUE(item->memo.addressee.isEmpty());
    EXPECT_TRUE(item->memo.text.isEmpty());
    EXPECT_FALSE(item->memo.reminder.isValid());
    EXPECT_FALSE(item->memo.remind);
}

TEST_P(MemoRows, TheFourColumnsRoundTripAndNothingElseChanges)
{
    const qint32 sn = addItem();
    const std::optional<DocumentRow> before = row(sn);
    ASSERT_TRUE(before);

    const Memo memo{u"Clerk"_s, u"راجع العقد قبل التجديد\nسطر ثان"_s, kReminder, true};
    ASSERT_TRUE(MemoStore(db()).write(sn, memo).ok());

    const Result<MemoItem> item = MemoStore(db()).read(sn);
    ASSERT_TRUE(item.ok()) << item.error().toStdString();
    EXPECT_EQ(item->memo.addressee, memo.addressee);
    EXPECT_EQ(item->memo.text, memo.text);
    EXPECT_EQ(item->memo.reminder, kReminder);
    EXPECT_TRUE(item->memo.remind);

    const std::optional<DocumentRow> after = row(sn);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->cardNumber, before->cardNumber);
    EXPECT_EQ(after->classPath, before->classPath);
    EXPECT_EQ(after->fileName, before->fileName);
    EXPECT_EQ(after->keywords, before->keywords);
    EXPECT_EQ(after->description, before->description);
    EXPECT_EQ(after->archivingDate, before->archivingDate);

    // The side bar finds it for the addressee whatever the letter case of the login name.
    EXPECT_EQ(listedFor(u"CLERK"_s), QList<qint32>{sn});
    EXPECT_TRUE(listedFor(u"MASTER"_s).isEmpty());
}

TEST_P(MemoRows, RemindOffKeepsTheMemoButTakesItOffTheList)
{
    const qint32 sn = addItem();
    ASSERT_TRUE(MemoStore(db()).write(sn, {u"Clerk"_s, u"نص"_s, kReminder, true}).ok());
    ASSERT_EQ(listedFor(u"CLERK"_s), QList<qint32>{sn});

    ASSERT_TRUE(MemoStore(db()).write(sn, {u"Clerk"_s, u"نص"_s, kReminder, false}).ok());

    EXPECT_TRUE(listedFor(u"CLERK"_s).isEmpty());
    const std::optional<DocumentRow> after = row(sn);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->reminderUser, u"Clerk"_s);
    EXPECT_EQ(after->reminderText, u"نص"_s);
    EXPECT_EQ(after->reminderTime, kReminder);
    EXPECT_FALSE(after->reminderActive);
}

TEST_P(MemoRows, SavingAgainKeepsTheLatestValues)
{
    const qint32 sn = addItem();
    ASSERT_TRUE(MemoStore(db()).write(sn, {u"Clerk"_s, u"اول"_s, kReminder, true}).ok());
    const QDateTime later = kReminder.addDays(3);
    ASSERT_TRUE(MemoStore(db()).write(sn, {u"O'Neil"_s, u"ثان"_s, later, true}).ok());
    const std::optional<DocumentRow> after = row(sn);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->reminderUser, u"O'Neil"_s) << "a typed name is stored as typed, quote included";
    EXPECT_EQ(after->reminderText, u"ثان"_s);
    EXPECT_EQ(after->reminderTime, later);
    EXPECT_TRUE(listedFor(u"CLERK"_s).isEmpty());
    EXPECT_EQ(listedFor(u"O'NEIL"_s), QList<qint32>{sn});
}

TEST_P(MemoRows, ANumberWithoutARowSaysSoAndWritesNothing)
{
    const qint32 sn = addItem();
    const qint32 missing = sn + 100;
    const MemoStore store(db());

    const Result<MemoItem> item = store.read(missing);
    ASSERT_FALSE(item.ok());
    EXPECT_EQ(item.error(), MemoStore::noSuchRowMessage(missing));
    EXPECT_TRUE(item.error().contains(QString::number(missing)));

    const Status s = store.write(missing, {u"Clerk"_s, u"نص"_s, kReminder, true});
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error(), MemoStore::noSuchRowMessage(missing));
    EXPECT_TRUE(listedFor(u"CLERK"_s).isEmpty());
    // No row appeared, and the counter row takes no memo either.
    EXPECT_FALSE(row(missing).has_value());
    EXPECT_FALSE(store.write(kCounterRowSerial, {u"Clerk"_s, u"نص"_s, kReminder, true}).ok());
    const std::optional<DocumentRow> counter = row(kCounterRowSerial);
    ASSERT_TRUE(counter);
    EXPECT_TRUE(counter->reminderUser.isEmpty());
    EXPECT_FALSE(counter->reminderActive);
}

DOVRELLE_ON_BOTH_ENGINES(MemoRows);

TEST(MemoRowNumber, OnlyPositiveNumbersAreRowNumbers)
{
    EXPECT_EQ(*MemoStore::parseRowNumber(u"42"_s), 42);
    EXPECT_EQ(*MemoStore::parseRowNumber(u" 7 "_s), 7);
    for (const QString &bad : {u""_s, u"abc"_s, u"0"_s, u"-3"_s, u"12x"_s}) {
        const Result<qint32> r = MemoStore::parseRowNumber(bad);
        EXPECT_FALSE(r.ok()) << bad.toStdString();
        EXPECT_FALSE(r.error().isEmpty());
    }
}
