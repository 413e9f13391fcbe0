#include "CupsTestServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

namespace CupsTestServer {
namespace {

constexpr int kStartWaitMs = 60000;
constexpr int kPdfWaitMs = 60000;
constexpr int kPollMs = 200;

QString g_server;
QString g_problem;
QTemporaryDir *g_folder = nullptr;

QString script() { return QStringLiteral(DOVRELLE_SOURCE_DIR "/scripts/cups-test-server.sh"); }

} // namespace

void start()
{
    g_server = qEnvironmentVariable("DOVRELLE_TEST_CUPS_SERVER");
    if (g_server.isEmpty()) {
        g_folder = new QTemporaryDir(QDir::tempPath() + u"/dovrelle-cups-XXXXXX"_s);
        QProcess process;
        process.start(u"bash"_s, {script(), u"start"_s, g_folder->path()});
        if (!process.waitForFinished(kStartWaitMs)) {
            process.kill();
            process.waitForFinished();
            g_problem = u"cupsd did not start within 60 s"_s;
            return;
        }
        if (process.exitCode() != 0) {
            g_problem = u"cupsd could not be started: "_s + QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
            return;
        }
        g_server = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    }
    qputenv("CUPS_SERVER", g_server.toLocal8Bit());
}

void stop()
{
    if (g_folder && !g_server.isEmpty())
        QProcess::execute(u"bash"_s, {script(), u"stop"_s, g_folder->path()});
    delete g_folder;
    g_folder = nullptr;
    qunsetenv("CUPS_SERVER");
}

const QString &server() { return g_server; }
const QString &problem() { return g_problem; }

Pdf waitForPdf(const QString &namePattern, const QDateTime &notBefore)
{
    const QDir folder(QDir::homePath() + u"/PDF"_s);
    Pdf pdf;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kPdfWaitMs) {
        for (const QFileInfo &info : folder.entryInfoList({namePattern}, QDir::Files)) {
            if (!notBefore.isValid() || info.lastModified() >= notBefore)
                pdf.path = info.filePath();
        }
        // The file may still be growing for a moment after it appears.
        if (!pdf.path.isEmpty()) {
            QFile file(pdf.path);
            if (file.open(QIODevice::ReadOnly))
                pdf.bytes = file.readAll();
            if (pdf.bytes.contains("%%EOF"))
                break;
        }
        QThread::msleep(kPollMs);
    }
    return pdf;
}

} // namespace CupsTestServer
