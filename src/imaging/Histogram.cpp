#include "Histogram.h"

#include <algorithm>

int Histogram::greyLevel(QRgb pixel)
{
    return (qRed(pixel) * 299 + qGreen(pixel) * 587 + qBlue(pixel) * 114) / 1000;
}

void Histogram::clear()
{
    for (Counts &c : m_counts)
        c.fill(0);
    m_pixels = 0;
}

Histogram Histogram::of(const QImage &picture)
{
    Histogram h;
    if (picture.isNull())
        return h;
    // Straight (not premultiplied) values, so a half transparent pixel counts at its own colour.
    const QImage argb = picture.format() == QImage::Format_ARGB32 || picture.format() == QImage::Format_RGB32
                            ? picture
                            : picture.convertToFormat(QImage::Format_ARGB32);
    Counts &red = h.m_counts[Red];
    Counts &green = h.m_counts[Green];
    Counts &blue = h.m_counts[Blue];
    Counts &grey = h.m_counts[Grey];
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = line[x];
            ++red[qRed(p)];
            ++green[qGreen(p)];
            ++blue[qBlue(p)];
            ++grey[greyLevel(p)];
        }
    }
    h.m_pixels = quint64(argb.width()) * quint64(argb.height());
    return h;
}

quint32 Histogram::peak(unsigned channels) const
{
    quint32 top = 0;
    for (int c = 0; c < ChannelCount; ++c) {
        if (channels & (1u << c))
            top = std::max(top, *std::max_element(m_counts[c].begin(), m_counts[c].end()));
    }
    return top;
}
