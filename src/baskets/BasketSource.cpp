#include "BasketSource.h"

#include "users/UserAdmin.h"

using namespace Qt::Literals::StringLiterals;

QString BasketSource::receivedFilesTitle() { return u"Recived Files"_s; }

QString BasketSource::noIndexFile() { return u"non"_s; }

BasketSource BasketSource::receivedFiles(const QString &databaseFolder, const QString &storedUser)
{
    return ofFolder(receivedFilesTitle(), receivedFilesFolder(databaseFolder, storedUser));
}

BasketSource BasketSource::ofFolder(const QString &title, const QString &folder)
{
    return {title, folder, noIndexFile(), BasketContent::PicturesOrFiles};
}
