#include "SystemSettings.h"

#include "base/FixedRecord.h"

#include <QCoreApplication>

namespace {
struct SystemSettingsTr
{
    Q_DECLARE_TR_FUNCTIONS(SystemSettings)
};
} // namespace

SystemSettings SystemSettings::load(const QString &programFolder, const QString &db)
{
    SystemSettings s;
    s.feeds = SettingsFiles::readFeeds(db);
    s.companyName = SettingsFiles::readCompanyName(db);
    const PathsFile::Values paths = PathsFile::read(programFolder).values;
    s.databaseFolder = paths[PathsFile::DatabaseFolder];
    s.fileServerFolder = paths[PathsFile::FileServerFolder];
    s.scannerFolder = paths[PathsFile::ScannerFolder];
    s.faxFolder = paths[PathsFile::FaxFolder];
    s.spareFolder = paths[PathsFile::SpareFolder];
    s.markingMode = paths[PathsFile::MarkingMode];
    s.startDate = paths[PathsFile::StartDate];
    s.seriesBudget = QString::number(SettingsFiles::readSeriesBudget(db));
    s.seriesNumber = QString::number(SettingsFiles::readSeriesNumber(db));
    return s;
}

Status SystemSettings::save(const QString &programFolder, const QString &db) const
{
    FeedList numbered = feeds;
    for (int i = 0; i < SettingsFiles::kFeedCount; ++i)
        numbered[i].number = i + 1;

    PathsFile::Values paths;
    paths[PathsFile::DatabaseFolder] = PathsFile::storedFolder(programFolder, databaseFolder);
    paths[PathsFile::FileServerFolder] = PathsFile::storedFolder(programFolder, fileServerFolder);
    paths[PathsFile::ScannerFolder] = scannerFolder;
    paths[PathsFile::FaxFolder] = faxFolder;
    paths[PathsFile::SpareFolder] = spareFolder;
    paths[PathsFile::MarkingMode] = markingMode;
    paths[PathsFile::StartDate] = startDate;

    // Check everything first, so that a refused value leaves every file as it was.
    const Result<QByteArray> feedBytes = SettingsFiles::composeFeeds(numbered);
    if (!feedBytes)
        return Status::failure(feedBytes.error());
    const Result<QByteArray> companyBytes = SettingsFiles::composeCompanyName(companyName);
    if (!companyBytes)
        return Status::failure(companyBytes.error());
    const Result<QByteArray> pathBytes = PathsFile::compose(paths);
    if (!pathBytes)
        return Status::failure(pathBytes.error());
    const Result<qint32> budget = FixedRecord::parseInt32(seriesBudget, SystemSettingsTr::tr("حجم المعلومات لكل قرص"));
    if (!budget)
        return Status::failure(budget.error());
    const Result<qint32> series = FixedRecord::parseInt32(seriesNumber, SystemSettingsTr::tr("رقم القرص الحالي"));
    if (!series)
        return Status::failure(series.error());

    Status s = FixedRecord::writeWhole(SettingsFiles::feedsPath(db), *feedBytes);
    if (s)
        s = SettingsFiles::clearUnusedCons(db);
    if (s)
        s = FixedRecord::writeWhole(SettingsFiles::companyPath(db), *companyBytes);
    if (s)
        s = PathsFile::write(programFolder, paths);
    if (s)
        s = SettingsFiles::writeSeriesBudget(db, *budget);
    if (s)
        s = SettingsFiles::writeSeriesNumber(db, *series);
    return s;
}
