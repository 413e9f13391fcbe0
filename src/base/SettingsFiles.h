#pragma once

#include "Result.h"

#include <QString>

#include <array>

// One of the ten information feeds of "Agencies.dat".
struct FeedRecord
{
    enum Type { None = 0, File = 1, Images = 2, Text = 3 };

    qint32 number = 0;
    qint32 type = None;
    QString name;
    QString folder;
};

using FeedList = std::array<FeedRecord, 10>;

// The installation-wide settings files of the database folder. Every file is rewritten whole;
// a file that is missing or shorter than its size reads as zero bytes for what it lacks.
namespace SettingsFiles {

inline constexpr int kFeedCount = 10;
inline constexpr int kFeedRecordSize = 288;
inline constexpr int kFeedNameOffset = 8;
inline constexpr int kFeedNameSize = 80;
inline constexpr int kFeedFolderOffset = 88;
inline constexpr int kFeedFolderSize = 200;
inline constexpr int kCompanyFileSize = 560;

QString feedsPath(const QString &databaseFolder);       // Agencies.dat
QString companyPath(const QString &databaseFolder);     // SCons2.dat
QString unusedConsPath(const QString &databaseFolder);  // SCons.dat
QString seriesBudgetPath(const QString &databaseFolder); // CDSize.da~
QString seriesNumberPath(const QString &databaseFolder); // CDSer.da

FeedList parseFeeds(const QByteArray &bytes);
Result<QByteArray> composeFeeds(const FeedList &feeds);
FeedList readFeeds(const QString &databaseFolder);
Status writeFeeds(const QString &databaseFolder, const FeedList &feeds);

QString readCompanyName(const QString &databaseFolder);
Result<QByteArray> composeCompanyName(const QString &name);
Status writeCompanyName(const QString &databaseFolder, const QString &name);

// "SCons.dat" is made empty on every save; nothing reads it.
Status clearUnusedCons(const QString &databaseFolder);

qint32 readSeriesBudget(const QString &databaseFolder);
Status writeSeriesBudget(const QString &databaseFolder, qint32 bytes);
qint32 readSeriesNumber(const QString &databaseFolder);
Status writeSeriesNumber(const QString &databaseFolder, qint32 number);

// The feed type a type cell's text stands for: the first of "ملف", "صور", "نص" it contains.
qint32 feedTypeFromText(const QString &text);
// The type cell's text of a stored type; empty for any type that is not 1, 2 or 3.
QString feedTypeText(qint32 type);

} // namespace SettingsFiles
