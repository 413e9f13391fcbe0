// The copier's journal "COM/fm.taken" and its failed list "COM/fm.failed", left by a copier that
// died: whatever they hold, they read as their whole records, in order, and the part of a record
// past the end is never read.
#include "FuzzSupport.h"

#include "cards/Copier.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Fuzz::bytesOf(data, size);
    const QString home = Fuzz::scratchFolder();
    QDir().mkpath(home + QStringLiteral("/COM"));
    const Copier copier(home, CopyHandOff::Copier::Archive);
    Fuzz::writeFile(copier.journalPath(), bytes);
    Fuzz::writeFile(copier.failedListPath(), bytes);

    const Result<QList<CopyOrder>> journal = Copier::readOrders(copier.journalPath());
    FUZZ_EXPECT(journal && journal->size() == bytes.size() / CopyOrder::kSize);
    const Result<QList<CopyOrder>> failed = CopyHandOff(home, CopyHandOff::Copier::Archive).failed();
    FUZZ_EXPECT(failed && failed->size() == journal->size());
    for (qsizetype i = 0; i < journal->size(); ++i) {
        const CopyOrder expected = CopyOrder::parse(bytes.mid(i * CopyOrder::kSize, CopyOrder::kSize));
        const CopyOrder &a = journal->at(i);
        const CopyOrder &b = failed->at(i);
        FUZZ_EXPECT(a.kind == expected.kind && a.prefix == expected.prefix && a.source == expected.source
                    && a.destination == expected.destination);
        FUZZ_EXPECT(b.kind == a.kind && b.prefix == a.prefix && b.source == a.source && b.destination == a.destination);
        // The card an order belongs to comes from its prefix alone and is never negative.
        FUZZ_EXPECT(Copier::cardOf(a, i > 0 ? &journal->at(i - 1) : nullptr) >= 0);
    }
    return 0;
}
