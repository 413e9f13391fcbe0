#include "ScanHandOff.h"

#include <QFile>
#include <QUrl>

#include <cstring>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace ScanHandOff {
namespace {

constexpr qint64 kHeaderSize = 256;
constexpr char kMagic[] = "DOVRELLE-SCAN-PICTURE 1";
constexpr int kMaxSide = 1 << 17;

QByteArray encoded(const QString &text)
{
    return QUrl::toPercentEncoding(text);
}

QString decoded(const QByteArray &field)
{
    return QUrl::fromPercentEncoding(field);
}

bool toInt(const QByteArray &field, int &out)
{
    bool ok = false;
    out = field.toInt(&ok);
    return ok;
}

bool toLong(const QByteArray &field, qint64 &out)
{
    bool ok = false;
    out = field.toLongLong(&ok);
    return ok;
}

QByteArray endWord(ScanOutcome::End end)
{
    switch (end) {
    case ScanOutcome::End::Finished: return "finished";
    case ScanOutcome::End::Cancelled: return "cancelled";
    case ScanOutcome::End::Failed: break;
    }
    return "failed";
}

// The formats a page's picture comes in (see ScanPage::image()).
bool isPageFormat(int format)
{
    switch (QImage::Format(format)) {
    case QImage::Format_Mono:
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
    case QImage::Format_RGB888:
    case QImage::Format_RGBX64: return true;
    default: return false;
    }
}

int bitsOf(QImage::Format format)
{
    switch (format) {
    case QImage::Format_Mono: return 1;
    case QImage::Format_Grayscale8: return 8;
    case QImage::Format_Grayscale16: return 16;
    case QImage::Format_RGB888: return 24;
    default: return 64;
    }
}

} // namespace

QByteArray pageLine(const ScanPageInfo &info)
{
    return "page\t" + QByteArray::number(info.page) + '\t' + QByteArray::number(info.width) + '\t'
           + QByteArray::number(info.height) + '\t' + QByteArray::number(info.depth) + '\t'
           + QByteArray::number(info.channels) + '\t' + (info.threePass ? "1" : "0") + '\t'
           + QByteArray::number(info.expectedBytes) + '\t' + QByteArray::number(info.resolution, 'g', 10) + '\n';
}

QByteArray readLine(int page, qint64 bytes)
{
    return "read\t" + QByteArray::number(page) + '\t' + QByteArray::number(bytes) + '\n';
}

QByteArray pictureLine(int page, const QString &file)
{
    return "picture\t" + QByteArray::number(page) + '\t' + encoded(file) + '\n';
}

QByteArray endLine(const ScanOutcome &outcome)
{
    return "end\t" + endWord(outcome.end) + '\t' + QByteArray::number(outcome.pages) + '\t' + encoded(outcome.message)
           + '\n';
}

std::optional<Message> parse(const QByteArray &line)
{
    const QList<QByteArray> f = line.split('\t');
    Message m;
    const QByteArray &kind = f[0];
    if (kind == "end" && f.size() == 4) {
        m.kind = Message::Kind::End;
        if (f[1] == "finished")
            m.outcome.end = ScanOutcome::End::Finished;
        else if (f[1] == "cancelled")
            m.outcome.end = ScanOutcome::End::Cancelled;
        else if (f[1] == "failed")
            m.outcome.end = ScanOutcome::End::Failed;
        else
            return std::nullopt;
        if (!toInt(f[2], m.outcome.pages))
            return std::nullopt;
        m.outcome.message = decoded(f[3]);
        return m;
    }
    if (f.size() < 2 || !toInt(f[1], m.info.page))
        return std::nullopt;
    if (kind == "page" && f.size() == 9) {
        m.kind = Message::Kind::Page;
        int threePass = 0;
        bool dpi = false;
        m.info.resolution = f[8].toDouble(&dpi);
        if (!toInt(f[2], m.info.width) || !toInt(f[3], m.info.height) || !toInt(f[4], m.info.depth)
            || !toInt(f[5], m.info.channels) || !toInt(f[6], threePass) || !toLong(f[7], m.info.expectedBytes) || !dpi)
            return std::nullopt;
        m.info.threePass = threePass != 0;
        return m;
    }
    if (kind == "read" && f.size() == 3) {
        m.kind = Message::Kind::Read;
        return toLong(f[2], m.bytes) ? std::optional(m) : std::nullopt;
    }
    if (kind == "picture" && f.size() == 3) {
        m.kind = Message::Kind::Picture;
        m.file = decoded(f[2]);
        return m.file.isEmpty() ? std::nullopt : std::optional(m);
    }
    return std::nullopt;
}

