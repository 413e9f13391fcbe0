#pragma once

#include <QImage>

#include <array>

// How many pixels of a picture fall on each of the 256 levels of red, green, blue and grey. The
// grey level of a pixel is its luma (299 R + 587 G + 114 B) / 1000, rounded down, the weights the
// image editor's Gray Scale uses. Every pixel counts, whatever its alpha.
class Histogram
{
public:
    using Counts = std::array<quint32, 256>;
    enum Channel { Red, Green, Blue, Grey, ChannelCount };

    Histogram() { clear(); }
    static Histogram of(const QImage &picture);
    static int greyLevel(QRgb pixel);

    const Counts &counts(Channel channel) const { return m_counts[channel]; }
    // The largest count over the channels asked for (mask of 1 << Channel); 0 for an empty picture.
    quint32 peak(unsigned channels = 0xF) const;
    quint64 pixelCount() const { return m_pixels; }
    bool isEmpty() const { return m_pixels == 0; }

private:
    void clear();

    std::array<Counts, ChannelCount> m_counts;
    quint64 m_pixels = 0;
};
