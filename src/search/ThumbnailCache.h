#pragma once

#include <QImage>
#include <QString>

#include <functional>

// Thumbnails kept on disk between runs, so that a report opened again shows its pictures without
// decoding the files again. An entry is named by a hash of the file's absolute path, size and
// modification time: a changed file gets a new entry, and an old entry is simply never asked for
// again.
//
// The object holds no mutable state; any number of threads may call get() at once, each writing
// an entry through a temporary file that is renamed into place.
class ThumbnailCache
{
public:
    using Maker = std::function<QImage(const QString &path)>;

    // folder empty: "thumbnails" under the user's cache folder. maker empty: Thumbnail::make.
    explicit ThumbnailCache(QString folder = {}, Maker maker = {});

    const QString &folder() const { return m_folder; }

    // The thumbnail of the file: the stored one when the file is unchanged, otherwise a new one,
    // which is stored. A file that is not there gives the empty framed box and stores nothing.
    QImage get(const QString &path) const;

    // Where the entry of the file as it is now would be stored; empty when the file is not there.
    QString entryPath(const QString &path) const;

    static QString defaultFolder();

private:
    QString m_folder;
    Maker m_maker;
};