QStringList valueArguments(const QVariantMap &values)
{
    QStringList args;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        args << u"--value"_s
             << QString::fromLatin1(encoded(it.key()) + '=' + encoded(it.value().toString()));
    }
    return args;
}

QVariantMap valuesFrom(const QStringList &encodedValues)
{
    QVariantMap values;
    for (const QString &pair : encodedValues) {
        const qsizetype eq = pair.indexOf(u'=');
        if (eq <= 0)
            continue;
        values.insert(decoded(pair.left(eq).toLatin1()), decoded(pair.mid(eq + 1).toLatin1()));
    }
    return values;
}

bool writePicture(const QString &path, const QImage &image)
{
    if (image.isNull() || !isPageFormat(image.format()))
        return false;
    QByteArray header = QByteArray(kMagic) + ' ' + QByteArray::number(int(image.format())) + ' '
                        + QByteArray::number(image.width()) + ' ' + QByteArray::number(image.height()) + ' '
                        + QByteArray::number(image.bytesPerLine()) + ' ' + QByteArray::number(image.colorCount());
    for (QRgb c : image.colorTable())
        header += ' ' + QByteArray::number(c, 16);
    header += '\n';
    if (header.size() > kHeaderSize)
        return false;
    header.append(kHeaderSize - header.size(), ' ');
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const auto *bits = reinterpret_cast<const char *>(image.constBits());
    return file.write(header) == kHeaderSize && file.write(bits, image.sizeInBytes()) == image.sizeInBytes()
           && file.flush();
}

QImage readPicture(const QString &path)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly) || file->size() < kHeaderSize)
        return {};
    uchar *mapped = file->map(0, file->size());
    if (!mapped)
        return {};
    const QByteArray header = QByteArray(reinterpret_cast<const char *>(mapped), kHeaderSize);
    const QList<QByteArray> f = header.left(header.indexOf('\n')).split(' ');
    const QList<QByteArray> magic = QByteArray(kMagic).split(' ');
    if (f.size() < 7 || f[0] != magic[0] || f[1] != magic[1])
        return {};
    int format = 0, width = 0, height = 0, colours = 0;
    qint64 bytesPerLine = 0;
    if (!toInt(f[2], format) || !toInt(f[3], width) || !toInt(f[4], height) || !toLong(f[5], bytesPerLine)
        || !toInt(f[6], colours) || !isPageFormat(format) || width <= 0 || height <= 0 || width > kMaxSide
        || height > kMaxSide || colours < 0 || colours > 16 || f.size() != 7 + colours)
        return {};
    const qint64 rowBytes = (qint64(width) * bitsOf(QImage::Format(format)) + 7) / 8;
    if (bytesPerLine < rowBytes || bytesPerLine > std::numeric_limits<int>::max()
        || file->size() - kHeaderSize < bytesPerLine * height)
        return {};
    QList<QRgb> table;
    for (int i = 0; i < colours; ++i) {
        bool ok = false;
        table << QRgb(f[7 + i].toUInt(&ok, 16));
        if (!ok)
            return {};
    }
    QFile *held = file.release();
    // Read-only rows: a change to the picture copies it first.
    const uchar *rows = mapped + kHeaderSize;
    QImage image(rows, width, height, qsizetype(bytesPerLine), QImage::Format(format),
                 [](void *info) { delete static_cast<QFile *>(info); }, held);
    if (image.isNull()) {
        delete held;
        return {};
    }
    if (!table.isEmpty())
        image.setColorTable(table);
    return image;
}

} // namespace ScanHandOff
