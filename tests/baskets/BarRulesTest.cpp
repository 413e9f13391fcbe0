#include "baskets/BasketSource.h"
#include "baskets/ReceivedFiles.h"
#include "baskets/Reminders.h"
#include "cards/CopyOrder.h"
#include "classes/ClassEditor.h"
#include "classes/ClassLevel.h"
#include "common/TestArchive.h"
#include "search/ReportCopy.h"
#include "users/UserAdmin.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

void touch(const QString &path, const QByteArray &bytes = "x")
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(BasketSource, TheReceivedFilesBasketIsTheUsersFolderUnderItsOwnTitle)
{
    const BasketSource received = BasketSource::receivedFiles(u"/srv/DataBase"_s, u"Clerk"_s);
    EXPECT_EQ(received.title, u"Recived Files"_s);
    EXPECT_EQ(received.folder, receivedFilesFolder(u"/srv/DataBase"_s, u"Clerk"_s));
    EXPECT_TRUE(received.folder.endsWith(u"/Clerk"_s)) << received.folder.toStdString();
    EXPECT_EQ(received.indexFile, u"non"_s);
    EXPECT_TRUE(received.isReceivedFiles());

    // Only the title makes a browsed folder the received files, wherever the folder is.
    const BasketSource feed = BasketSource::ofFolder(u"الفاكس"_s, received.folder);
    EXPECT_FALSE(feed.isReceivedFiles());
    EXPECT_EQ(feed.indexFile, u"non"_s);
    EXPECT_TRUE(BasketSource::ofFolder(u"Recived Files"_s, u"/tmp/x"_s).isReceivedFiles());
    EXPECT_FALSE(BasketSource::ofFolder(u"recived files"_s, u"/tmp/x"_s).isReceivedFiles());
}

TEST(ReceivedFiles, OnlyVisibleFilesCountAndANameIsAnnouncedOnce)
{
    QTemporaryDir dir;
    const QString f = dir.path();
    touch(f + u"/old.jpg"_s);
    touch(f + u"/.hidden"_s);
    QDir().mkdir(f + u"/sub"_s);

    ReceivedFilesWatch watch(f);
    EXPECT_EQ(watch.known(), QStringList{u"old.jpg"_s}) << "hidden files and folders are not received files";
    EXPECT_TRUE(watch.poll().isEmpty());

    touch(f + u"/new.doc"_s);
    touch(f + u"/New.doc"_s);
    QStringList fresh = watch.poll();
    fresh.sort();
    EXPECT_EQ(fresh, (QStringList{u"New.doc"_s, u"new.doc"_s})) << "names differ by letter case";
    EXPECT_TRUE(watch.poll().isEmpty()) << "announced once";

    // Taken away and brought back under the same name: already known.
    ASSERT_TRUE(QFile::remove(f + u"/new.doc"_s));
    EXPECT_TRUE(watch.poll().isEmpty());
    touch(f + u"/new.doc"_s);
    EXPECT_TRUE(watch.poll().isEmpty());
}

TEST(ReceivedFiles, AMissingFolderHasNoFiles)
{
    QTemporaryDir dir;
    ReceivedFilesWatch watch(dir.filePath(u"USERS/NOBODY"_s));
    EXPECT_TRUE(watch.known().isEmpty());
    EXPECT_TRUE(watch.poll().isEmpty());
}

TEST(Reminders, AlertOnTheSecondTickThenEveryThreeHundredTicksOfFiveSeconds)
{
    Reminders::AlertClock clock;
    QList<int> alerts;
    int elapsedMs = Reminders::AlertClock::kFirstIntervalMs; // the first tick
    for (int tick = 1; tick <= 700; ++tick) {
        const Reminders::AlertClock::Tick t = clock.tick();
        if (t.alert)
            alerts.append(elapsedMs);
        elapsedMs += t.nextIntervalMs;
    }
    ASSERT_GE(alerts.size(), 3);
    EXPECT_EQ(alerts[0], 4000) << "two ticks of 2 s";
    EXPECT_EQ(alerts[1] - alerts[0], 300 * 5000) << "25 minutes";
    EXPECT_EQ(alerts[2] - alerts[1], 300 * 5000);
}

TEST(Reminders, DueOnTheSameCalendarDayOnly)
{
    const QDate today(2026, 12, 9);
    EXPECT_TRUE(Reminders::isDueOn(QDateTime(today, QTime(23, 59)), today));
    EXPECT_TRUE(Reminders::isDueOn(QDateTime(today, QTime(0, 0)), today));
    EXPECT_FALSE(Reminders::isDueOn(QDateTime(today.addDays(-1), QTime(12, 0)), today));
    EXPECT_FALSE(Reminders::isDueOn(QDateTime(today.addYears(-1), QTime(12, 0)), today));
    EXPECT_FALSE(Reminders::isDueOn(QDateTime(), today));
}

TEST(ReportCopy, KeywordsBecomeAFileNameWithBlanksForWhatANameCannotHold)
{
    EXPECT_EQ(ReportCopy::cleanKeywords(u"عقد: 2006/3?\"ب\" <x>,y*z\\w\r\n"_s), u"عقد  2006 3  ب   x  y z w  "_s);
    EXPECT_EQ(ReportCopy::textFileName({4, u"a:b"_s, {}}), u"a b 4.txt"_s);
}

