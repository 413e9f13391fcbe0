// The copier: mostly run inside the test on a copy list in COM; where the program itself matters
// (its arguments, two programs at once, a file size limit, a lock another process holds) the real
// executable is started there.

#include "cards/Checksum.h"
#include "cards/Copier.h"
#include "cards/StoreCopy.h"
#include "cards/CopyOrder.h"
#include "common/WriteFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kRunTimeoutMs = 60000;

QString copierProgram()
{
    const QString bin = qEnvironmentVariableIsSet("DOVRELLE_BIN") ? qEnvironmentVariable("DOVRELLE_BIN")
                                                                  : QCoreApplication::applicationDirPath() + u"/../bin"_s;
    return bin + u"/dovrelle-fm"_s;
}

// Bytes that differ from file to file, so a copy from the wrong source shows.
QByteArray pattern(qint64 size, int seed)
{
    QByteArray bytes(size, '\0');
    quint32 x = 2654435761u * quint32(seed + 1);
    for (char &c : bytes) {
        x = x * 1664525u + 1013904223u;
        c = char(x >> 24);
    }
    return bytes;
}

// Every entry below a folder: files with their content, folders marked as such.
QMap<QString, QByteArray> treeOf(const QString &root)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        tree.insert(QDir(root).relativeFilePath(path),
                    it.fileInfo().isDir() ? QByteArray("<folder>") : (f.open(QIODevice::ReadOnly) ? f.readAll() : "?"));
    }
    return tree;
}

