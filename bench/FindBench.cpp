// The search of the computer against the system's own tools, in one run on trees made here:
// the walk of a 100,000-file tree for a name fragment against find -iname '*frag*', and the text
// test over 1 GiB of files for a text absent from all of them against grep -rliF, warm cache.
// Prints the rates and the ratios (ours / theirs; above 1 is faster).
//   bench_find [FILES] [MIB]   (defaults 100000 and 1024)

#include "search/FolderSearch.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kRounds = 5;

// The best of a few runs: the cache is warm after the first.
template <typename F>
double bestSeconds(F &&run)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int i = 0; i < kRounds; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        best = std::min(best, t.nsecsElapsed());
    }
    return double(best) / 1e9;
}

// The other program's run, its output counted in lines.
int runTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(-1);
    return int(p.readAllStandardOutput().count('\n'));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int mebibytes = argc > 2 ? std::atoi(argv[2]) : 1024;
    QTextStream out(stdout);
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/dovrelle-bench-XXXXXX"));
    if (!work.isValid())
        return 1;

    // 1. A tree of `files` empty files, 100 to a folder, folders ten to a parent; one name in a
    // hundred holds the fragment.
    const QString tree = work.filePath(QStringLiteral("tree"));
    for (int i = 0; i < files; ++i) {
        const int folder = i / 100;
        const QString dir = tree + QStringLiteral("/g%1/f%2").arg(folder / 10).arg(folder);
        if (i % 100 == 0)
            QDir().mkpath(dir);
        const QString name = i % 100 == 37 ? QStringLiteral("Annual-Report-%1.doc").arg(i) : QStringLiteral("scan-%1.tif").arg(i);
        QFile f(dir + u'/' + name);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
    }
    FolderSearchOptions walk;
    walk.folder = tree;
    walk.fileMask = QStringLiteral("*rep*");
    walk.recursive = true;
    walk.filters = FolderSearchOptions::AttributeFilter;
    FolderSearch search;
    int ours = 0;
    int theirs = 0;
    const double walkOurs = bestSeconds([&] {
        search.run(walk);
        ours = int(search.results().size());
    });
    const double walkFind = bestSeconds([&] {
        theirs = runTool(QStringLiteral("find"), {tree, QStringLiteral("-iname"), QStringLiteral("*rep*")});
    });
    out << QStringLiteral("walk of %1 files for *rep*: ours %2 s (%3 files/s, %4 found), find %5 s (%6 files/s, %7 found), ratio %8\n")
               .arg(files)
               .arg(walkOurs, 0, 'f', 3)
               .arg(files / walkOurs, 0, 'f', 0)
               .arg(ours)
               .arg(walkFind, 0, 'f', 3)
               .arg(files / walkFind, 0, 'f', 0)
               .arg(theirs)
               .arg(walkFind / walkOurs, 0, 'f', 2);
    out.flush();
    QDir(tree).removeRecursively();

    // 2. `mebibytes` of text in files of 4 MiB: words of lower-case letters and spaces, none of
    // them the text looked for.
    const QString texts = work.filePath(QStringLiteral("texts"));
    QDir().mkpath(texts);
    QByteArray block(4 << 20, ' ');
    QRandomGenerator random(17);
    for (qsizetype i = 0; i < block.size(); ++i)
        block[i] = random.bounded(6) == 0 ? ' ' : char('a' + random.bounded(20)); // never w..z
    const int count = mebibytes / 4;
    for (int i = 0; i < count; ++i) {
        QFile f(texts + QStringLiteral("/doc%1.txt").arg(i));
        block[i] = 'b';
        if (!f.open(QIODevice::WriteOnly) || f.write(block) != block.size())
            return 1;
    }
    const QString absent = QStringLiteral("Wizard Oxygen");
    FolderSearchOptions text;
    text.folder = texts;
    text.recursive = true;
    text.filters = FolderSearchOptions::AttributeFilter | FolderSearchOptions::TextFilter;
    text.text = absent;
    const double textOurs = bestSeconds([&] {
        search.run(text);
        ours = int(search.results().size());
    });
    const double textGrep = bestSeconds([&] {
        theirs = runTool(QStringLiteral("grep"), {QStringLiteral("-rliF"), absent, texts});
    });
    const double bytes = double(count) * double(block.size()) / double(1 << 20);
    out << QStringLiteral("text over %1 MiB: ours %2 s (%3 MiB/s, %4 found), grep -rliF %5 s (%6 MiB/s, %7 found), ratio %8\n")
               .arg(bytes, 0, 'f', 0)
               .arg(textOurs, 0, 'f', 3)
               .arg(bytes / textOurs, 0, 'f', 0)
               .arg(ours)
               .arg(textGrep, 0, 'f', 3)
               .arg(bytes / textGrep, 0, 'f', 0)
               .arg(theirs)
               .arg(textGrep / textOurs, 0, 'f', 2);
    return 0;
}
