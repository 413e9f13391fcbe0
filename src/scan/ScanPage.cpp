#include "ScanPage.h"

#include <algorithm>
#include <cstring>

namespace {

bool isPass(SANE_Frame f)
{
    return f == SANE_FRAME_RED || f == SANE_FRAME_GREEN || f == SANE_FRAME_BLUE;
}

int passChannel(SANE_Frame f)
{
    return f == SANE_FRAME_RED ? 0 : f == SANE_FRAME_GREEN ? 1 : 2;
}

// One sample of a row, scaled to 16 bits.
quint16 sample16(const uchar *row, int index, int depth)
{
    switch (depth) {
    case 1: return (row[index / 8] >> (7 - index % 8)) & 1 ? 0xffff : 0;
    case 8: return quint16(row[index] * 257);
    default: {
        quint16 v;
        std::memcpy(&v, row + 2 * index, 2);
        return v;
    }
    }
}

bool rowsFit(const ScanPage::Frame &f, int channels)
{
    const SANE_Parameters &p = f.parameters;
    if (p.pixels_per_line <= 0 || p.bytes_per_line <= 0 || (p.depth != 1 && p.depth != 8 && p.depth != 16))
        return false;
    const qint64 needed = (qint64(p.pixels_per_line) * channels * p.depth + 7) / 8;
    return needed <= p.bytes_per_line && ScanPage::rowsOf(f) > 0;
}

// The frame's own bytes as the picture's rows, without a copy: the picture holds a share of the
// buffer and lets it go with its last copy. A change to the picture copies it first.
QImage sharedPicture(const ScanPage::Frame &f, QImage::Format format)
{
    auto *held = new QByteArray(f.bytes);
    QImage image(reinterpret_cast<const uchar *>(held->constData()), f.parameters.pixels_per_line, ScanPage::rowsOf(f),
                 f.parameters.bytes_per_line, format, [](void *info) { delete static_cast<QByteArray *>(info); }, held);
    if (image.isNull())
        delete held;
    return image;
}

QImage greyPicture(const ScanPage::Frame &f)
{
    if (f.parameters.depth == 8)
        return sharedPicture(f, QImage::Format_Grayscale8);
    if (f.parameters.depth == 16)
        return sharedPicture(f, QImage::Format_Grayscale16);
    const SANE_Parameters &p = f.parameters;
    const int w = p.pixels_per_line;
    const int h = ScanPage::rowsOf(f);
    const auto *bytes = reinterpret_cast<const uchar *>(f.bytes.constData());
    QImage image;
    if (p.depth == 1) {
        image = QImage(w, h, QImage::Format_Mono);
        // Line art: a set bit is black.
        image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    } else {
        image = QImage(w, h, p.depth == 8 ? QImage::Format_Grayscale8 : QImage::Format_Grayscale16);
    }
    if (image.isNull())
        return {};
    const qsizetype rowBytes = p.depth == 1 ? (w + 7) / 8 : qsizetype(w) * (p.depth / 8);
    for (int y = 0; y < h; ++y)
        std::memcpy(image.scanLine(y), bytes + qsizetype(y) * p.bytes_per_line, size_t(rowBytes));
    return image;
}

QImage colourPicture(const ScanPage::Frame &f)
{
    if (f.parameters.depth == 8)
        return sharedPicture(f, QImage::Format_RGB888);
    const SANE_Parameters &p = f.parameters;
    const int w = p.pixels_per_line;
    const int h = ScanPage::rowsOf(f);
    const auto *bytes = reinterpret_cast<const uchar *>(f.bytes.constData());
    QImage image(w, h, p.depth == 16 ? QImage::Format_RGBX64 : QImage::Format_RGB888);
    if (image.isNull())
        return {};
    for (int y = 0; y < h; ++y) {
        const uchar *row = bytes + qsizetype(y) * p.bytes_per_line;
        if (p.depth == 8) {
            std::memcpy(image.scanLine(y), row, size_t(w) * 3);
            continue;
        }
        if (p.depth == 16) {
            auto *out = reinterpret_cast<QRgba64 *>(image.scanLine(y));
            for (int x = 0; x < w; ++x)
                out[x] = qRgba64(sample16(row, 3 * x, 16), sample16(row, 3 * x + 1, 16), sample16(row, 3 * x + 2, 16), 0xffff);
            continue;
        }
        uchar *out = image.scanLine(y);
        for (int x = 0; x < 3 * w; ++x)
            out[x] = uchar(sample16(row, x, 1) >> 8);
    }
    return image;
}

QImage passesPicture(const QList<ScanPage::Frame> &frames)
{
    const SANE_Parameters &first = frames.constFirst().parameters;
    const int w = first.pixels_per_line;
    int h = ScanPage::rowsOf(frames.constFirst());
    for (const ScanPage::Frame &f : frames) {
        if (f.parameters.pixels_per_line != w || f.parameters.depth != first.depth)
            return {};
        h = std::min(h, ScanPage::rowsOf(f));
    }
    const bool wide = first.depth == 16;
    QImage image(w, h, wide ? QImage::Format_RGBX64 : QImage::Format_RGB888);
    if (image.isNull())
        return {};
    if (wide)
        image.fill(QColor::fromRgba64(0, 0, 0, 0xffff));
    for (const ScanPage::Frame &f : frames) {
        const int c = passChannel(f.parameters.format);
        const auto *bytes = reinterpret_cast<const uchar *>(f.bytes.constData());
        for (int y = 0; y < h; ++y) {
            const uchar *row = bytes + qsizetype(y) * f.parameters.bytes_per_line;
            if (wide) {
                auto *out = reinterpret_cast<quint16 *>(image.scanLine(y));
                for (int x = 0; x < w; ++x)
                    out[4 * x + c] = sample16(row, x, 16);
            } else {
                uchar *out = image.scanLine(y);
                for (int x = 0; x < w; ++x)
                    out[3 * x + c] = f.parameters.depth == 8 ? row[x] : uchar(sample16(row, x, 1) >> 8);
            }
        }
    }
    return image;
}

} // namespace

void ScanPage::addFrame(const SANE_Parameters &parameters, QByteArray bytes)
{
    m_frames.append({parameters, std::move(bytes)});
}

int ScanPage::rowsOf(const Frame &frame)
{
    const SANE_Parameters &p = frame.parameters;
    if (p.bytes_per_line <= 0)
        return 0;
    const qsizetype arrived = frame.bytes.size() / p.bytes_per_line;
    if (p.lines < 0)
        return int(arrived);
    return int(std::min<qsizetype>(p.lines, arrived));
}

bool ScanPage::isComplete() const
{
    if (m_frames.isEmpty())
        return false;
    const SANE_Frame first = m_frames.constFirst().parameters.format;
    if (!isPass(first))
        return m_frames.size() == 1;
    bool seen[3] = {false, false, false};
    for (const Frame &f : m_frames) {
        if (!isPass(f.parameters.format))
            return false;
        seen[passChannel(f.parameters.format)] = true;
    }
    return seen[0] && seen[1] && seen[2];
}

QImage ScanPage::image() const
{
    if (!isComplete())
        return {};
    const Frame &f = m_frames.constFirst();
    switch (f.parameters.format) {
    case SANE_FRAME_GRAY: return rowsFit(f, 1) ? greyPicture(f) : QImage();
    case SANE_FRAME_RGB: return rowsFit(f, 3) ? colourPicture(f) : QImage();
    default:
        for (const Frame &pass : m_frames) {
            if (!rowsFit(pass, 1))
                return {};
        }
        return passesPicture(m_frames);
    }
}
