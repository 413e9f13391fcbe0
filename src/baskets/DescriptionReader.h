#pragma once

#include <QByteArray>
#include <QString>

// The feed writer stores a picture's description inside the JPEG, after a marker near the start
// of the file. Reading it back is a fixed byte-window scan; nothing in this program writes it.
namespace DescriptionReader {

inline constexpr char kMarker[] = "@AFPs@";

// Where the scan looks: kReadLength bytes read from kReadOffset, of which the bytes from buffer
// index kFirstScanned up to (not including) kEndScanned are considered.
inline constexpr qint64 kReadOffset = 100;
inline constexpr qint64 kReadLength = 5000;
inline constexpr int kFirstScanned = 50;
inline constexpr int kEndScanned = 4800;
// The printable text kept from the window is capped at this many characters.
inline constexpr int kMaxKept = 1500;
// An "@" this close after the marker belongs to the description instead of ending it.
inline constexpr int kMinLength = 30;

enum class Form {
    Display, // the grids and the preview: only paths holding ".jpg" (lower case) are read
    Archive, // archiving a basket item: every path is read
};

// The bytes read at kReadOffset, zero bytes turned into "@", reduced to the printable ones
// (values 31 to 127) of the scanned range, at most kMaxKept of them.
QByteArray printableWindow(const QByteArray &readBytes);

// The description in a printable window: what follows the first marker up to the first "@" at
// index kMinLength or later, or to the window's end. Empty without a marker.
QString descriptionInText(const QByteArray &printable);

// The description in a file's contents (the whole file, or at least its first 5100 bytes).
QString descriptionInFile(const QByteArray &fileBytes);

// The description stored in the file at the path; empty when the file cannot be read, holds no
// marker or, in the display form, the path does not contain ".jpg".
QString readDescription(const QString &path, Form form = Form::Display);

} // namespace DescriptionReader
