#include "base/SettingsFiles.h"
#include "cards/Archiver.h"
#include "cards/FileTypes.h"
#include "common/TestArchive.h"
#include "db/CDFSet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class Archiving : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        m_folders = {archive().home(), archive().databaseFolder(), archive().fileServerFolder()};
    }

    QString makeFile(const QString &name, qint64 size)
    {
        const QString path = m_sources.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(size, 'x'));
        return path;
    }

    Archiver archiver()
    {
        Archiver a(m_folders, db(), QStringLiteral("@12@7@"));
        a.setStartCopier(false);
        return a;
    }

    CardDraft draftWith(const QStringList &paths)
    {
        CardDraft d;
        d.date = QDate(2026, 3, 5);
        d.name = QStringLiteral("كتاب وارد");
        d.editor = QStringLiteral("المدير");
        d.classCodes = {12, 7};
        for (const QString &p : paths)
            d.files.append(FileItem::fromPath(p));
        return d;
    }

    QList<DocumentRow> rowsOf(qint32 card)
    {
        const Result<QList<DocumentRow>> rows = CDFSet(db()).cardRows(card);
        EXPECT_TRUE(rows.ok()) << rows.error().toStdString();
        return rows.ok() ? *rows : QList<DocumentRow>();
    }

    QList<CopyOrder> pendingOrders()
    {
        return *CopyHandOff(m_folders.program, CopyHandOff::Copier::Archive).pending();
    }

    qint32 counter() { return CDFSet(db()).counterRow()->lastCardNumber; }

    QTemporaryDir m_sources;
    Archiver::Folders m_folders;
};

} // namespace

TEST_P(Archiving, ASeriesFilledExactlyToItsBudgetTakesTheLastFileAndOnlyTheNextByteRollsOver)
{
    ASSERT_TRUE(SettingsFiles::writeSeriesBudget(m_folders.database, 100).ok());
    // 60 + 40: the series holds exactly its budget, which is not more than it.
    CardDraft full = draftWith({makeFile(QStringLiteral("a.pdf"), 60), makeFile(QStringLiteral("b.pdf"), 40)});
    ASSERT_TRUE(archiver().archiveNew(full).ok());
    const QList<DocumentRow> first = rowsOf(1);
    ASSERT_EQ(first.size(), 2);
    EXPECT_EQ(first[1].seriesFolder, QStringLiteral("Ser1"));
    EXPECT_EQ(SettingsFiles::readSeriesNumber(m_folders.database), 1);

    CardDraft over = draftWith({makeFile(QStringLiteral("c.pdf"), 1)});
    ASSERT_TRUE(archiver().archiveNew(over).ok());
    const QList<DocumentRow> second = rowsOf(2);
    ASSERT_EQ(second.size(), 1);
    EXPECT_EQ(second[0].seriesFolder, QStringLiteral("Ser2"));
}

TEST_P(Archiving, SeriesRollsOverWhereTheBudgetIsExceeded)
{
    ASSERT_TRUE(SettingsFiles::writeSeriesBudget(m_folders.database, 100).ok());
    QFile used(m_folders.fileServer + QStringLiteral("/Ser1/already"));
    ASSERT_TRUE(used.open(QIODevice::WriteOnly));
    used.write(QByteArray(20, 'u'));
    used.close();

    CardDraft d = draftWith({makeFile(QStringLiteral("a.pdf"), 40), makeFile(QStringLiteral("b.pdf"), 30),
                             makeFile(QStringLiteral("c.pdf"), 50)});
    const Result<qint32> card = archiver().archiveNew(d);
    ASSERT_TRUE(card.ok()) << card.error().toStdString();
    EXPECT_EQ(*card, 1);
    const QList<DocumentRow> rows = rowsOf(1);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].seriesFolder, QStringLiteral("Ser1"));
    EXPECT_EQ(rows[1].seriesFolder, QStringLiteral("Ser1"));
    EXPECT_EQ(rows[2].seriesFolder, QStringLiteral("Ser2"));
    EXPECT_EQ(rows[2].classPath, QStringLiteral("@12@7@"));
    EXPECT_EQ(rows[2].size, 50);
    EXPECT_EQ(rows[2].cardDate.date(), QDate(2026, 3, 5));
    EXPECT_EQ(rows[2].archivingDate.date(), QDate::currentDate());
    EXPECT_EQ(SettingsFiles::readSeriesNumber(m_folders.database), 2);
    EXPECT_TRUE(QFileInfo(m_folders.fileServer + QStringLiteral("/Ser2")).isDir());

    const QList<CopyOrder> orders = pendingOrders();
    ASSERT_EQ(orders.size(), 3);
    EXPECT_EQ(orders[0].prefix, QStringLiteral("1&1&"));
    EXPECT_EQ(orders[2].destination, m_folders.fileServer + QStringLiteral("/Ser2"));
    EXPECT_EQ(orders[2].target(), Archiver::storedPath(m_folders.fileServer, rows[2]));
    EXPECT_TRUE(d.files[2].archived);
    EXPECT_EQ(d.files[2].itemNumber, 3);
}

