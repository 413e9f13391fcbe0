// The counts of the histogram bar over a small picture.

#include "imaging/Histogram.h"

#include <gtest/gtest.h>

TEST(Histogram, CountsEachChannelAndTheLumaGrey)
{
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(0, 255, 0));
    picture.setPixel(0, 1, qRgb(0, 0, 255));
    picture.setPixel(1, 1, qRgb(10, 20, 30));
    const Histogram h = Histogram::of(picture);
    EXPECT_EQ(h.pixelCount(), 4u);
    EXPECT_EQ(h.counts(Histogram::Red)[255], 1u);
    EXPECT_EQ(h.counts(Histogram::Red)[0], 2u);
    EXPECT_EQ(h.counts(Histogram::Red)[10], 1u);
    EXPECT_EQ(h.counts(Histogram::Green)[20], 1u);
    EXPECT_EQ(h.counts(Histogram::Blue)[30], 1u);
    EXPECT_EQ(h.counts(Histogram::Blue)[0], 2u);
    // Greys by hand: 255 * 0.299 = 76.2, 255 * 0.587 = 149.7, 255 * 0.114 = 29.1,
    // 10 * 0.299 + 20 * 0.587 + 30 * 0.114 = 18.2.
    for (int level : {76, 149, 29, 18})
        EXPECT_EQ(h.counts(Histogram::Grey)[level], 1u) << level;
    EXPECT_EQ(h.peak(), 2u);
    EXPECT_EQ(h.peak(1u << Histogram::Grey), 1u);
}

TEST(Histogram, IndexedAndTransparentPixelsCountAtTheirColour)
{
    QImage indexed(3, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(100, 0, 0), qRgba(0, 50, 0, 0)});
    indexed.setPixel(0, 0, 0);
    indexed.setPixel(1, 0, 0);
    indexed.setPixel(2, 0, 1);
    const Histogram h = Histogram::of(indexed);
    EXPECT_EQ(h.counts(Histogram::Red)[100], 2u);
    EXPECT_EQ(h.counts(Histogram::Green)[50], 1u);
    EXPECT_EQ(h.pixelCount(), 3u);

    const Histogram none = Histogram::of(QImage());
    EXPECT_TRUE(none.isEmpty());
    EXPECT_EQ(none.peak(), 0u);
}
