#include "imaging/PixelMemory.h"

#include <Magick++.h>

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace PixelMemory {
namespace {

// Blocks come in whole 2 MiB steps, so pictures of nearly the same size share them.
constexpr std::size_t kGranule = std::size_t(2) << 20;

struct Block
{
    void *at = nullptr;
    std::size_t size = 0;
};

struct Pool
{
    std::mutex mutex;
    std::unordered_map<void *, std::size_t> lent;
    std::deque<Block> kept; // oldest first
    std::size_t keptBytes = 0;
};

Pool &pool()
{
    // Never destroyed: the library may free a picture while the program ends.
    static Pool *const instance = new Pool;
    return *instance;
}

void unmap(const Block &block)
{
    munmap(block.at, block.size);
}

// A new block on a 2 MiB boundary, asked of the kernel in large pages and in one go: a fresh colour
// page then costs a few dozen page faults instead of seventeen thousand. Both requests are advice;
// where the kernel has no large pages the block simply fills a small page at a time.
void *mapFresh(std::size_t size)
{
    const std::size_t span = size + kGranule;
    void *mapped = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    const auto begin = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (begin + kGranule - 1) & ~std::uintptr_t(kGranule - 1);
    if (aligned > begin)
        munmap(mapped, aligned - begin);
    const std::uintptr_t end = aligned + size;
    if (begin + span > end)
        munmap(reinterpret_cast<void *>(end), begin + span - end);
    void *at = reinterpret_cast<void *>(aligned);
#ifdef MADV_HUGEPAGE
    madvise(at, size, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
    madvise(at, size, MADV_POPULATE_WRITE);
#endif
    return at;
}

void *libraryAcquire(const std::size_t bytes, const std::size_t alignment)
{
    return acquire(bytes, alignment);
}

void libraryRelease(void *block)
{
    release(block);
}

void releaseImage(void *block)
{
    release(block);
}

} // namespace

void installForLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { MagickCore::SetMagickAlignedMemoryMethods(libraryAcquire, libraryRelease); });
}

void *acquire(std::size_t bytes, std::size_t alignment)
{
    if (bytes < kPooledFrom || alignment > kGranule) {
        void *block = nullptr;
        const std::size_t align = std::max<std::size_t>(alignment, sizeof(void *));
        return posix_memalign(&block, align, std::max<std::size_t>(bytes, 1)) == 0 ? block : nullptr;
    }
    const std::size_t size = (bytes + kGranule - 1) / kGranule * kGranule;
    Pool &p = pool();
    {
        std::lock_guard lock(p.mutex);
        // The smallest kept block that fits and wastes at most a quarter more.
        auto best = p.kept.end();
        for (auto it = p.kept.begin(); it != p.kept.end(); ++it)
            if (it->size >= size && it->size <= size + size / 4 && (best == p.kept.end() || it->size < best->size))
                best = it;
        if (best != p.kept.end()) {
            const Block block = *best;
            p.kept.erase(best);
            p.keptBytes -= block.size;
            p.lent.emplace(block.at, block.size);
            return block.at;
        }
    }
    void *at = mapFresh(size);
    if (!at)
        return nullptr;
    std::lock_guard lock(p.mutex);
    p.lent.emplace(at, size);
    return at;
}

void release(void *block)
{
    if (!block)
        return;
    Pool &p = pool();
    std::deque<Block> dropped;
    {
        std::lock_guard lock(p.mutex);
        const auto found = p.lent.find(block);
        if (found == p.lent.end()) {
            std::free(block);
            return;
        }
        const Block returned{found->first, found->second};
        p.lent.erase(found);
        p.kept.push_back(returned);
        p.keptBytes += returned.size;
        while (p.keptBytes > kPoolLimit) {
            dropped.push_back(p.kept.front());
            p.keptBytes -= p.kept.front().size;
            p.kept.pop_front();
        }
    }
    for (const Block &b : dropped)
        unmap(b);
}

QImage image(int width, int height, QImage::Format format)
{
    if (width <= 0 || height <= 0)
        return {};
    const qsizetype perLine = ((qsizetype(width) * QImage::toPixelFormat(format).bitsPerPixel() + 31) / 32) * 4;
    const std::size_t bytes = std::size_t(perLine) * std::size_t(height);
    if (bytes < kPooledFrom)
        return QImage(width, height, format);
    void *block = acquire(bytes);
    if (!block)
        return {};
    return QImage(static_cast<uchar *>(block), width, height, perLine, format, releaseImage, block);
}

std::size_t pooledBytes()
{
    Pool &p = pool();
    std::lock_guard lock(p.mutex);
    return p.keptBytes;
}

void trim()
{
    Pool &p = pool();
    std::deque<Block> dropped;
    {
        std::lock_guard lock(p.mutex);
        dropped.swap(p.kept);
        p.keptBytes = 0;
    }
    for (const Block &b : dropped)
        unmap(b);
}

} // namespace PixelMemory
