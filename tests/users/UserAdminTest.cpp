#include "admin/AdminContext.h"
#include "app/ArchiveSetup.h"
#include "common/TestArchive.h"
#include "db/CUserSet.h"
#include "users/Login.h"
#include "users/PasswordHash.h"
#include "users/UserAdmin.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class UserChanges : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        UserForm clerk;
        clerk.name = u"Clerk"_s;
        clerk.password = u"Pa55"_s;
        clerk.rights[7] = true; // docadd
        clerk.classCodes = {u"12"_s, u"305"_s};
        clerk.workflow[4] = true; // ex5
        ASSERT_TRUE(addUser(db(), clerk).ok());
    }

    UserRow row(const QString &name)
    {
        const Result<std::optional<UserRow>> found = CUserSet(db()).byName(name);
        EXPECT_TRUE(found.ok()) << found.error().toStdString();
        EXPECT_TRUE(found.ok() && found->has_value()) << name.toStdString();
        return found.ok() && found->has_value() ? **found : UserRow();
    }

    int userCount()
    {
        const Result<QList<UserRow>> all = CUserSet(db()).all();
        return all ? int(all->size()) : -1;
    }

    QString received(const QString &name) { return receivedFilesFolder(archive().databaseFolder(), name); }

    // Runs one dovrelle-admin command line on this archive; stdout in `out`.
    int admin(QStringList args, QString *out = nullptr)
    {
        QString o, e;
        QTextStream outStream(&o), errStream(&e);
        args.prepend(u"dovrelle-admin"_s);
        args << u"--home"_s << archive().home();
        const int code = AdminCommands::run(args, outStream, errStream);
        outStream.flush();
        errStream.flush();
        m_lastError = e;
        if (out)
            *out = o;
        return code;
    }
    QString m_lastError;
};

} // namespace

TEST_P(UserChanges, NewUsersStoreWhatTheFormHolds)
{
    const UserRow clerk = row(u"CLERK"_s);
    EXPECT_EQ(clerk.user, u"Clerk"_s);
    EXPECT_EQ(clerk.docadd, kGranted);
    EXPECT_EQ(clerk.docmod, 0);
    EXPECT_EQ(clerk.newJob, kGranted);
    EXPECT_EQ(clerk.partyStage, 0);
    EXPECT_EQ(clerk.classAccess, u"@12@305@"_s);
    EXPECT_NE(clerk.password, u"Pa55"_s) << "kept as a hash";
    EXPECT_TRUE(PasswordHash::matches(clerk.password, u"Pa55"_s));
    EXPECT_TRUE(QFileInfo(received(u"Clerk"_s)).isDir());

    // No classification marked: "@", which allows none.
    UserForm bare;
    bare.name = u"سارة"_s;
    bare.password = u"x"_s;
    ASSERT_TRUE(addUser(db(), bare).ok());
    EXPECT_EQ(row(u"سارة"_s).classAccess, u"@"_s);
    EXPECT_FALSE(allowsCode(u"@1@"_s, u"11"_s));
    EXPECT_TRUE(allowsCode(u"@1@"_s, u"1"_s));
    EXPECT_FALSE(allowsCode(u"@12@"_s, u"1"_s));
    EXPECT_FALSE(allowsCode(u"@12@"_s, u"2"_s));

    // A name taken in any letter case, an empty password or name: refused, nothing added.
    const int before = userCount();
    UserForm again = formOf(row(u"Clerk"_s));
    again.password = u"other"_s;
    again.name = u"CLERK"_s;
    Result<qint32> refused = addUser(db(), again);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.refused());
    EXPECT_EQ(refused.error(), u" يوجد مستخدم بنفس الاسم"_s);
    UserForm noPassword;
    noPassword.name = u"Nobody"_s;
    refused = addUser(db(), noPassword);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(), missingPasswordMessage());
    noPassword.name = u"  "_s;
    noPassword.password = u"p"_s;
    EXPECT_FALSE(addUser(db(), noPassword).ok());
    EXPECT_EQ(userCount(), before);
}

