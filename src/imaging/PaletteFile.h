#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QList>
#include <QRgb>
#include <QString>

// Palette files of the image editor's palette window. Two kinds are read, told apart by their
// first four bytes: a JASC text palette ("JASC-PAL", version, count, then the red, green and blue
// numbers of each entry) and a RIFF palette (count at byte 22, four bytes per entry from byte 24).
// Only RIFF is written, with the entry's alpha as the fourth byte of each entry.
class PaletteFile
{
public:
    static constexpr int kMaxColours = 256;

    struct Loaded
    {
        QList<QRgb> colours;
        // Set when the file's count differs from the picture's: the smaller number was read.
        QString warning;
    };

    // `pictureColours` is the number of entries of the picture's palette; 0 reads the file's all.
    static Result<Loaded> parse(const QByteArray &bytes, int pictureColours);
    static Result<Loaded> load(const QString &path, int pictureColours);

    static QByteArray riffBytes(const QList<QRgb> &colours);
    // Writes beside the target and renames over it, so a failed save leaves an old file whole.
    static Status save(const QString &path, const QList<QRgb> &colours);

    static QString unknownContentsMessage();   // "Unknown contents!"
    static QString tooManyColoursMessage();    // "Too much colors!"
    static QString countMismatchMessage();     // "Warning: numcolors doesn't match"
    static QString damagedMessage();
};
