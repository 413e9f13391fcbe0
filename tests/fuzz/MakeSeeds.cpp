// Writes the seed corpus of the fuzz programs with the program's own writers: a paths file, feeds,
// settings files, copy lists, index records, descriptions, palettes and Word packages as the
// program and its tests make them. scripts/fuzz.sh runs it into tests/fuzz/corpus.
//   fuzz_make_seeds FOLDER
#include "base/PathsFile.h"
#include "base/SettingsFiles.h"
#include "baskets/FeedIndex.h"
#include "cards/CopyOrder.h"
#include "common/TextFixtures.h"
#include "imaging/PaletteFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray kSeparator("\n--8<--\n");
QString g_root;

void seed(const QString &harness, const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(g_root + u'/' + harness);
    QFile f(g_root + u'/' + harness + u'/' + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::fprintf(stderr, "fuzz_make_seeds: cannot write %s\n", qPrintable(f.fileName()));
}

QByteArray int32(qint32 value)
{
    QByteArray b(4, '\0');
    qToLittleEndian(value, b.data());
    return b;
}

PathsFile::Values paths()
{
    PathsFile::Values v;
    v[PathsFile::DatabaseFolder] = u"DataBase"_s;
    v[PathsFile::FileServerFolder] = u"/srv/ارشيف/FileServer"_s;
    v[PathsFile::ScannerFolder] = u"/home/مكتب/scans"_s;
    v[PathsFile::FaxFolder] = u"fax"_s;
    v[PathsFile::MarkingMode] = u"1"_s;
    v[PathsFile::StartDate] = u"5/3/2006"_s;
    return v;
}

FeedList feeds()
{
    FeedList f;
    f[0] = {1, FeedRecord::Images, u"الماسح الضوئي"_s, u"/feeds/scans"_s};
    f[1] = {2, FeedRecord::Text, u"الرسائل"_s, u"/feeds/text"_s};
    f[2] = {3, FeedRecord::File, u"fax"_s, u"/feeds/fax"_s};
    return f;
}

QByteArray copyList()
{
    QByteArray list;
    const QList<CopyOrder> orders{
        {1, u"12&1&"_s, u"/home/مكتب/letter.pdf"_s, u"/srv/FileServer/CD1"_s},
        {1, u"12&2&"_s, u"/home/page.htm"_s, u"/srv/FileServer/CD1"_s},
        {1, QString(), u"/home/page_files"_s, u"/srv/FileServer/CD1"_s},
    };
    for (const CopyOrder &o : orders)
        list += *o.compose();
    return list;
}

QByteArray indexFile()
{
    QByteArray idx;
    const QStringList names{u"scan0001.jpg"_s, u"صورة.jpg"_s, u"message.txt"_s};
    for (qsizetype i = 0; i < names.size(); ++i)
        idx += *FeedIndex::composeRecord(qint32(i), names[i]);
    return idx;
}

QByteArray jpegWithDescription(const QByteArray &description)
{
    QByteArray bytes("\xFF\xD8\xFF\xE0", 4);
    bytes += QByteArray(150, '\0');
    bytes += "@AFPs@" + description + '@' + QByteArray(40, '\0');
    bytes += QByteArray(6000 - bytes.size(), 'x');
    return bytes;
}

QByteArray docx(const QByteArray &document)
{
    const QString path = QDir::tempPath() + u"/fuzz-seed.docx"_s;
    TextFixtures::writeDocx(path, document);
    QFile f(path);
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    QFile::remove(path);
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds FOLDER\n");
        return 2;
    }
    g_root = QString::fromLocal8Bit(argv[1]);

    const QByteArray pathsFile = *PathsFile::compose(paths());
    seed(u"pathsfile"_s, u"archive"_s, pathsFile);
    seed(u"pathsfile"_s, u"first-run"_s, QByteArray(PathsFile::kFileSize, '\0'));
    seed(u"pathsfile"_s, u"short"_s, pathsFile.left(200));

    const QByteArray feedsFile = *SettingsFiles::composeFeeds(feeds());
    seed(u"feedsfile"_s, u"three-feeds"_s, feedsFile);
    seed(u"feedsfile"_s, u"short"_s, feedsFile.left(300));

    const QByteArray company = *SettingsFiles::composeCompanyName(u"شركة الوثائق"_s);
    seed(u"systemsettings"_s, u"archive"_s,
         feedsFile + kSeparator + company + kSeparator + int32(650 * 1024 * 1024) + kSeparator + int32(3) + kSeparator
             + pathsFile);
    seed(u"systemsettings"_s, u"empty"_s, QByteArray());

    seed(u"fixedrecord"_s, u"feed-name"_s, QByteArray("\x04\x50\0\0", 4) + feedsFile.left(288));
    seed(u"fixedrecord"_s, u"number"_s, QByteArray("\x10\x10\0\0", 4) + QByteArray(32, '\0') + "  -2147483648");

    const QByteArray list = copyList();
    seed(u"copyorder"_s, u"three-orders"_s, "3" + kSeparator + list);
    seed(u"copyorder"_s, u"count-beyond-list"_s, "9\n" + kSeparator + list.left(CopyOrder::kSize * 2 + 100));
    seed(u"copierjournal"_s, u"three-orders"_s, list);
    seed(u"copierjournal"_s, u"part-record"_s, list.left(CopyOrder::kSize + 17));

    seed(u"feedindex"_s, u"three-records"_s, indexFile());
    seed(u"feedindex"_s, u"record-being-written"_s, indexFile().left(FeedIndex::kRecordSize + 50));

    seed(u"description"_s, u"described"_s, jpegWithDescription("Invoice 2021/17 from the bank of the city"));
    seed(u"description"_s, u"no-marker"_s, QByteArray(5200, 'a'));

    seed(u"searchfold"_s, u"arabic"_s, QStringLiteral("أَرْشِيف الإدارة ـ مستشفى").toUtf8());
    seed(u"searchfold"_s, u"path"_s, QByteArrayLiteral("@1@@12@@-3@@012@"));

    seed(u"remembereduser"_s, u"clerk"_s, QByteArray("CLERK***") + QByteArray(42, '\0'));
    seed(u"remembereduser"_s, u"arabic"_s, QStringLiteral("محمد").toUtf8());

    const QList<QRgb> colours{qRgb(0, 0, 0), qRgb(255, 255, 255), qRgba(10, 20, 30, 40)};
    seed(u"palettefile"_s, u"riff"_s, QByteArray(1, '\3') + PaletteFile::riffBytes(colours));
    seed(u"palettefile"_s, u"jasc"_s, QByteArray(1, '\0') + "JASC-PAL\r\n0100\r\n2\r\n0 0 0\r\n255 128 7\r\n");

    const QByteArray document = TextFixtures::documentXml({u"رسالة الى المدير"_s, u"second line"_s},
                                                          {{u"a"_s, u"b"_s}, {u"c"_s, u"d"_s}}, u"في الاطار"_s);
    seed(u"docxxml"_s, u"letter"_s, document);
    seed(u"docxpackage"_s, u"letter"_s, docx(document));
    return 0;
}