TEST_P(UserChanges, ChangesKeepOrReplaceThePasswordAndRenameInPlace)
{
    const QString sent = received(u"Clerk"_s) + u"/letter.txt"_s;
    {
        QFile f(sent);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("sent to the clerk");
    }
    const qint32 id = row(u"Clerk"_s).id;
    UserForm form = formOf(row(u"Clerk"_s));
    EXPECT_TRUE(form.password.isEmpty()) << "the hash is never shown";
    form.rights[11] = true; // printjob
    form.classCodes = {u"7"_s};
    ASSERT_TRUE(changeUser(db(), u"clerk"_s, form).ok());
    UserRow changed = row(u"Clerk"_s);
    EXPECT_EQ(changed.printjob, kGranted);
    EXPECT_EQ(changed.classAccess, u"@7@"_s);
    EXPECT_TRUE(PasswordHash::matches(changed.password, u"Pa55"_s)) << "an empty box keeps the password";

    form.password = u"new-one"_s;
    form.name = u"Archivist"_s;
    ASSERT_TRUE(changeUser(db(), u"Clerk"_s, form).ok());
    changed = row(u"Archivist"_s);
    EXPECT_EQ(changed.id, id) << "renamed in place, not added";
    EXPECT_TRUE(PasswordHash::matches(changed.password, u"new-one"_s));
    EXPECT_FALSE(PasswordHash::matches(changed.password, u"Pa55"_s));
    EXPECT_FALSE(CUserSet(db()).byName(u"Clerk"_s)->has_value());
    EXPECT_EQ(userCount(), 2);
    // The files sent before the rename are still the user's.
    EXPECT_TRUE(QFileInfo::exists(received(u"Archivist"_s) + u"/letter.txt"_s));
    EXPECT_FALSE(QFileInfo::exists(sent));

    // Renaming onto another user's name is the duplicate.
    form.name = u"master"_s;
    const Status dup = changeUser(db(), u"Archivist"_s, form);
    ASSERT_FALSE(dup.ok());
    EXPECT_EQ(dup.error(), u" يوجد مستخدم بنفس الاسم"_s);
    EXPECT_EQ(row(u"Archivist"_s).user, u"Archivist"_s);
}

TEST_P(UserChanges, RefusalsWriteNothing)
{
    // Renamed at another workstation: the loaded name matches no row.
    UserForm form = formOf(row(u"Clerk"_s));
    form.rights.fill(true);
    Status s = changeUser(db(), u"Clerk2"_s, form);
    ASSERT_FALSE(s.ok());
    EXPECT_TRUE(s.refused());
    EXPECT_EQ(s.error(), userGoneMessage(u"Clerk2"_s));
    // Wildcards are plain characters: "CL%" is nobody.
    EXPECT_FALSE(changeUser(db(), u"CL%"_s, form).ok());
    EXPECT_EQ(row(u"Clerk"_s).FilesBask, 0);

    // MASTER keeps its name, but its rights and password can change.
    UserForm master = formOf(row(u"MASTER"_s));
    master.name = u"BOSS"_s;
    s = changeUser(db(), u"MASTER"_s, master);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error(), masterRenameMessage());
    master.name = u"MASTER"_s;
    master.rights[3] = false; // constant
    master.workflow.fill(false);
    master.password = u"changed"_s;
    ASSERT_TRUE(changeUser(db(), u"MASTER"_s, master).ok());
    const UserRow m = row(u"MASTER"_s);
    EXPECT_EQ(m.user, u"MASTER"_s);
    EXPECT_EQ(m.constant, 0);
    EXPECT_EQ(m.FilesBask, kGranted);
    EXPECT_EQ(m.deleteJob, 0);
    EXPECT_TRUE(PasswordHash::matches(m.password, u"changed"_s));

    // MASTER holds the only users right: taking it away locks the archive out, and is refused.
    master.rights[kUsersRightIndex] = false;
    s = changeUser(db(), u"MASTER"_s, master);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error(), lockOutMessage());
    EXPECT_EQ(row(u"MASTER"_s).FilesBask, kGranted);
    // Once somebody else holds it, MASTER may give it up.
    UserForm clerk = formOf(row(u"Clerk"_s));
    clerk.rights[kUsersRightIndex] = true;
    ASSERT_TRUE(changeUser(db(), u"Clerk"_s, clerk).ok());
    ASSERT_TRUE(changeUser(db(), u"MASTER"_s, master).ok());
    EXPECT_EQ(row(u"MASTER"_s).FilesBask, 0);
    clerk.rights[kUsersRightIndex] = false;
    EXPECT_EQ(changeUser(db(), u"Clerk"_s, clerk).error(), lockOutMessage());
}

