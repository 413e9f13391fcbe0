#include "search/PrintHandOver.h"
#include "search/Printing.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <Magick++.h>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double kMetresPerInch = 0.0254;

// A device standing for a printer page: white, with the given resolution.
QImage page(QSize size, int dpi)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(dpi / kMetresPerInch));
    image.setDotsPerMeterY(qRound(dpi / kMetresPerInch));
    return image;
}

// The smallest rectangle holding every pixel that is not near white.
QRect inkedArea(const QImage &image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qRed(line[x]) < 200 || qGreen(line[x]) < 200 || qBlue(line[x]) < 200)
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

// A one-colour picture written by the image library with the given resolution.
void writePicture(const QString &path, int width, int height, double density,
                  Magick::ResolutionType units = MagickCore::PixelsPerInchResolution, const char *colour = "red")
{
    Magick::Image image{Magick::Geometry(size_t(width), size_t(height)), Magick::Color(colour)};
    if (density > 0) {
        image.resolutionUnits(units);
        const std::string value = std::to_string(density);
        image.density(Magick::Geometry(value + "x" + value));
    }
    image.write(QFile::encodeName(path).toStdString());
}

class PrintingFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Magick::InitializeMagick(nullptr);
        ASSERT_TRUE(m_dir.isValid());
    }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString programFolder() const { return m_dir.filePath(u"program"_s); }

    QTemporaryDir m_dir;
};

} // namespace

