#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <gtest/gtest.h>

// The CUPS server the printing tests print to: the one ./test started (DOVRELLE_TEST_CUPS_SERVER),
// or one of the test program's own, started by scripts/cups-test-server.sh for the whole suite.
// Its VirtualPDF queue writes every job as a PDF into ~/PDF.
namespace CupsTestServer {

// From a suite's SetUpTestSuite, before any printer object exists (the CUPS library reads the
// server once): starts a server when none is named and points CUPS_SERVER at it.
void start();
// From TearDownTestSuite: stops the server start() started and forgets CUPS_SERVER.
void stop();
// Empty when there is none; then problem() says why.
const QString &server();
const QString &problem();

struct Pdf
{
    QString path; // empty when none came in time
    QByteArray bytes;
};
// Waits, at most a minute, for a PDF of ~/PDF whose name matches the pattern and that was written
// at or after notBefore, and for it to be complete.
Pdf waitForPdf(const QString &namePattern, const QDateTime &notBefore = {});

} // namespace CupsTestServer

// A suite that prints to the server: started once for the suite, every test SKIPPED without it.
class CupsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { CupsTestServer::start(); }
    static void TearDownTestSuite() { CupsTestServer::stop(); }
    void SetUp() override
    {
        if (CupsTestServer::server().isEmpty())
            GTEST_SKIP() << "SKIPPED: no CUPS server: " << CupsTestServer::problem().toStdString();
    }
};
