#pragma once

#include "base/BackgroundLoader.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

// Lists one folder and makes the thumbnails of its sheet on a thread of its own: every file as a
// cell, four to a row, in reading order; the cells past the last file of a row are fillers without
// a thumbnail. The names come first, then one thumbnail per file, to the thread that owns the
// loader.
class FolderSheetLoader : public QObject
{
    Q_OBJECT

public:
    static constexpr int kColumns = 4;
    static constexpr int kThumbnailSlots = 2000;
    static constexpr int kStopWaitMs = BackgroundLoader::kStopWaitMs;

    // The icons of files that are not pictures are read under the program folder.
    explicit FolderSheetLoader(QString programFolder, QObject *parent = nullptr);
    ~FolderSheetLoader() override;

    // Lists the folder again and makes its thumbnails; a running load is stopped first and what it
    // still sends is dropped.
    void start(const QString &folder);
    // Asks the load to stop and waits for it, at most kStopWaitMs; what it has not handed over yet
    // is dropped. True when it has ended.
    bool stop();
    bool isRunning() const;

    // The text after the last "."; empty when there is none.
    static QString extensionOf(const QString &name);
    // Whether the sheet shows the file itself (the extension as written).
    static bool isPictureExtension(const QString &extension);
    // The icon under the program folder for a file that is not a picture ("/COM/ICONS/...").
    static QString iconFile(const QString &extension);

signals:
    void listed(const QStringList &names);
    void thumbnail(int slot, const QImage &image);
    void finished();

private:
    QString m_program;
    BackgroundLoader *m_loader;
};
