// The print command against a real CUPS server with a cups-pdf queue. The server is the one named
// by DOVRELLE_TEST_CUPS_SERVER (scripts/test.sh starts one); without it the test starts a private
// one of its own with scripts/cups-test-server.sh, and says SKIPPED when that is not possible.

#include "base/AppState.h"
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

constexpr int kPdfWaitMs = 60000;

class CupsServer : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_server = qEnvironmentVariable("DOVRELLE_TEST_CUPS_SERVER");
        if (!s_server.isEmpty())
            return;
        s_folder = new QTemporaryDir(QDir::tempPath() + u"/dovrelle-cups-XXXXXX"_s);
        QProcess start;
        start.start(u"bash"_s, {QStringLiteral(DOVRELLE_SOURCE_DIR "/scripts/cups-test-server.sh"), u"start"_s,
                                s_folder->path()});
        if (!start.waitForFinished(60000)) {
            start.kill();
            start.waitForFinished();
            s_problem = u"cupsd did not start within 60 s"_s;
            return;
        }
        if (start.exitCode() != 0) {
            s_problem = u"cupsd could not be started: "_s + QString::fromLocal8Bit(start.readAllStandardError()).trimmed();
            return;
        }
        s_server = QString::fromLocal8Bit(start.readAllStandardOutput()).trimmed();
        s_started = true;
    }

    static void TearDownTestSuite()
    {
        if (s_started) {
            QProcess::execute(u"bash"_s, {QStringLiteral(DOVRELLE_SOURCE_DIR "/scripts/cups-test-server.sh"), u"stop"_s,
                                          s_folder->path()});
        }
        delete s_folder;
        s_folder = nullptr;
    }

    void SetUp() override
    {
        if (s_server.isEmpty())
            GTEST_SKIP() << "no CUPS server: " << s_problem.toStdString();
        qputenv("CUPS_SERVER", s_server.toLocal8Bit());
        // The server must answer and have its queue.
        QProcess lpstat;
        lpstat.start(u"lpstat"_s, {u"-p"_s, u"VirtualPDF"_s});
        if (!lpstat.waitForFinished(10000) || lpstat.exitCode() != 0)
            GTEST_SKIP() << "the CUPS server " << s_server.toStdString() << " does not answer or has no VirtualPDF queue: "
                         << lpstat.readAllStandardError().toStdString();
    }

    void TearDown() override { qunsetenv("CUPS_SERVER"); }

    static inline QString s_server;
    static inline QString s_problem;
    static inline bool s_started = false;
    static inline QTemporaryDir *s_folder = nullptr;
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
    const QDir pdfFolder(QDir::homePath() + u"/PDF"_s);
    QString landed;
    QElapsedTimer clock;
    clock.start();
    while (landed.isEmpty() && clock.elapsed() < kPdfWaitMs) {
        const QStringList found = pdfFolder.entryList({u"*"_s + token + u"*"_s}, QDir::Files);
        if (!found.isEmpty())
            landed = pdfFolder.filePath(found.first());
        else
            QThread::msleep(200);
    }
    ASSERT_FALSE(landed.isEmpty()) << "no PDF for " << token.toStdString() << " in " << pdfFolder.path().toStdString()
                                   << " after " << kPdfWaitMs / 1000 << " s";
    // The file may still be growing for a moment after it appears.
    QByteArray bytes;
    for (int i = 0; i < 50; ++i) {
        QFile pdf(landed);
        if (pdf.open(QIODevice::ReadOnly))
            bytes = pdf.readAll();
        if (bytes.contains("%%EOF"))
            break;
        QThread::msleep(100);
    }
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.contains("%%EOF"));
    QFile::remove(landed);
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