TEST(PrintingRules, PictureTestIsAPlainCaseExactSubstringSearch)
{
    struct Case
    {
        QString path;
        bool picture;
    };
    const Case cases[] = {
        {u"/fs/Ser1/3&1&scan.jpg"_s, true},
        {u"/fs/Ser1/3&1&scan.JPG"_s, true},
        {u"/fs/a.tiff"_s, true},
        {u"/fs/a.TIF"_s, true},
        {u"/fs/a.TIFF"_s, false}, // upper case TIFF is not in the list
        {u"/fs/a.Jpg"_s, false},
        {u"/fs/a.doc"_s, false},
        {u"/fs/a.DOC"_s, false},
        {u"/fs/a.pdf"_s, false},
        {u"/fs/a.PE"_s, true},   // a fragment of JPEG
        {u"/fs/a.f;JP"_s, true}, // spans two entries of the list
        {u"/fs/noextension"_s, true},
        {u"/fs/dot.ted/noextension"_s, true}, // a dot in a folder is no extension
        {u"/fs/dot.jpg/report.doc"_s, false},
        {u"/fs/trailing."_s, true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Printing::isPicture(c.path), c.picture) << c.path.toStdString();
    EXPECT_EQ(Printing::extension(u"/x.y/archive.tar.gz"_s), u"gz"_s);
    EXPECT_EQ(Printing::extension(u"/x.y/archive"_s), QString());
}

// A highlighted row counts whichever of its cells holds the selection, a hidden one as well.
TEST(PrintingRules, ReportTakesRowsWithAnySelectedCellAndHandsOverOthersInOrder)
{
    const QList<Printing::Row> rows{
        {u"/fs/1.jpg"_s, 0b000001}, {u"/fs/2.doc"_s, 0b000100}, {u"/fs/3.JPG"_s, 0b001000},
        {u"/fs/4.jpeg"_s, 0b000010}, {u"/fs/5.xls"_s, 0b000000}, {u"/fs/6.txt"_s, 0b000111},
    };
    const Printing::ReportPlan selected = Printing::reportPlan(rows, Printing::kSelectedRows);
    EXPECT_EQ(selected.pages, (QStringList{u"/fs/1.jpg"_s, u"/fs/3.JPG"_s, u"/fs/4.jpeg"_s}));
    EXPECT_EQ(selected.handedOver, (QStringList{u"/fs/2.doc"_s, u"/fs/6.txt"_s}));

    const Printing::ReportPlan all = Printing::reportPlan(rows, Printing::kAllRows);
    EXPECT_EQ(all.pages, (QStringList{u"/fs/1.jpg"_s, u"/fs/3.JPG"_s, u"/fs/4.jpeg"_s}));
    EXPECT_EQ(all.handedOver, (QStringList{u"/fs/2.doc"_s, u"/fs/5.xls"_s, u"/fs/6.txt"_s}));
    // Any mode but 55 takes every row.
    EXPECT_EQ(Printing::reportPlan(rows, 0).pages.size(), 3);

    const QList<Printing::Row> none{{u"/fs/1.jpg"_s, 0}, {u"/fs/2.doc"_s, 0}};
    const Printing::ReportPlan nothing = Printing::reportPlan(none, Printing::kSelectedRows);
    EXPECT_TRUE(nothing.pages.isEmpty());
    EXPECT_TRUE(nothing.handedOver.isEmpty());
}

TEST(PrintingRules, BasketTakesRowsWithAnySelectedCellAndSkipsFilesThatAreNoPictures)
{
    const QList<Printing::Row> rows{
        {u"/b/1.png"_s, 0b001}, {u"/b/2.png"_s, 0b100}, {u"/b/3.doc"_s, 0b001}, {u"/b/4.tif"_s, 0b010}, {u"/b/5.bmp"_s, 0},
    };
    Rights printer;
    printer.printjob = kGranted;
    const Result<QStringList> selected = Printing::basketPages(printer, rows, Printing::kSelectedRows);
    ASSERT_TRUE(selected.ok());
    EXPECT_EQ(*selected, (QStringList{u"/b/1.png"_s, u"/b/2.png"_s, u"/b/4.tif"_s}));
    const Result<QStringList> all = Printing::basketPages(printer, rows, Printing::kAllRows);
    ASSERT_TRUE(all.ok());
    EXPECT_EQ(*all, (QStringList{u"/b/1.png"_s, u"/b/2.png"_s, u"/b/4.tif"_s, u"/b/5.bmp"_s}));
}

TEST(PrintingRules, OnlyTheGrantedPrintRightMayPrintFromABasket)
{
    const QList<Printing::Row> rows{{u"/b/1.png"_s, 0b001}};
    for (int value : {0, 1, 6, 8, -7}) {
        Rights rights;
        rights.printjob = value;
        const Result<QStringList> refused = Printing::basketPages(rights, rows, Printing::kSelectedRows);
        EXPECT_FALSE(refused.ok()) << value;
        EXPECT_EQ(refused.error(), u"لا تملك صلاحية الطباعة"_s);
        EXPECT_FALSE(Printing::permitted(rights).ok());
    }
    Rights granted;
    granted.printjob = kGranted;
    EXPECT_TRUE(Printing::permitted(granted).ok());
}

TEST(PrintingRules, PrintedSizeIsThePhysicalSizeCentredAndReducedOnlyToFitThePage)
{
    // 100 x 100 at 100 dpi on a 600 dpi device: one inch, 600 device pixels.
    EXPECT_EQ(Printing::printedSize({100, 100}, {100, 100}, {600, 600}), QSize(600, 600));
    EXPECT_EQ(Printing::pageRect({100, 100}, {100, 100}, {1000, 1200}, {600, 600}), QRect(200, 300, 600, 600));
    // Truncated, each axis with its own resolutions.
    EXPECT_EQ(Printing::printedSize({101, 50}, {96, 200}, {600, 300}), QSize(631, 75));
    // Odd remainders go left and up by integer division.
    EXPECT_EQ(Printing::pageRect({10, 10}, {10, 10}, {101, 101}, {50, 50}), QRect(25, 25, 50, 50));
    // Exactly as large as the page keeps its size and sits at 0.
    EXPECT_EQ(Printing::pageRect({10, 12}, {60, 60}, {100, 120}, {600, 600}), QRect(0, 0, 100, 120));
    // Three times wider than the page: reduced to the page's width, its height in proportion,
    // centred the other way.
    EXPECT_EQ(Printing::pageRect({300, 100}, {100, 100}, {1000, 1200}, {600, 600}), QRect(0, 433, 1000, 333));
    // Taller than the page: reduced to its height, centred across.
    EXPECT_EQ(Printing::pageRect({100, 400}, {100, 100}, {1000, 1200}, {600, 600}), QRect(350, 0, 300, 1200));
    // Larger both ways: the side that overflows most decides.
    EXPECT_EQ(Printing::pageRect({400, 300}, {100, 100}, {1000, 1200}, {600, 600}), QRect(0, 225, 1000, 750));
    EXPECT_TRUE(Printing::pageRect({0, 0}, {100, 100}, {100, 100}, {600, 600}).isEmpty());
    EXPECT_TRUE(Printing::pageRect({10, 10}, {0, 100}, {100, 100}, {600, 600}).isEmpty());
    EXPECT_TRUE(Printing::pageRect({10, 10}, {100, 100}, {0, 0}, {600, 600}).isEmpty());
}

TEST_F(PrintingFiles, ScanWithoutResolutionLargerThanThePageIsPrintedWholeOnIt)
{
    // A 1240 x 1754 scan that stores no resolution: at 96 dpi it is 12.9 x 18.3 inches, far
    // larger than an A4 page's printable area (about 7.6 x 11 inches, here at 100 dpi).
    const QString path = file(u"scan.ppm"_s);
    writePicture(path, 1240, 1754, 0);
    ASSERT_DOUBLE_EQ(Printing::loadPicture(path, programFolder()).dpi.x(), Printing::kDefaultPictureDpi);
    const QSize printable(760, 1100);
    QImage device = page(printable, 100);
    QPainter painter(&device);
    const QRect drawn = Printing::drawPage(painter, path, programFolder());
    painter.end();
    ASSERT_FALSE(drawn.isEmpty());
    EXPECT_TRUE(QRect(QPoint(0, 0), printable).contains(drawn)) << drawn.x() << "," << drawn.y() << " "
                                                                << drawn.width() << "x" << drawn.height();
    EXPECT_EQ(drawn.width(), 760) << "the narrower fit decides: the whole width of the page";
    EXPECT_NEAR(double(drawn.height()) / drawn.width(), 1754.0 / 1240.0, 0.01) << "proportions kept";
    EXPECT_EQ(drawn.top(), (1100 - drawn.height()) / 2) << "centred";
    EXPECT_EQ(inkedArea(device), drawn);
}

TEST_F(PrintingFiles, OnAFullSheetTheLargePictureFitsInsideThePrintersMargins)
{
    const QString path = file(u"scan.ppm"_s);
    writePicture(path, 1240, 1754, 0);
    // An A4 sheet at 100 dpi drawn in full (827 x 1169) with 25.4 mm margins: 100 pixels each.
    QPdfWriter pdf(file(u"out.pdf"_s));
    pdf.setResolution(100);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(25.4, 25.4, 25.4, 25.4),
                                  QPageLayout::Millimeter));
    QPageLayout layout = pdf.pageLayout();
    layout.setMode(QPageLayout::FullPageMode);
    ASSERT_TRUE(pdf.setPageLayout(layout));
    const QRect area = Printing::printableArea(pdf);
    EXPECT_EQ(area, QRect(QPoint(0, 0), QSize(pdf.width(), pdf.height())).marginsRemoved(QMargins(100, 100, 100, 100)));

    QPainter painter(&pdf);
    const QRect drawn = Printing::drawPage(painter, path, programFolder());
    painter.end();
    EXPECT_TRUE(area.contains(drawn)) << drawn.x() << "," << drawn.y() << " " << drawn.width() << "x" << drawn.height();
    EXPECT_EQ(drawn.width(), area.width());
    EXPECT_EQ(drawn.center().y(), area.center().y());

    // A picture on a plain image is placed on all of it.
    QImage plain = page({300, 200}, 100);
    EXPECT_EQ(Printing::printableArea(plain), QRect(0, 0, 300, 200));
}

