#include "imaging/ImageDocument.h"
#include "imaging/PixelMemory.h"

#include <QColor>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

TEST(PixelMemory, ReleasedPicturesAreReusedUpToTheLimit)
{
    PixelMemory::trim();
    EXPECT_EQ(PixelMemory::pooledBytes(), 0u);
    const std::size_t page = std::size_t(20) << 20;
    void *first = PixelMemory::acquire(page);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(first) % 64, 0u);
    std::memset(first, 7, page);
    PixelMemory::release(first);
    EXPECT_GE(PixelMemory::pooledBytes(), page);
    void *again = PixelMemory::acquire(page - 4096);
    EXPECT_EQ(again, first) << "a block of about the same size is handed out again";
    EXPECT_EQ(PixelMemory::pooledBytes(), 0u);
    // A block far too big for the request is not wasted on it.
    PixelMemory::release(again);
    void *small = PixelMemory::acquire(std::size_t(5) << 20);
    EXPECT_NE(small, first);
    PixelMemory::release(small);

    // Never more than the limit is kept.
    std::vector<void *> many;
    for (std::size_t kept = 0; kept <= PixelMemory::kPoolLimit; kept += page)
        many.push_back(PixelMemory::acquire(page));
    for (void *block : many)
        PixelMemory::release(block);
    EXPECT_LE(PixelMemory::pooledBytes(), PixelMemory::kPoolLimit);
    EXPECT_GT(PixelMemory::pooledBytes(), PixelMemory::kPoolLimit - 2 * page);
    PixelMemory::trim();
    EXPECT_EQ(PixelMemory::pooledBytes(), 0u);

    // Small blocks and blocks of the ordinary allocator pass through.
    void *tiny = PixelMemory::acquire(100);
    ASSERT_NE(tiny, nullptr);
    PixelMemory::release(tiny);
    PixelMemory::release(std::malloc(64));
    EXPECT_EQ(PixelMemory::pooledBytes(), 0u);
}

TEST(PixelMemory, TheLibrarysPixelsAndScreenImagesLiveInThePool)
{
    ImageDocument::initialiseLibrary();
    PixelMemory::trim();
    {
        Magick::Image page(Magick::Geometry(1200, 900), Magick::Color("rgb(10,20,30)"));
        const QImage screen = ImageDocument::toQImage(page);
        ASSERT_FALSE(screen.isNull());
        EXPECT_EQ(screen.pixelColor(1199, 899), QColor(10, 20, 30));
        QImage drawn = screen; // a copy that is written detaches into memory of its own
        drawn.setPixelColor(0, 0, Qt::red);
        EXPECT_EQ(screen.pixelColor(0, 0), QColor(10, 20, 30));
        EXPECT_EQ(PixelMemory::pooledBytes(), 0u);
    }
    // 1200 x 900 pixels of 8 bytes in the library and 4 on the screen came back.
    EXPECT_GE(PixelMemory::pooledBytes(), std::size_t(1200) * 900 * 12);
    PixelMemory::trim();
}
