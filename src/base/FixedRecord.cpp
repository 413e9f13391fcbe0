#include "FixedRecord.h"

#include "Cp1256.h"
#include "FileDescriptor.h"
#include "SystemError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <limits>

namespace {
struct FixedRecordTr
{
    Q_DECLARE_TR_FUNCTIONS(FixedRecord)
};
} // namespace

namespace FixedRecord {

QByteArray readPadded(const QString &path, qsizetype size)
{
    QByteArray bytes;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        bytes = file.read(size);
    if (bytes.size() < size)
        bytes.append(QByteArray(size - bytes.size(), '\0'));
    return bytes;
}

Status writeWhole(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !commitWhole(file)) {
        return Status::failure(FixedRecordTr::tr("تعذرت كتابة الملف %1: %2")
                                   .arg(QFileInfo(path).fileName(), fileErrorText(file)));
    }
    return {};
}

namespace {

// The journal's last line once every new content is written whole.
const QByteArray kCommitted = QByteArrayLiteral("commit\n");

QString pendingPath(const QString &path)
{
    return path + QStringLiteral(".new");
}

// The folder of the file, synced so that its new names last through a power cut.
void syncFolderOf(const QString &path)
{
    syncFolder(QFileInfo(path).absolutePath());
}

} // namespace

Status writeAllOrNothing(const QString &journal, const QList<FileContent> &files)
{
    if (Status s = finishWrites(journal); !s)
        return s;
    QByteArray names;
    for (const FileContent &file : files)
        names += file.path.toUtf8() + '\n';
    // Named first, so that new contents a dead writer leaves before its commit are removed.
    if (Status s = writeWhole(journal, names); !s)
        return s;
    for (const FileContent &file : files) {
        if (Status s = writeWhole(pendingPath(file.path), file.bytes); !s) {
            finishWrites(journal);
            return s;
        }
    }
    if (Status s = writeWhole(journal, names + kCommitted); !s) {
        finishWrites(journal);
        return s;
    }
    syncFolderOf(journal);
    return finishWrites(journal);
}

Status finishWrites(const QString &journal)
{
    QFile list(journal);
    if (!list.exists())
        return {};
    if (!list.open(QIODevice::ReadOnly))
        return Status::failure(FixedRecordTr::tr("تعذرت قراءة الملف %1: %2").arg(QFileInfo(journal).fileName(), fileErrorText(list)));
    const QByteArray text = list.readAll();
    list.close();
    const bool committed = text.endsWith(kCommitted);
    for (const QByteArray &name : text.split('\n')) {
        if (name.isEmpty() || name + '\n' == kCommitted)
            continue;
        const QString path = QString::fromUtf8(name);
        const QString pending = pendingPath(path);
        // Renamed already by a writer that died before it removed the journal.
        if (!QFileInfo::exists(pending))
            continue;
        if (!committed) {
            QFile::remove(pending);
            continue;
        }
        if (::rename(QFile::encodeName(pending).constData(), QFile::encodeName(path).constData()) != 0) {
            return Status::failure(FixedRecordTr::tr("تعذرت كتابة الملف %1: %2")
                                       .arg(QFileInfo(path).fileName(), lastSystemErrorText()));
        }
        syncFolderOf(path);
    }
    if (!QFile::remove(journal))
        return Status::failure(FixedRecordTr::tr("تعذر حذف الملف %1").arg(QFileInfo(journal).fileName()));
    syncFolderOf(journal);
    return {};
}

qint32 int32At(const QByteArray &record, qsizetype offset)
{
    if (offset < 0 || offset + 4 > record.size())
        return 0;
    return qFromLittleEndian<qint32>(record.constData() + offset);
}

void putInt32(QByteArray &record, qsizetype offset, qint32 value)
{
    if (record.size() < offset + 4)
        record.append(QByteArray(offset + 4 - record.size(), '\0'));
    qToLittleEndian<qint32>(value, record.data() + offset);
}

QString textAt(const QByteArray &record, qsizetype offset, qsizetype size)
{
    if (offset >= record.size())
        return {};
    const QByteArray field = record.mid(offset, size);
    const qsizetype end = field.indexOf('\0');
    return Cp1256::decode(end < 0 ? field : field.left(end));
}

Result<QByteArray> encodeField(const QString &text, qsizetype maxBytes, const QString &fieldName)
{
    Result<QByteArray> encoded = Cp1256::encode(text);
    if (!encoded)
        return Result<QByteArray>::failure(QStringLiteral("%1: %2").arg(fieldName, encoded.error()));
    if (encoded->size() > maxBytes) {
        return Result<QByteArray>::failure(
            FixedRecordTr::tr("النص في \"%1\" أطول من المسموح: %2 بايت والحد %3 بايت")
                .arg(fieldName)
                .arg(encoded->size())
                .arg(maxBytes));
    }
    return encoded;
}

Status putText(QByteArray &record, qsizetype offset, qsizetype size, const QString &text,
               const QString &fieldName)
{
    Result<QByteArray> encoded = encodeField(text, size - 1, fieldName);
    if (!encoded)
        return Status::failure(encoded.error());
    if (record.size() < offset + size)
        record.append(QByteArray(offset + size - record.size(), '\0'));
    char *field = record.data() + offset;
    std::fill(field, field + size, '\0');
    std::copy(encoded->cbegin(), encoded->cend(), field);
    return {};
}

Result<qint32> parseInt32(const QString &text, const QString &fieldName)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        // Arabic-Indic digits count as digits too: the form may be typed with an Arabic keyboard.
        const int digit = text.at(i).digitValue();
        if (digit < 0)
            break;
        value = value * 10 + digit;
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            break;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<qint32>::max() || value < std::numeric_limits<qint32>::min()) {
        return Result<qint32>::failure(
            FixedRecordTr::tr("القيمة في \"%1\" خارج الحدود المسموحة (حتى %2)")
                .arg(fieldName)
                .arg(std::numeric_limits<qint32>::max()));
    }
    return qint32(value);
}

} // namespace FixedRecord
