#include "SystemSettings.h"

#include "base/FixedRecord.h"

#include <QCoreApplication>
#include <QDir>

using namespace Qt::Literals::StringLiterals;

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

    QByteArray budgetBytes, seriesBytes;
    FixedRecord::putInt32(budgetBytes, 0, *budget);
    FixedRecord::putInt32(seriesBytes, 0, *series);
    QDir().mkpath(programFolder + u"/COM"_s);
    // All six or none: a save cut short must not leave the new feeds beside the old paths.
    return FixedRecord::writeAllOrNothing(PathsFile::settingsJournalPath(programFolder),
                                          {{SettingsFiles::feedsPath(db), *feedBytes},
                                           {SettingsFiles::unusedConsPath(db), {}},
                                           {SettingsFiles::companyPath(db), *companyBytes},
                                           {PathsFile::path(programFolder), *pathBytes},
                                           {SettingsFiles::seriesBudgetPath(db), budgetBytes},
                                           {SettingsFiles::seriesNumberPath(db), seriesBytes}});
}
