// Pictures made to hurt whoever reads them, as a feed or a file to archive may bring them: a
// 50,000 x 50,000 PNG of a few hundred kilobytes and a TIFF of 20,000 pages. Whatever shows them
// (the report's thumbnails, the basket viewer, the image windows) must refuse or cut them short
// quickly, with the reason, and without the memory their size asks for.

#include "common/PictureBombs.h"
#include "imaging/ImageDocument.h"
#include "imaging/PictureDecoder.h"
#include "imaging/Thumbnail.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <Magick++.h>
#include <gtest/gtest.h>

#include <iostream>

using namespace Qt::Literals::StringLiterals;

namespace {

// A TIFF of `pages` white 2 x 2 pages, every page's directory naming the same two bytes.
bool writeManyPagesTiff(const QString &path, quint32 pages)
{
    constexpr quint32 kStrip = 8;
    constexpr quint16 kEntries = 8;
    constexpr quint32 kDirectory = 2 + kEntries * 12 + 4;
    QByteArray bytes;
    bytes.reserve(qsizetype(10 + pages * kDirectory));
    auto put16 = [&bytes](quint16 v) { bytes.append(char(v & 0xff)).append(char(v >> 8)); };
    auto put32 = [&](quint32 v) {
        put16(quint16(v & 0xffff));
        put16(quint16(v >> 16));
    };
    bytes.append("II");
    put16(42);
    put32(kStrip + 2); // the first directory, after the strip
    bytes.append('\xff').append('\xff');
    for (quint32 p = 0; p < pages; ++p) {
        const quint32 next = p + 1 < pages ? quint32(bytes.size()) + kDirectory : 0;
        put16(kEntries);
        const quint16 tags[kEntries][2] = {{256, 2}, {257, 2}, {258, 1}, {259, 1}, {262, 1}, {273, kStrip}, {278, 2}, {279, 2}};
        for (const auto &t : tags) {
            put16(t[0]);
            put16(3); // SHORT
            put32(1);
            put32(t[1]);
        }
        put32(next);
    }
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.flush();
}

// The peak of the resident memory from now on: the kernel's high-water mark, set back to what is
// resident now.
void resetPeakMemory()
{
    QFile refs(u"/proc/self/clear_refs"_s);
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// A memory figure of this process from the kernel ("VmHWM:" the peak, "VmRSS:" what is resident).
qint64 memoryMiB(const QByteArray &field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').constFirst().toLongLong() / 1024;
    }
    return -1;
}

qint64 peakMemoryMiB()
{
    return memoryMiB("VmHWM:");
}

qint64 residentMiB()
{
    return memoryMiB("VmRSS:");
}

// What reading one of these may cost over what the process held before.
constexpr qint64 kMemoryAllowanceMiB = 300;

} // namespace

TEST(HostilePictures, AFiftyThousandSquarePngIsRefusedQuicklyWithItsReasonAndLittleMemory)
{
    QTemporaryDir dir;
    const QString bomb = dir.filePath(u"bomb.png"_s);
    ASSERT_TRUE(PictureBombs::writePng(bomb, 50000));
    ASSERT_LT(QFile(bomb).size(), 2 << 20) << "a bomb is small on the disk";

    const qint64 before = residentMiB();
    resetPeakMemory();
    QElapsedTimer t;
    t.start();
    // The report's thumbnail and the basket viewer's picture.
    const PictureDecoder::Decoded decoded = PictureDecoder::decode(bomb, Thumbnail::kDecodeHint);
    EXPECT_FALSE(decoded.ok());
    EXPECT_TRUE(decoded.error.contains(u"أكبر من أن تفتح (50000 × 50000)"_s)) << decoded.error.toStdString();
    EXPECT_TRUE(decoded.error.contains(u"bomb.png"_s)) << decoded.error.toStdString();
    // The limits are the program's own, whatever the system's policy would have allowed.
    EXPECT_LE(Magick::ResourceLimits::width(), MagickCore::MagickSizeType(16000));
    EXPECT_LE(Magick::ResourceLimits::area(), MagickCore::MagickSizeType(128000000));
    const QImage cell = Thumbnail::make(bomb);
    EXPECT_EQ(cell.size(), Thumbnail::kSize) << "the row keeps its empty framed cell";
    // An image window.
    ImageDocument document;
    const Status opened = document.load(bomb, 0);
    EXPECT_FALSE(opened.ok());
    EXPECT_FALSE(opened.error().isEmpty());
    EXPECT_LT(t.elapsed(), 10000);
    const qint64 peak = peakMemoryMiB();
    ASSERT_GT(peak, 0) << "the kernel tells no peak here";
    EXPECT_LT(peak - before, kMemoryAllowanceMiB) << "peak " << peak << " MiB over " << before << " MiB held before";
    std::cout << "the 50,000 x 50,000 PNG: refused in " << t.elapsed() << " ms, peak resident " << peak << " MiB, "
              << before << " MiB before\n  " << decoded.error.toStdString() << '\n';
}

TEST(HostilePictures, ATiffOfAHundredThousandPagesGivesItsFirstPageAlone)
{
    QTemporaryDir dir;
    const QString many = dir.filePath(u"many.tif"_s);
    ASSERT_TRUE(writeManyPagesTiff(many, 100000));
    const qint64 before = residentMiB();
    resetPeakMemory();
    QElapsedTimer t;
    t.start();
    const PictureDecoder::Decoded decoded = PictureDecoder::decode(many, Thumbnail::kDecodeHint);
    ASSERT_TRUE(decoded.ok()) << decoded.error.toStdString();
    EXPECT_EQ(decoded.image.size(), QSize(2, 2));
    EXPECT_EQ(decoded.image.pixelColor(1, 1), QColor(Qt::white));
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_LT(peakMemoryMiB() - before, kMemoryAllowanceMiB);
}