TEST_P(Archiving, OversizeFilesAndAZeroBudgetEachTakeASeries)
{
    ASSERT_TRUE(SettingsFiles::writeSeriesBudget(m_folders.database, 100).ok());
    CardDraft big = draftWith({makeFile(QStringLiteral("big.pdf"), 150), makeFile(QStringLiteral("small.pdf"), 10)});
    ASSERT_TRUE(archiver().archiveNew(big).ok());
    QList<DocumentRow> rows = rowsOf(1);
    EXPECT_EQ(rows[0].seriesFolder, QStringLiteral("Ser2"));
    EXPECT_EQ(rows[1].seriesFolder, QStringLiteral("Ser3"));

    ASSERT_TRUE(SettingsFiles::writeSeriesBudget(m_folders.database, 0).ok());
    CardDraft zero = draftWith({makeFile(QStringLiteral("x.txt"), 1), makeFile(QStringLiteral("y.txt"), 1)});
    ASSERT_TRUE(archiver().archiveNew(zero).ok());
    rows = rowsOf(2);
    EXPECT_EQ(rows[0].seriesFolder, QStringLiteral("Ser4"));
    EXPECT_EQ(rows[1].seriesFolder, QStringLiteral("Ser5"));
    EXPECT_EQ(SettingsFiles::readSeriesNumber(m_folders.database), 5);
}

TEST_P(Archiving, KindsAndTypeCodesFollowTheName)
{
    const QString folder = m_sources.filePath(QStringLiteral("scans"));
    makeFile(QStringLiteral("scans/p1.jpg"), 5);
    CardDraft d = draftWith({makeFile(QStringLiteral("scan.PNG"), 3), makeFile(QStringLiteral("scan.png"), 3),
                             makeFile(QStringLiteral("README"), 3), folder});
    ASSERT_TRUE(archiver().archiveNew(d).ok());
    const QList<DocumentRow> rows = rowsOf(1);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0].kind, KindFile);
    EXPECT_EQ(rows[0].extension, QStringLiteral("PNG"));
    EXPECT_EQ(rows[0].typeCode, 19);
    EXPECT_EQ(rows[1].kind, KindImage);
    EXPECT_EQ(rows[1].extension, QStringLiteral("PNG"));
    EXPECT_EQ(rows[1].typeCode, 19);
    EXPECT_EQ(rows[2].extension, QString());
    EXPECT_EQ(rows[2].typeCode, 14);
    EXPECT_EQ(rows[3].kind, KindFolder);
    EXPECT_EQ(rows[3].typeCode, 3);
    EXPECT_EQ(rows[3].size, 5);
}

