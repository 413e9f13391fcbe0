#include "Transfer.h"

#include "base/JoinedPath.h"
#include "db/CUserSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TransferTr
{
    Q_DECLARE_TR_FUNCTIONS(Transfer)
};

// A stored name becomes one folder below "USERS": it must not be empty, climb out of it or
// reach into another user's folder.
bool usableAsFolderName(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(QChar(0));
}

// Read-only as the file operations see it: a file (not a link) whose owner may not write it.
bool isReadOnlyFile(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile() && !info.isSymLink() && !(info.permissions() & QFileDevice::WriteOwner);
}

} // namespace

Result<QString> storedUserName(const Database &db, const QString &loginName)
{
    const Result<std::optional<UserRow>> row = CUserSet(db).byName(loginName);
    if (!row)
        return Result<QString>::failure(row.error());
    if (!row->has_value())
        return Result<QString>::failure(TransferTr::tr("المستخدم %1 غير موجود").arg(loginName));
    return (*row)->user;
}

QStringList listFolderFiles(const QString &folder)
{
    QStringList names;
    // Files only (a link to a file counts as one), hidden ones left out, in directory order.
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        if (info.isDir() || info.isHidden())
            continue;
        names.append(info.fileName());
    }
    return names;
}

QList<Delivery> transferFile(const QString &databaseFolder, const QString &file, const QStringList &storedUsers,
                             CFileOperation::Question question)
{
    QList<Delivery> deliveries;
    const QFileInfo source(file);
    const bool sourceUsable = source.exists() && source.isFile();
    bool cancelled = false;
    for (const QString &user : storedUsers) {
        Delivery d;
        d.user = user;
        if (cancelled) {
            d.reason = TransferTr::tr("أوقف التحويل قبل الوصول اليه");
            deliveries.append(d);
            continue;
        }
        if (!usableAsFolderName(user)) {
            d.reason = TransferTr::tr("اسم المستخدم لا يصلح اسما لمجلد: %1").arg(user);
            deliveries.append(d);
            continue;
        }
        const QString folder = receivedFilesFolder(databaseFolder, user);
        d.target = joinedPath(folder, source.fileName());
        if (!sourceUsable) {
            d.reason = TransferTr::tr("الملف %1 غير موجود").arg(QDir::toNativeSeparators(file));
            deliveries.append(d);
            continue;
        }
        // A user made outside the users dialog may not have a folder yet; the file would be lost.
        if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
            d.reason = TransferTr::tr("تعذر انشاء مجلد الملفات الواردة %1").arg(QDir::toNativeSeparators(folder));
            deliveries.append(d);
            continue;
        }
        // A read-only file of the same name is the receiver's to keep unless the sender says
        // otherwise, as the file operations ask before a read-only file goes.
        if (isReadOnlyFile(d.target)) {
            const CFileOperation::Answer answer =
                question ? question(CFileOperation::readOnlyQuestion(d.target), CFileOperation::readOnlyTitle())
                         : CFileOperation::Answer::No;
            if (answer == CFileOperation::Answer::No) {
                d.reason = TransferTr::tr("لديه ملف بالاسم نفسه للقراءة فقط فترك كما هو");
                deliveries.append(d);
                continue;
            }
            if (answer == CFileOperation::Answer::Cancel) {
                cancelled = true;
                d.reason = TransferTr::tr("أوقف التحويل قبل الوصول اليه");
                deliveries.append(d);
                continue;
            }
        }
        CFileOperation op;
        op.setAskIfReadOnly(true);
        op.setOverwriteMode(true);
        op.setQuestion(question);
        if (op.CopyItem(file, folder)) {
            d.delivered = true;
        } else {
            d.reason = op.lastErrorText();
            if (d.reason.isEmpty())
                d.reason = TransferTr::tr("تعذر نسخ الملف");
        }
        deliveries.append(d);
    }
    return deliveries;
}

QString undeliveredReport(const QList<Delivery> &deliveries)
{
    QStringList lines;
    for (const Delivery &d : deliveries) {
        if (!d.delivered)
            lines.append(d.user + u": "_s + d.reason);
    }
    if (lines.isEmpty())
        return {};
    return TransferTr::tr("لم يصل الملف الى المستخدمين التاليين:") + u'\n' + lines.join(u'\n');
}
