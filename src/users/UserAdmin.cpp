#include "UserAdmin.h"

#include "PasswordHash.h"
#include "base/AppState.h"
#include "db/ClassPath.h"
#include "db/CUserSet.h"

#include <QCoreApplication>
#include <QDir>

namespace {
struct Translate
{
    Q_DECLARE_TR_FUNCTIONS(UserAdmin)
};
} // namespace

QString receivedFilesFolder(const QString &databaseFolder, const QString &userName)
{
    return databaseFolder + QStringLiteral("/USERS/") + userName;
}

Result<qint32> addUser(const Database &db, const NewUser &user)
{
    const QString name = user.name.trimmed();
    if (name.isEmpty())
        return Result<qint32>::failure(Translate::tr("اسم المستخدم فارغ"));
    if (name.contains(u'/') || name == u"." || name == u"..")
        return Result<qint32>::failure(Translate::tr("اسم المستخدم لا يصلح اسما لمجلد: %1").arg(name));

    Result<QString> hash = PasswordHash::make(user.password);
    if (!hash)
        return Result<qint32>::failure(hash.error());

    UserRow row;
    row.user = name;
    row.password = *hash;
    row.classAccess = ClassPath::make(user.classCodes);
    const qint32 right = user.allRights ? kGranted : 0;
    for (qint32 *code : {&row.FilesBask, &row.ScanneBask, &row.FaxBask, &row.constant, &row.classes, &row.docser,
                         &row.fileser, &row.docnew, &row.docadd, &row.docdel, &row.docmod, &row.printjob, &row.partyStage,
                         &row.printingStage, &row.bindingStage, &row.warehouseStage, &row.newJob, &row.editJob, &row.finishJob, &row.deleteJob})
        *code = right;

    Result<qint32> id = CUserSet(db).insert(row);
    if (!id)
        return id;
    const QString folder = receivedFilesFolder(db.folder(), name);
    if (!QDir().mkpath(folder)) {
        return Result<qint32>::failure(
            Translate::tr("أضيف المستخدم لكن تعذر انشاء مجلد الملفات الواردة %1").arg(QDir::toNativeSeparators(folder)));
    }
    return id;
}