QStringList namesIn(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

ino_t inodeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

CopyOrder order(const QString &prefix, const QString &source, const QString &destination, qint32 kind = 1)
{
    CopyOrder o;
    o.kind = kind;
    o.prefix = prefix;
    o.source = source;
    o.destination = destination;
    return o;
}

struct Finished
{
    int exitCode = -1;
    QString out;
    QString err;

    // The failure lines the copier printed.
    QStringList failures() const
    {
        QStringList lines;
        for (const QString &l : err.split(u'\n', Qt::SkipEmptyParts)) {
            if (l.startsWith(u"dovrelle-fm:"_s))
                lines.append(l);
        }
        return lines;
    }
};

class CopierTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_home = m_dir.path();
        ASSERT_TRUE(QDir().mkpath(com()));
        // The file server is there; its series folders the copier makes as they are needed.
        ASSERT_TRUE(QDir().mkpath(m_home + u"/FileServer"_s));
        m_store = m_home + u"/FileServer/Ser1"_s;
    }

    QString com() const { return m_home + u"/COM"_s; }
    QString src(const QString &relative) const { return m_home + u"/src/"_s + relative; }

    QString makeFile(const QString &relative, const QByteArray &content)
    {
        const QString path = src(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        EXPECT_EQ(f.write(content), content.size());
        return path;
    }

    void append(const QList<CopyOrder> &orders, CopyHandOff::Copier list = CopyHandOff::Copier::Archive)
    {
        const Status s = CopyHandOff(m_home, list).append(orders);
        ASSERT_TRUE(s.ok()) << s.error().toStdString();
    }

    qsizetype pending(CopyHandOff::Copier list = CopyHandOff::Copier::Archive) const
    {
        const Result<QList<CopyOrder>> p = CopyHandOff(m_home, list).pending();
        return p ? p->size() : -1;
    }

    // Started as the program starts it: in COM, with no display, so it works on the console.
    std::unique_ptr<QProcess> start(const QStringList &args = {}, std::function<void()> inChild = {},
                                    const QMap<QString, QString> &extraEnvironment = {})
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(u"DISPLAY"_s);
        env.remove(u"WAYLAND_DISPLAY"_s);
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        for (auto it = extraEnvironment.cbegin(); it != extraEnvironment.cend(); ++it)
            env.insert(it.key(), it.value());
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(com());
        if (inChild)
            p->setChildProcessModifier(inChild);
        p->start(copierProgram(), args);
        EXPECT_TRUE(p->waitForStarted()) << copierProgram().toStdString();
        return p;
    }

    static Finished finish(QProcess &p)
    {
        EXPECT_TRUE(p.waitForFinished(kRunTimeoutMs));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    Finished run(const QStringList &args = {}, std::function<void()> inChild = {})
    {
        auto p = start(args, std::move(inChild));
        return finish(*p);
    }

    // The copier run inside this test, as the program's console run drives it: one line per
    // copied file, one "dovrelle-fm:" line per failure, 1 when anything failed.
    Finished copy(CopyHandOff::Copier list = CopyHandOff::Copier::Archive)
    {
        Copier copier(m_home, list);
        Finished f;
        QObject::connect(&copier, &Copier::fileCopied, [&f](const QString &source, const QString &target) {
            f.out += source + u" -> "_s + target + u'\n';
        });
        bool finished = false;
        QObject::connect(&copier, &Copier::finished, [&finished] { finished = true; });
        copier.run(Copier::WhenBusy::Wait);
        EXPECT_TRUE(finished) << "the run ended without saying so";
        for (const QString &failure : copier.failures())
            f.err += u"dovrelle-fm: "_s + failure + u'\n';
        f.exitCode = copier.failures().isEmpty() ? 0 : 1;
        return f;
    }

    QStringList errorLog() const
    {
        return QString::fromUtf8(contentOf(com() + u"/fm-errors.log"_s)).split(u'\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir m_dir;
    QString m_home;
    QString m_store;
};

TEST_F(CopierTest, FileFolderAndCompanionFolderLandUnderTheirStoredNames)
{
    const QString pdf = makeFile(u"report.pdf"_s, pattern(300 * 1024, 1));
    makeFile(u"docs/a.txt"_s, "نص عربي"_ba);
    makeFile(u"docs/sub/b.bin"_s, pattern(1024 * 1024 + 17, 2));
    makeFile(u"docs/sub/deeper/c.txt"_s, pattern(5000, 3));
    makeFile(u"docs/sub/empty.dat"_s, {});
    makeFile(u"docs/.hidden"_s, "h"_ba);
    QDir().mkpath(src(u"docs/vacant"_s));
    const QString page = makeFile(u"page.htm"_s, "<html></html>"_ba);
    makeFile(u"page_files/img.png"_s, pattern(20000, 4));
    makeFile(u"page_files/css/style.css"_s, "p{}"_ba);

    append({order(u"7&1&"_s, pdf, m_store), order(u"7&2&"_s, src(u"docs"_s), m_store),
            order(u"7&3&"_s, page, m_store), order(QString(), src(u"page_files"_s), m_store)});
    const Finished f = copy();

    EXPECT_EQ(f.exitCode, 0) << f.err.toStdString();
    EXPECT_TRUE(f.failures().isEmpty()) << f.err.toStdString();
    // Nothing else in the series folder: no temporary copy stayed behind.
    EXPECT_EQ(namesIn(m_store), (QStringList{u"7&1&report.pdf"_s, u"7&2&docs"_s, u"7&3&page.htm"_s, u"page_files"_s}));
    EXPECT_EQ(contentOf(m_store + u"/7&1&report.pdf"_s), contentOf(pdf));
    EXPECT_EQ(contentOf(m_store + u"/7&3&page.htm"_s), contentOf(page));
    EXPECT_EQ(treeOf(m_store + u"/7&2&docs"_s), treeOf(src(u"docs"_s)));
    EXPECT_TRUE(treeOf(m_store + u"/7&2&docs"_s).contains(u"vacant"_s));
    EXPECT_EQ(treeOf(m_store + u"/page_files"_s), treeOf(src(u"page_files"_s)));
    // One line for each of the 9 files.
    EXPECT_EQ(f.out.split(u'\n', Qt::SkipEmptyParts).size(), 9) << f.out.toStdString();
    EXPECT_EQ(pending(), 0);
    EXPECT_EQ(contentOf(com() + u"/num.txt"_s), "0");
    EXPECT_FALSE(QFile::exists(com() + u"/fm-errors.log"_s));
    EXPECT_FALSE(QFile::exists(com() + u"/fm.taken"_s));
}

TEST_F(CopierTest, MissingSourceIsReportedWithItsCardAndTheRestIsCopied)
{
    const QString here = makeFile(u"here.txt"_s, "here"_ba);
    const QString page = makeFile(u"page.htm"_s, "<html></html>"_ba);
    append({order(u"12&1&"_s, src(u"gone.pdf"_s), m_store), order(u"13&1&"_s, here, m_store),
            order(u"14&1&"_s, page, m_store), order(QString(), src(u"page_files"_s), m_store)});
    const Finished f = copy();

    EXPECT_EQ(f.exitCode, 1);
    const QStringList failures = f.failures();
    ASSERT_EQ(failures.size(), 2) << f.err.toStdString();
    EXPECT_TRUE(failures.at(0).contains(u"12"_s) && failures.at(0).contains(u"gone.pdf"_s)) << f.err.toStdString();
    // The companion folder is the page's: its card is named although its order has no prefix.
    EXPECT_TRUE(failures.at(1).contains(u"14"_s) && failures.at(1).contains(u"page_files"_s)) << f.err.toStdString();
    EXPECT_EQ(namesIn(m_store), (QStringList{u"13&1&here.txt"_s, u"14&1&page.htm"_s}));

    const QStringList log = errorLog();
    ASSERT_EQ(log.size(), 2);
    const QStringList fields = log.at(0).split(u'\t');
    ASSERT_EQ(fields.size(), 5);
    EXPECT_TRUE(QDateTime::fromString(fields.at(0), Qt::ISODate).isValid());
    EXPECT_EQ(fields.at(1), u"12"_s);
    EXPECT_EQ(fields.at(2), src(u"gone.pdf"_s));
    EXPECT_EQ(log.at(1).split(u'\t').value(1), u"14"_s);
}

// A file server that is gone (an unmounted share) is not made again on the local disk, where no
// other workstation would find the files: the orders wait until it is back.
TEST_F(CopierTest, AVanishedFileServerIsNotMadeAgainAndItsOrdersWait)
{
    const QString here = makeFile(u"here.txt"_s, "here"_ba);
    ASSERT_TRUE(QDir(m_home + u"/FileServer"_s).removeRecursively());
    append({order(u"13&1&"_s, here, m_store)});
    const Finished f = copy();
    EXPECT_EQ(f.exitCode, 1);
    ASSERT_EQ(f.failures().size(), 1);
    EXPECT_TRUE(f.failures().constFirst().contains(u"غير موجود"_s)) << f.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(m_home + u"/FileServer"_s));

    ASSERT_TRUE(QDir().mkpath(m_home + u"/FileServer"_s));
    const Finished again = copy();
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(namesIn(m_store), QStringList{u"13&1&here.txt"_s});
}

TEST_F(CopierTest, AFailedOrderStaysAndIsCopiedByTheNextRunOnceItsSourceIsBack)
{
    const QString later = src(u"later.pdf"_s);
    const QString here = makeFile(u"here.txt"_s, "here"_ba);
    append({order(u"21&1&"_s, later, m_store), order(u"22&1&"_s, here, m_store)});
    EXPECT_EQ(copy().exitCode, 1);
    const Result<QList<CopyOrder>> failed = CopyHandOff(m_home, CopyHandOff::Copier::Archive).failed();
    ASSERT_TRUE(failed.ok());
    ASSERT_EQ(failed->size(), 1);
    EXPECT_EQ(failed->at(0).prefix, u"21&1&"_s);
    EXPECT_EQ(failed->at(0).source, later);

    // Still missing: the order stays for the run after.
    EXPECT_EQ(copy().exitCode, 1);
    EXPECT_EQ(CopyHandOff(m_home, CopyHandOff::Copier::Archive).failed()->size(), 1);

    makeFile(u"later.pdf"_s, pattern(4000, 9));
    const Finished f = copy();
    EXPECT_EQ(f.exitCode, 0) << f.err.toStdString();
    EXPECT_EQ(contentOf(m_store + u"/21&1&later.pdf"_s), contentOf(later));
    EXPECT_TRUE(CopyHandOff(m_home, CopyHandOff::Copier::Archive).failed()->isEmpty());
    EXPECT_FALSE(QFile::exists(com() + u"/fm.taken"_s));
}

TEST_F(CopierTest, AnOrderHandedOverTwiceIsCopiedOnce)
{
    const QString file = makeFile(u"twice.txt"_s, pattern(1000, 5));
    append({order(u"31&1&"_s, file, m_store), order(u"31&1&"_s, file, m_store)});
    Finished f = copy();
    EXPECT_EQ(f.exitCode, 0) << f.err.toStdString();
    append({order(u"31&1&"_s, file, m_store)});
    f = copy();
    EXPECT_EQ(f.exitCode, 0) << f.err.toStdString();
    EXPECT_EQ(namesIn(m_store), QStringList{u"31&1&twice.txt"_s});
    EXPECT_EQ(contentOf(m_store + u"/31&1&twice.txt"_s), contentOf(file));
}

TEST(CopyOrderRecord, ARecordWrittenByHandReadsAndComposesByteForByte)
{
    // 436 bytes: kind (32-bit little endian), prefix (50), source (180), destination (202), each
    // text zero-terminated and padded with zeros, in code page 1256.
    QByteArray record(436, '\0');
    record[0] = 1;
    record.replace(4, 5, "17&3&");
    const QByteArray source = "/home/clerk/\xc7\xe1\xdf\xca\xc7\xc8.pdf"; // "الكتاب"
    record.replace(54, source.size(), source);
    record.replace(234, 13, "/srv/fs/Ser12");
    ASSERT_EQ(record.size(), 436);

    const CopyOrder parsed = CopyOrder::parse(record);
    EXPECT_EQ(parsed.kind, 1);
    EXPECT_EQ(parsed.prefix, u"17&3&"_s);
    EXPECT_EQ(parsed.source, u"/home/clerk/الكتاب.pdf"_s);
    EXPECT_EQ(parsed.destination, u"/srv/fs/Ser12"_s);
    EXPECT_EQ(parsed.target(), u"/srv/fs/Ser12/17&3&الكتاب.pdf"_s);
    const Result<QByteArray> composed = parsed.compose();
    ASSERT_TRUE(composed.ok());
    EXPECT_EQ(composed->toHex(), record.toHex());
}

// The list and the count of the hand-off as a damaged or half-written pair leaves them: the count
// rules. Records past it (a writer that died between the list and the count) are not taken and
// not kept, a part of a record is never read as an order, and a count below zero is none.
TEST(CopyOrderRecord, TheCountRulesTheListAndOnlyWholeRecordsAreRead)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QDir().mkpath(home.path() + u"/COM"_s);
    const CopyHandOff handOff(home.path(), CopyHandOff::Copier::Archive);
    auto order = [](int n) { return CopyOrder{1, u"%1&1&"_s.arg(n), u"/home/a%1.txt"_s.arg(n), u"/srv/store/Ser1"_s}; };
    QByteArray records;
    for (int n = 1; n <= 3; ++n)
        records += *order(n).compose();

    // Three records, a count of two: the third is no order.
    writeFile(handOff.listPath(), records);
    writeFile(handOff.countPath(), "2");
    ASSERT_TRUE(handOff.append({order(4)}).ok());
    const Result<QList<CopyOrder>> afterAppend = handOff.pending();
    ASSERT_TRUE(afterAppend.ok());
    ASSERT_EQ(afterAppend->size(), 3);
    EXPECT_EQ(afterAppend->at(2).prefix, u"4&1&"_s) << "an uncounted record was kept";
    EXPECT_EQ(QFileInfo(handOff.listPath()).size(), 3 * CopyOrder::kSize);

    // A negative count: nothing is taken, and the next order stands alone.
    writeFile(handOff.listPath(), records);
    writeFile(handOff.countPath(), "-2");
    const Result<QList<CopyOrder>> none = handOff.take();
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(none->isEmpty());
    writeFile(handOff.listPath(), records);
    writeFile(handOff.countPath(), "-2");
    ASSERT_TRUE(handOff.append({order(5)}).ok());
    ASSERT_EQ(handOff.pending()->size(), 1);
    EXPECT_EQ(handOff.pending()->constFirst().prefix, u"5&1&"_s);

    // A journal cut in its second record holds one order.
    const QString journal = home.path() + u"/COM/fm.taken"_s;
    writeFile(journal, records.left(CopyOrder::kSize + CopyOrder::kSize / 2));
    const Result<QList<CopyOrder>> journalled = Copier::readOrders(journal);
    ASSERT_TRUE(journalled.ok());
    ASSERT_EQ(journalled->size(), 1);
    EXPECT_EQ(journalled->constFirst().prefix, u"1&1&"_s);
}

