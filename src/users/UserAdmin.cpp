#include "UserAdmin.h"

#include "PasswordHash.h"
#include "base/AppState.h"
#include "db/CUserSet.h"
#include "db/ScopedTransaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

struct UserAdminTr
{
    Q_DECLARE_TR_FUNCTIONS(UserAdmin)
};

constexpr std::array<UserPermission, kRightCount> kRights{{
    {u"ScanneBask", &UserRow::ScanneBask},
    {u"FaxBask", &UserRow::FaxBask},
    {u"FilesBask", &UserRow::FilesBask},
    {u"constant", &UserRow::constant},
    {u"classes", &UserRow::classes},
    {u"docser", &UserRow::docser},
    {u"fileser", &UserRow::fileser},
    {u"docadd", &UserRow::docadd},
    {u"docmod", &UserRow::docmod},
    {u"docdel", &UserRow::docdel},
    {u"docnew", &UserRow::docnew},
    {u"printjob", &UserRow::printjob},
}};

constexpr std::array<UserPermission, kWorkflowCount> kWorkflow{{
    {u"ex1", &UserRow::partyStage},
    {u"ex2", &UserRow::printingStage},
    {u"ex3", &UserRow::bindingStage},
    {u"ex4", &UserRow::warehouseStage},
    {u"ex5", &UserRow::newJob},
    {u"ex6", &UserRow::editJob},
    {u"ex7", &UserRow::finishJob},
    {u"ex8", &UserRow::deleteJob},
}};

QString cleanName(const QString &typed)
{
    return typed.trimmed();
}

// The name becomes a folder under USERS: it must be one folder, not a path.
Status checkName(const QString &name)
{
    if (name.isEmpty())
        return Status::refused(UserAdminTr::tr("اسم المستخدم فارغ"));
    // The name becomes the user's received-files folder: no "/", no zero character, not "." or
    // "..", and no longer than a folder name may be.
    constexpr qsizetype kLongestFolderName = 255;
    if (name.contains(u'/') || name.contains(QChar(0)) || name == u"." || name == u".."
        || QFile::encodeName(name).size() > kLongestFolderName)
        return Status::refused(UserAdminTr::tr("اسم المستخدم لا يصلح اسما لمجلد: %1").arg(name));
    return {};
}

// Everything of the form but the name and the password.
void applyPermissions(UserRow &row, const UserForm &form)
{
    for (int i = 0; i < kRightCount; ++i)
        row.*kRights[i].member = form.rights[i] ? kGranted : 0;
    for (int i = 0; i < kWorkflowCount; ++i)
        row.*kWorkflow[i].member = form.workflow[i] ? kGranted : 0;
    row.classAccess = accessListOf(form.classCodes);
}

// Moves the received-files folder along with a rename, so the files sent to the user stay
// theirs. A folder of the new name that exists already is kept as it is and nothing is written
// over; the new folder is made when there was none.
Status moveReceivedFiles(const QString &databaseFolder, const QString &from, const QString &to)
{
    const QString oldFolder = receivedFilesFolder(databaseFolder, from);
    const QString newFolder = receivedFilesFolder(databaseFolder, to);
    if (oldFolder == newFolder || QFileInfo(newFolder).isDir())
        return {};
    QDir dir;
    if (QFileInfo(oldFolder).isDir() ? dir.rename(oldFolder, newFolder) : dir.mkpath(newFolder))
        return {};
    return Status::failure(UserAdminTr::tr("تعذر نقل مجلد الملفات الواردة %1 الى %2")
                               .arg(QDir::toNativeSeparators(oldFolder), QDir::toNativeSeparators(newFolder)));
}

} // namespace

const std::array<UserPermission, kRightCount> &userRights()
{
    return kRights;
}

QString rightCaption(int index)
{
    static const char *const captions[kRightCount] = {
        QT_TRANSLATE_NOOP("UserAdmin", "السكانر"),
        QT_TRANSLATE_NOOP("UserAdmin", "فتح محتوى المعلومات"),
        QT_TRANSLATE_NOOP("UserAdmin", "المستخدمين"),
        QT_TRANSLATE_NOOP("UserAdmin", "الثوابت"),
        QT_TRANSLATE_NOOP("UserAdmin", "التصنيفات"),
        QT_TRANSLATE_NOOP("UserAdmin", "بحث عن وثائق"),
        QT_TRANSLATE_NOOP("UserAdmin", "بحث عن ملفات"),
        QT_TRANSLATE_NOOP("UserAdmin", "اضافة وثيقة"),
        QT_TRANSLATE_NOOP("UserAdmin", "تعديل وثيقة"),
        QT_TRANSLATE_NOOP("UserAdmin", "حذف وثيقة"),
        QT_TRANSLATE_NOOP("UserAdmin", "وثيقة جديدة"),
        QT_TRANSLATE_NOOP("UserAdmin", "تمكين الطباعة"),
    };
    return index >= 0 && index < kRightCount ? UserAdminTr::tr(captions[index]) : QString();
}

const std::array<UserPermission, kWorkflowCount> &workflowPermissions()
{
    return kWorkflow;
}

