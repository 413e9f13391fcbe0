// The settings form's files as found in a database folder: Agencies.dat, SCons2.dat, CDSize.da~,
// CDSer.da and the paths file. Whatever they hold, loading never fails, and saving what was loaded
// either refuses and writes nothing, or writes files that load as the same values.
#include "FuzzSupport.h"

#include "app/SystemSettings.h"
#include "base/PathsFile.h"
#include "base/SettingsFiles.h"

#include <QDir>

namespace {

bool sameFeeds(const FeedList &a, const FeedList &b)
{
    for (int i = 0; i < SettingsFiles::kFeedCount; ++i) {
        if (a[i].type != b[i].type || a[i].name != b[i].name || a[i].folder != b[i].folder)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> files = Fuzz::parts(Fuzz::bytesOf(data, size), 5);
    const QString home = Fuzz::scratchFolder();
    const QString db = home + QStringLiteral("/DataBase");
    QDir().mkpath(db);
    QDir().mkpath(home + QStringLiteral("/COM"));
    Fuzz::writeFile(SettingsFiles::feedsPath(db), files[0]);
    Fuzz::writeFile(SettingsFiles::companyPath(db), files[1]);
    Fuzz::writeFile(SettingsFiles::seriesBudgetPath(db), files[2]);
    Fuzz::writeFile(SettingsFiles::seriesNumberPath(db), files[3]);
    Fuzz::writeFile(PathsFile::path(home), files[4]);

    const SystemSettings loaded = SystemSettings::load(home, db);
    FUZZ_EXPECT(loaded.companyName.size() <= SettingsFiles::kCompanyFileSize);
    bool numeric = false;
    loaded.seriesBudget.toInt(&numeric);
    FUZZ_EXPECT(numeric);
    loaded.seriesNumber.toInt(&numeric);
    FUZZ_EXPECT(numeric);

    const QByteArray before = Fuzz::readFile(SettingsFiles::feedsPath(db)) + Fuzz::readFile(PathsFile::path(home))
                              + Fuzz::readFile(SettingsFiles::companyPath(db));
    const Status saved = loaded.save(home, db);
    if (!saved) {
        // A refused value writes nothing at all.
        const QByteArray after = Fuzz::readFile(SettingsFiles::feedsPath(db)) + Fuzz::readFile(PathsFile::path(home))
                                 + Fuzz::readFile(SettingsFiles::companyPath(db));
        FUZZ_EXPECT(after == before);
        FUZZ_EXPECT(!saved.error().isEmpty());
        return 0;
    }
    const SystemSettings again = SystemSettings::load(home, db);
    FUZZ_EXPECT(again.companyName == loaded.companyName);
    FUZZ_EXPECT(sameFeeds(again.feeds, loaded.feeds));
    FUZZ_EXPECT(again.seriesBudget == loaded.seriesBudget);
    FUZZ_EXPECT(again.seriesNumber == loaded.seriesNumber);
    FUZZ_EXPECT(again.scannerFolder == loaded.scannerFolder);
    FUZZ_EXPECT(again.faxFolder == loaded.faxFolder);
    FUZZ_EXPECT(again.spareFolder == loaded.spareFolder);
    FUZZ_EXPECT(again.markingMode == loaded.markingMode);
    FUZZ_EXPECT(again.startDate == loaded.startDate);
    // Feed numbers are written as the row numbers.
    for (int i = 0; i < SettingsFiles::kFeedCount; ++i)
        FUZZ_EXPECT(again.feeds[i].number == i + 1);
    return 0;
}
