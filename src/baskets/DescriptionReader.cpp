#include "DescriptionReader.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace DescriptionReader {

namespace {

constexpr char kZeroStandIn = '@';
constexpr unsigned char kFirstPrintable = 31;
constexpr unsigned char kLastPrintable = 127;

} // namespace

QByteArray printableWindow(const QByteArray &readBytes)
{
    QByteArray kept;
    kept.reserve(kMaxKept);
    const int end = std::min<qsizetype>(readBytes.size(), kEndScanned);
    for (int i = kFirstScanned; i < end && kept.size() < kMaxKept; ++i) {
        const char c = readBytes.at(i) == '\0' ? kZeroStandIn : readBytes.at(i);
        const auto value = static_cast<unsigned char>(c);
        if (value >= kFirstPrintable && value <= kLastPrintable)
            kept.append(c);
    }
    return kept;
}

QString descriptionInText(const QByteArray &printable)
{
    const QByteArray marker(kMarker);
    const qsizetype at = printable.indexOf(marker);
    if (at < 0)
        return {};
    const QByteArray rest = printable.mid(at + marker.size());
    const qsizetype end = rest.indexOf(kZeroStandIn, kMinLength);
    // Only bytes 31 to 127 are left, all of them Latin-1.
    return QString::fromLatin1(end < 0 ? rest : rest.left(end));
}

QString descriptionInFile(const QByteArray &fileBytes)
{
    return descriptionInText(printableWindow(fileBytes.mid(kReadOffset, kReadLength)));
}

QString readDescription(const QString &path, Form form)
{
    if (form == Form::Display && !path.contains(u".jpg"_s, Qt::CaseSensitive))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    if (!file.seek(kReadOffset))
        return {};
    return descriptionInText(printableWindow(file.read(kReadLength)));
}

} // namespace DescriptionReader