QString workflowCaption(int index)
{
    static const char *const captions[kWorkflowCount] = {
        QT_TRANSLATE_NOOP("UserAdmin", "الجهة"),  QT_TRANSLATE_NOOP("UserAdmin", "الطبع"),
        QT_TRANSLATE_NOOP("UserAdmin", "التجليد"), QT_TRANSLATE_NOOP("UserAdmin", "المستودع"),
        QT_TRANSLATE_NOOP("UserAdmin", "جديد"),   QT_TRANSLATE_NOOP("UserAdmin", "تعديل"),
        QT_TRANSLATE_NOOP("UserAdmin", "انهاء"),  QT_TRANSLATE_NOOP("UserAdmin", "حذف"),
    };
    return index >= 0 && index < kWorkflowCount ? UserAdminTr::tr(captions[index]) : QString();
}

UserForm formOf(const UserRow &row)
{
    UserForm form;
    form.name = row.user;
    for (int i = 0; i < kRightCount; ++i)
        form.rights[i] = isGranted(row.*kRights[i].member);
    for (int i = 0; i < kWorkflowCount; ++i)
        form.workflow[i] = isGranted(row.*kWorkflow[i].member);
    form.classCodes = codesOf(row.classAccess);
    return form;
}

QString accessListOf(const QStringList &codes)
{
    QString list(1, u'@');
    for (const QString &code : codes)
        list += code + u'@';
    return list;
}

QStringList codesOf(const QString &accessList)
{
    return accessList.split(u'@', Qt::SkipEmptyParts);
}

bool allowsCode(const QString &accessList, const QString &code)
{
    return !code.isEmpty() && accessList.contains(u'@' + code + u'@');
}

QString receivedFilesFolder(const QString &databaseFolder, const QString &userName)
{
    return databaseFolder + u"/USERS/"_s + userName;
}

QString missingPasswordMessage()
{
    return UserAdminTr::tr("اكتب كلمة مرور للمستخدم الجديد");
}

QString lockOutMessage()
{
    return UserAdminTr::tr("لا يحفظ هذا التغيير: لن يبقى مستخدم يملك صلاحية المستخدمين، فلا يستطيع احد ادارة المستخدمين بعده");
}

QString userGoneMessage(const QString &name)
{
    return UserAdminTr::tr("لا يوجد مستخدم باسم %1 (ربما غير اسمه في جهاز آخر)؛ لم يحفظ شيء").arg(name);
}

QString masterRenameMessage()
{
    return UserAdminTr::tr("لا يغير اسم المستخدم MASTER");
}

Result<qint32> addUser(const Database &db, const UserForm &form)
{
    const QString name = cleanName(form.name);
    if (Status s = checkName(name); !s)
        return Result<qint32>::refused(s.error());
    if (form.password.isEmpty())
        return Result<qint32>::refused(missingPasswordMessage());

    Result<QString> hash = PasswordHash::make(form.password);
    if (!hash)
        return Result<qint32>::failure(hash.error());

    UserRow row;
    row.user = name;
    row.password = *hash;
    applyPermissions(row, form);

    Result<qint32> id = CUserSet(db).insert(row);
    if (!id)
        return id;
    const QString folder = receivedFilesFolder(db.folder(), name);
    if (!QDir().mkpath(folder)) {
        return Result<qint32>::failure(
            UserAdminTr::tr("أضيف المستخدم لكن تعذر انشاء مجلد الملفات الواردة %1").arg(QDir::toNativeSeparators(folder)));
    }
    return id;
}

Result<qint32> addUser(const Database &db, const NewUser &user)
{
    UserForm form;
    form.name = user.name;
    form.password = user.password;
    form.rights.fill(user.allRights);
    form.workflow.fill(user.allRights);
    for (qint32 code : user.classCodes)
        form.classCodes << QString::number(code);
    return addUser(db, form);
}

Status changeUser(const Database &db, const QString &loadedName, const UserForm &form)
{
    const QString name = cleanName(form.name);
    if (Status s = checkName(name); !s)
        return s;

    ScopedTransaction tx(db, DbFile::Users);
    if (Status s = tx.begun(); !s)
        return s;
    const CUserSet users(db);
    const Result<QList<UserRow>> all = users.all();
    if (!all)
        return Status::failure(all.error());

    const UserRow *loaded = nullptr;
    bool usersRightElsewhere = false;
    for (const UserRow &row : *all) {
        if (!loaded && QString::compare(row.user, loadedName, Qt::CaseInsensitive) == 0)
            loaded = &row;
        else if (isGranted(row.FilesBask))
            usersRightElsewhere = true;
    }
    if (!loaded)
        return Status::refused(userGoneMessage(loadedName));
    if (loaded->user == QStringView(kMasterUser) && name != QStringView(kMasterUser))
        return Status::refused(masterRenameMessage());
    for (const UserRow &row : *all) {
        if (row.id != loaded->id && QString::compare(row.user, name, Qt::CaseInsensitive) == 0)
            return Status::refused(CUserSet::duplicateNameMessage());
    }
    if (!form.rights[kUsersRightIndex] && !usersRightElsewhere)
        return Status::refused(lockOutMessage());

    UserRow row = *loaded;
    const QString oldName = row.user;
    row.user = name;
    if (!form.password.isEmpty()) {
        Result<QString> hash = PasswordHash::make(form.password);
        if (!hash)
            return Status::failure(hash.error());
        row.password = *hash;
    }
    applyPermissions(row, form);
    if (Status s = users.update(row); !s)
        return s;
    if (Status s = moveReceivedFiles(db.folder(), oldName, name); !s)
        return s;
    if (Status s = tx.commit(); !s) {
        moveReceivedFiles(db.folder(), name, oldName);
        return s;
    }
    return {};
}
