#include "FixedRecord.h"

#include "Cp1256.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

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
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        return Status::failure(FixedRecordTr::tr("تعذرت كتابة الملف %1: %2")
                                   .arg(QFileInfo(path).fileName(), file.errorString()));
    }
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