TEST_P(UserChanges, CommandLineSetsAndListsThroughTheSameRules)
{
    QString out;
    ASSERT_EQ(admin({u"user"_s, u"list"_s}, &out), 0) << m_lastError.toStdString();
    const QString all = u"ScanneBask,FaxBask,FilesBask,constant,classes,docser,fileser,docadd,docmod,docdel,docnew,printjob"_s;
    EXPECT_EQ(out, u"MASTER\t"_s + all + u"\t\tex1,ex2,ex3,ex4,ex5,ex6,ex7,ex8\n"_s + u"Clerk\tdocadd\t12,305\tex5\n"_s);

    ASSERT_EQ(admin({u"user"_s, u"set"_s, u"clerk"_s, u"--rights"_s, u"printjob,FILESBASK"_s, u"--workflow"_s,
                     u"ex1,ex8"_s, u"--password"_s, u"np"_s}),
              0)
        << m_lastError.toStdString();
    ASSERT_EQ(admin({u"user"_s, u"list"_s}, &out), 0);
    EXPECT_TRUE(out.endsWith(u"Clerk\tFilesBask,printjob\t12,305\tex1,ex8\n"_s)) << out.toStdString();
    EXPECT_TRUE(PasswordHash::matches(row(u"Clerk"_s).password, u"np"_s));

    // The administrator who lost the users right gets it back from the command line.
    ASSERT_EQ(admin({u"user"_s, u"set"_s, u"MASTER"_s, u"--rights"_s, u"docadd"_s, u"--classes"_s, u"1,2"_s}), 0);
    ASSERT_EQ(admin({u"user"_s, u"set"_s, u"Clerk"_s, u"--rights"_s, u""_s}), 1);
    EXPECT_TRUE(m_lastError.contains(lockOutMessage())) << m_lastError.toStdString();
    ASSERT_EQ(admin({u"user"_s, u"set"_s, u"MASTER"_s, u"--all-rights"_s}), 0);
    EXPECT_EQ(row(u"MASTER"_s).FilesBask, kGranted);
    EXPECT_EQ(row(u"MASTER"_s).classAccess, u"@1@2@"_s);

    EXPECT_EQ(admin({u"user"_s, u"set"_s, u"Clerk"_s, u"--rights"_s, u"fly"_s}), 1);
    EXPECT_EQ(admin({u"user"_s, u"set"_s, u"Clerk"_s, u"--workflow"_s, u"ex9"_s}), 1);
    EXPECT_EQ(admin({u"user"_s, u"set"_s, u"Nobody"_s, u"--all-rights"_s}), 1);
    EXPECT_EQ(admin({u"user"_s, u"set"_s, u"Clerk"_s, u"--all-rights"_s, u"--rights"_s, u"docadd"_s}), 1);
    EXPECT_EQ(row(u"Clerk"_s).docadd, 0) << "a refused command changes nothing";
}

DOVRELLE_ON_BOTH_ENGINES(UserChanges);

TEST(NewArchiveMaster, IsNotOpenWithTheOfferedDigit)
{
    QTemporaryDir dir;
    // Without a password MASTER gets one nobody knows.
    ASSERT_TRUE(createArchive(dir.filePath(u"a"_s)).ok());
    Result<Database> db = Database::open(dir.filePath(u"a/DataBase"_s));
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    AppState state = AppState::load(dir.filePath(u"a"_s));
    EXPECT_EQ(Login::attempt(state, *db, u"MASTER"_s, QString::fromLatin1(kDefaultPassword), false).outcome,
              Login::Outcome::WrongPassword);
    EXPECT_EQ(Login::attempt(state, *db, u"MASTER"_s, QString(), false).outcome, Login::Outcome::WrongPassword);

    // The digit itself is refused, and nothing is made.
    const Status refused = createArchive(dir.filePath(u"b"_s), {}, {}, u"1"_s);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.refused());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"b"_s)));

    ASSERT_TRUE(createArchive(dir.filePath(u"c"_s), {}, {}, u"s3cret"_s).ok());
    Result<Database> c = Database::open(dir.filePath(u"c/DataBase"_s));
    ASSERT_TRUE(c.ok());
    AppState cState = AppState::load(dir.filePath(u"c"_s));
    EXPECT_EQ(Login::attempt(cState, *c, u"MASTER"_s, u"1"_s, false).outcome, Login::Outcome::WrongPassword);
    EXPECT_EQ(Login::attempt(cState, *c, u"MASTER"_s, u"s3cret"_s, false).outcome, Login::Outcome::Accepted);
}

TEST(NewArchiveMaster, InitMakesUpAPasswordAndPrintsItOnce)
{
    QTemporaryDir dir;
    auto init = [&](const QString &home, QStringList extra, QString &out, QString &err) {
        QTextStream o(&out), e(&err);
        const int code = AdminCommands::run(QStringList{u"dovrelle-admin"_s, u"init"_s, u"--home"_s, home} + extra, o, e);
        o.flush();
        e.flush();
        return code;
    };
    QString out, err;
    // The tests' input is no terminal, so nothing is asked.
    ASSERT_EQ(init(dir.filePath(u"a"_s), {}, out, err), 0) << err.toStdString();
    const qsizetype at = out.indexOf(u"MASTER's password: "_s);
    ASSERT_GE(at, 0) << out.toStdString();
    const QString password = out.mid(at + 19).trimmed();
    EXPECT_EQ(password.size(), 12);
    EXPECT_NE(password, u"1"_s);
    Result<Database> db = Database::open(dir.filePath(u"a/DataBase"_s));
    ASSERT_TRUE(db.ok());
    AppState state = AppState::load(dir.filePath(u"a"_s));
    EXPECT_EQ(Login::attempt(state, *db, u"MASTER"_s, password, false).outcome, Login::Outcome::Accepted);
    EXPECT_EQ(Login::attempt(state, *db, u"MASTER"_s, u"1"_s, false).outcome, Login::Outcome::WrongPassword);

    out.clear();
    ASSERT_EQ(init(dir.filePath(u"b"_s), {u"--master-password"_s, u"given"_s}, out, err), 0);
    EXPECT_FALSE(out.contains(u"password"_s)) << "a given password is not printed";
    out.clear();
    err.clear();
    EXPECT_EQ(init(dir.filePath(u"c"_s), {u"--master-password"_s, u"1"_s}, out, err), 1);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"c/COM/pathes.txt"_s)));
}
