// Code page 1256 and the fixed-record fields every settings and hand-off file is made of: a field
// is read inside its bounds whatever the offset and size, a text read from a field goes back into
// it as the same bytes, and decoding then encoding gives back the bytes.
#include "FuzzSupport.h"

#include "base/Cp1256.h"
#include "base/FixedRecord.h"

#include <QtEndian>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    // The first four bytes choose where the field lies in the rest.
    const qsizetype offset = qsizetype(data[0]) * 2 - 16;
    const qsizetype fieldSize = qsizetype(data[1]) + 1;
    const QByteArray record = Fuzz::bytesOf(data + 4, size - 4);

    const QString text = FixedRecord::textAt(record, std::max<qsizetype>(offset, 0), fieldSize);
    FUZZ_EXPECT(text.size() <= fieldSize);
    FUZZ_EXPECT(!text.contains(QChar(0)));
    const qint32 number = FixedRecord::int32At(record, offset);
    if (offset < 0 || offset + 4 > record.size())
        FUZZ_EXPECT(number == 0);
    else
        FUZZ_EXPECT(number == qFromLittleEndian<qint32>(record.constData() + offset));

    // Every byte but zero stands for a character, so a text read from a field encodes to the bytes
    // it was read from.
    const QByteArray raw = record.mid(std::max<qsizetype>(offset, 0), fieldSize);
    const QByteArray upToZero = raw.left(raw.indexOf('\0') < 0 ? raw.size() : raw.indexOf('\0'));
    const Result<QByteArray> encoded = Cp1256::encode(text);
    if (!text.contains(QChar(0xFFFD))) {
        FUZZ_EXPECT(encoded && *encoded == upToZero);
        FUZZ_EXPECT(Cp1256::encodeLossy(text) == upToZero);
    }

    // Putting the text back into a field of the same size changes only that field.
    QByteArray copy = record;
    const qsizetype at = std::max<qsizetype>(offset, 0);
    const Status put = FixedRecord::putText(copy, at, fieldSize + 1, text, QStringLiteral("field"));
    if (put) {
        FUZZ_EXPECT(FixedRecord::textAt(copy, at, fieldSize + 1) == text);
        FUZZ_EXPECT(copy.left(std::min(at, record.size())) == record.left(at));
        FUZZ_EXPECT(copy.mid(at + fieldSize + 1) == record.mid(at + fieldSize + 1));
    }

    // A number typed in the settings form: either refused as out of range, or a value that reads
    // back the same when written as decimal.
    const Result<qint32> typed = FixedRecord::parseInt32(text, QStringLiteral("field"));
    if (typed)
        FUZZ_EXPECT(FixedRecord::parseInt32(QString::number(*typed), QStringLiteral("field")).value() == *typed);
    else
        FUZZ_EXPECT(!typed.error().isEmpty());

    // Any Unicode text: the lossy form never fails and never writes a zero byte that was not there.
    const QString unicode = QString::fromUtf8(record);
    const QByteArray lossy = Cp1256::encodeLossy(unicode);
    FUZZ_EXPECT(lossy.count('\0') == unicode.count(QChar(0)));
    return 0;
}
