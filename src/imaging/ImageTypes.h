#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Magick {
class Image;
}

// The picture file types of the image windows. One table drives the open and save choosers, the
// type of a file name and the type the status bar shows; the ids are the image library's format
// numbers the files were known by, so a remembered "last type" keeps meaning the same.
namespace ImageTypes {

inline constexpr int kNoType = 0;
inline constexpr int kBmp = 1;
inline constexpr int kGif = 2;
inline constexpr int kJpeg = 3;
inline constexpr int kPng = 4;
inline constexpr int kIco = 5;
inline constexpr int kTiff = 6;
inline constexpr int kWmf = 10;

struct Type
{
    int id = kNoType;
    QString description; // "JPG files"
    QStringList patterns; // "*.jpg", "*.jpeg"
    bool read = true;
    bool write = true;
    const char *magick = ""; // the library's coder that writes it
};

// The rows in the order the choosers list them, after the "Supported files" row.
const QList<Type> &table();
const Type *find(int id);

// The type of a file name by its extension in lower case; kNoType for anything else.
int typeOfName(const QString &fileName);

// Chooser filters: "Supported files (*.bmp *.gif ...)" then one entry per row that can be read
// (or written), each "Description (*.a *.b)". `entryOf` gives the entry of one row.
QStringList openFilters();
QStringList saveFilters();
QString filterEntry(const Type &type);

// The status bar's type pane: the first three letters of the row's description ("JPG").
QString statusText(int id);
// The extension a name of this type gets when it has none: ".jpg".
QString defaultExtension(int id);

// Bits per pixel as the image windows report them: 1, 4 or 8 for pictures with a palette or
// grey levels, 24 for colour, 32 for colour with transparency.
int bitsPerPixel(const Magick::Image &picture);

} // namespace ImageTypes