TEST_F(PrintingFiles, PictureAtOneHundredDpiCoversSixHundredPixelsOfASixHundredDpiPage)
{
    const QString path = file(u"square.png"_s);
    writePicture(path, 100, 100, 100);
    const Printing::Picture picture = Printing::loadPicture(path, programFolder());
    ASSERT_FALSE(picture.image.isNull());
    EXPECT_NEAR(picture.dpi.x(), 100.0, 0.01);

    QImage device = page({1000, 1200}, 600);
    QPainter painter(&device);
    const QRect drawn = Printing::drawPage(painter, path, programFolder());
    painter.end();
    EXPECT_EQ(drawn, QRect(200, 300, 600, 600));
    EXPECT_EQ(inkedArea(device), QRect(200, 300, 600, 600));
    EXPECT_EQ(QColor(device.pixel(500, 600)), QColor(Qt::red));
}

TEST_F(PrintingFiles, ResolutionInCentimetresAndMissingResolution)
{
    const QString cm = file(u"cm.png"_s);
    writePicture(cm, 254, 127, 100, MagickCore::PixelsPerCentimeterResolution);
    const Printing::Picture metric = Printing::loadPicture(cm, programFolder());
    EXPECT_NEAR(metric.dpi.x(), 254.0, 0.1);
    // 254 pixels at 254 dpi: one inch on the device.
    QImage device = page({1000, 1000}, 300);
    QPainter painter(&device);
    EXPECT_EQ(Printing::drawPicture(painter, metric), QRect(350, 425, 300, 150));
    painter.end();

    // A portable pixmap keeps no resolution: the default one.
    const QString plain = file(u"plain.ppm"_s);
    writePicture(plain, 96, 48, 0);
    const Printing::Picture fallback = Printing::loadPicture(plain, programFolder());
    ASSERT_FALSE(fallback.image.isNull());
    EXPECT_DOUBLE_EQ(fallback.dpi.x(), Printing::kDefaultPictureDpi);
    EXPECT_EQ(Printing::printedSize(fallback.image.size(), fallback.dpi, {600, 600}), QSize(600, 300));
}

