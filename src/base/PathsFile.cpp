#include "PathsFile.h"

#include "FixedRecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

namespace {

struct PathsFileTr
{
    Q_DECLARE_TR_FUNCTIONS(PathsFile)
};

QByteArray terminatorOf(int slot)
{
    return slot == PathsFile::StartDate ? QByteArrayLiteral("***") : QByteArrayLiteral("*");
}

QString slotCaption(int slot)
{
    switch (slot) {
    case PathsFile::DatabaseFolder: return PathsFileTr::tr("مخدم البيانات");
    case PathsFile::FileServerFolder: return PathsFileTr::tr("خادم الملفات");
    case PathsFile::ScannerFolder: return PathsFileTr::tr("مجلد السكانر");
    case PathsFile::FaxFolder: return PathsFileTr::tr("مجلد الفاكسات");
    case PathsFile::MarkingMode: return PathsFileTr::tr("تأشير الملفات المؤرشفة");
    case PathsFile::StartDate: return PathsFileTr::tr("تاريخ بداية الارشيف");
    default: return PathsFileTr::tr("الحقل %1").arg(slot);
    }
}

} // namespace

QString PathsFile::path(const QString &programFolder)
{
    return programFolder + QStringLiteral("/COM/pathes.txt");
}

int PathsFile::maxValueBytes(int slot)
{
    return kSlotSize - int(terminatorOf(slot).size()) - 1;
}

PathsFile::Contents PathsFile::parse(const QByteArray &raw)
{
    QByteArray bytes = raw.left(kFileSize);
    if (bytes.size() < kFileSize)
        bytes.append(QByteArray(kFileSize - bytes.size(), '\0'));

    Contents contents;
    contents.firstRun = bytes.at(0) == '\0';
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const QByteArray field = bytes.mid(slot * kSlotSize, kSlotSize);
        const qsizetype zero = field.indexOf('\0');
        const QByteArray text = zero < 0 ? field : field.left(zero);
        const qsizetype star = text.indexOf('*');
        contents.values[slot] = star < 0 ? QString() : FixedRecord::textAt(text.left(star), 0, star);
    }
    return contents;
}

Result<QByteArray> PathsFile::compose(const Values &values)
{
    QByteArray bytes(kFileSize, '\0');
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const QString &value = values[slot];
        if (value.contains(u'*')) {
            return Result<QByteArray>::failure(
                PathsFileTr::tr("لا يجوز أن يحوي \"%1\" الحرف *").arg(slotCaption(slot)));
        }
        Result<QByteArray> encoded = FixedRecord::encodeField(value, maxValueBytes(slot), slotCaption(slot));
        if (!encoded)
            return Result<QByteArray>::failure(encoded.error());
        const QByteArray field = *encoded + terminatorOf(slot);
        std::copy(field.cbegin(), field.cend(), bytes.begin() + slot * kSlotSize);
    }
    return bytes;
}

PathsFile::Contents PathsFile::read(const QString &programFolder)
{
    return parse(FixedRecord::readPadded(path(programFolder), kFileSize));
}

QString PathsFile::settingsJournalPath(const QString &programFolder)
{
    return programFolder + QStringLiteral("/COM/settings.journal");
}

Status PathsFile::write(const QString &programFolder, const Values &values)
{
    Result<QByteArray> bytes = compose(values);
    if (!bytes)
        return Status::failure(bytes.error());
    QDir().mkpath(programFolder + QStringLiteral("/COM"));
    return FixedRecord::writeWhole(path(programFolder), *bytes);
}

QString PathsFile::storedFolder(const QString &programFolder, const QString &folder)
{
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        return folder;
    const QString home = QDir::cleanPath(QDir(programFolder).absolutePath());
    const QString target = QDir::cleanPath(folder);
    if (target != home && !target.startsWith(home + u'/'))
        return folder;
    const QString relative = QDir(home).relativeFilePath(target);
    return relative.isEmpty() ? QStringLiteral(".") : relative;
}

QString PathsFile::resolvedFolder(const QString &programFolder, const QString &value)
{
    if (value.isEmpty() || QDir::isAbsolutePath(value))
        return value;
    return QDir::cleanPath(QDir(programFolder).absoluteFilePath(value));
}

QString PathsFile::formatStartDate(QDate date)
{
    return QStringLiteral("%1/%2/%3").arg(date.day()).arg(date.month()).arg(date.year());
}

std::optional<QDate> PathsFile::parseStartDate(const QString &text)
{
    const QStringList parts = text.trimmed().split(u'/');
    if (parts.size() != 3)
        return std::nullopt;
    bool okDay = false, okMonth = false, okYear = false;
    const QDate date(parts[2].toInt(&okYear), parts[1].toInt(&okMonth), parts[0].toInt(&okDay));
    if (!okDay || !okMonth || !okYear || !date.isValid())
        return std::nullopt;
    return date;
}
