#include "ThumbnailCache.h"

#include "imaging/Thumbnail.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

ThumbnailCache::ThumbnailCache(QString folder, Maker maker)
    : m_folder(folder.isEmpty() ? defaultFolder() : std::move(folder))
    , m_maker(maker ? std::move(maker) : Maker(&Thumbnail::make))
{
}

QString ThumbnailCache::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + u"/thumbnails"_s;
}

QString ThumbnailCache::entryPath(const QString &path) const
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    const QString key = info.absoluteFilePath() + u'\n' + QString::number(info.size()) + u'\n'
                        + QString::number(info.lastModified().toMSecsSinceEpoch());
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex();
    return m_folder + u'/' + QString::fromLatin1(hash) + u".png"_s;
}

QImage ThumbnailCache::get(const QString &path) const
{
    const QString entry = entryPath(path);
    if (entry.isEmpty())
        return Thumbnail::compose({});

    QImage stored(entry);
    if (stored.size() == Thumbnail::kSize)
        return stored.convertToFormat(QImage::Format_RGB32);

    QImage made = m_maker(path);
    if (made.isNull())
        made = Thumbnail::compose({});
    // A cache that cannot be written only costs the next decode; the picture is still shown.
    if (QDir().mkpath(m_folder)) {
        QSaveFile file(entry);
        if (file.open(QIODevice::WriteOnly) && made.save(&file, "PNG"))
            file.commit();
    }
    return made;
}
