#include "base/Cp1256.h"
#include "common/QtPrinters.h"
#include "common/WriteFile.h"
#include "search/FileTextMatcher.h"
#include "search/FolderSearch.h"
#include "search/FolderSearchRunner.h"
#include "search/FoundFilesModel.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QStringList names(const QList<FoundFile> &files)
{
    QStringList out;
    for (const FoundFile &f : files)
        out.append(f.name);
    out.sort();
    return out;
}

FolderSearchOptions options(const QString &folder, const QString &fragment = {}, bool recursive = true)
{
    FolderSearchOptions o;
    o.folder = folder;
    o.fileMask = u"*%1*"_s.arg(fragment);
    o.recursive = recursive;
    o.filters = FolderSearchOptions::AttributeFilter;
    return o;
}

QList<FoundFile> search(const FolderSearchOptions &o)
{
    FolderSearch s;
    EXPECT_TRUE(s.run(o));
    return s.results();
}

} // namespace

TEST(FolderSearchNames, FragmentMatchesAnyPartOfTheNameInAnyCase)
{
    QTemporaryDir dir;
    for (const char *n : {"Report.doc", "prepare.txt", "other.txt", "REPLY.md", "sub/deep/reputation.pdf", ".rep-hidden"})
        writeSized(dir.filePath(QString::fromLatin1(n)), 3);
    EXPECT_EQ(names(search(options(dir.path(), u"rep"_s))),
              (QStringList{u".rep-hidden"_s, u"REPLY.md"_s, u"Report.doc"_s, u"prepare.txt"_s, u"reputation.pdf"_s}));
    // Without the sub-folders the deep file stays out; an empty fragment takes every entry.
    EXPECT_EQ(names(search(options(dir.path(), u"rep"_s, false))).size(), 4);
    EXPECT_EQ(names(search(options(dir.path(), {}, false))).size(), 6); // five files and "sub"

    // An Arabic fragment and a wildcard pattern are matched as well.
    writeSized(dir.filePath(u"تقرير سنوي.txt"_s), 1);
    EXPECT_EQ(names(search(options(dir.path(), u"تقرير"_s))), QStringList{u"تقرير سنوي.txt"_s});
    FolderSearchOptions pattern = options(dir.path());
    pattern.fileMask = u"*.TXT"_s;
    EXPECT_EQ(names(search(pattern)), (QStringList{u"other.txt"_s, u"prepare.txt"_s, u"تقرير سنوي.txt"_s}));
}

TEST(FolderSearchNames, FoldersAreFoundWithTheirSlashAndEntriesComeFolderByFolder)
{
    QTemporaryDir dir;
    writeSized(dir.filePath(u"a.txt"_s), 1);
    writeSized(dir.filePath(u"docs/b.txt"_s), 1);
    writeSized(dir.filePath(u"docs/inner/c.txt"_s), 1);
    FolderSearch s;
    QStringList heard;
    s.setCallback([&](FolderSearch::Code code) {
        if (code == FolderSearch::Folder)
            heard.append(u"folder "_s + QDir(s.currentFolder()).dirName());
        else if (code == FolderSearch::Found)
            heard.append(s.results().constLast().name);
    });
    ASSERT_TRUE(s.run(options(dir.path())));
    // The sub-folders first, deepest first, then each folder's own entries after its Folder call.
    const QString top = QDir(dir.path()).dirName();
    EXPECT_EQ(heard, (QStringList{u"folder inner"_s, u"c.txt"_s, u"folder docs"_s, u"b.txt"_s, u"inner"_s,
                                  u"folder "_s + top, u"a.txt"_s, u"docs"_s}));
    const FoundFile &docs = s.results().constLast();
    EXPECT_TRUE(docs.isFolder);
    EXPECT_EQ(docs.path(), QDir(dir.path()).absolutePath() + u"/docs/"_s);
    EXPECT_TRUE(docs.folder.endsWith(u'/'));
}

