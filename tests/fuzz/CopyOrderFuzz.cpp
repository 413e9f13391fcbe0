// The copier's hand-off "COM/filelist.dat" with its count "COM/num.txt": whatever the two files
// hold, the copier takes exactly the whole records the count names, writes them to its journal
// as they were, and leaves an empty list with a count of 0; a record that is composed again
// reads back as the same order.
#include "FuzzSupport.h"

#include "cards/CopyOrder.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> files = Fuzz::parts(Fuzz::bytesOf(data, size), 2);
    const QByteArray &countText = files[0];
    const QByteArray &list = files[1];

    // One record on its own.
    const CopyOrder order = CopyOrder::parse(list.left(CopyOrder::kSize));
    FUZZ_EXPECT(order.prefix.size() <= CopyOrder::kPrefixSize);
    FUZZ_EXPECT(order.source.size() <= CopyOrder::kSourceSize);
    FUZZ_EXPECT(order.destination.size() <= CopyOrder::kDestinationSize);
    if (const Result<QByteArray> record = order.compose()) {
        FUZZ_EXPECT(record->size() == CopyOrder::kSize);
        const CopyOrder again = CopyOrder::parse(*record);
        FUZZ_EXPECT(again.kind == order.kind && again.prefix == order.prefix && again.source == order.source
                    && again.destination == order.destination);
    }

    const QString home = Fuzz::scratchFolder();
    QDir().mkpath(home + QStringLiteral("/COM"));
    const CopyHandOff handOff(home, CopyHandOff::Copier::Archive);
    Fuzz::writeFile(handOff.countPath(), countText);
    Fuzz::writeFile(handOff.listPath(), list);

    bool ok = false;
    const qint64 count = QString::fromLatin1(countText).trimmed().toLongLong(&ok);
    const qint64 expected = ok && count > 0 ? std::min<qint64>(count, list.size() / CopyOrder::kSize) : 0;

    const Result<QList<CopyOrder>> pending = handOff.pending();
    FUZZ_EXPECT(pending && pending->size() == expected);

    const QString journal = home + QStringLiteral("/COM/fm.taken");
    const Result<QList<CopyOrder>> taken = handOff.take(journal);
    FUZZ_EXPECT(taken && taken->size() == expected);
    if (expected > 0)
        FUZZ_EXPECT(Fuzz::readFile(journal).left(expected * CopyOrder::kSize) == list.left(expected * CopyOrder::kSize));
    FUZZ_EXPECT(Fuzz::readFile(handOff.countPath()) == "0");
    FUZZ_EXPECT(Fuzz::readFile(handOff.listPath()).isEmpty());
    const Result<QList<CopyOrder>> after = handOff.pending();
    FUZZ_EXPECT(after && after->isEmpty());

    // Orders appended behind a list the copier has not taken stay behind the waiting ones.
    if (pending && !pending->isEmpty()) {
        QList<CopyOrder> writable;
        for (const CopyOrder &o : *pending) {
            if (o.compose())
                writable.append(o);
        }
        if (!writable.isEmpty()) {
            FUZZ_EXPECT(handOff.append(writable));
            FUZZ_EXPECT(handOff.append({writable.first()}));
            const Result<QList<CopyOrder>> waiting = handOff.pending();
            FUZZ_EXPECT(waiting && waiting->size() == writable.size() + 1);
            FUZZ_EXPECT(waiting->last().source == writable.first().source);
        }
    }
    return 0;
}