TEST_F(CopierTest, DestinationThatIsOrLiesUnderAFileIsReported)
{
    // Root writes anywhere, so a file in the way is what makes the folder impossible.
    const QString blocker = m_home + u"/blocker"_s;
    QFile b(blocker);
    ASSERT_TRUE(b.open(QIODevice::WriteOnly));
    b.write("keep");
    b.close();
    const QString a = makeFile(u"a.txt"_s, "a"_ba);
    append({order(u"21&1&"_s, a, blocker + u"/Ser1"_s), order(u"22&1&"_s, a, blocker)});
    const Finished f = copy();

    EXPECT_EQ(f.exitCode, 1);
    const QStringList failures = f.failures();
    ASSERT_EQ(failures.size(), 2) << f.err.toStdString();
    EXPECT_TRUE(failures.at(0).contains(u"21"_s) && failures.at(0).contains(u"a.txt"_s));
    EXPECT_TRUE(failures.at(1).contains(u"22"_s) && failures.at(1).contains(u"a.txt"_s));
    EXPECT_TRUE(QFileInfo(blocker).isFile());
    EXPECT_EQ(contentOf(blocker), "keep");
    EXPECT_EQ(namesIn(m_home), (QStringList{u"COM"_s, u"FileServer"_s, u"blocker"_s, u"src"_s}));
    EXPECT_EQ(errorLog().size(), 2);
}

