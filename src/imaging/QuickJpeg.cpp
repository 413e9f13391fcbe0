#include "imaging/QuickJpeg.h"

#include "imaging/PixelMemory.h"

#include <QFile>
#include <QImageReader>

namespace QuickJpeg {
namespace {

// The frame header comes before the picture data, after the metadata blocks; a file whose
// header lies further in than this is read by the library alone.
constexpr qint64 kHeaderReach = qint64(4) << 20;

int word(const uchar *at)
{
    return (at[0] << 8) | at[1];
}

bool isFrameMarker(int marker)
{
    // SOF0-SOF15 without DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

} // namespace

Header readHeader(const QString &path)
{
    Header header;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return header;
    const QByteArray head = file.read(std::min(file.size(), kHeaderReach));
    const auto *bytes = reinterpret_cast<const uchar *>(head.constData());
    const qsizetype size = head.size();
    if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return header;
    qsizetype at = 2;
    while (at + 4 <= size) {
        if (bytes[at] != 0xFF)
            return header;
        while (at < size && bytes[at] == 0xFF) // fill bytes
            ++at;
        if (at + 3 > size)
            return header;
        const int marker = bytes[at++];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // markers without a length
        if (marker == 0xD9 || marker == 0xDA)
            return header; // end of image, or picture data before any frame header
        const int length = word(bytes + at);
        if (length < 2 || at + length > size)
            return header;
        if (isFrameMarker(marker)) {
            if (length < 8)
                return header;
            header.precision = bytes[at + 2];
            header.height = word(bytes + at + 3);
            header.width = word(bytes + at + 5);
            header.components = bytes[at + 7];
            header.valid = header.width > 0 && header.height > 0;
            return header;
        }
        at += length;
    }
    return header;
}

bool suits(const Header &header)
{
    return header.valid && header.precision == 8 && (header.components == 1 || header.components == 3);
}

QImage decode(const QString &path)
{
    const Header header = readHeader(path);
    if (!suits(header))
        return {};
    QImageReader reader(path, "jpeg");
    reader.setAutoTransform(false);
    if (reader.size() != QSize(header.width, header.height))
        return {};
    // Decoded into pooled memory: the reader keeps an image of the right size and format.
    QImage screen = PixelMemory::image(header.width, header.height,
                                       header.components == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (screen.isNull() || !reader.read(&screen))
        return {};
    if (screen.size() != QSize(header.width, header.height))
        return {};
    return screen;
}

bool matches(const QImage &screen, const Magick::Image &picture)
{
    const int w = screen.width();
    const int h = screen.height();
    if (screen.isNull() || int(picture.columns()) != w || int(picture.rows()) != h || picture.matte())
        return false;
    const MagickCore::ColorspaceType space = picture.colorSpace();
    if (space != MagickCore::sRGBColorspace && space != MagickCore::GRAYColorspace && space != MagickCore::RGBColorspace)
        return false;
    const bool grey = screen.format() == QImage::Format_Grayscale8;
    if (!grey && screen.format() != QImage::Format_RGB32)
        return false;
    MagickCore::ExceptionInfo *exception = MagickCore::AcquireExceptionInfo();
    MagickCore::CacheView *view = MagickCore::AcquireVirtualCacheView(picture.constImage(), exception);
    bool same = true;
    for (int y = 0; y < h && same; ++y) {
        const MagickCore::PixelPacket *p = MagickCore::GetCacheViewVirtualPixels(view, 0, y, size_t(w), 1, exception);
        if (!p) {
            same = false;
            break;
        }
        const uchar *line = screen.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            const int r = MagickCore::ScaleQuantumToChar(p[x].red);
            const int g = MagickCore::ScaleQuantumToChar(p[x].green);
            const int b = MagickCore::ScaleQuantumToChar(p[x].blue);
            if (grey) {
                if (line[x] != r || r != g || g != b) {
                    same = false;
                    break;
                }
            } else {
                const QRgb shown = reinterpret_cast<const QRgb *>(line)[x];
                if (qRed(shown) != r || qGreen(shown) != g || qBlue(shown) != b) {
                    same = false;
                    break;
                }
            }
        }
    }
    MagickCore::DestroyCacheView(view);
    MagickCore::DestroyExceptionInfo(exception);
    return same;
}

} // namespace QuickJpeg