TEST_P(Archiving, OnlyALowerCasePageTakesItsCompanionFolder)
{
    makeFile(QStringLiteral("page_files/style.css"), 7);
    makeFile(QStringLiteral("up/PAGE_files/style.css"), 7);
    CardDraft d = draftWith({makeFile(QStringLiteral("page.htm"), 10), makeFile(QStringLiteral("up/PAGE.HTM"), 10)});
    EXPECT_EQ(d.files[0].size, 17) << "a page's size includes its companion folder";
    ASSERT_TRUE(archiver().archiveNew(d).ok());
    const QList<CopyOrder> orders = pendingOrders();
    ASSERT_EQ(orders.size(), 3);
    EXPECT_EQ(orders[0].prefix, QStringLiteral("1&1&"));
    EXPECT_TRUE(orders[1].prefix.isEmpty());
    EXPECT_TRUE(orders[1].source.endsWith(QStringLiteral("/page_files")));
    EXPECT_EQ(orders[2].prefix, QStringLiteral("1&2&"));
}

TEST_P(Archiving, TextsAreNumberedApartAndTouchNoCopyList)
{
    CardDraft d = draftWith({});
    d.texts = {{QStringLiteral("k1"), QStringLiteral("النص الأول"), false},
               {QString(), QString(), false},
               {QStringLiteral("k3"), QStringLiteral("النص الثالث"), false}};
    ASSERT_TRUE(archiver().archiveNew(d).ok());
    const QList<DocumentRow> rows = rowsOf(1);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].kind, KindText);
    EXPECT_EQ(rows[1].itemNumber, 2);
    EXPECT_EQ(rows[1].text, QStringLiteral("النص الثالث"));
    EXPECT_EQ(rows[1].keywords, QStringLiteral("k3"));
    EXPECT_FALSE(QFile::exists(CopyHandOff(m_folders.program, CopyHandOff::Copier::Archive).listPath()));
}

TEST_P(Archiving, RefusedCardsTakeNoNumberAndWriteNothing)
{
    CardDraft noClass = draftWith({makeFile(QStringLiteral("a.txt"), 1)});
    noClass.classCodes.clear();
    const Result<qint32> withoutClass = archiver().archiveNew(noClass);
    EXPECT_EQ(withoutClass.error(), QStringLiteral("اختر تصنيف واحد على الاقل"));
    EXPECT_TRUE(withoutClass.refused()) << "the user can correct it: a refusal, not a breakdown";
    CardDraft empty = draftWith({});
    empty.texts = {{QString(), QString(), false}};
    const Result<qint32> nothing = archiver().archiveNew(empty);
    EXPECT_EQ(nothing.error(), Archiver::nothingToArchiveMessage());
    EXPECT_TRUE(nothing.refused());
    EXPECT_TRUE(Archiver::refusalOfNew(empty).refused());

    // A path too long for a copy order is refused before the card takes a number.
    CardDraft tooLong = draftWith({makeFile(QString(150, u'n') + QStringLiteral(".txt"), 1)});
    const Result<qint32> refused = archiver().archiveNew(tooLong);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(counter(), 0);
    EXPECT_EQ(CDFSet(db()).search({})->size(), 1) << "only the counter row";
    EXPECT_EQ(SettingsFiles::readSeriesNumber(m_folders.database), 1);
}

