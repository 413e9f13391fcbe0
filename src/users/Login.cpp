#include "Login.h"

#include "PasswordHash.h"
#include "base/FixedRecord.h"
#include "db/CUserSet.h"

#include <QCoreApplication>
#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace {
struct LoginTr
{
    Q_DECLARE_TR_FUNCTIONS(Login)
};
} // namespace

namespace RememberedUser {

QString path(const QString &programFolder)
{
    return programFolder + u"/COM/CUSR.txt"_s;
}

QString read(const QString &programFolder)
{
    const QString text = FixedRecord::textAt(FixedRecord::readPadded(path(programFolder), kRecordSize), 0, kRecordSize);
    const qsizetype stars = text.indexOf(u"***"_s);
    return stars < 0 ? text : text.left(stars);
}

Status write(const QString &programFolder, const QString &name)
{
    QByteArray record(kRecordSize, '\0');
    const Result<QByteArray> encoded = FixedRecord::encodeField(name, kMaxNameBytes, LoginTr::tr("المستخدم"));
    // The name is read back up to the first zero byte and the first "***": one that holds either,
    // or ends in "*" and runs into the "***" behind it, would be offered shorter next time.
    if (encoded && !name.contains(QChar(0)) && (name + u"***"_s).indexOf(u"***"_s) == name.size()) {
        const QByteArray text = *encoded + "***";
        std::copy(text.cbegin(), text.cend(), record.begin());
    }
    QDir().mkpath(programFolder + u"/COM"_s);
    return FixedRecord::writeWhole(path(programFolder), record);
}

} // namespace RememberedUser

QString Login::unknownUserMessage()
{
    return LoginTr::tr("مستخدم غير موجود");
}

QString Login::wrongPasswordMessage()
{
    return LoginTr::tr("كلمة مرور خاطئة");
}

Login::Answer Login::attempt(AppState &state, const Database &db, const QString &typedName, const QString &password,
                             bool showHelp)
{
    state.currentUser = typedName;
    const Result<std::optional<UserRow>> found = CUserSet(db).byName(typedName);
    if (!found)
        return {Outcome::Failed, found.error()};
    if (!found->has_value()) {
        // The check a wrong password costs, so that the time of a refusal tells nothing the
        // message does not.
        PasswordHash::matchesNobody(password);
        return {Outcome::UnknownUser, unknownUserMessage()};
    }
    const UserRow &row = **found;
    if (!PasswordHash::matches(row.password, password))
        return {Outcome::WrongPassword, wrongPasswordMessage()};

    state.storedUser = row.user;
    state.classAccess = row.classAccess;
    state.rights.filesBask = row.FilesBask;
    state.rights.constant = row.constant;
    state.rights.classes = row.classes;
    state.rights.fileser = row.fileser;
    state.rights.docadd = row.docadd;
    state.rights.docdel = row.docdel;
    state.rights.docmod = row.docmod;
    state.rights.printjob = row.printjob;
    state.workflowUser = false;
    for (qint32 p : {row.partyStage, row.printingStage, row.bindingStage, row.warehouseStage, row.newJob, row.editJob, row.finishJob, row.deleteJob})
        state.workflowUser = state.workflowUser || isGranted(p);
    state.showHelp = showHelp;
    // A name that cannot be remembered does not stop the login.
    RememberedUser::write(state.programFolder, typedName);
    return {Outcome::Accepted, {}};
}
