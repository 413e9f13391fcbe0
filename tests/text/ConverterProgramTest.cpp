#include "base/Cp1256.h"
#include "base/HandOffFolder.h"
#include "common/TextFixtures.h"

#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct ConverterRun
{
    int status = -1;
    QByteArray out;
    QString err;
};

ConverterRun runConverter(const QStringList &args, int timeoutMs = 180000)
{
    QProcess p;
    p.start(qEnvironmentVariable("DOVRELLE_BIN") + u"/dovrelle-mw"_s, args);
    ConverterRun r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

QString readCp1256(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? Cp1256::decode(f.readAll()) : QString();
}

const QStringList kParagraphs = {u"بسم الله الرحمن الرحيم"_s, u"نرجو الموافقة على طلب الاجازة السنوية"_s};
const QList<QStringList> kTable = {{u"الموظف"_s, u"القسم"_s}, {u"خالد"_s, u"المحاسبة"_s}};

} // namespace

TEST(ConverterProgram, ConvertsTheHandOffCopyOrNamedFilesAndSaysWhyItCannot)
{
    QTemporaryDir dir;
    // Started without arguments, as the program starts it: 1.tmp into fdata.txt.
    const QString folder = handOffFolder();
    QFile in(folder + u"/1.tmp"_s);
    ASSERT_TRUE(in.open(QIODevice::WriteOnly));
    in.write(u"عقد ايجار\r\nالطرف الاول"_s.toUtf8());
    in.close();
    ConverterRun r = runConverter({});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(readCp1256(folder + u"/fdata.txt"_s), u"عقد ايجار\r\nالطرف الاول"_s);

    const QString docx = dir.filePath(u"a.docx"_s);
    ASSERT_TRUE(TextFixtures::writeDocx(docx, TextFixtures::documentXml(kParagraphs, kTable)));
    r = runConverter({u"--in"_s, docx, u"--out"_s, dir.filePath(u"a.txt"_s)});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(readCp1256(dir.filePath(u"a.txt"_s)), kParagraphs.join(u'\n') + u"\nالموظف\tالقسم\nخالد\tالمحاسبة"_s);

    // A file it cannot read: status 1, one line saying so, and no output.
    QFile bin(dir.filePath(u"x.bin"_s));
    ASSERT_TRUE(bin.open(QIODevice::WriteOnly));
    bin.write(QByteArray("\x7F" "ELF\0\0\0\0", 8));
    bin.close();
    r = runConverter({u"--in"_s, bin.fileName(), u"--out"_s, dir.filePath(u"x.txt"_s)});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.trimmed().count(u'\n'), 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(u"dovrelle-mw: "_s));
    EXPECT_FALSE(QFile::exists(dir.filePath(u"x.txt"_s)));
    r = runConverter({u"--in"_s, docx});
    EXPECT_EQ(r.status, 2) << "--in without --out";
}

// LibreOffice makes an rtf, a doc and a pdf of one Word package; each comes back with its text.
TEST(ConverterProgram, WordRtfAndPdfMadeByLibreOfficeGiveTheirArabicText)
{
    if (TextFixtures::office().isEmpty()) {
        std::puts("SKIPPED: LibreOffice Writer is not installed");
        GTEST_SKIP() << "LibreOffice Writer is not installed";
    }
    QTemporaryDir dir;
    const QString docx = dir.filePath(u"letter.docx"_s);
    ASSERT_TRUE(TextFixtures::writeDocx(docx, TextFixtures::documentXml(kParagraphs, kTable)));
    for (const QString &format : {u"rtf"_s, u"doc"_s, u"pdf"_s}) {
        const QString made = TextFixtures::officeConvert(docx, format, dir.path());
        ASSERT_FALSE(made.isEmpty()) << format.toStdString();
        // Under the hand-off name, so only its bytes tell what it is.
        const QString tmp = dir.filePath(format + u".tmp"_s);
        ASSERT_TRUE(QFile::rename(made, tmp));
        const QString out = dir.filePath(format + u".txt"_s);
        const ConverterRun r = runConverter({u"--in"_s, tmp, u"--out"_s, out});
        ASSERT_EQ(r.status, 0) << format.toStdString() << ": " << r.err.toStdString();
        const QString text = readCp1256(out);
        for (const QString &word : {u"الرحمن"_s, u"الموافقة"_s, u"المحاسبة"_s, u"خالد"_s})
            EXPECT_TRUE(text.contains(word)) << format.toStdString() << " lacks " << word.toStdString() << " in "
                                             << text.toStdString();
        EXPECT_FALSE(text.contains(u'?')) << format.toStdString() << ": drawing marks are no text: " << text.toStdString();
    }
}

// A page of Arabic and English drawn by Qt, as a picture and as a PDF without a text layer.
TEST(ConverterProgram, ScannedPagesAreRecognisedInArabicAndEnglish)
{
    if (!QFile::exists(u"/usr/share/tesseract-ocr/5/tessdata/ara.traineddata"_s)) {
        std::puts("SKIPPED: the Arabic recognition model (tesseract-ocr-ara) is not installed");
        GTEST_SKIP() << "tesseract-ocr-ara is not installed";
    }
    const QStringList lines = {u"وزارة المالية مديرية الحسابات"_s, u"نرجو صرف المبلغ المستحق للموظف"_s,
                               u"Invoice number seven hundred"_s, u"Payment received with thanks"_s};
    const QStringList words = lines.join(u' ').split(u' ');
    const QImage page = TextFixtures::renderedPage(lines);
    QTemporaryDir dir;
    const QString png = dir.filePath(u"scan.png"_s);
    ASSERT_TRUE(page.save(png));
    ConverterRun r = runConverter({u"--in"_s, png, u"--out"_s, dir.filePath(u"png.txt"_s)});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("pages 1\npage 1\n")) << r.out.toStdString();
    const QString fromPicture = readCp1256(dir.filePath(u"png.txt"_s));
    EXPECT_GE(TextFixtures::shareFound(words, fromPicture), 0.8) << fromPicture.toStdString();

    const QString pdf = dir.filePath(u"scan.pdf"_s);
    {
        QPdfWriter writer(pdf);
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF());
        QPainter painter(&writer);
        painter.drawImage(QRect(0, 0, writer.width(), writer.height()), page);
    }
    r = runConverter({u"--in"_s, pdf, u"--out"_s, dir.filePath(u"pdf.txt"_s)});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("pages 1\n")) << "a page without a text layer is recognised";
    const QString fromPdf = readCp1256(dir.filePath(u"pdf.txt"_s));
    EXPECT_GE(TextFixtures::shareFound(words, fromPdf), 0.8) << fromPdf.toStdString();
}