TEST_F(CopierTest, ExistingStoredItemIsNeitherReplacedNorSilentlySkipped)
{
    const QString a = makeFile(u"a.txt"_s, "new content"_ba);
    makeFile(u"docs/x.txt"_s, "x"_ba);
    ASSERT_TRUE(QDir().mkpath(m_store + u"/31&2&docs"_s));
    QFile old(m_store + u"/31&1&a.txt"_s);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    append({order(u"31&1&"_s, a, m_store), order(u"31&2&"_s, src(u"docs"_s), m_store)});
    const Finished f = copy();

    EXPECT_EQ(f.exitCode, 1);
    const QStringList failures = f.failures();
    ASSERT_EQ(failures.size(), 2) << f.err.toStdString();
    EXPECT_TRUE(failures.at(0).contains(u"31"_s) && failures.at(0).contains(u"a.txt"_s));
    EXPECT_TRUE(failures.at(1).contains(u"31"_s) && failures.at(1).contains(u"docs"_s));
    EXPECT_EQ(contentOf(m_store + u"/31&1&a.txt"_s), "old");
    EXPECT_TRUE(namesIn(m_store + u"/31&2&docs"_s).isEmpty());
    EXPECT_EQ(namesIn(m_store), (QStringList{u"31&1&a.txt"_s, u"31&2&docs"_s}));
}