TEST(ReportCopy, FilesBecomeOrdersOfTheSecondCopierAndTextsFilesWithCrLf)
{
    QTemporaryDir home;
    QTemporaryDir target;
    const Result<int> none = ReportCopy::orderFiles(home.path(), {}, target.path());
    ASSERT_TRUE(none.ok()) << none.error().toStdString();
    EXPECT_EQ(*none, 0);
    EXPECT_EQ(contents(home.filePath(u"COM/num2.txt"_s)), QByteArray("0"));
    EXPECT_EQ(contents(home.filePath(u"COM/filelist2.dat"_s)), QByteArray());

    const Result<int> two =
        ReportCopy::orderFiles(home.path(), {u"/store/1/5&1&a.jpg"_s, u"/store/1/5&2&b.doc"_s}, target.path());
    ASSERT_TRUE(two.ok()) << two.error().toStdString();
    EXPECT_EQ(*two, 2);
    const Result<QList<CopyOrder>> pending = CopyHandOff(home.path(), CopyHandOff::Copier::Second).pending();
    ASSERT_TRUE(pending.ok());
    ASSERT_EQ(pending->size(), 2);
    EXPECT_EQ(pending->at(1).source, u"/store/1/5&2&b.doc"_s);
    EXPECT_EQ(pending->at(1).destination, target.path());
    EXPECT_TRUE(pending->at(1).prefix.isEmpty());
    EXPECT_EQ(contents(home.filePath(u"COM/num.txt"_s)), QByteArray("<missing>")) << "not the archiving copier's";

    ASSERT_TRUE(ReportCopy::writeTexts(target.path(), {{0, u"كتاب?"_s, u"سطر\nسطر"_s}, {3, u"b"_s, u"x"_s}}).ok());
    const QByteArray first = contents(target.filePath(u"كتاب  0.txt"_s));
    EXPECT_TRUE(first.contains("\r\n")) << first.toStdString();
    EXPECT_EQ(first.count('\n'), 1);
    EXPECT_EQ(contents(target.filePath(u"b 3.txt"_s)), QByteArray("x"));
    // A folder that is a file cannot take the texts, and says so.
    touch(target.filePath(u"plain"_s));
    const Status refused = ReportCopy::writeTexts(target.filePath(u"plain"_s), {{0, u"a"_s, u"b"_s}});
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().contains(u"a 0.txt"_s)) << refused.error().toStdString();
}

namespace {

class Levels : public EngineTest
{
protected:
    void add(const QString &code, const QString &name, const QString &parent = {})
    {
        ClassEditor e(db());
        if (!parent.isEmpty())
            e.pickParent(parent, {});
        e.fields().code = code;
        e.fields().name = name;
        const ClassEditor::Outcome o = e.add();
        ASSERT_EQ(o.kind, ClassEditor::Outcome::Done) << o.message.toStdString();
    }
};

QStringList codes(const ClassLevel &level)
{
    QStringList out;
    for (const ClassRow &row : level.rows)
        out.append(row.codeText);
    return out;
}

} // namespace

TEST_P(Levels, DownAndUpKeepThePathOfNames)
{
    add(u"12"_s, u"المراسلات"_s);
    add(u"13"_s, u"العقود"_s);
    add(u"31"_s, u"واردة"_s, u"12"_s);
    add(u"41"_s, u"عاجلة"_s, u"31"_s);
    const ClassLevelNavigator nav(db());

    const Result<ClassLevel> top = nav.top();
    ASSERT_TRUE(top.ok()) << top.error().toStdString();
    EXPECT_EQ(codes(*top), (QStringList{u"12"_s, u"13"_s}));
    EXPECT_EQ(top->path, u"الارشيف"_s);

    const auto into12 = nav.down(*top, 12, u"المراسلات"_s);
    ASSERT_TRUE(into12.ok() && into12->has_value());
    const auto into31 = nav.down(**into12, 31, u"واردة"_s);
    ASSERT_TRUE(into31.ok() && into31->has_value());
    EXPECT_EQ((*into31)->path, u"الارشيف/المراسلات/واردة"_s);
    EXPECT_EQ((*into31)->code, 31);
    EXPECT_EQ((*into31)->parent, 12);
    EXPECT_EQ(codes(**into31), QStringList{u"41"_s});

    // A classification without children is no level of its own.
    const auto leaf = nav.down(**into31, 41, u"عاجلة"_s);
    ASSERT_TRUE(leaf.ok());
    EXPECT_FALSE(leaf->has_value());

    const auto up = nav.up(**into31);
    ASSERT_TRUE(up.ok() && up->has_value());
    EXPECT_EQ((*up)->path, u"الارشيف/المراسلات"_s);
    EXPECT_EQ((*up)->code, 12);
    EXPECT_EQ((*up)->parent, 0);
    EXPECT_EQ(codes(**up), QStringList{u"31"_s});

    const auto toTop = nav.up(**up);
    ASSERT_TRUE(toTop.ok() && toTop->has_value());
    EXPECT_EQ(codes(**toTop), (QStringList{u"12"_s, u"13"_s}));
    EXPECT_EQ((*toTop)->path, u"الارشيف"_s);
    // Up from the top lists the top again.
    const auto again = nav.up(**toTop);
    ASSERT_TRUE(again.ok() && again->has_value());
    EXPECT_EQ(codes(**again), (QStringList{u"12"_s, u"13"_s}));
    EXPECT_EQ((*again)->path, u"الارشيف"_s);
}

DOVRELLE_ON_BOTH_ENGINES(Levels);
