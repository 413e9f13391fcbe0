#include "PaletteFile.h"

#include "base/SystemError.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

struct PaletteFileTr
{
    Q_DECLARE_TR_FUNCTIONS(PaletteFile)
};

constexpr int kRiffCountOffset = 22;
constexpr int kRiffEntriesOffset = 24;
constexpr quint16 kRiffVersion = 0x0300;

// The count a file claims, checked against the picture's. A refusal, or the number to read and
// whether the two disagreed.
Result<std::pair<int, bool>> entriesToRead(qint64 fileCount, int pictureColours)
{
    if (fileCount < 0)
        return Result<std::pair<int, bool>>::refused(PaletteFile::damagedMessage());
    if (fileCount > PaletteFile::kMaxColours)
        return Result<std::pair<int, bool>>::refused(PaletteFile::tooManyColoursMessage());
    if (pictureColours <= 0 || fileCount == pictureColours)
        return std::pair{int(fileCount), false};
    return std::pair{int(std::min<qint64>(fileCount, pictureColours)), true};
}

// JASC-PAL: three lines ended by a line feed, then the numbers of the entries. Windows line ends
// are common in these files, so a carriage return counts as a blank.
Result<PaletteFile::Loaded> parseJasc(const QByteArray &bytes, int pictureColours)
{
    qsizetype pos = 0;
    auto nextLine = [&](QByteArray *line) {
        const qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0)
            return false;
        *line = bytes.mid(pos, end - pos).trimmed();
        pos = end + 1;
        return true;
    };
    QByteArray header, version, countLine;
    if (!nextLine(&header) || !nextLine(&version) || !nextLine(&countLine))
        return Result<PaletteFile::Loaded>::refused(PaletteFile::damagedMessage());
    bool ok = false;
    const qint64 count = countLine.toLongLong(&ok);
    if (!ok)
        return Result<PaletteFile::Loaded>::refused(PaletteFile::damagedMessage());
    const auto toRead = entriesToRead(count, pictureColours);
    if (!toRead)
        return Result<PaletteFile::Loaded>::refused(toRead.error());

    const QList<QByteArray> numbers = bytes.mid(pos).simplified().split(' ');
    const int n = toRead->first;
    if (numbers.size() < 3 * n || (n > 0 && numbers.first().isEmpty()))
        return Result<PaletteFile::Loaded>::refused(PaletteFile::damagedMessage());
    PaletteFile::Loaded out;
    out.colours.reserve(n);
    for (int i = 0; i < n; ++i) {
        int rgb[3];
        for (int k = 0; k < 3; ++k) {
            rgb[k] = numbers[3 * i + k].toInt(&ok);
            if (!ok || rgb[k] < 0 || rgb[k] > 255)
                return Result<PaletteFile::Loaded>::refused(PaletteFile::damagedMessage());
        }
        out.colours.append(qRgba(rgb[0], rgb[1], rgb[2], 255));
    }
    if (toRead->second)
        out.warning = PaletteFile::countMismatchMessage();
    return out;
}

Result<PaletteFile::Loaded> parseRiff(const QByteArray &bytes, int pictureColours)
{
    if (bytes.size() < kRiffEntriesOffset)
        return Result<PaletteFile::Loaded>::refused(PaletteFile::damagedMessage());
    const quint16 count = qFromLittleEndian<quint16>(bytes.constData() + kRiffCountOffset);
    const auto toRead = entriesToRead(count, pictureColours);
    if (!toRead)
        return Result<PaletteFile::Loaded>::refused(toRead.error());
    const int n = toRead->first;
    if (bytes.size() < kRiffEntriesOffset + 4 * qsizetype(n))
        return Result<PaletteFile::Loaded>::refused(PaletteFile::damagedMessage());

    // The fourth byte is the entry's alpha as this program writes it; palettes of other programs
    // keep flags there, all zero, and those entries are opaque rather than invisible.
    const auto *entry = reinterpret_cast<const uchar *>(bytes.constData()) + kRiffEntriesOffset;
    bool anyAlpha = false;
    for (int i = 0; i < n; ++i)
        anyAlpha = anyAlpha || entry[4 * i + 3] != 0;
    PaletteFile::Loaded out;
    out.colours.reserve(n);
    for (int i = 0; i < n; ++i, entry += 4)
        out.colours.append(qRgba(entry[0], entry[1], entry[2], anyAlpha ? entry[3] : 255));
    if (toRead->second)
        out.warning = PaletteFile::countMismatchMessage();
    return out;
}

void appendLe32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void appendLe16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

} // namespace

QString PaletteFile::unknownContentsMessage()
{
    return u"Unknown contents!"_s;
}

QString PaletteFile::tooManyColoursMessage()
{
    return u"Too much colors!"_s;
}

QString PaletteFile::countMismatchMessage()
{
    return u"Warning: numcolors doesn't match"_s;
}

QString PaletteFile::damagedMessage()
{
    return PaletteFileTr::tr("ملف الألوان ناقص أو تالف");
}

Result<PaletteFile::Loaded> PaletteFile::parse(const QByteArray &bytes, int pictureColours)
{
    if (bytes.startsWith("JASC"))
        return parseJasc(bytes, pictureColours);
    if (bytes.startsWith("RIFF"))
        return parseRiff(bytes, pictureColours);
    return Result<Loaded>::refused(unknownContentsMessage());
}

Result<PaletteFile::Loaded> PaletteFile::load(const QString &path, int pictureColours)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<Loaded>::failure(file.errorString());
    // A palette holds at most 256 entries; anything far beyond is not one of ours to read whole.
    constexpr qint64 kLargestSensible = 64 * 1024;
    return parse(file.read(kLargestSensible), pictureColours);
}

QByteArray PaletteFile::riffBytes(const QList<QRgb> &colours)
{
    const auto n = quint32(colours.size());
    QByteArray out;
    out.reserve(28 + 4 * qsizetype(n));
    out.append("RIFF", 4);
    appendLe32(out, 4 * n + 20);
    out.append("PAL data", 8);
    appendLe32(out, 4 * n + 8);
    appendLe16(out, kRiffVersion);
    appendLe16(out, quint16(n));
    for (QRgb c : colours) {
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
        out.append(char(qAlpha(c)));
    }
    appendLe32(out, 0);
    return out;
}

Status PaletteFile::save(const QString &path, const QList<QRgb> &colours)
{
    if (colours.size() > kMaxColours)
        return Status::refused(tooManyColoursMessage());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Status::failure(file.errorString());
    const QByteArray bytes = riffBytes(colours);
    if (file.write(bytes) != bytes.size() || !commitWhole(file))
        return Status::failure(file.errorString());
    return {};
}
