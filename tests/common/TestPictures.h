#pragma once

// Picture files of every format the archive takes, made by the image library itself (and a small
// Windows metafile put together by hand, since the library reads that format but cannot write
// it). Tests that include this link Magick++.

#include <QFile>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <Magick++.h>

#include <cstdint>
#include <ostream>

namespace TestPictures {

// A reddish brown that stays dark in every channel model: in grey it is about 80, and formats of
// one bit make it black.
inline constexpr const char *kInk = "#c83214";
inline constexpr QSize kSize{64, 48};

struct Format
{
    const char *extension; // as the file is named
    const char *magick;    // the library's name for the format
};

// Test names and messages show the extension.
inline void PrintTo(const Format &format, std::ostream *out)
{
    *out << format.extension;
}

// Every format the thumbnails, the preview and printing are expected to read.
inline const QList<Format> &formats()
{
    static const QList<Format> all = {
        {"pcx", "PCX"}, {"ras", "SUN"}, {"pgx", "PGX"}, {"jp2", "JP2"},   {"j2k", "J2K"}, {"jpc", "JPC"},
        {"j2c", "J2C"}, {"tga", "TGA"}, {"wbmp", "WBMP"}, {"pnm", "PNM"}, {"pgm", "PGM"}, {"ppm", "PPM"},
        {"bmp", "BMP"}, {"tif", "TIFF"}, {"gif", "GIF"}, {"png", "PNG"},  {"jpg", "JPEG"}, {"jbg", "JBIG"},
        {"ico", "ICO"},
    };
    return all;
}

// A kSize picture filled with kInk in the given format; empty when it cannot be written.
inline QString write(const QString &path, const char *magick, QSize size = kSize)
{
    try {
        Magick::InitializeMagick(nullptr);
        Magick::Image image{Magick::Geometry(size_t(size.width()), size_t(size.height())), Magick::Color(kInk)};
        image.magick(magick);
        image.write(std::string(magick) + ':' + QFile::encodeName(path).toStdString());
        return path;
    } catch (const std::exception &) {
        return {};
    }
}

// A placeable metafile of 100 x 80 units at 96 units per inch holding one red rectangle over all
// of it.
inline QString writeMetafile(const QString &path)
{
    QByteArray bytes;
    const auto u16 = [&bytes](std::uint16_t v) {
        bytes.append(char(v & 0xff));
        bytes.append(char(v >> 8));
    };
    const auto u32 = [&](std::uint32_t v) {
        u16(std::uint16_t(v & 0xffff));
        u16(std::uint16_t(v >> 16));
    };
    // Placeable header: key, handle, bounds, units per inch, reserved, checksum.
    const std::uint16_t placeable[10] = {0xCDD7, 0x9AC6, 0, 0, 0, 100, 80, 96, 0, 0};
    std::uint16_t checksum = 0;
    for (std::uint16_t w : placeable) {
        u16(w);
        checksum ^= w;
    }
    u16(checksum);
    // Records, each its size in words, its function and its parameters.
    QByteArray records;
    const auto record = [&records](std::uint16_t function, std::initializer_list<std::uint16_t> words) {
        const std::uint32_t size = 3 + std::uint32_t(words.size());
        for (int i = 0; i < 4; ++i)
            records.append(char((size >> (8 * i)) & 0xff));
        records.append(char(function & 0xff));
        records.append(char(function >> 8));
        for (std::uint16_t w : words) {
            records.append(char(w & 0xff));
            records.append(char(w >> 8));
        }
    };
    record(0x020B, {0, 0});             // window origin
    record(0x020C, {80, 100});          // window extent
    record(0x02FC, {0, 0x00FF, 0, 0});  // solid red brush
    record(0x012D, {0});                // select it
    record(0x041B, {80, 100, 0, 0});    // rectangle: bottom, right, top, left
    record(0x0000, {});                 // end
    // Metafile header: type, header size, version, size in words, objects, largest record, unused.
    u16(1);
    u16(9);
    u16(0x0300);
    u32(std::uint32_t(9 + records.size() / 2));
    u16(1);
    u32(7);
    u16(0);
    bytes.append(records);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

// Whether the pixel shows the ink (or what a grey or one-bit format makes of it) rather than
// white paper.
inline bool isInk(QRgb pixel)
{
    return qGreen(pixel) < 128 && qAlpha(pixel) > 128;
}

} // namespace TestPictures
