#include "Printing.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPaintDevice>
#include <QPainter>
#include <QProcess>

#include "base/FileKinds.h"
#include "imaging/ImageDocument.h"
#include "imaging/PictureDecoder.h"

#include <Magick++.h>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

struct PrintingTr
{
    Q_DECLARE_TR_FUNCTIONS(Printing)
};

constexpr int kStartWaitMs = 10000;
constexpr int kWaitSliceMs = 100;
constexpr int kKillWaitMs = 2000;
constexpr qsizetype kMaxReportedOutput = 400;

// A highlighted row is selected whichever of its cells was clicked.
bool taken(const Printing::Row &row, int selectionMode)
{
    return selectionMode != Printing::kSelectedRows || row.selectedColumns != 0;
}

// The TIFF copy of a decoded BMP file, with the file's resolution, written under a temporary name
// and renamed over the old copy only when complete.
bool writeTiffCopy(const PictureDecoder::Decoded &picture, const QString &copy)
{
    ImageDocument::initialiseLibrary();
    QDir().mkpath(QFileInfo(copy).absolutePath());
    const QString partial = copy + u".part"_s;
    const QImage rgba = picture.image.convertToFormat(QImage::Format_RGBA8888);
    try {
        Magick::Image image(size_t(rgba.width()), size_t(rgba.height()), "RGBA", Magick::CharPixel, rgba.constBits());
        image.resolutionUnits(MagickCore::PixelsPerInchResolution);
        image.density(Magick::Geometry(size_t(std::lround(picture.dpi.x())), size_t(std::lround(picture.dpi.y()))));
        image.magick("TIFF");
        image.write("TIFF:" + QFile::encodeName(partial).toStdString());
    } catch (const std::exception &) {
        QFile::remove(partial);
        return false;
    }
    QFile::remove(copy);
    return QFile::rename(partial, copy);
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

QString pictureExtensions() { return FileKinds::archivePictureList(); }

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
        if (!taken(row, selectionMode))
            continue;
        (isPicture(row.path) ? plan.pages : plan.handedOver).append(row.path);
    }
    return plan;
}

Status permitted(const Rights &rights)
{
    if (!isGranted(rights.printjob))
        return Status::failure(PrintingTr::tr("لا تملك صلاحية الطباعة"));
    return {};
}

Result<QStringList> basketPages(const Rights &rights, const QList<Row> &rows, int selectionMode)
{
    if (Status allowed = permitted(rights); !allowed)
        return Result<QStringList>::failure(allowed.error());
    QStringList pages;
    for (const Row &row : rows) {
        if (taken(row, selectionMode) && isPicture(row.path))
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
    QSize printed = printedSize(picture, pictureDpi, deviceDpi);
    if (printed.isEmpty() || page.isEmpty())
        return {};
    if (printed.width() > page.width() || printed.height() > page.height()) {
        // A picture larger than the printable area would lose what falls off the page (a scan
        // without a stored resolution easily covers twice an A4 page): it is reduced to fit, in
        // proportion, from its exact physical size so that truncation does not bend the ratio.
        const double width = double(picture.width()) * deviceDpi.x() / pictureDpi.x();
        const double height = double(picture.height()) * deviceDpi.y() / pictureDpi.y();
        const double scale = std::min(double(page.width()) / width, double(page.height()) / height);
        printed = QSize(std::clamp(int(std::lround(width * scale)), 1, page.width()),
                        std::clamp(int(std::lround(height * scale)), 1, page.height()));
    }
    return {QPoint((page.width() - printed.width()) / 2, (page.height() - printed.height()) / 2), printed};
}

QString tiffCopyPath(const QString &programFolder)
{
    return programFolder + u"/temp.tif"_s;
}

Picture loadPicture(const QString &path, const QString &programFolder)
{
    const PictureDecoder::Decoded decoded = PictureDecoder::decode(path);
    if (!decoded.ok())
        return {};
    if (!path.contains(u".bmp"_s))
        return {decoded.image, decoded.dpi};
    // BMP files print from a TIFF copy of themselves.
    const QString copy = QFileInfo(tiffCopyPath(programFolder)).absoluteFilePath();
    if (writeTiffCopy(decoded, copy)) {
        const PictureDecoder::Decoded reread = PictureDecoder::decode(copy);
        if (reread.ok())
            return {reread.image, reread.dpi};
    }
    // Where the copy cannot be written or read back, the picture decoded from the file itself
    // still prints.
    return {decoded.image, decoded.dpi};
}

QRect printableArea(const QPaintDevice &device)
{
    const QRect whole(0, 0, device.width(), device.height());
    const auto *paged = dynamic_cast<const QPagedPaintDevice *>(&device);
    if (!paged)
        return whole;
    // A printer drawing on the full sheet still cannot ink its margins.
    const QPageLayout layout = paged->pageLayout();
    if (layout.mode() != QPageLayout::FullPageMode)
        return whole;
    const QRect inside = whole.marginsRemoved(layout.marginsPixels(device.logicalDpiX()));
    return inside.isEmpty() ? whole : inside;
}

QRect drawPicture(QPainter &painter, const Picture &picture)
{
    const QPaintDevice *device = painter.device();
    if (picture.image.isNull() || !device)
        return {};
    const QRect area = printableArea(*device);
    const QRect target = pageRect(picture.image.size(), picture.dpi, area.size(),
                                  QPointF(device->logicalDpiX(), device->logicalDpiY()))
                             .translated(area.topLeft());
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
        return Status::failure(PrintingTr::tr("لم يحدد أمر لطباعة الملف %1").arg(shown));
    if (!QFileInfo(file).isFile())
        return Status::failure(PrintingTr::tr("الملف %1 غير موجود فلم يطبع").arg(shown));
    const QString program = arguments.takeFirst();
    arguments.append(file);

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(kStartWaitMs)) {
        const QString reason = process.errorString();
        endProcess(process);
        return Status::failure(PrintingTr::tr("تعذر تشغيل أمر الطباعة %1 لطباعة الملف %2: %3").arg(program, shown, reason));
    }

    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && !process.waitForFinished(kWaitSliceMs)) {
        if (process.state() == QProcess::NotRunning)
            break;
        if (clock.elapsed() >= timeoutMs) {
            endProcess(process);
            return Status::failure(PrintingTr::tr("لم ينته أمر الطباعة %1 خلال %2 ثانية فأوقف، ولم يطبع الملف %3")
                                       .arg(program, QString::number(timeoutMs / 1000), shown));
        }
        if (keepWaiting && !keepWaiting()) {
            endProcess(process);
            return Status::failure(PrintingTr::tr("أوقفت طباعة الملف %1").arg(shown));
        }
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString output = lastOutput(process);
        QString message = PrintingTr::tr("تعذرت طباعة الملف %1: انتهى أمر الطباعة %2 بالرمز %3")
                              .arg(shown, program,
                                   QString::number(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1));
        if (!output.isEmpty())
            message += u"\n"_s + output;
        return Status::failure(message);
    }
    return {};
}

} // namespace Printing
