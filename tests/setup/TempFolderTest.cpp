#include "base/HandOffFolder.h"
#include "common/TestArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

namespace {

// A temporary folder for the test programs a test starts, beside this program's own folder (and
// named like it, so that it goes even if this program dies).
QString childBase()
{
    return qEnvironmentVariable("DOVRELLE_TEST_TEMP_BASE") + u"/dovrelle-test-%1-XXXXXX"_s.arg(QCoreApplication::applicationPid());
}

// Runs one test of this program in a process of its own whose temporary folder is `base`.
int runChild(const QString &base, const QString &test, QString *output = nullptr)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TMPDIR"_s, base);
    env.insert(u"DOVRELLE_TEST_TEMP_BASE"_s, base);
    // The child's crash is wanted here; its sanitizer report is not.
    env.insert(u"ASAN_OPTIONS"_s, u"detect_leaks=0:handle_abort=0"_s);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {u"--gtest_also_run_disabled_tests"_s, u"--gtest_filter=TempFolderChild."_s + test});
    if (!child.waitForFinished(60000))
        return -1000;
    if (output)
        *output = QString::fromUtf8(child.readAll());
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -child.exitCode();
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

// A test archive with a file in it, and the hand-off folder the program would use.
void fillTempFolder()
{
    TestArchive archive(Engine::SQLite);
    ASSERT_TRUE(archive.problem().isEmpty()) << archive.problem().toStdString();
    QFile file(handOffFolder() + u"/SQLT.txt"_s);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("hand-off");
    file.close();
    // Exit and abort skip the archive's destructor, as a test that ends its process does.
    if (qEnvironmentVariable("DOVRELLE_CHILD_END") == u"exit"_s)
        std::exit(0);
    std::abort();
}

} // namespace

// Run in processes of their own by the tests below.
TEST(TempFolderChild, DISABLED_ExitsWithAnArchiveOpen)
{
    qputenv("DOVRELLE_CHILD_END", "exit");
    fillTempFolder();
}

TEST(TempFolderChild, DISABLED_CrashesWithAnArchiveOpen)
{
    qputenv("DOVRELLE_CHILD_END", "abort");
    fillTempFolder();
}

TEST(TempFolderChild, DISABLED_DoesNothing) {}

TEST(TestTempFolder, EverythingTemporaryOfATestIsInsideItsOwnFolder)
{
    const QString own = testTempFolder();
    ASSERT_FALSE(own.isEmpty());
    EXPECT_TRUE(QDir(own).dirName().startsWith(u"dovrelle-test-%1-"_s.arg(QCoreApplication::applicationPid())));
    EXPECT_EQ(QDir::tempPath(), own);
    // The test servers' users pass through it.
    EXPECT_EQ(QFileInfo(own).permissions() & (QFile::ExeOther | QFile::ReadOther), QFile::ExeOther);
    EXPECT_TRUE(handOffFolder().startsWith(own + u"/"_s)) << handOffFolder().toStdString();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_TRUE(dir.path().startsWith(own + u"/"_s)) << dir.path().toStdString();
}

TEST(TestTempFolder, GoesWhenTheTestEndsItsProcess)
{
    QTemporaryDir base(childBase());
    ASSERT_TRUE(base.isValid());
    QString output;
    EXPECT_EQ(runChild(base.path(), u"DISABLED_ExitsWithAnArchiveOpen"_s, &output), 0) << output.toStdString();
    EXPECT_EQ(entries(base.path()), QStringList()) << output.toStdString();
}

TEST(TestTempFolder, OfACrashedTestGoesAtTheNextStartAndALiveOneStays)
{
    QTemporaryDir base(childBase());
    ASSERT_TRUE(base.isValid());
    QString output;
    EXPECT_NE(runChild(base.path(), u"DISABLED_CrashesWithAnArchiveOpen"_s, &output), 0) << output.toStdString();
    // The crash left its folder with the archive in it.
    const QStringList left = entries(base.path());
    ASSERT_EQ(left.size(), 1) << output.toStdString();
    EXPECT_FALSE(entries(base.path() + u"/"_s + left.first()).isEmpty());
    // A folder of a program that still runs (this one) is not touched.
    const QString live = base.path() + u"/dovrelle-test-%1-Ab12Cd"_s.arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(QDir().mkpath(live + u"/home"_s));
    // Nor is anything else in the temporary folder.
    const QString other = base.path() + u"/dovrelle-test-notapid"_s;
    ASSERT_TRUE(QDir().mkpath(other));

    EXPECT_EQ(runChild(base.path(), u"DISABLED_DoesNothing"_s, &output), 0) << output.toStdString();
    QStringList expected{QDir(live).dirName(), QDir(other).dirName()};
    expected.sort();
    EXPECT_EQ(entries(base.path()), expected);
}