TEST(FolderSearchSizes, BoundsAreInclusiveKilobytesAndTheListShowsBytesUpToNineKilobytes)
{
    QTemporaryDir dir;
    for (qint64 size : {10239, 10240, 20480, 20481})
        writeSized(dir.filePath(u"f%1.bin"_s.arg(size)), size);
    FolderSearchOptions o = options(dir.path());
    o.filters |= FolderSearchOptions::SizeFilter;
    o.minSize = 10 * 1024;
    o.maxSize = 20 * 1024;
    EXPECT_EQ(names(search(o)), (QStringList{u"f10240.bin"_s, u"f20480.bin"_s}));

    EXPECT_EQ(FoundFile::sizeText(10239), u"10239 B"_s);
    EXPECT_EQ(FoundFile::sizeText(10240), u"10 KB"_s);
    EXPECT_EQ(FoundFile::sizeText(0), u"0 B"_s);
    EXPECT_EQ(FoundFile::sizeText(qint64(5) << 30), u"5242880 KB"_s); // past 4 GiB
    const QDateTime t(QDate(2024, 3, 7), QTime(15, 5), QTimeZone::utc());
    EXPECT_EQ(FoundFile::modifiedText(t), u"07-03-2024 03:05 PM"_s);
    EXPECT_EQ(FoundFile::modifiedText(t.toOffsetFromUtc(3 * 3600)), u"07-03-2024 03:05 PM"_s);
    EXPECT_EQ(FoundFile::modifiedText(QDateTime(QDate(2024, 3, 7), QTime(0, 30), QTimeZone::utc())), u"07-03-2024 12:30 AM"_s);
}

TEST(FolderSearchTimes, LastWriteBoundsAreInclusive)
{
    QTemporaryDir dir;
    writeSized(dir.filePath(u"old.txt"_s), 1);
    writeSized(dir.filePath(u"new.txt"_s), 1);
    const QDateTime oldTime(QDate(2020, 1, 1), QTime(10, 0), QTimeZone::utc());
    const QDateTime newTime(QDate(2023, 6, 1), QTime(10, 0), QTimeZone::utc());
    for (const auto &[name, time] : {std::pair{u"old.txt"_s, oldTime}, std::pair{u"new.txt"_s, newTime}}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(time, QFileDevice::FileModificationTime));
    }
    FolderSearchOptions o = options(dir.path());
    o.filters |= FolderSearchOptions::WrittenFilter;
    o.writtenFrom = oldTime;
    o.writtenTo = oldTime;
    EXPECT_EQ(names(search(o)), QStringList{u"old.txt"_s});
    o.writtenTo = newTime.addSecs(-1);
    EXPECT_EQ(names(search(o)), QStringList{u"old.txt"_s});
    o.writtenTo = newTime;
    EXPECT_EQ(names(search(o)), (QStringList{u"new.txt"_s, u"old.txt"_s}));
}

TEST(FolderSearchText, TextIsFoundAcrossBlocksBetweenZeroBytesAndInEitherArabicEncoding)
{
    QTemporaryDir dir;
    // Spanning the first block's end, in a file of more than one block of the real size.
    QByteArray spanning(FileTextMatcher::kBlockSize + 100, '.');
    spanning.replace(FileTextMatcher::kBlockSize - 3, 7, "Invoice");
    writeFile(dir.filePath(u"spanning.dat"_s), spanning);
    // Two-byte characters: a zero after each letter.
    const QString wide = u"payment of the INVOICE"_s;
    writeFile(dir.filePath(u"wide.txt"_s), QByteArray(reinterpret_cast<const char *>(wide.utf16()), wide.size() * 2));
    writeFile(dir.filePath(u"absent.txt"_s), QByteArray(5000, 'i') + "nvoic" + QByteArray(10, 'x'));
    const QString arabic = u"عقد الايجار"_s;
    writeFile(dir.filePath(u"utf8.txt"_s), "header " + arabic.toUtf8() + " trailer");
    const Result<QByteArray> cp = Cp1256::encode(arabic);
    ASSERT_TRUE(cp.ok());
    writeFile(dir.filePath(u"cp1256.txt"_s), "x" + *cp + "y");
    writeFile(dir.filePath(u"other-arabic.txt"_s), u"عقد البيع"_s.toUtf8());

    FolderSearchOptions o = options(dir.path());
    o.filters |= FolderSearchOptions::TextFilter;
    o.text = u"invoice"_s;
    EXPECT_EQ(names(search(o)), (QStringList{u"spanning.dat"_s, u"wide.txt"_s}));
    o.text = arabic;
    EXPECT_EQ(names(search(o)), (QStringList{u"cp1256.txt"_s, u"utf8.txt"_s}));
    o.text.clear(); // an empty text matches nothing
    EXPECT_TRUE(search(o).isEmpty());

    // Every place of a text against a small block: found wherever it falls, the block edge included.
    const QByteArray needle = "boundary";
    const FileTextMatcher small(QString::fromLatin1(needle), 16);
    for (int at = 0; at + needle.size() <= 64; ++at) {
        QByteArray bytes(64, '-');
        bytes.replace(at, needle.size(), needle.toUpper());
        writeFile(dir.filePath(u"small.bin"_s), bytes);
        EXPECT_TRUE(small.matches(dir.filePath(u"small.bin"_s))) << "at " << at;
    }
    writeFile(dir.filePath(u"small.bin"_s), QByteArray(64, '-') + "boundar");
    EXPECT_FALSE(small.matches(dir.filePath(u"small.bin"_s)));
    EXPECT_FALSE(small.matches(dir.filePath(u"missing.bin"_s)));
}