TEST_F(CopierTest, CopyFailingHalfWayLeavesNothingBehind)
{
    // A file size limit stands in for a full disk: writes past 1 MiB fail.
    const auto fullDisk = [] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024 * 1024, 1024 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
    const QString big = makeFile(u"big.bin"_s, pattern(3 * 1024 * 1024, 5));
    makeFile(u"mixed/a.txt"_s, "a"_ba);
    makeFile(u"mixed/b/big.bin"_s, pattern(3 * 1024 * 1024, 6));
    makeFile(u"mixed/c.txt"_s, "c"_ba);
    const QString small = makeFile(u"small.txt"_s, "small"_ba);
    append({order(u"41&1&"_s, big, m_store), order(u"41&2&"_s, src(u"mixed"_s), m_store),
            order(u"41&3&"_s, small, m_store)});
    const Finished f = run({}, fullDisk);

    EXPECT_EQ(f.exitCode, 1);
    const QStringList failures = f.failures();
    ASSERT_EQ(failures.size(), 2) << f.err.toStdString();
    EXPECT_TRUE(failures.at(0).contains(u"41"_s) && failures.at(0).contains(u"big.bin"_s));
    EXPECT_TRUE(failures.at(1).contains(u"41"_s) && failures.at(1).contains(u"mixed"_s));
    EXPECT_EQ(namesIn(m_store), QStringList{u"41&3&small.txt"_s});
    EXPECT_EQ(contentOf(m_store + u"/41&3&small.txt"_s), "small");
}

TEST_F(CopierTest, SecondCopierWorksOnItsOwnList)
{
    const QString a = makeFile(u"a.txt"_s, "a"_ba);
    const QString b = makeFile(u"b.txt"_s, "b"_ba);
    const QString chosen = m_home + u"/chosen"_s;
    append({order(QString(), b, chosen, 0)}, CopyHandOff::Copier::Second);
    append({order(u"1&1&"_s, a, m_store)});
    const Finished f = run({u"--list"_s, u"2"_s});

    EXPECT_EQ(f.exitCode, 0) << f.err.toStdString();
    EXPECT_EQ(namesIn(chosen), QStringList{u"b.txt"_s});
    EXPECT_EQ(pending(CopyHandOff::Copier::Second), 0);
    EXPECT_EQ(pending(), 1);
    EXPECT_FALSE(QFile::exists(m_store));
}

