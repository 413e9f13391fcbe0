// Palette files byte by byte: the RIFF palette as written, and JASC and RIFF palettes read back,
// with the refusals and the count warning.

#include "imaging/PaletteFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QByteArray riffWithCount(int count, int entries)
{
    QByteArray b = "RIFF" + bytes({0, 0, 0, 0}) + "PAL data" + bytes({0, 0, 0, 0, 0x00, 0x03});
    b += bytes({count & 0xFF, count >> 8});
    for (int i = 0; i < entries; ++i)
        b += bytes({i, 2 * i % 256, 255 - i % 256, 0});
    return b;
}

} // namespace

TEST(PaletteFile, RiffIsWrittenByteForByte)
{
    const QList<QRgb> palette{qRgba(1, 2, 3, 4), qRgba(250, 128, 0, 255)};
    const QByteArray expected = "RIFF" + bytes({0x1c, 0, 0, 0}) + "PAL data" + bytes({0x10, 0, 0, 0}) +
                                bytes({0x00, 0x03, 0x02, 0x00}) + bytes({1, 2, 3, 4, 250, 128, 0, 255}) +
                                bytes({0, 0, 0, 0});
    EXPECT_EQ(PaletteFile::riffBytes(palette).toHex(' ').toStdString(), expected.toHex(' ').toStdString());

    QTemporaryDir dir;
    const QString path = dir.filePath(u"two.pal"_s);
    ASSERT_TRUE(PaletteFile::save(path, palette).ok());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), expected);

    // 256 entries: 28 + 4 * 256 bytes, the sizes in the header agreeing.
    const QByteArray full = PaletteFile::riffBytes(QList<QRgb>(256, qRgb(9, 9, 9)));
    EXPECT_EQ(full.size(), 28 + 4 * 256);
    EXPECT_EQ(full.mid(4, 4), bytes({0x14, 0x04, 0, 0}));
    EXPECT_EQ(full.mid(16, 4), bytes({0x08, 0x04, 0, 0}));
    EXPECT_EQ(full.mid(22, 2), bytes({0x00, 0x01}));
}

TEST(PaletteFile, SavedPaletteReadsBackWithItsAlpha)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"back.pal"_s);
    const QList<QRgb> palette{qRgba(10, 20, 30, 40), qRgba(0, 0, 0, 255), qRgba(255, 255, 255, 0)};
    ASSERT_TRUE(PaletteFile::save(path, palette).ok());
    const auto loaded = PaletteFile::load(path, 3);
    ASSERT_TRUE(loaded.ok()) << loaded.error().toStdString();
    EXPECT_EQ(loaded->colours, palette);
    EXPECT_TRUE(loaded->warning.isEmpty());
}

TEST(PaletteFile, RiffOfAnotherProgramWithZeroFlagsIsOpaque)
{
    const auto loaded = PaletteFile::parse(riffWithCount(3, 3), 3);
    ASSERT_TRUE(loaded.ok());
    ASSERT_EQ(loaded->colours.size(), 3);
    EXPECT_EQ(loaded->colours[2], qRgba(2, 4, 253, 255));
}

TEST(PaletteFile, JascReadsNumbersAcrossBlanksAndLineEnds)
{
    const QByteArray text = "JASC-PAL\r\n0100\r\n3\r\n255 0 0\r\n0 255\n0\n0   0 255\r\n";
    const auto loaded = PaletteFile::parse(text, 3);
    ASSERT_TRUE(loaded.ok()) << loaded.error().toStdString();
    EXPECT_EQ(loaded->colours, (QList<QRgb>{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)}));
    EXPECT_TRUE(loaded->warning.isEmpty());
}

TEST(PaletteFile, RefusalsAndTheCountWarning)
{
    // Neither kind.
    auto r = PaletteFile::parse("GIF89a....", 16);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error(), u"Unknown contents!"_s);

    // More than 256 entries, in either kind.
    r = PaletteFile::parse("JASC-PAL\n0100\n300\n", 256);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error(), u"Too much colors!"_s);
    r = PaletteFile::parse(riffWithCount(257, 257), 256);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error(), u"Too much colors!"_s);

    // Counts that differ: the smaller number is read, with the warning.
    r = PaletteFile::parse("JASC-PAL\n0100\n3\n1 1 1\n2 2 2\n3 3 3\n", 2);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->colours, (QList<QRgb>{qRgb(1, 1, 1), qRgb(2, 2, 2)}));
    EXPECT_EQ(r->warning, u"Warning: numcolors doesn't match"_s);
    r = PaletteFile::parse(riffWithCount(2, 2), 16);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->colours.size(), 2);
    EXPECT_EQ(r->warning, u"Warning: numcolors doesn't match"_s);
}

TEST(PaletteFile, DamagedFilesAreRefusedNotReadPastTheirEnd)
{
    // A RIFF claiming 16 entries that holds 4, a JASC short of numbers or with a word among them.
    for (const QByteArray &damaged : {riffWithCount(16, 4), QByteArray("JASC-PAL\n0100\n2\n1 2 3\n4 5\n"),
                                      QByteArray("JASC-PAL\n0100\n1\n1 two 3\n"), QByteArray("JASC-PAL\n0100\n"),
                                      QByteArray("RIFF\0\0", 6)}) {
        const auto r = PaletteFile::parse(damaged, 16);
        ASSERT_FALSE(r.ok()) << damaged.toHex().toStdString();
        EXPECT_EQ(r.error(), PaletteFile::damagedMessage());
    }
}

TEST(PaletteFile, FailedSaveLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    EXPECT_FALSE(PaletteFile::save(dir.filePath(u"missing/folder/x.pal"_s), {qRgb(1, 2, 3)}).ok());

    const QString path = dir.filePath(u"old.pal"_s);
    ASSERT_TRUE(PaletteFile::save(path, {qRgb(1, 2, 3)}).ok());
    EXPECT_FALSE(PaletteFile::save(path, QList<QRgb>(257, 0)).ok());
    const auto back = PaletteFile::load(path, 1);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->colours, QList<QRgb>{qRgba(1, 2, 3, 255)});
}
