#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <zlib.h>

// Pictures that are small on the disk and enormous once decoded, for the tests of what a feed or
// a file to archive may bring. The test program links zlib (ZLIB::ZLIB).
namespace PictureBombs {

inline void chunk(QFile &out, const char type[4], const QByteArray &data)
{
    const quint32 length = qToBigEndian(quint32(data.size()));
    out.write(reinterpret_cast<const char *>(&length), 4);
    QByteArray body(type, 4);
    body += data;
    out.write(body);
    const quint32 crc = qToBigEndian(quint32(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size()))));
    out.write(reinterpret_cast<const char *>(&crc), 4);
}

// A white one-bit PNG of side x side pixels: every row the same, so it deflates to almost nothing.
inline bool writePng(const QString &path, quint32 side)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write("\x89PNG\r\n\x1a\n", 8);
    QByteArray header(13, '\0');
    qToBigEndian(side, header.data());
    qToBigEndian(side, header.data() + 4);
    header[8] = 1; // bit depth
    header[9] = 0; // grey
    chunk(out, "IHDR", header);

    QByteArray row(1 + int((side + 7) / 8), '\xff');
    row[0] = 0; // no filter
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, 15, 9, Z_RLE) != Z_OK)
        return false;
    QByteArray compressed;
    QByteArray buffer(1 << 16, '\0');
    for (quint32 y = 0; y <= side; ++y) {
        const bool last = y == side;
        z.next_in = reinterpret_cast<Bytef *>(last ? nullptr : row.data());
        z.avail_in = last ? 0 : uInt(row.size());
        do {
            z.next_out = reinterpret_cast<Bytef *>(buffer.data());
            z.avail_out = uInt(buffer.size());
            deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            compressed.append(buffer.constData(), buffer.size() - qsizetype(z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    chunk(out, "IDAT", compressed);
    chunk(out, "IEND", {});
    return out.flush();
}

} // namespace PictureBombs
