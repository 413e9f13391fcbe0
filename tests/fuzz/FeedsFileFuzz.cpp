// "Agencies.dat", the ten information feeds: any bytes read as ten records whose texts fit their
// fields, and records the file accepts read back the same.
#include "FuzzSupport.h"

#include "base/SettingsFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Fuzz::bytesOf(data, size);
    const FeedList feeds = SettingsFiles::parseFeeds(bytes);
    for (const FeedRecord &feed : feeds) {
        FUZZ_EXPECT(feed.name.size() <= SettingsFiles::kFeedNameSize);
        FUZZ_EXPECT(feed.folder.size() <= SettingsFiles::kFeedFolderSize);
        FUZZ_EXPECT(!feed.name.contains(QChar(0)) && !feed.folder.contains(QChar(0)));
    }
    // The type cell shows only the three known types; anything else shows empty and reads as none.
    for (const FeedRecord &feed : feeds) {
        const QString cell = SettingsFiles::feedTypeText(feed.type);
        if (feed.type >= FeedRecord::File && feed.type <= FeedRecord::Text)
            FUZZ_EXPECT(SettingsFiles::feedTypeFromText(cell) == feed.type);
        else
            FUZZ_EXPECT(cell.isEmpty());
    }

    const Result<QByteArray> composed = SettingsFiles::composeFeeds(feeds);
    if (!composed)
        return 0;
    FUZZ_EXPECT(composed->size() == SettingsFiles::kFeedCount * SettingsFiles::kFeedRecordSize);
    const FeedList again = SettingsFiles::parseFeeds(*composed);
    for (int i = 0; i < SettingsFiles::kFeedCount; ++i) {
        FUZZ_EXPECT(again[i].number == feeds[i].number);
        FUZZ_EXPECT(again[i].type == feeds[i].type);
        FUZZ_EXPECT(again[i].name == feeds[i].name);
        FUZZ_EXPECT(again[i].folder == feeds[i].folder);
    }
    // A record's bytes past its texts are zero: nothing of the old file survives a rewrite.
    const Result<QByteArray> twice = SettingsFiles::composeFeeds(again);
    FUZZ_EXPECT(twice && *twice == *composed);
    return 0;
}