TEST_P(Archiving, SavingKeepsRemovesAndAddsItems)
{
    CardDraft d = draftWith({makeFile(QStringLiteral("1.txt"), 1), makeFile(QStringLiteral("2.txt"), 1),
                             makeFile(QStringLiteral("3.txt"), 1)});
    d.texts = {{QString(), QStringLiteral("أ"), false}, {QString(), QStringLiteral("ب"), false},
               {QString(), QStringLiteral("ج"), false}};
    ASSERT_TRUE(archiver().archiveNew(d).ok());
    const QString secondStored = Archiver::storedPath(m_folders.fileServer, CDFSet(db()).nonTextRows(1)->at(1));

    d.files.removeAt(1);
    d.files.append(FileItem::fromPath(makeFile(QStringLiteral("4.txt"), 1)));
    d.files[0].keywords = QStringLiteral("مفتاح");
    d.name = QStringLiteral("اسم جديد");
    d.texts[1].text.clear();
    QStringList deleted;
    const Status saved = archiver().save(d, [&](const QString &path) {
        deleted << path;
        return true;
    });
    ASSERT_TRUE(saved.ok()) << saved.error().toStdString();
    EXPECT_EQ(deleted, QStringList{secondStored});

    QList<qint32> files, texts;
    for (const DocumentRow &r : rowsOf(1)) {
        (r.kind == KindText ? texts : files).append(r.itemNumber);
        EXPECT_EQ(r.cardName, QStringLiteral("اسم جديد"));
    }
    EXPECT_EQ(files, (QList<qint32>{1, 3, 4}));
    EXPECT_EQ(texts, (QList<qint32>{1, 2}));
    EXPECT_EQ(CDFSet(db()).textRows(1)->at(1).text, QStringLiteral("ج"));
    EXPECT_EQ(CDFSet(db()).nonTextRows(1)->at(0).keywords, QStringLiteral("مفتاح"));
    EXPECT_EQ(pendingOrders().last().prefix, QStringLiteral("1&4&"));

    // A stored file that cannot be deleted once its row is gone is reported and logged for
    // verify; the saved card stands.
    const QString firstStored = Archiver::storedPath(m_folders.fileServer, CDFSet(db()).nonTextRows(1)->at(0));
    d.files.removeAt(0);
    Archiver a = archiver();
    ASSERT_TRUE(a.save(d, [](const QString &) { return false; }).ok());
    EXPECT_EQ(CDFSet(db()).nonTextRows(1)->size(), 2);
    EXPECT_TRUE(a.warning().contains(firstStored)) << a.warning().toStdString();
    QFile log(Archiver::staleFilesLogPath(m_folders.database));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(log.readAll()).endsWith(u"\t1\t"_s + firstStored + u'\n'));
}

TEST_P(Archiving, AFileOver2GiBKeepsItsSizeInTheRowAndTheSeries)
{
    constexpr qint64 kThreeGiB = 3LL << 30;
    const QString big = m_sources.filePath(QStringLiteral("disk.img"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(kThreeGiB)); // sparse: no disk space is used
    }
    CardDraft d = draftWith({big});
    ASSERT_EQ(d.files[0].size, kThreeGiB);
    ASSERT_TRUE(archiver().archiveNew(d).ok());
    const DocumentRow row = rowsOf(1).at(0);
    EXPECT_EQ(row.size, kThreeGiB);
    EXPECT_EQ(*CDFSet(db()).bytesInSeries(row.seriesFolder), kThreeGiB);
}

TEST_P(Archiving, ASaveOfACardDeletedMeanwhileIsRefusedAndBringsNothingBack)
{
    CardDraft d = draftWith({makeFile(QStringLiteral("1.txt"), 1), makeFile(QStringLiteral("2.txt"), 2)});
    ASSERT_TRUE(archiver().archiveNew(d).ok());
    // Another workstation deletes the card while this one has it open for editing.
    ASSERT_EQ(*archiver().remove(d.number), 2);
    d.files.append(FileItem::fromPath(makeFile(QStringLiteral("3.txt"), 3)));
    d.name = QStringLiteral("بعد الحذف");
    QStringList deleted;
    const Status saved = archiver().save(d, [&](const QString &path) {
        deleted << path;
        return true;
    });
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error(), Archiver::noSuchCardMessage(d.number));
    EXPECT_TRUE(rowsOf(d.number).isEmpty());
    EXPECT_TRUE(deleted.isEmpty());
}

TEST_P(Archiving, ASaveThatFailsDeletesNoStoredFile)
{
    CardDraft d = draftWith({makeFile(QStringLiteral("1.txt"), 1), makeFile(QStringLiteral("2.txt"), 1)});
    ASSERT_TRUE(archiver().archiveNew(d).ok());
    // Item 2 is taken out, and a file is added whose path no copy order can hold: nothing may be
    // deleted, since nothing is saved.
    d.files.removeAt(1);
    d.files.append(FileItem::fromPath(makeFile(QString(200, u'a') + u".txt"_s, 1)));
    QStringList deleted;
    const Status saved = archiver().save(d, [&](const QString &path) {
        deleted << path;
        return QFile::remove(path);
    });
    EXPECT_FALSE(saved.ok());
    EXPECT_TRUE(deleted.isEmpty()) << deleted.join(u' ').toStdString();
    EXPECT_EQ(CDFSet(db()).nonTextRows(1)->size(), 2);
}