TEST_F(PrintingFiles, BmpPrintsFromItsTiffCopyInTheProgramFolder)
{
    const QString bmp = file(u"page.bmp"_s);
    writePicture(bmp, 40, 30, 0, MagickCore::PixelsPerInchResolution, "blue");
    const QString copy = Printing::tiffCopyPath(programFolder());
    EXPECT_EQ(copy, programFolder() + u"/temp.tif"_s);

    const QString jpeg = file(u"page.jpg"_s);
    writePicture(jpeg, 40, 30, 72);
    EXPECT_FALSE(Printing::loadPicture(jpeg, programFolder()).image.isNull());
    EXPECT_FALSE(QFile::exists(copy)) << "only BMP files go through the TIFF copy";

    const Printing::Picture picture = Printing::loadPicture(bmp, programFolder());
    ASSERT_FALSE(picture.image.isNull());
    EXPECT_EQ(picture.image.size(), QSize(40, 30));
    EXPECT_EQ(QColor(picture.image.pixel(5, 5)), QColor(Qt::blue));
    QFile tiff(copy);
    ASSERT_TRUE(tiff.open(QIODevice::ReadOnly)) << "the TIFF copy was not written";
    const QByteArray magic = tiff.read(4);
    EXPECT_TRUE(magic == QByteArray("II*\0", 4) || magic == QByteArray("MM\0*", 4));
    const Magick::Image reread(QFile::encodeName(copy).toStdString());
    EXPECT_EQ(reread.columns(), 40u);

    // The copy is replaced by the next BMP.
    const QString other = file(u"other.bmp"_s);
    writePicture(other, 20, 10, 0);
    EXPECT_EQ(Printing::loadPicture(other, programFolder()).image.size(), QSize(20, 10));
    EXPECT_EQ(Magick::Image(QFile::encodeName(copy).toStdString()).columns(), 20u);
}

TEST_F(PrintingFiles, UndecodableOrMissingFileLeavesAnEmptyPage)
{
    const QString broken = file(u"noextension"_s);
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a picture at all");
    f.close();
    ASSERT_TRUE(Printing::isPicture(broken));
    for (const QString &path : {broken, file(u"missing.jpg"_s), file(u"truncated.jpg"_s)}) {
        if (path.endsWith(u"truncated.jpg"_s)) {
            QFile t(path);
            ASSERT_TRUE(t.open(QIODevice::WriteOnly));
            t.write(QByteArray::fromHex("ffd8ffe000104a464946"));
        }
        QImage device = page({200, 200}, 300);
        QPainter painter(&device);
        EXPECT_TRUE(Printing::drawPage(painter, path, programFolder()).isEmpty()) << path.toStdString();
        painter.end();
        EXPECT_TRUE(inkedArea(device).isEmpty()) << path.toStdString();
    }
}

TEST_F(PrintingFiles, PrintCommandGetsTheFileAsLastArgumentAndIsWaitedFor)
{
    const QString log = file(u"log.txt"_s);
    const QString script = file(u"record.sh"_s);
    QFile s(script);
    ASSERT_TRUE(s.open(QIODevice::WriteOnly));
    s.write("sleep 0.3\nprintf '%s|' \"$@\" >> \"$LOG\"\necho >> \"$LOG\"\n");
    s.close();
    qputenv("LOG", QFile::encodeName(log));
    const QString doc = file(u"letter of 'May'.doc"_s);
    QFile d(doc);
    ASSERT_TRUE(d.open(QIODevice::WriteOnly));
    d.write("doc");
    d.close();

    const Status ok = Printing::runPrintCommand(u"sh \"%1\" -d Office"_s.arg(script), doc);
    ASSERT_TRUE(ok.ok()) << ok.error().toStdString();
    // Waited for: the command had written its line when the call returned.
    QFile l(log);
    ASSERT_TRUE(l.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(l.readAll()), u"-d|Office|%1|\n"_s.arg(doc));
    qunsetenv("LOG");
}

