#include "Printing.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPaintDevice>
#include <QPainter>
#include <QProcess>

#include <Magick++.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Translate
{
    Q_DECLARE_TR_FUNCTIONS(Printing)
};

constexpr quint32 kReportSelectionColumns = 0b111; // columns 0, 1 and 2
constexpr quint32 kBasketSelectionColumns = 0b011; // columns 0 and 1

constexpr int kStartWaitMs = 10000;
constexpr int kWaitSliceMs = 100;
constexpr int kKillWaitMs = 2000;
constexpr qsizetype kMaxReportedOutput = 400;

constexpr double kCentimetresPerInch = 2.54;

void initialiseMagick()
{
    static std::once_flag once;
    std::call_once(once, [] { Magick::InitializeMagick(nullptr); });
}

bool taken(const Printing::Row &row, int selectionMode, quint32 columns)
{
    return selectionMode != Printing::kSelectedRows || (row.selectedColumns & columns) != 0;
}

// The resolution of a decoded picture in dots per inch along one axis, or the default when the
// file keeps none (or only an aspect ratio).
double inchResolution(double value, Magick::ResolutionType units)
{
    if (!(value > 0.0) || !std::isfinite(value))
        return Printing::kDefaultPictureDpi;
    switch (units) {
    case MagickCore::PixelsPerInchResolution: return value;
    case MagickCore::PixelsPerCentimeterResolution: return value * kCentimetresPerInch;
    default: return Printing::kDefaultPictureDpi;
    }
}

// Reads the first page of a file; Magick's warnings about damaged tails still give a picture.
bool readFirstPage(Magick::Image &image, const std::string &source)
{
    image.subRange(1);
    try {
        image.read(source);
    } catch (const Magick::Warning &) {
    }
    return image.columns() > 0 && image.rows() > 0;
}

Printing::Picture toPicture(const Magick::Image &source)
{
    Magick::Image image = source;
    Printing::Picture out;
    const Magick::ResolutionType units = image.resolutionUnits();
    out.dpi = QPointF(inchResolution(image.xResolution(), units), inchResolution(image.yResolution(), units));
    const int w = int(image.columns());
    const int h = int(image.rows());
    QImage pixels(w, h, QImage::Format_RGBA8888);
    if (pixels.isNull())
        return {};
    image.write(0, 0, size_t(w), size_t(h), "RGBA", Magick::CharPixel, pixels.bits());
    out.image = pixels;
    return out;
}

QString lastOutput(QProcess &process)
{
    QString text = QString::fromLocal8Bit(process.readAll()).trimmed();
    if (text.size() > kMaxReportedOutput)
        text = text.right(kMaxReportedOutput);
    return text;
}

void endProcess(QProcess &process)
{
    process.kill();
    process.waitForFinished(kKillWaitMs);
}

} // namespace

namespace Printing {

QString pictureExtensions()
{
    return u";BMP;bmp;gif;JPG;jpg;TIF;JPEG;jpeg;png;ico;tif;tiff;tga;pcx;wbmp;wmf;emf;j2k;jp2;jbg;j2c;jpc;pgx;pnm;pgm;ppm;ras;"_s;
}

QString extension(const QString &path)
{
    // Only the file name counts: a dot in a folder name is no extension.
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1);
}

bool isPicture(const QString &path)
{
    return pictureExtensions().contains(extension(path), Qt::CaseSensitive);
}

ReportPlan reportPlan(const QList<Row> &rows, int selectionMode)
{
    ReportPlan plan;
    for (const Row &row : rows) {
        if (!taken(row, selectionMode, kReportSelectionColumns))
            continue;
        (isPicture(row.path) ? plan.pages : plan.handedOver).append(row.path);
    }
    return plan;
}

QStringList basketPages(const QList<Row> &rows, int selectionMode)
{
    QStringList pages;
    for (const Row &row : rows) {
        if (taken(row, selectionMode, kBasketSelectionColumns) && isPicture(row.path))
            pages.append(row.path);
    }
    return pages;
}

QSize printedSize(QSize picture, QPointF pictureDpi, QPointF deviceDpi)
{
    if (picture.isEmpty() || !(pictureDpi.x() > 0.0) || !(pictureDpi.y() > 0.0))
        return {};
    // Sizes past the int range cannot be drawn; they are cut there (the page shows only a corner).
    const auto side = [](int pixels, double device, double own) {
        const double size = std::trunc(double(pixels) * device / own);
        return int(std::clamp(size, 0.0, double(std::numeric_limits<int>::max() / 2)));
    };
    return {side(picture.width(), deviceDpi.x(), pictureDpi.x()), side(picture.height(), deviceDpi.y(), pictureDpi.y())};
}

