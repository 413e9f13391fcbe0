// A feed's index file (.idx), written by an outside program: any record reads without going past
// its 400 bytes, a name that would lead out of the feed folder gives no path, and a record the
// writer would accept reads back as the same sequence and name.
#include "FuzzSupport.h"

#include "baskets/FeedIndex.h"

#include <QDir>
#include <QFileInfo>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Fuzz::bytesOf(data, size);
    const IndexRecord record = FeedIndex::parseRecord(bytes);
    FUZZ_EXPECT(record.name.size() < FeedIndex::kNameCapacity);
    FUZZ_EXPECT(!record.name.contains(QChar(0)));

    const QString folder = QStringLiteral("/feeds/scans");
    const FeedIndex index(folder, QStringLiteral("scans.idx"));
    const QString path = index.itemPath(record);
    if (!path.isEmpty()) {
        // The item is a file directly inside the feed folder, whatever its name holds.
        FUZZ_EXPECT(QFileInfo(path).path() == folder);
        FUZZ_EXPECT(QDir::cleanPath(path) == path);
        FUZZ_EXPECT(QFileInfo(path).fileName() == record.name);
    }

    const Result<QByteArray> composed = FeedIndex::composeRecord(record.sequence, record.name);
    if (composed) {
        // What the writer accepts always names a file inside the folder.
        FUZZ_EXPECT(!path.isEmpty());
        FUZZ_EXPECT(composed->size() == FeedIndex::kRecordSize);
        const IndexRecord again = FeedIndex::parseRecord(*composed);
        FUZZ_EXPECT(again.sequence == record.sequence && again.name == record.name);
    }

    // The same bytes as an index file: the count is its whole records only, and every one of them
    // reads as the record parsed from its bytes.
    const QString feed = Fuzz::scratchFolder();
    const FeedIndex file(feed, QStringLiteral("feed.idx"));
    Fuzz::writeFile(file.indexPath(), bytes);
    RetryingOpener opener(0);
    const int count = file.recordCount(opener);
    FUZZ_EXPECT(count == int(bytes.size() / FeedIndex::kRecordSize));
    for (int i = 0; i < std::min(count, 4); ++i) {
        const std::optional<IndexRecord> read = file.record(i, opener);
        FUZZ_EXPECT(read.has_value());
        const IndexRecord expected = FeedIndex::parseRecord(bytes.mid(qsizetype(i) * FeedIndex::kRecordSize,
                                                                      FeedIndex::kRecordSize));
        FUZZ_EXPECT(read->sequence == expected.sequence && read->name == expected.name);
    }
    FUZZ_EXPECT(!file.record(count, opener).has_value());
    FUZZ_EXPECT(!file.record(-1, opener).has_value());

    // A text item in the feed reads whatever its bytes, cut at the limit.
    Fuzz::writeFile(feed + QStringLiteral("/item.txt"), bytes);
    const Result<QString> text = FeedItems::readText(feed + QStringLiteral("/item.txt"), opener);
    FUZZ_EXPECT(text && text->size() <= bytes.size());
    return 0;
}
