#pragma once

#include <QImage>
#include <QString>

#include <Magick++.h>

// A plain JPEG page shown straight from Qt's decoder while the image library still reads the
// picture that will be edited: Qt decodes a page in about half the library's time. Both decode
// through the same JPEG library, and only the files where they give the same pixels go this way:
// 8-bit grey or colour JPEGs. Four-channel (CMYK) and 12-bit files, and every other format, are
// left to the library alone. Neither side turns the picture by its EXIF orientation.
namespace QuickJpeg {

struct Header
{
    bool valid = false;
    int width = 0;
    int height = 0;
    int precision = 0;  // bits per sample
    int components = 0; // 1 grey, 3 colour, 4 CMYK
};

// The frame header of a JPEG file; not valid when the file is no JPEG or is cut short before it.
Header readHeader(const QString &path);
bool suits(const Header &header);

// The page as the screen shows it (Grayscale8 or RGB32); null when the file does not suit or
// Qt cannot decode it.
QImage decode(const QString &path);

// Whether the screen image shows exactly the picture's pixels (colour pictures in sRGB or grey).
bool matches(const QImage &screen, const Magick::Image &picture);

} // namespace QuickJpeg