TEST_F(PrintingFiles, PrintCommandFailuresAreReportedAndNeverHang)
{
    const QString doc = file(u"report.doc"_s);
    QFile d(doc);
    ASSERT_TRUE(d.open(QIODevice::WriteOnly));
    d.write("doc");
    d.close();

    const Status failing = Printing::runPrintCommand(u"sh -c \"echo no printer >&2; exit 3\" sh"_s, doc);
    ASSERT_FALSE(failing.ok());
    EXPECT_TRUE(failing.error().contains(doc));
    EXPECT_TRUE(failing.error().contains(u"no printer"_s));
    EXPECT_TRUE(failing.error().contains(u"بالرمز 3"_s)) << failing.error().toStdString();

    const Status missingProgram = Printing::runPrintCommand(u"/nonexistent/dovrelle-lp"_s, doc);
    ASSERT_FALSE(missingProgram.ok());
    EXPECT_TRUE(missingProgram.error().contains(u"/nonexistent/dovrelle-lp"_s));

    EXPECT_FALSE(Printing::runPrintCommand(QString(), doc).ok());
    EXPECT_FALSE(Printing::runPrintCommand(u"true"_s, file(u"missing.doc"_s)).ok());
    EXPECT_TRUE(Printing::runPrintCommand(u"true"_s, doc).ok());

    QElapsedTimer clock;
    clock.start();
    const Status slow = Printing::runPrintCommand(u"sh -c \"exec sleep 30\" sh"_s, doc, 400);
    EXPECT_FALSE(slow.ok());
    EXPECT_LT(clock.elapsed(), 5000);

    clock.restart();
    int asked = 0;
    const Status givenUp = Printing::runPrintCommand(u"sh -c \"exec sleep 30\" sh"_s, doc, Printing::kCommandTimeoutMs, [&asked] {
        return ++asked < 3;
    });
    EXPECT_FALSE(givenUp.ok());
    EXPECT_EQ(asked, 3);
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST_F(PrintingFiles, FileNamesWithBracketsOrColonsAreReadAsTheyStand)
{
    // The image library reads "name[1]" as a frame and "png:name" as a format unless the path
    // is taken literally.
    const QString odd = file(u"scan[1] png:part.png"_s);
    writePicture(u"PNG:"_s + odd, 30, 20, 100);
    ASSERT_TRUE(QFile::exists(odd));
    const Printing::Picture picture = Printing::loadPicture(odd, programFolder());
    EXPECT_EQ(picture.image.size(), QSize(30, 20));
}

TEST_F(PrintingFiles, ACancelledHandOverEndsTheRunningCommandAndNamesEveryFileNotPrinted)
{
    QStringList docs;
    for (const QString &name : {u"one.doc"_s, u"two.doc"_s, u"three.doc"_s}) {
        docs.append(file(name));
        QFile d(docs.last());
        ASSERT_TRUE(d.open(QIODevice::WriteOnly));
        d.write("doc");
    }
    PrintHandOver handOver;
    QList<int> handed;
    QStringList failures;
    bool finished = false;
    QObject::connect(&handOver, &PrintHandOver::handingOver, &handOver, [&](int index, const QString &) {
        handed.append(index);
        // The first command hangs: the user cancels while it runs.
        handOver.cancel();
    });
    QObject::connect(&handOver, &PrintHandOver::failure, &handOver, [&](const QString &m) { failures.append(m); });
    QObject::connect(&handOver, &PrintHandOver::finished, &handOver, [&] { finished = true; });
    QElapsedTimer clock;
    clock.start();
    handOver.start(u"sh -c \"exec sleep 30\" sh"_s, docs);
    EXPECT_TRUE(handOver.isRunning());
    while (!finished && clock.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    ASSERT_TRUE(finished);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(handOver.isRunning());
    EXPECT_EQ(handed, QList<int>{0});
    ASSERT_EQ(failures.size(), 3);
    EXPECT_TRUE(failures[0].contains(QDir::toNativeSeparators(docs[0]))) << failures[0].toStdString();
    EXPECT_EQ(failures[1], u"لم يطبع الملف %1"_s.arg(QDir::toNativeSeparators(docs[1])));
    EXPECT_EQ(failures[2], u"لم يطبع الملف %1"_s.arg(QDir::toNativeSeparators(docs[2])));
}
