// The print command against a real CUPS server with a cups-pdf queue. The server is the one named
// by DOVRELLE_TEST_CUPS_SERVER (scripts/test.sh starts one); without it the test starts a private
// one of its own with scripts/cups-test-server.sh, and says SKIPPED when that is not possible.

#include "base/AppState.h"
#include "common/CupsTestServer.h"
#include "search/Printing.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class CupsServer : public CupsTest
{
protected:
    void SetUp() override
    {
        CupsTest::SetUp();
        if (IsSkipped())
            return;
        // The server must answer and have its queue.
        QProcess lpstat;
        lpstat.start(u"lpstat"_s, {u"-p"_s, u"VirtualPDF"_s});
        if (!lpstat.waitForFinished(10000) || lpstat.exitCode() != 0)
            GTEST_SKIP() << "the CUPS server " << CupsTestServer::server().toStdString() << " does not answer or has no VirtualPDF queue: "
                         << lpstat.readAllStandardError().toStdString();
    }

};

} // namespace

TEST_F(CupsServer, DefaultPrintCommandPrintsTheFileToTheQueue)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A name of its own, so that this job's PDF is told from any other in the folder.
    const QString token = u"dovrelle-%1-%2"_s.arg(QDateTime::currentMSecsSinceEpoch()).arg(QRandomGenerator::global()->generate());
    const QString document = dir.filePath(token + u".txt"_s);
    QFile f(document);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Dovrelle print test\n");
    f.close();

    AppState state;
    ASSERT_EQ(state.printCommand, u"lp"_s);
    const Status status = Printing::runPrintCommand(state.printCommand, document);
    ASSERT_TRUE(status.ok()) << status.error().toStdString();

    // The queue's backend writes the job as a PDF into the printing user's PDF folder.
    const CupsTestServer::Pdf pdf = CupsTestServer::waitForPdf(u"*"_s + token + u"*"_s);
    ASSERT_FALSE(pdf.path.isEmpty()) << "no PDF for " << token.toStdString() << " in ~/PDF after a minute";
    EXPECT_TRUE(pdf.bytes.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.bytes.contains("%%EOF"));
    QFile::remove(pdf.path);
}

TEST_F(CupsServer, UnknownQueueIsAFailureWithTheServersReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString document = dir.filePath(u"x.txt"_s);
    QFile f(document);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x\n");
    f.close();
    const Status status = Printing::runPrintCommand(u"lp -d DovrelleNoSuchQueue"_s, document);
    ASSERT_FALSE(status.ok());
    EXPECT_TRUE(status.error().contains(document));
    EXPECT_TRUE(status.error().contains(u"lp"_s));
}
