// A report printed straight to a real CUPS queue (cups-pdf), through Qt's own CUPS support. The
// server is the one named by DOVRELLE_TEST_CUPS_SERVER, or a private one started with
// scripts/cups-test-server.sh; without either the test says SKIPPED with the reason.

#include "common/CupsTestServer.h"
#include "common/PdfPages.h"
#include "common/TestArchive.h"
#include "db/CDFSet.h"
#include "search/CFReport.h"
#include "ui/CGridCtrl.h"
#include "ui/MessageBox.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class CupsReport : public CupsTest
{
protected:
    void SetUp() override
    {
        CupsTest::SetUp();
        if (IsSkipped())
            return;
        if (!m_archive.problem().isEmpty())
            GTEST_SKIP() << m_archive.problem().toStdString();
        m_state.programFolder = m_archive.home();
        m_state.databaseFolder = m_archive.databaseFolder();
        m_state.fileServerFolder = m_archive.fileServerFolder();
        m_state.rights.printjob = kGranted;
        MessageBox::setTestMode(true);
        MessageBox::takeShown();
    }
    void TearDown() override { MessageBox::setTestMode(false); }

    void addPicture(qint32 card)
    {
        DocumentRow row;
        row.cardNumber = card;
        row.itemNumber = 1;
        row.kind = KindImage;
        row.classPath = u"@1@"_s;
        row.fileName = u"p.jpg"_s;
        row.seriesFolder = u"Ser1"_s;
        row.extension = u"JPG"_s;
        row.cardDate = QDate(2026, 1, 2).startOfDay();
        ASSERT_TRUE(CDFSet(m_archive.db()).insert(row).ok());
        const QString path = m_state.fileServerFolder + u"/Ser1/%1&1&p.jpg"_s.arg(card);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QImage picture(200, 100, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        ASSERT_TRUE(picture.save(path, "JPEG"));
    }

    TestArchive m_archive{Engine::SQLite};
    AppState m_state;
};

} // namespace

TEST_F(CupsReport, PrintAllReachesTheQueueAsOneJobNamedDovrelle)
{
    addPicture(1);
    addPicture(2);
    auto *w = new CFReport(m_state, m_archive.db(), SqlCondition::raw(u"n1 > 0"_s), u"تقرير"_s);
    std::unique_ptr<CFReport> owner(w);
    QTemporaryDir cache;
    w->loader()->setThumbnailCacheFolder(cache.path());
    QSignalSpy finished(w, &CFReport::loadingFinished);
    w->show();
    ASSERT_TRUE(finished.wait(10000));
    ASSERT_EQ(w->thumbnailGrid()->rowCount(), 2);

    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(u"VirtualPDF"_s);
    ASSERT_EQ(printer.outputFormat(), QPrinter::NativeFormat);
    ASSERT_TRUE(printer.isValid()) << "Qt does not see the VirtualPDF queue of " << CupsTestServer::server().toStdString();

    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    w->setPrinter(&printer);
    w->runCommand(CFReport::CmdPrintAll);
    ASSERT_TRUE(QTest::qWaitFor([w] { return !w->isPrinting(); }, 60000));
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());

    // cups-pdf names its file after the job's title.
    const CupsTestServer::Pdf pdf = CupsTestServer::waitForPdf(u"*Dovrelle*"_s, before);
    ASSERT_FALSE(pdf.path.isEmpty()) << "no PDF named after the job in ~/PDF";
    ASSERT_TRUE(pdf.bytes.contains("%%EOF"));
    EXPECT_EQ(pdfPageCount(pdf.bytes), 2);
    QFile::remove(pdf.path);
}
