// The watch over the archiving copier: orders left in the archive go to the copier at start, and
// failed copies are told to the user with a way to try again.

#include "app/CopyWatch.h"
#include "cards/CopyOrder.h"
#include "cards/CopyOutbox.h"
#include "common/TestArchive.h"
#include "db/ScopedTransaction.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

CopyOrder orderFor(const QString &source, const QString &destination)
{
    CopyOrder o;
    o.prefix = u"4&1&"_s;
    o.source = source;
    o.destination = destination;
    return o;
}

} // namespace

TEST(CopyWatch, OrdersLeftInTheArchiveAreHandedOverAndTheCopierStartedAtStart)
{
    TestArchive archive(Engine::SQLite);
    ASSERT_TRUE(archive.problem().isEmpty()) << archive.problem().toStdString();
    const CopyOrder order = orderFor(u"/data/scan.jpg"_s, archive.fileServerFolder() + u"/Ser1"_s);
    {
        // As a crash leaves it: committed with the card, never handed over.
        Result<QSqlDatabase> conn = archive.db().connection(DbFile::Archive);
        ASSERT_TRUE(conn.ok());
        ScopedTransaction tx(*conn, Engine::SQLite);
        ASSERT_TRUE(CopyOutbox(archive.db(), archive.home()).write(4, {order}).ok());
        ASSERT_TRUE(tx.commit().ok());
    }
    QWidget window;
    CopyWatch watch(archive.home(), archive.db(), &window);
    int started = 0;
    watch.setStartCopier([&] { return ++started > 0; });
    watch.start();

    EXPECT_EQ(started, 1);
    const Result<QList<CopyOrder>> pending = CopyHandOff(archive.home(), CopyHandOff::Copier::Archive).pending();
    ASSERT_TRUE(pending.ok());
    ASSERT_EQ(pending->size(), 1);
    EXPECT_EQ(pending->at(0).target(), order.target());
    EXPECT_EQ(*CopyOutbox(archive.db(), archive.home()).waiting(), 0);
}

TEST(CopyWatch, AFailedCopyIsToldOnceWithWhatToDoAndRetryStartsTheCopier)
{
    TestArchive archive(Engine::SQLite);
    ASSERT_TRUE(archive.problem().isEmpty()) << archive.problem().toStdString();
    QWidget window;
    window.show();
    CopyWatch watch(archive.home(), archive.db(), &window);
    int started = 0;
    watch.setStartCopier([&] { return ++started > 0; });
    watch.start();
    EXPECT_EQ(started, 0) << "nothing to copy, nothing started";
    watch.check();
    EXPECT_EQ(watch.notice(), nullptr);

    // What the copier leaves behind when a source has gone.
    const CopyHandOff handOff(archive.home(), CopyHandOff::Copier::Archive);
    QDir().mkpath(archive.home() + u"/COM"_s);
    QFile failed(handOff.failedPath());
    ASSERT_TRUE(failed.open(QIODevice::WriteOnly));
    failed.write(*orderFor(u"/data/gone.pdf"_s, archive.fileServerFolder() + u"/Ser1"_s).compose());
    failed.close();
    QFile log(archive.home() + u"/COM/fm-errors.log"_s);
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    log.write("2026-12-09T10:00:00\t4\t/data/gone.pdf\t/x/4&1&gone.pdf\tلا يوجد ملف بهذا الاسم\n");
    log.close();

    watch.check();
    QMessageBox *notice = watch.notice();
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().contains(u"1"_s)) << notice->text().toStdString();
    EXPECT_TRUE(notice->informativeText().contains(u"إعادة المحاولة"_s));
    EXPECT_TRUE(notice->detailedText().contains(u"/data/gone.pdf: لا يوجد ملف بهذا الاسم"_s));

    // Closed, it does not come back for the same failure.
    notice->close();
    QCoreApplication::processEvents();
    watch.check();
    EXPECT_TRUE(watch.notice() == nullptr || !watch.notice()->isVisible());

    // A second failure brings it back, and its retry button starts the copier.
    ASSERT_TRUE(failed.open(QIODevice::Append));
    failed.write(*orderFor(u"/data/gone2.pdf"_s, archive.fileServerFolder() + u"/Ser1"_s).compose());
    failed.close();
    watch.check();
    ASSERT_NE(watch.notice(), nullptr);
    ASSERT_TRUE(watch.notice()->isVisible());
    QPushButton *retry = nullptr;
    for (QAbstractButton *b : watch.notice()->buttons()) {
        if (b->text() == u"إعادة المحاولة"_s)
            retry = qobject_cast<QPushButton *>(b);
    }
    ASSERT_NE(retry, nullptr);
    QTest::mouseClick(retry, Qt::LeftButton);
    EXPECT_EQ(started, 1);
}
