#include "SettingsFiles.h"

#include "FixedRecord.h"

#include <QCoreApplication>
#include <QFile>

namespace {

struct SettingsFilesTr
{
    Q_DECLARE_TR_FUNCTIONS(SettingsFiles)
};

QString typeFile() { return SettingsFilesTr::tr("ملف"); }
QString typeImages() { return SettingsFilesTr::tr("صور"); }
QString typeText() { return SettingsFilesTr::tr("نص"); }

Status writeInt32File(const QString &path, qint32 value)
{
    QByteArray bytes;
    FixedRecord::putInt32(bytes, 0, value);
    return FixedRecord::writeWhole(path, bytes);
}

// A four-byte number; a file that is missing or shorter than four bytes counts as 0.
qint32 readInt32File(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = file.read(4);
    return bytes.size() < 4 ? 0 : FixedRecord::int32At(bytes, 0);
}

} // namespace

namespace SettingsFiles {

QString feedsPath(const QString &db) { return db + QStringLiteral("/Agencies.dat"); }
QString companyPath(const QString &db) { return db + QStringLiteral("/SCons2.dat"); }
QString unusedConsPath(const QString &db) { return db + QStringLiteral("/SCons.dat"); }
QString seriesBudgetPath(const QString &db) { return db + QStringLiteral("/CDSize.da~"); }
QString seriesNumberPath(const QString &db) { return db + QStringLiteral("/CDSer.da"); }

FeedList parseFeeds(const QByteArray &raw)
{
    QByteArray bytes = raw.left(kFeedCount * kFeedRecordSize);
    bytes.append(QByteArray(kFeedCount * kFeedRecordSize - bytes.size(), '\0'));
    FeedList feeds;
    for (int i = 0; i < kFeedCount; ++i) {
        const QByteArray record = bytes.mid(i * kFeedRecordSize, kFeedRecordSize);
        FeedRecord &feed = feeds[i];
        feed.number = FixedRecord::int32At(record, 0);
        feed.type = FixedRecord::int32At(record, 4);
        feed.name = FixedRecord::textAt(record, kFeedNameOffset, kFeedNameSize);
        feed.folder = FixedRecord::textAt(record, kFeedFolderOffset, kFeedFolderSize);
    }
    return feeds;
}

Result<QByteArray> composeFeeds(const FeedList &feeds)
{
    QByteArray bytes;
    bytes.reserve(kFeedCount * kFeedRecordSize);
    for (int i = 0; i < kFeedCount; ++i) {
        const FeedRecord &feed = feeds[i];
        QByteArray record(kFeedRecordSize, '\0');
        FixedRecord::putInt32(record, 0, feed.number);
        FixedRecord::putInt32(record, 4, feed.type);
        const QString row = SettingsFilesTr::tr("المصدر %1").arg(i + 1);
        Status s = FixedRecord::putText(record, kFeedNameOffset, kFeedNameSize, feed.name,
                                        row + SettingsFilesTr::tr(" - الاسم"));
        if (s)
            s = FixedRecord::putText(record, kFeedFolderOffset, kFeedFolderSize, feed.folder,
                                     row + SettingsFilesTr::tr(" - المجلد"));
        if (!s)
            return Result<QByteArray>::failure(s.error());
        bytes.append(record);
    }
    return bytes;
}

FeedList readFeeds(const QString &db)
{
    return parseFeeds(FixedRecord::readPadded(feedsPath(db), kFeedCount * kFeedRecordSize));
}

Status writeFeeds(const QString &db, const FeedList &feeds)
{
    Result<QByteArray> bytes = composeFeeds(feeds);
    if (!bytes)
        return Status::failure(bytes.error());
    return FixedRecord::writeWhole(feedsPath(db), *bytes);
}

QString readCompanyName(const QString &db)
{
    return FixedRecord::textAt(FixedRecord::readPadded(companyPath(db), kCompanyFileSize), 0,
                               kCompanyFileSize);
}

Result<QByteArray> composeCompanyName(const QString &name)
{
    QByteArray bytes(kCompanyFileSize, '\0');
    Status s = FixedRecord::putText(bytes, 0, kCompanyFileSize, name, SettingsFilesTr::tr("اسم الشركة"));
    if (!s)
        return Result<QByteArray>::failure(s.error());
    return bytes;
}

Status writeCompanyName(const QString &db, const QString &name)
{
    Result<QByteArray> bytes = composeCompanyName(name);
    if (!bytes)
        return Status::failure(bytes.error());
    return FixedRecord::writeWhole(companyPath(db), *bytes);
}

Status clearUnusedCons(const QString &db)
{
    return FixedRecord::writeWhole(unusedConsPath(db), {});
}

qint32 readSeriesBudget(const QString &db)
{
    return readInt32File(seriesBudgetPath(db));
}

Status writeSeriesBudget(const QString &db, qint32 bytes)
{
    return writeInt32File(seriesBudgetPath(db), bytes);
}

qint32 readSeriesNumber(const QString &db)
{
    return readInt32File(seriesNumberPath(db));
}

Status writeSeriesNumber(const QString &db, qint32 number)
{
    return writeInt32File(seriesNumberPath(db), number);
}

qint32 feedTypeFromText(const QString &text)
{
    if (text.contains(typeFile()))
        return FeedRecord::File;
    if (text.contains(typeImages()))
        return FeedRecord::Images;
    if (text.contains(typeText()))
        return FeedRecord::Text;
    return FeedRecord::None;
}

QString feedTypeText(qint32 type)
{
    switch (type) {
    case FeedRecord::File: return typeFile();
    case FeedRecord::Images: return typeImages();
    case FeedRecord::Text: return typeText();
    default: return {};
    }
}

} // namespace SettingsFiles