TEST_F(CopierTest, CopierFindingAnotherAtWorkLeavesTheOrdersToIt)
{
    const QString a = makeFile(u"a.txt"_s, "a"_ba);
    append({order(u"5&1&"_s, a, m_store)});
    // This test plays the copier at work.
    const int held = ::open(QFile::encodeName(com() + u"/fm.run"_s).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    const Finished left = run();
    EXPECT_EQ(left.exitCode, 0) << left.err.toStdString();
    EXPECT_EQ(pending(), 1);
    EXPECT_FALSE(QFile::exists(m_store + u"/5&1&a.txt"_s));

    auto waiting = start({u"--wait"_s});
    EXPECT_FALSE(waiting->waitForFinished(500));
    EXPECT_EQ(pending(), 1);
    ::close(held);
    const Finished done = finish(*waiting);
    EXPECT_EQ(done.exitCode, 0) << done.err.toStdString();
    EXPECT_EQ(pending(), 0);
    EXPECT_EQ(contentOf(m_store + u"/5&1&a.txt"_s), "a");
}

TEST_F(CopierTest, TwoListsInQuickSuccessionLoseNoOrder)
{
    constexpr int kRounds = 6;
    constexpr int kFilesPerList = 8;
    QStringList sources;
    for (int i = 0; i < kFilesPerList; ++i)
        sources.append(makeFile(u"f%1.bin"_s.arg(i), pattern(256 * 1024, i)));
    for (int round = 0; round < kRounds; ++round) {
        QList<CopyOrder> first;
        QList<CopyOrder> second;
        for (int i = 0; i < kFilesPerList; ++i) {
            first.append(order(u"%1&%2&"_s.arg(100 + round).arg(i + 1), sources.at(i), m_store));
            second.append(order(u"%1&%2&"_s.arg(200 + round).arg(i + 1), sources.at(i), m_store));
        }
        append(first);
        auto one = start();
        // A different moment of the first copier's run each round.
        QThread::msleep(round * 15);
        append(second);
        auto two = start();
        const Finished f1 = finish(*one);
        const Finished f2 = finish(*two);
        EXPECT_EQ(f1.exitCode, 0) << f1.err.toStdString();
        EXPECT_EQ(f2.exitCode, 0) << f2.err.toStdString();
        for (const QList<CopyOrder> *list : {&first, &second}) {
            for (const CopyOrder &o : *list)
                EXPECT_EQ(QFileInfo(o.target()).size(), 256 * 1024) << o.target().toStdString() << " round " << round;
        }
        EXPECT_EQ(pending(), 0);
    }
    EXPECT_EQ(namesIn(m_store).size(), kRounds * 2 * kFilesPerList);
}

TEST_F(CopierTest, OrdersAppendedWhileTheCopierLeavesAreNotLeftBehind)
{
    const QString a = makeFile(u"a.txt"_s, "a"_ba);
    const QString b = makeFile(u"b.txt"_s, "b"_ba);
    append({order(u"61&1&"_s, a, m_store)});
    // The first copier stays a while between finding the list empty and giving up the run lock:
    // long enough for the second to start on a loaded machine (3 s was not, at a load near 8).
    auto first = start({}, {}, {{u"DOVRELLE_FM_LINGER_MS"_s, u"8000"_s}});
    QElapsedTimer waited;
    waited.start();
    while ((!QFile::exists(m_store + u"/61&1&a.txt"_s) || QFile::exists(com() + u"/fm.taken"_s))
           && waited.elapsed() < kRunTimeoutMs)
        QThread::msleep(10);
    ASSERT_TRUE(QFile::exists(m_store + u"/61&1&a.txt"_s));
    QThread::msleep(200);

    append({order(u"62&1&"_s, b, m_store)});
    const Finished second = run();
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(pending(), 1);
    const Finished firstDone = finish(*first);
    EXPECT_EQ(firstDone.exitCode, 0) << firstDone.err.toStdString();
    EXPECT_EQ(contentOf(m_store + u"/62&1&b.txt"_s), "b");
    EXPECT_EQ(pending(), 0);
}

TEST_F(CopierTest, RunThatDiedIsFinishedByTheNextOne)
{
    const QString a = makeFile(u"a.txt"_s, "a"_ba);
    const QString b = makeFile(u"b.txt"_s, "b"_ba);
    const QString c = makeFile(u"c.txt"_s, "c"_ba);
    ASSERT_TRUE(QDir().mkpath(m_store));
    ASSERT_TRUE(QFile::copy(a, m_store + u"/51&1&a.txt"_s));
    QFile other(m_store + u"/51&3&c.txt"_s);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("not c");
    other.close();
    // The orders a dead copier had taken from the list.
    QByteArray taken;
    for (const CopyOrder &o : {order(u"51&1&"_s, a, m_store), order(u"51&2&"_s, b, m_store), order(u"51&3&"_s, c, m_store)})
        taken.append(*o.compose());
    QFile journal(com() + u"/fm.taken"_s);
    ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
    journal.write(taken);
    journal.close();
    // And a temporary copy it left.
    QFile part(m_store + u"/.dovrelle-fm-999999999-1.part"_s);
    ASSERT_TRUE(part.open(QIODevice::WriteOnly));
    part.close();

    const Finished f = copy();
    EXPECT_EQ(f.exitCode, 1);
    // The item already in place counts as done; a different item at the stored name is a clash.
    const QStringList failures = f.failures();
    ASSERT_EQ(failures.size(), 1) << f.err.toStdString();
    EXPECT_TRUE(failures.at(0).contains(u"51"_s) && failures.at(0).contains(u"c.txt"_s));
    EXPECT_EQ(contentOf(m_store + u"/51&2&b.txt"_s), "b");
    EXPECT_EQ(contentOf(m_store + u"/51&3&c.txt"_s), "not c");
    EXPECT_EQ(namesIn(m_store), (QStringList{u"51&1&a.txt"_s, u"51&2&b.txt"_s, u"51&3&c.txt"_s}));
    EXPECT_FALSE(QFile::exists(com() + u"/fm.taken"_s));
}

TEST_F(CopierTest, AKillBetweenCopyingAndTheFlushLeavesTheOrdersInTheJournal)
{
    QList<CopyOrder> orders;
    QList<QByteArray> contents;
    for (int i = 1; i <= 3; ++i) {
        contents << pattern(300000 * i, i);
        orders << order(u"71&%1&"_s.arg(i), makeFile(u"k%1.bin"_s.arg(i), contents.last()), m_store);
    }
    append(orders);
    auto killed = start({}, {}, {{u"DOVRELLE_FM_DIE_AT"_s, u"before-flush"_s}});
    ASSERT_TRUE(killed->waitForFinished(kRunTimeoutMs));
    EXPECT_EQ(killed->exitStatus(), QProcess::CrashExit);

    // Taken from the list, copied under temporary names, and still every one in the journal.
    EXPECT_EQ(pending(), 0);
    EXPECT_EQ(contentOf(com() + u"/fm.taken"_s).size(), 3 * CopyOrder::kSize);
    for (const QString &name : namesIn(m_store))
        EXPECT_TRUE(name.startsWith(u".dovrelle-fm-"_s)) << name.toStdString();

    const Finished next = copy();
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(contentOf(m_store + u"/71&%1&k%1.bin"_s.arg(i)), contents.at(i - 1)) << i;
    EXPECT_EQ(namesIn(m_store).size(), 3);
    EXPECT_FALSE(QFile::exists(com() + u"/fm.taken"_s));
}

TEST_F(CopierTest, AKillAfterTheFlushBeforeTheJournalGoesCopiesNothingTwice)
{
    const QByteArray content = pattern(2500000, 7);
    append({order(u"72&1&"_s, makeFile(u"big.bin"_s, content), m_store)});
    auto killed = start({}, {}, {{u"DOVRELLE_FM_DIE_AT"_s, u"before-journal"_s}});
    ASSERT_TRUE(killed->waitForFinished(kRunTimeoutMs));
    EXPECT_EQ(killed->exitStatus(), QProcess::CrashExit);
    const QString stored = m_store + u"/72&1&big.bin"_s;
    EXPECT_EQ(contentOf(stored), content);
    EXPECT_EQ(contentOf(com() + u"/fm.taken"_s).size(), CopyOrder::kSize);
    const ino_t placed = inodeOf(stored);

    const Finished next = copy();
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_TRUE(next.failures().isEmpty());
    // Recognised through the checksum kept on it: the stored file is the one the first run placed.
    EXPECT_EQ(inodeOf(stored), placed);
    EXPECT_EQ(namesIn(m_store), QStringList{u"72&1&big.bin"_s});
    EXPECT_FALSE(QFile::exists(com() + u"/fm.taken"_s));
}

TEST_F(CopierTest, EveryCopyCarriesTheChecksumOfItsBytesInTheKernelOrThePlainWay)
{
    for (const bool kernel : {true, false}) {
        StoreCopy::setKernelCopy(kernel);
        const QString tag = kernel ? u"k"_s : u"p"_s;
        const QByteArray content = pattern(3 * 1024 * 1024 + 17, kernel ? 1 : 2);
        const QByteArray small = pattern(5, 3);
        append({order(u"73&1&"_s, makeFile(tag + u"-big.bin"_s, content), m_store),
                order(u"73&2&"_s, makeFile(tag + u"-small.bin"_s, small), m_store)});
        const Finished f = copy();
        StoreCopy::setKernelCopy(true);
        EXPECT_EQ(f.exitCode, 0) << f.err.toStdString();
        const std::optional<StoreCopy::Checksum> big = StoreCopy::recordedChecksum(m_store + u"/73&1&"_s + tag + u"-big.bin"_s);
        ASSERT_TRUE(big.has_value()) << "no checksum on the copy (" << tag.toStdString() << ")";
        EXPECT_EQ(big->sum, Crc32c::portable(content.constData(), size_t(content.size())));
        EXPECT_EQ(big->size, content.size());
        const std::optional<StoreCopy::Checksum> little = StoreCopy::recordedChecksum(m_store + u"/73&2&"_s + tag + u"-small.bin"_s);
        ASSERT_TRUE(little.has_value());
        EXPECT_EQ(little->sum, Crc32c::portable(small.constData(), size_t(small.size())));
    }
}

TEST_F(CopierTest, ASourceRewrittenWhileItIsCopiedIsRefusedEvenAtTheSameSize)
{
    const QByteArray content = pattern(4 * 1024 * 1024, 9);
    const QString source = makeFile(u"moving.bin"_s, content);
    // Well in the past, so that the write below moves the time even on a coarse clock.
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-10), QFileDevice::FileModificationTime));
    }
    append({order(u"74&1&"_s, source, m_store)});
    Copier copier(m_home, CopyHandOff::Copier::Archive);
    bool rewritten = false;
    QObject::connect(&copier, &Copier::advanced, [&](qint64) {
        if (rewritten)
            return;
        rewritten = true;
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(content.size() - 4);
        f.write("abcd");
    });
    copier.run(Copier::WhenBusy::Wait);
    ASSERT_TRUE(rewritten);
    ASSERT_EQ(copier.failures().size(), 1);
    EXPECT_TRUE(copier.failures().at(0).contains(u"74"_s));
    EXPECT_TRUE(namesIn(m_store).isEmpty()) << namesIn(m_store).join(u", "_s).toStdString();
    EXPECT_EQ(contentOf(com() + u"/fm.failed"_s).size(), CopyOrder::kSize);
}

