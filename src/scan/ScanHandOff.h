#pragma once

#include "CTwain.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVariantMap>

#include <optional>

// What the scanning program (dovrelle-scan) and the window that started it say to each other.
// The program reads the pages; the window only ever sees whole pages. One line per message on the
// program's output, fields apart by tabs:
//   page    N W H DEPTH CHANNELS THREEPASS EXPECTED DPI   a page is about to be read; the program
//                                                         waits for the answer 0 take, 1 skip, 2 end
//   read    N BYTES                                       bytes of page N read so far
//   picture N FILE                                        page N whole, its picture in FILE
//   end     finished|cancelled|failed PAGES MESSAGE       the last line
// and on its input: the answer to a page ("0", "1" or "2") or "cancel". The end of its input
// (the window gone) counts as a cancel.
namespace ScanHandOff {

struct Message
{
    enum class Kind { Page, Read, Picture, End };
    Kind kind = Kind::End;
    ScanPageInfo info;   // Page; Read and Picture carry only the page number
    qint64 bytes = 0;    // Read
    QString file;        // Picture
    ScanOutcome outcome; // End
};

QByteArray pageLine(const ScanPageInfo &info);
QByteArray readLine(int page, qint64 bytes);
QByteArray pictureLine(int page, const QString &file);
QByteArray endLine(const ScanOutcome &outcome);
// A line as the program wrote it (without its newline); nothing for a line that is not one of
// the four or whose fields do not parse.
std::optional<Message> parse(const QByteArray &line);

// The device's values as arguments of the program ("--value name=value"), and back.
QStringList valueArguments(const QVariantMap &values);
QVariantMap valuesFrom(const QStringList &encoded);

// A page's picture as a file the window maps without a copy: a header of fixed size (format,
// size, bytes per row, colour table), then the rows as they are in memory.
bool writePicture(const QString &path, const QImage &image);
// The picture of such a file, null when the file is not one or its rows are cut short. The file
// may be removed as soon as this returns.
QImage readPicture(const QString &path);

} // namespace ScanHandOff
