#include "FolderSheetLoader.h"

#include "base/FileKinds.h"
#include "base/JoinedPath.h"
#include "baskets/Transfer.h"
#include "imaging/Thumbnail.h"

#include <QHash>

using namespace Qt::Literals::StringLiterals;

QString FolderSheetLoader::extensionOf(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1);
}

bool FolderSheetLoader::isPictureExtension(const QString &extension) { return FileKinds::isBrowserPicture(extension); }

QString FolderSheetLoader::iconFile(const QString &extension) { return FileKinds::browserIcon(extension); }

FolderSheetLoader::FolderSheetLoader(QString programFolder, QObject *parent)
    : QObject(parent), m_program(std::move(programFolder)), m_loader(new BackgroundLoader(this))
{
    connect(m_loader, &BackgroundLoader::finished, this, &FolderSheetLoader::finished);
}

FolderSheetLoader::~FolderSheetLoader() { stop(); }

bool FolderSheetLoader::isRunning() const { return m_loader->isRunning(); }

bool FolderSheetLoader::stop() { return m_loader->stop(BackgroundLoader::Pending::Drop, kStopWaitMs); }

void FolderSheetLoader::start(const QString &folder)
{
    m_loader->start([folder, program = m_program, loader = this](const BackgroundLoader::Run &run) {
        const QStringList names = listFolderFiles(folder);
        run.deliver([loader, names] { Q_EMIT loader->listed(names); });
        // Most files that are not pictures share a few icons; each is decoded once per run.
        QHash<QString, QImage> icons;
        const auto iconThumbnail = [&](const QString &icon) {
            auto it = icons.constFind(icon);
            if (it == icons.constEnd())
                it = icons.insert(icon, Thumbnail::make(program + icon));
            return *it;
        };
        // The filler cells after the last file stand for no file and stay empty.
        const qsizetype cells = std::min<qsizetype>(names.size(), kThumbnailSlots);
        for (qsizetype s = 0; s < cells; ++s) {
            if (run.stopRequested())
                break;
            const QString &name = names.at(s);
            const QString extension = extensionOf(name);
            const QImage image = isPictureExtension(extension) ? Thumbnail::make(joinedPath(folder, name))
                                                               : iconThumbnail(iconFile(extension));
            run.deliver([loader, slot = int(s), image] { Q_EMIT loader->thumbnail(slot, image); });
        }
    });
}