TEST(FolderSearchText, ProgressIsToldEveryTenthBlockAndAStopEndsTheReading)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(u"long.bin"_s), QByteArray(25 * 64, 'a'));
    const FileTextMatcher m(u"zz"_s, 64);
    int calls = 0;
    EXPECT_FALSE(m.matches(dir.filePath(u"long.bin"_s), [&] { ++calls; }));
    EXPECT_EQ(calls, 2);
    std::atomic<bool> stop{true};
    const FileTextMatcher found(u"aaa"_s, 64);
    EXPECT_FALSE(found.matches(dir.filePath(u"long.bin"_s), {}, &stop));
    stop = false;
    EXPECT_TRUE(found.matches(dir.filePath(u"long.bin"_s), {}, &stop));
}

TEST(FolderSearchSafety, LinkLoopsEndAndSpecialFilesAreNeverOpened)
{
    QTemporaryDir dir;
    writeSized(dir.filePath(u"a/b/note.txt"_s), 4);
    ASSERT_TRUE(QFile::link(dir.filePath(u"a"_s), dir.filePath(u"a/b/back"_s)));   // a loop
    ASSERT_TRUE(QFile::link(dir.filePath(u"a/b/note.txt"_s), dir.filePath(u"note-link.txt"_s)));
    ASSERT_TRUE(QFile::link(dir.filePath(u"gone"_s), dir.filePath(u"dangling.txt"_s)));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(u"pipe.txt"_s)).constData(), 0600), 0);

    FolderSearchOptions o = options(dir.path());
    // The link to a folder is listed, not entered; a dangling link and the fifo do not pass.
    EXPECT_EQ(names(search(o)), (QStringList{u"a"_s, u"b"_s, u"back"_s, u"note-link.txt"_s, u"note.txt"_s}));
    o.filters |= FolderSearchOptions::TextFilter;
    o.text = u"xx"_s;
    o.filters &= ~FolderSearchOptions::AttributeFilter; // the fifo reaches the text test
    EXPECT_EQ(names(search(o)), (QStringList{u"note-link.txt"_s, u"note.txt"_s}));
}

TEST(FolderSearchSafety, AnUnreadableFolderIsSkippedAndTheWalkGoesOn)
{
    QTemporaryDir dir;
    // A folder that cannot be read contributes nothing, and the walk goes on past it.
    writeSized(dir.filePath(u"closed/secret.txt"_s), 4);
    writeSized(dir.filePath(u"z-after/later.txt"_s), 4);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.filePath(u"closed"_s)).constData(), 0), 0);
    const bool readable = QDir(dir.filePath(u"closed"_s)).entryList(QDir::Files).size() > 0;
    if (!readable) {
        const QStringList found = names(search(options(dir.path(), u".txt"_s)));
        EXPECT_FALSE(found.contains(u"secret.txt"_s));
        EXPECT_TRUE(found.contains(u"later.txt"_s));
    }
    ::chmod(QFile::encodeName(dir.filePath(u"closed"_s)).constData(), 0700);
    if (readable)
        GTEST_SKIP() << "SKIPPED: running as root (euid " << ::geteuid()
                     << ") makes every folder readable, so no unreadable folder can be made";
}

TEST(FolderSearchStop, AStopDuringTheWalkKeepsWhatWasFound)
{
    QTemporaryDir dir;
    for (int i = 0; i < 60; ++i)
        writeSized(dir.filePath(u"d%1/f%2.txt"_s.arg(i % 6).arg(i)), 1);
    FolderSearch s;
    int heard = 0;
    s.setCallback([&](FolderSearch::Code code) {
        if (code == FolderSearch::Found && ++heard == 25)
            s.requestStop();
    });
    EXPECT_FALSE(s.run(options(dir.path(), u".txt"_s)));
    EXPECT_EQ(s.results().size(), 25);
    // Started again the walk goes on only once the flag is cleared.
    EXPECT_FALSE(s.run(options(dir.path(), u".txt"_s)));
    EXPECT_TRUE(s.results().isEmpty());
    s.setCallback({});
    s.clearStop();
    EXPECT_TRUE(s.run(options(dir.path(), u".txt"_s)));
    EXPECT_EQ(s.results().size(), 60);
}

