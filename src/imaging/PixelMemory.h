#pragma once

#include <QImage>

#include <cstddef>

// The memory of whole pictures: the image library's pixel caches and the screen images made from
// them. Asking the kernel for fresh memory costs a page fault for every 4 KiB first written, and
// on a virtual machine a colour A4 page (66 MiB of pixels) spends more time in those faults than
// in most filters. A released picture's memory is therefore kept, up to kPoolLimit, and handed to
// the next picture of about its size, which then starts writing at once. Smaller blocks go to the
// ordinary allocator.
namespace PixelMemory {

inline constexpr std::size_t kPooledFrom = std::size_t(4) << 20;
inline constexpr std::size_t kPoolLimit = std::size_t(128) << 20;

// Makes the pool the image library's allocator of aligned memory (its pixel caches). Call once
// before the library's first picture; blocks the library took before still free as they were.
void installForLibrary();

// A block of at least `bytes`, aligned to 64 bytes; null when there is no memory.
void *acquire(std::size_t bytes, std::size_t alignment = 64);
// Hands a block back; a block from elsewhere (the ordinary allocator's) is freed.
void release(void *block);

// A QImage whose pixels live in a pooled block; null when there is no memory.
QImage image(int width, int height, QImage::Format format);

// Bytes kept for reuse at present, and handing all of them back to the kernel.
std::size_t pooledBytes();
void trim();

} // namespace PixelMemory
