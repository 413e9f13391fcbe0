#pragma once

#include "imaging/ImageCommands.h"
#include "imaging/ImageOps.h"

#include <QFile>

#include <gtest/gtest.h>

// Small pictures made from given levels, and the command runs the tests of the pixel commands share.
namespace ImageTestPictures {

// A grey picture (stored as RGB) of these levels, row by row.
inline Magick::Image grey(int width, int height, const std::vector<int> &levels)
{
    ImageOps::Pixels p(width, height, 3);
    for (std::size_t i = 0; i < levels.size(); ++i)
        for (std::size_t k = 0; k < 3; ++k)
            p.data[i * 3 + k] = std::uint8_t(levels[i]);
    Magick::InitializeMagick(nullptr);
    return ImageOps::imageOf(p, Magick::Image());
}

inline Magick::Image colourful(int width, int height)
{
    ImageOps::Pixels p(width, height, 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t *q = p.at(x, y);
            q[0] = std::uint8_t((x * 37 + y * 11) % 256);
            q[1] = std::uint8_t((x * 5 + y * 53 + 40) % 256);
            q[2] = std::uint8_t((x * y * 7 + 90) % 256);
        }
    return ImageOps::imageOf(p, Magick::Image());
}

inline ImageCommands::Outcome run(const char *name, const Magick::Image &picture,
                                  const ImageCommands::Values &values = {},
                                  const QList<Magick::Image> &sources = {})
{
    const ImageCommands::Command *command = ImageCommands::find(QString::fromLatin1(name));
    EXPECT_NE(command, nullptr) << name;
    if (!command)
        return {};
    const Result<ImageCommands::Outcome> r = ImageCommands::run(*command, picture, values, sources);
    EXPECT_TRUE(r.ok()) << name << ": " << r.error().toStdString();
    return r.ok() ? *r : ImageCommands::Outcome{};
}

// The kinds of JPEG file the window opens differently: the first four through Qt's decoder while
// the library reads them, CMYK through the library alone.
enum class Jpeg { Colour, Grey, Progressive, Turned, Cmyk };

// Writes a JPEG of that kind with pixels that differ everywhere (an odd size, so the chroma
// blocks do not fit evenly). "Turned" carries an EXIF orientation of 6 (turn right to view).
inline QString writeJpeg(const QString &path, Jpeg kind, int width = 97, int height = 61)
{
    Magick::Image picture = colourful(width, height);
    if (kind == Jpeg::Grey)
        picture.type(MagickCore::GrayscaleType);
    if (kind == Jpeg::Progressive)
        picture.interlaceType(MagickCore::PlaneInterlace);
    if (kind == Jpeg::Cmyk)
        picture.colorSpace(MagickCore::CMYKColorspace);
    picture.quality(85);
    picture.magick("JPEG");
    Magick::Blob blob;
    picture.write(&blob);
    QByteArray bytes(static_cast<const char *>(blob.data()), qsizetype(blob.length()));
    if (kind == Jpeg::Turned) {
        // APP1 "Exif": a big-endian TIFF header and one IFD entry, Orientation (0x0112) = 6.
        static const char exif[] = "\xFF\xE1\x00\x22"
                                   "Exif\0\0"
                                   "MM\0\x2A\0\0\0\x08"
                                   "\0\x01"
                                   "\x01\x12\0\x03\0\0\0\x01\0\x06\0\0"
                                   "\0\0\0\0";
        bytes.insert(2, QByteArray(exif, sizeof(exif) - 1));
    }
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
    return path;
}

// The first channel of every pixel.
inline std::vector<int> levelsOf(const Magick::Image &image)
{
    const ImageOps::Pixels p = ImageOps::pixelsOf(image);
    std::vector<int> out;
    for (std::size_t i = 0; i < p.data.size(); i += std::size_t(p.channels))
        out.push_back(p.data[i]);
    return out;
}

} // namespace ImageTestPictures
