#include "imaging/JpegBytes.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace JpegBytes {
namespace {

// The library reports a fatal error through error_exit, which must not return: it jumps back to
// the decode, which gives up. Warnings (a damaged stretch the library can step over) are kept
// quiet, as Qt's reader keeps them.
struct ErrorJump
{
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

[[noreturn]] void jumpBack(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorJump *>(info->err)->back, 1);
}

void stayQuiet(j_common_ptr, int) {}

// The decode between setjmp and the library's calls: nothing in it outlives a statement with a
// destructor, so a jump back out of the library skips none. `image` belongs to the caller.
bool decodeInto(jpeg_decompress_struct &info, const QByteArray &jpeg, QSize expected, QImage &image)
{
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(jpeg.constData()), static_cast<unsigned long>(jpeg.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
        return false;
    if (info.data_precision != 8 || (info.num_components != 1 && info.num_components != 3))
        return false;
    const QSize size(int(info.image_width), int(info.image_height));
    if (expected.isValid() && size != expected)
        return false;
    // RGB32 is 0xffRRGGBB in a 32-bit word, in memory on this byte order blue, green, red, pad.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the RGB32 row layout below is little-endian");
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    image = QImage(size, QImage::Format_RGB32);
    if (image.isNull() || int(info.output_width) != size.width() || int(info.output_height) != size.height())
        return false;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

// The jump point and the library's state; the image lives in the caller's frame, so that its value
// after a jump back is the one last written.
bool guardedDecode(const QByteArray &jpeg, QSize expected, QImage &image)
{
    jpeg_decompress_struct info;
    ErrorJump errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jumpBack;
    errors.manager.emit_message = stayQuiet;
    if (setjmp(errors.back)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    const bool done = decodeInto(info, jpeg, expected, image);
    jpeg_destroy_decompress(&info);
    return done;
}

} // namespace

QImage decodeRgb32(const QByteArray &jpeg, QSize expected)
{
    QImage image;
    if (jpeg.isEmpty() || !guardedDecode(jpeg, expected, image))
        return {};
    return image;
}

} // namespace JpegBytes