TEST(Crc32cSum, KnownValueAndTheProcessorsInstructionAgreeWithTheTable)
{
    EXPECT_EQ(Crc32c::portable("123456789", 9), 0xe3069283u);
    Crc32c empty;
    EXPECT_EQ(empty.value(), 0u);
    const QByteArray bytes = pattern(70001, 4);
    for (const qsizetype length : {qsizetype(0), qsizetype(1), qsizetype(7), qsizetype(8), qsizetype(9), qsizetype(4095), bytes.size()}) {
        Crc32c whole;
        whole.add(bytes.constData(), size_t(length));
        EXPECT_EQ(whole.value(), Crc32c::portable(bytes.constData(), size_t(length))) << length;
        // In two parts split anywhere: the same sum.
        Crc32c parts;
        parts.add(bytes.constData(), size_t(length / 3));
        parts.add(bytes.constData() + length / 3, size_t(length - length / 3));
        EXPECT_EQ(parts.value(), whole.value()) << length;
    }
    const QByteArray changed = QByteArray(bytes).replace(500, 1, "?");
    EXPECT_NE(Crc32c::portable(changed.constData(), size_t(changed.size())),
              Crc32c::portable(bytes.constData(), size_t(bytes.size())));
}

TEST_F(CopierTest, StartedOutsideComWithoutHomeRefusesToGuess)
{
    QProcess p;
    p.setWorkingDirectory(m_home);
    p.start(copierProgram(), {});
    ASSERT_TRUE(p.waitForFinished(kRunTimeoutMs));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_FALSE(QFile::exists(m_home + u"/../COM/fm.run"_s));
}

} // namespace
