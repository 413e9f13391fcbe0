// The converter against the outside programs on the same files: a 50-page docx and the same as a
// doc against `libreoffice --convert-to txt` (each run with a fresh private profile), and one A4
// page at 300 dpi against the `tesseract` command.

#include "common/TextFixtures.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {

double seconds(const QString &program, const QStringList &args)
{
    QElapsedTimer clock;
    clock.start();
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        QTextStream(stderr) << "bench_text: " << program << " failed" << Qt::endl;
    return double(clock.elapsed()) / 1000.0;
}

double office(const QString &file, const QString &outdir)
{
    QTemporaryDir profile;
    return seconds(TextFixtures::office(), {u"-env:UserInstallation="_s + QUrl::fromLocalFile(profile.path()).toString(),
                                            u"--headless"_s, u"--norestore"_s, u"--convert-to"_s,
                                            u"txt:Text (encoded):UTF8"_s, u"--outdir"_s, outdir, file});
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    const QString mw = QCoreApplication::applicationDirPath() + u"/dovrelle-mw"_s;
    QTemporaryDir dir;
    // About 50 pages: 50 × 30 paragraphs of a sentence and a half.
    QStringList paragraphs;
    for (int i = 0; i < 1500; ++i)
        paragraphs.append(u"الفقرة %1 من تقرير الحسابات السنوي، وفيها بيان المصروفات والايرادات للقسم."_s.arg(i));
    const QString docx = dir.filePath(u"report.docx"_s);
    if (!TextFixtures::writeDocx(docx, TextFixtures::documentXml(paragraphs)) || TextFixtures::office().isEmpty()) {
        out << "bench_text: SKIPPED, no docx or no LibreOffice" << Qt::endl;
        return 0;
    }
    const QString doc = TextFixtures::officeConvert(docx, u"doc"_s, dir.path());
    QDir().mkpath(dir.filePath(u"lo"_s));

    const double ourDocx = seconds(mw, {u"--in"_s, docx, u"--out"_s, dir.filePath(u"docx.txt"_s)});
    const double loDocx = office(docx, dir.filePath(u"lo"_s));
    out << u"docx 50 pages: dovrelle-mw %1 s, libreoffice %2 s, %3x faster\n"_s.arg(ourDocx, 0, 'f', 3).arg(loDocx, 0, 'f', 2).arg(loDocx / ourDocx, 0, 'f', 1);
    const double ourDoc = seconds(mw, {u"--in"_s, doc, u"--out"_s, dir.filePath(u"doc.txt"_s)});
    const double loDoc = office(doc, dir.filePath(u"lo"_s));
    out << u"doc 50 pages: dovrelle-mw %1 s, libreoffice %2 s, ratio %3\n"_s.arg(ourDoc, 0, 'f', 2).arg(loDoc, 0, 'f', 2).arg(ourDoc / loDoc, 0, 'f', 2);

    const QString png = dir.filePath(u"page.png"_s);
    TextFixtures::renderedPage({u"وزارة المالية مديرية الحسابات"_s, u"نرجو صرف المبلغ المستحق"_s, u"Invoice 700"_s}, 48).save(png);
    const QString tesseract = QStandardPaths::findExecutable(u"tesseract"_s);
    const double ourOcr = seconds(mw, {u"--in"_s, png, u"--out"_s, dir.filePath(u"ocr.txt"_s)});
    if (tesseract.isEmpty()) {
        out << u"ocr A4 300 dpi: dovrelle-mw %1 s; SKIPPED the tesseract command is not installed\n"_s.arg(ourOcr, 0, 'f', 2);
        return 0;
    }
    const double theirOcr = seconds(tesseract, {png, dir.filePath(u"tess"_s), u"-l"_s, u"ara+eng"_s});
    out << u"ocr A4 300 dpi: dovrelle-mw %1 s, tesseract %2 s, ratio %3\n"_s.arg(ourOcr, 0, 'f', 2).arg(theirOcr, 0, 'f', 2).arg(ourOcr / theirOcr, 0, 'f', 2);
    return 0;
}
