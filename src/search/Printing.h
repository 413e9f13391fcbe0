#pragma once

#include "base/AppState.h"
#include "base/Result.h"
#include "imaging/PictureDecoder.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

class QPaintDevice;
class QPainter;

// Which window's pictures a print shows.
enum class PrintSource { Report = 1, BasketViewer = 2 };

// Printing of archived files from the report window and the basket viewer. Pictures are printed
// by the program itself, one to a page at their physical size (reduced to fit a page they would
// overflow); every other file of a report is handed to the print command of the application state
// and waited for.
namespace Printing {

// Selection modes of a printing view.
inline constexpr int kSelectedRows = 55; // only the rows with a selected cell
inline constexpr int kAllRows = 5;       // what "print all" sets; any value but 55 means every row

// A picture that stores no resolution of its own prints as if it had this one.
inline constexpr double kDefaultPictureDpi = PictureDecoder::kDefaultDpi;

// How long one file may keep the print command busy before it is given up.
inline constexpr int kCommandTimeoutMs = 120000;

// The extensions printed as pictures; an extension qualifies when it occurs anywhere in this
// text, letter case exact. Fragments such as "PE" and the empty extension qualify as well.
QString pictureExtensions();

// The text after the last "." of the file name (not of its folders); empty when there is none.
QString extension(const QString &path);
bool isPicture(const QString &path);

// A row of a printing view's grid: its path and which of its cells are selected, bit c standing
// for column c.
struct Row
{
    QString path;
    quint32 selectedColumns = 0;
};

// What printing a report does: the pictures become the pages, in row order; the other files go
// to the print command, in row order, before the first page.
struct ReportPlan
{
    QStringList pages;
    QStringList handedOver;
};

// The report window takes a row in mode 55 when any of its cells is selected, otherwise every
// row.
ReportPlan reportPlan(const QList<Row> &rows, int selectionMode);

// Printing needs the print right (printjob granted); without it the user is told why not.
Status permitted(const Rights &rights);

// The basket viewer takes a row in mode 55 when any of its cells is selected, otherwise every
// row; files that are not pictures are left out. Refused without the print right.
Result<QStringList> basketPages(const Rights &rights, const QList<Row> &rows, int selectionMode);

// The size a picture of this many pixels and this resolution covers on a device of the given
// resolution: its physical size, truncated to whole device pixels.
QSize printedSize(QSize picture, QPointF pictureDpi, QPointF deviceDpi);

// Where the picture goes on a page (the printable area) of this size: at its physical size when it
// fits, otherwise reduced in proportion until it just fits; centred either way.
QRect pageRect(QSize picture, QPointF pictureDpi, QSize page, QPointF deviceDpi);

// A picture decoded for printing: its pixels and its resolution in dots per inch (the default
// resolution when the file stores none).
struct Picture
{
    QImage image;
    QPointF dpi{kDefaultPictureDpi, kDefaultPictureDpi};
};

// The TIFF copy a BMP file is printed from.
QString tiffCopyPath(const QString &programFolder);

// The first page of the file. A path containing ".bmp" is saved as TIFF to the TIFF copy and
// decoded again from there. A file that cannot be decoded gives a null image.
Picture loadPicture(const QString &path, const QString &programFolder);

// The part of the device a picture may cover: a printer drawing on its full sheet leaves its
// margins free; any other device gives all of itself.
QRect printableArea(const QPaintDevice &device);

// Draws the picture on the printable area of the painter's device; returns the rectangle it
// covers, empty when there is nothing to draw.
QRect drawPicture(QPainter &painter, const Picture &picture);

// loadPicture and drawPicture: one page of a print list. An undecodable file leaves the page
// empty.
QRect drawPage(QPainter &painter, const QString &path, const QString &programFolder);

// Runs the print command (program and arguments, split like a shell command line) with the file
// as its last argument and waits for it to end, at most timeoutMs. keepWaiting, when given, is
// called about ten times a second while it runs; returning false gives up the file. A command
// that cannot start, ends with an error, outlives the timeout or is given up is a failure whose
// message names the file.
Status runPrintCommand(const QString &command, const QString &file, int timeoutMs = kCommandTimeoutMs,
                       const std::function<bool()> &keepWaiting = {});

} // namespace Printing