QRect pageRect(QSize picture, QPointF pictureDpi, QSize page, QPointF deviceDpi)
{
    const QSize printed = printedSize(picture, pictureDpi, deviceDpi);
    if (printed.isEmpty())
        return {};
    const int left = printed.width() < page.width() ? (page.width() - printed.width()) / 2 : 0;
    const int top = printed.height() < page.height() ? (page.height() - printed.height()) / 2 : 0;
    return {QPoint(left, top), printed};
}

QString tiffCopyPath(const QString &programFolder)
{
    return programFolder + u"/temp.tif"_s;
}

Picture loadPicture(const QString &path, const QString &programFolder)
{
    initialiseMagick();
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    try {
        Magick::Image image;
        // An absolute path is never taken for a "format:" prefix.
        if (!readFirstPage(image, QFile::encodeName(info.absoluteFilePath()).toStdString()))
            return {};
        if (!path.contains(u".bmp"_s))
            return toPicture(image);
        // BMP files print from a TIFF copy of themselves.
        const QString copy = QFileInfo(tiffCopyPath(programFolder)).absoluteFilePath();
        QDir().mkpath(QFileInfo(copy).absolutePath());
        try {
            QFile::remove(copy);
            Magick::Image tiff = image;
            tiff.magick("TIFF");
            tiff.write("TIFF:" + QFile::encodeName(copy).toStdString());
            Magick::Image reread;
            if (readFirstPage(reread, "TIFF:" + QFile::encodeName(copy).toStdString()))
                return toPicture(reread);
        } catch (const std::exception &) {
        }
        // Where the copy cannot be written or read back, the picture decoded from the file
        // itself still prints.
        return toPicture(image);
    } catch (const std::exception &) {
        return {};
    }
}

QRect drawPicture(QPainter &painter, const Picture &picture)
{
    const QPaintDevice *device = painter.device();
    if (picture.image.isNull() || !device)
        return {};
    const QRect target = pageRect(picture.image.size(), picture.dpi, QSize(device->width(), device->height()),
                                  QPointF(device->logicalDpiX(), device->logicalDpiY()));
    if (target.isEmpty())
        return {};
    painter.drawImage(target, picture.image);
    return target;
}

QRect drawPage(QPainter &painter, const QString &path, const QString &programFolder)
{
    return drawPicture(painter, loadPicture(path, programFolder));
}

Status runPrintCommand(const QString &command, const QString &file, int timeoutMs,
                       const std::function<bool()> &keepWaiting)
{
    const QString shown = QDir::toNativeSeparators(file);
    QStringList arguments = QProcess::splitCommand(command);
    if (arguments.isEmpty())
        return Status::failure(Translate::tr("لم يحدد أمر لطباعة الملف %1").arg(shown));
    if (!QFileInfo(file).isFile())
        return Status::failure(Translate::tr("الملف %1 غير موجود فلم يطبع").arg(shown));
    const QString program = arguments.takeFirst();
    arguments.append(file);

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(kStartWaitMs)) {
        const QString reason = process.errorString();
        endProcess(process);
        return Status::failure(Translate::tr("تعذر تشغيل أمر الطباعة %1 لطباعة الملف %2: %3").arg(program, shown, reason));
    }

    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && !process.waitForFinished(kWaitSliceMs)) {
        if (process.state() == QProcess::NotRunning)
            break;
        if (clock.elapsed() >= timeoutMs) {
            endProcess(process);
            return Status::failure(Translate::tr("لم ينته أمر الطباعة %1 خلال %2 ثانية فأوقف، ولم يطبع الملف %3")
                                       .arg(program, QString::number(timeoutMs / 1000), shown));
        }
        if (keepWaiting && !keepWaiting()) {
            endProcess(process);
            return Status::failure(Translate::tr("أوقفت طباعة الملف %1").arg(shown));
        }
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString output = lastOutput(process);
        QString message = Translate::tr("تعذرت طباعة الملف %1: انتهى أمر الطباعة %2 بالرمز %3")
                              .arg(shown, program,
                                   QString::number(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1));
        if (!output.isEmpty())
            message += u"\n"_s + output;
        return Status::failure(message);
    }
    return {};
}

} // namespace Printing