TEST_P(Archiving, DeletingACardLeavesItsStoredFiles)
{
    CardDraft d = draftWith({makeFile(QStringLiteral("keep.txt"), 4)});
    ASSERT_TRUE(archiver().archiveNew(d).ok());
    const QString stored = Archiver::storedPath(m_folders.fileServer, rowsOf(1)[0]);
    QDir().mkpath(QFileInfo(stored).path());
    QFile::copy(d.files[0].sourcePath(), stored);
    EXPECT_EQ(*archiver().remove(1), 1);
    EXPECT_TRUE(rowsOf(1).isEmpty());
    EXPECT_TRUE(QFile::exists(stored));
    // The number is not given out again.
    CardDraft next = draftWith({makeFile(QStringLiteral("n.txt"), 1)});
    EXPECT_EQ(*archiver().archiveNew(next), 2);
}

TEST_P(Archiving, OnlyNumbersGivenOutNameACard)
{
    EXPECT_FALSE(archiver().remove(0).ok()) << "the counter row is no card";
    EXPECT_TRUE(CDFSet(db()).counterRow().ok());
    CardDraft d = draftWith({makeFile(QStringLiteral("a.txt"), 1)});
    ASSERT_TRUE(archiver().archiveNew(d).ok());
    CardDraft ahead = draftWith({makeFile(QStringLiteral("b.txt"), 1)});
    ahead.number = 5;
    const Status refused = archiver().save(ahead, {});
    EXPECT_EQ(refused.error(), Archiver::noSuchCardMessage(5));
    EXPECT_TRUE(rowsOf(5).isEmpty());
    EXPECT_EQ(counter(), 1);
}

DOVRELLE_ON_BOTH_ENGINES(Archiving);

TEST(FileTypeRules, ExtensionsAndCodes)
{
    EXPECT_EQ(FileTypes::extension(QStringLiteral("a.tar.gz")), QStringLiteral("gz"));
    EXPECT_EQ(FileTypes::extension(QStringLiteral(".profile")), QStringLiteral("NOEXTEN"));
    EXPECT_EQ(FileTypes::extension(QStringLiteral("name.")), QStringLiteral("NOEXTEN"));
    EXPECT_EQ(FileTypes::extension(QStringLiteral("x.y.")), QStringLiteral("NOEXTEN"));
    EXPECT_EQ(FileTypes::extension(QStringLiteral(".a.b")), QStringLiteral("b"));
    EXPECT_EQ(FileTypes::typeCode(QStringLiteral("pdf")), 26);
    EXPECT_EQ(FileTypes::typeCode(QStringLiteral("MDB")), 0);
    EXPECT_EQ(FileTypes::typeCode(QStringLiteral("Cpp")), 50);
    EXPECT_EQ(FileTypes::typeCode(QStringLiteral("NOEXTEN")), 14);
    EXPECT_EQ(FileTypes::typeCode(QStringLiteral("xyz")), 14);
    EXPECT_TRUE(FileTypes::isImage(QStringLiteral("JPG")));
    EXPECT_TRUE(FileTypes::isImage(QStringLiteral("jpg")));
    EXPECT_FALSE(FileTypes::isImage(QStringLiteral("PNG")));
    EXPECT_FALSE(FileTypes::isImage(QStringLiteral("pn")));
    EXPECT_FALSE(FileTypes::isImage(QStringLiteral("png;jpg")));
    EXPECT_TRUE(FileTypes::isCompanionPage(QStringLiteral("html")));
    EXPECT_FALSE(FileTypes::isCompanionPage(QStringLiteral("HTM")));
}
