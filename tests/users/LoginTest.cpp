#include "common/TestArchive.h"
#include "db/CUserSet.h"
#include "users/Login.h"
#include "users/UserAdmin.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class LoginCheck : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        NewUser clerk;
        clerk.name = QStringLiteral("Clerk");
        clerk.password = QStringLiteral("Pa55");
        clerk.classCodes = {12, 305};
        ASSERT_TRUE(addUser(db(), clerk).ok());
        m_state = AppState::load(archive().home());
    }
    AppState m_state;
};

} // namespace

TEST_P(LoginCheck, TypedNameFindsTheRowInAnyCaseAndCopiesTheRights)
{
    const Login::Answer answer = Login::attempt(m_state, db(), QStringLiteral("CLERK"), QStringLiteral("Pa55"), true);
    ASSERT_EQ(answer.outcome, Login::Outcome::Accepted) << answer.message.toStdString();
    EXPECT_EQ(m_state.currentUser, QStringLiteral("CLERK")) << "the name as typed, not the row's";
    // Sender and receiver must meet in one folder on a file system that tells letter case apart.
    EXPECT_EQ(m_state.receivedFilesUser(), QStringLiteral("Clerk"));
    EXPECT_EQ(m_state.classAccess, QStringLiteral("@12@305@"));
    EXPECT_EQ(m_state.rights.docadd, 0);
    EXPECT_FALSE(m_state.workflowUser);
    EXPECT_TRUE(m_state.showHelp);
    EXPECT_EQ(RememberedUser::read(m_state.programFolder), QStringLiteral("CLERK"));

    AppState master = AppState::load(archive().home());
    ASSERT_EQ(Login::attempt(master, db(), QStringLiteral("MASTER"), kTestMasterPassword, false).outcome,
              Login::Outcome::Accepted);
    EXPECT_EQ(master.rights.constant, kGranted);
    EXPECT_EQ(master.rights.printjob, kGranted);
    EXPECT_TRUE(master.workflowUser);
}

TEST_P(LoginCheck, FailuresSayWhyAndWriteNothing)
{
    const QString remembered = RememberedUser::path(m_state.programFolder);
    const QByteArray before = fileBytes(remembered);

    Login::Answer a = Login::attempt(m_state, db(), QStringLiteral("NOBODY"), QStringLiteral("Pa55"), false);
    EXPECT_EQ(a.outcome, Login::Outcome::UnknownUser);
    EXPECT_EQ(a.message, QStringLiteral("مستخدم غير موجود"));
    EXPECT_EQ(m_state.currentUser, QStringLiteral("NOBODY")) << "the current user is set on every attempt";

    a = Login::attempt(m_state, db(), QStringLiteral("CLERK"), QStringLiteral("pa55"), false);
    EXPECT_EQ(a.outcome, Login::Outcome::WrongPassword);
    EXPECT_EQ(a.message, QStringLiteral("كلمة مرور خاطئة"));
    EXPECT_EQ(m_state.classAccess, QString());

    // Wildcards and quotes are plain characters.
    for (const char *name : {"CL%", "CLER_", "*", "' OR '1'='1"}) {
        EXPECT_EQ(Login::attempt(m_state, db(), QString::fromLatin1(name), QStringLiteral("Pa55"), false).outcome,
                  Login::Outcome::UnknownUser)
            << name;
    }
    EXPECT_EQ(fileBytes(remembered), before);

    // The right password after a wrong one succeeds.
    EXPECT_EQ(Login::attempt(m_state, db(), QStringLiteral("CLERK"), QStringLiteral("Pa55"), false).outcome,
              Login::Outcome::Accepted);
}

DOVRELLE_ON_BOTH_ENGINES(LoginCheck);

TEST(RememberedUserFile, RecordLayoutAndOddFiles)
{
    QTemporaryDir dir;
    const QString path = RememberedUser::path(dir.path());
    EXPECT_TRUE(RememberedUser::read(dir.path()).isEmpty()) << "a missing file offers no name";

    ASSERT_TRUE(RememberedUser::write(dir.path(), QStringLiteral("CLERK")).ok());
    QByteArray expected(50, '\0');
    expected.replace(0, 8, "CLERK***");
    EXPECT_EQ(fileBytes(path), expected);
    EXPECT_EQ(RememberedUser::read(dir.path()), QStringLiteral("CLERK"));

    writeBytes(path, QByteArray("AHMAD***\0garbage", 16));
    EXPECT_EQ(RememberedUser::read(dir.path()), QStringLiteral("AHMAD")) << "a short file reads as padded";
    writeBytes(path, QByteArray("NOSTARS"));
    EXPECT_EQ(RememberedUser::read(dir.path()), QStringLiteral("NOSTARS"));
    writeBytes(path, QByteArray(80, 'Z'));
    EXPECT_EQ(RememberedUser::read(dir.path()).size(), 50);

    // Arabic names are stored in the code page: 46 letters fit, 47 do not.
    const QString fits(46, QChar(0x0639));
    ASSERT_TRUE(RememberedUser::write(dir.path(), fits).ok());
    EXPECT_EQ(RememberedUser::read(dir.path()), fits);
    ASSERT_TRUE(RememberedUser::write(dir.path(), fits + QChar(0x0639)).ok());
    EXPECT_EQ(fileBytes(path), QByteArray(50, '\0')) << "a name that does not fit is not remembered";
    EXPECT_TRUE(RememberedUser::read(dir.path()).isEmpty());
}