TEST(FolderSearchRunnerThread, ResultsArriveAsBatchesAndAStopRightAfterTheStartIsKept)
{
    QTemporaryDir dir;
    for (int i = 0; i < 500; ++i)
        writeSized(dir.filePath(u"d%1/f%2.txt"_s.arg(i % 5).arg(i)), 1);
    FolderSearchRunner runner;
    QList<FoundFile> arrived;
    int total = -1;
    bool stopped = true;
    QObject::connect(&runner, &FolderSearchRunner::found, &runner,
                     [&](const QList<FoundFile> &files, int, const QString &) { arrived += files; });
    QEventLoop loop;
    QObject::connect(&runner, &FolderSearchRunner::finished, &loop, [&](int count, bool wasStopped) {
        total = count;
        stopped = wasStopped;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    ASSERT_TRUE(runner.start(options(dir.path(), u".txt"_s)));
    EXPECT_TRUE(runner.isRunning());
    EXPECT_FALSE(runner.start(options(dir.path())));
    loop.exec();
    EXPECT_FALSE(stopped);
    EXPECT_EQ(total, 500);
    EXPECT_EQ(arrived.size(), 500);
    EXPECT_FALSE(runner.isRunning());

    arrived.clear();
    ASSERT_TRUE(runner.start(options(dir.path(), u".txt"_s)));
    runner.stop();
    loop.exec();
    EXPECT_TRUE(stopped);
    EXPECT_EQ(total, arrived.size());
    EXPECT_LT(total, 500);
}

TEST(FoundFilesList, ModesReplaceAddAndRemoveWorkOnPathsWithoutRegardToCase)
{
    QTemporaryDir dir;
    for (const char *n : {"one.txt", "two.txt", "sub/three.txt"})
        writeSized(dir.filePath(QString::fromLatin1(n)), 2);
    FoundFilesModel list;
    const QList<FoundFile> all = search(options(dir.path(), u".txt"_s));
    ASSERT_EQ(all.size(), 3);

    // Remove on an empty list does nothing.
    list.beginSearch(FoundFilesModel::Remove);
    list.apply(FoundFilesModel::Remove, all);
    EXPECT_EQ(list.rowCount(), 0);
    // Add on an empty list adds everything; a second search of the same folder adds nothing.
    list.apply(FoundFilesModel::Add, all);
    EXPECT_EQ(list.rowCount(), 3);
    FoundFile shouting = all.at(0);
    shouting.name = shouting.name.toUpper();
    list.apply(FoundFilesModel::Add, all + QList<FoundFile>{shouting});
    EXPECT_EQ(list.rowCount(), 3);
    // Remove takes out exactly what it finds again, whatever its place in the list.
    list.apply(FoundFilesModel::Remove, {all.at(1), shouting});
    ASSERT_EQ(list.rowCount(), 1);
    EXPECT_EQ(list.fileAt(0).path(), all.at(2).path());
    // Replace starts from an empty list.
    list.beginSearch(FoundFilesModel::Replace);
    EXPECT_EQ(list.rowCount(), 0);
    list.apply(FoundFilesModel::Replace, all.mid(0, 2));
    EXPECT_EQ(list.rowCount(), 2);

    // What the columns show.
    const QModelIndex first = list.index(0, FoundFilesModel::NameColumn);
    EXPECT_EQ(list.data(first).toString(), all.at(0).name);
    // All but the name read left to right inside the right-to-left list.
    const auto ltr = [](const QString &t) { return QChar(0x2066) + t + QChar(0x2069); };
    EXPECT_EQ(list.data(list.index(0, FoundFilesModel::FolderColumn)).toString(), ltr(all.at(0).folder));
    EXPECT_EQ(list.data(list.index(0, FoundFilesModel::SizeColumn)).toString(), ltr(u"2 B"_s));
    EXPECT_EQ(list.data(list.index(0, FoundFilesModel::ModifiedColumn)).toString(),
              ltr(FoundFile::modifiedText(QFileInfo(all.at(0).folder + all.at(0).name).lastModified())));
    EXPECT_EQ(list.headerData(FoundFilesModel::FolderColumn, Qt::Horizontal).toString(), u"In Folder"_s);
}
