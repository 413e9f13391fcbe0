// Logins that try to learn something: a name nobody has costs the same argon2id check as a wrong
// password, so the time of a refusal tells nothing the message does not; and names the
// remembered-user record cannot hold are never offered back changed.
#include "common/TestArchive.h"
#include "users/Login.h"
#include "users/PasswordHash.h"
#include "users/UserAdmin.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

class LoginCost : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        NewUser clerk;
        clerk.name = QStringLiteral("CLERK");
        clerk.password = QStringLiteral("Pa55");
        ASSERT_TRUE(addUser(db(), clerk).ok());
        m_state = AppState::load(archive().home());
    }

    // The median of a few attempts, in milliseconds.
    double medianMs(const QString &name, Login::Outcome expected)
    {
        std::vector<double> times;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer t;
            t.start();
            const Login::Answer a = Login::attempt(m_state, db(), name, QStringLiteral("wrong"), false);
            times.push_back(double(t.nsecsElapsed()) / 1e6);
            EXPECT_EQ(a.outcome, expected);
        }
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    }

    AppState m_state;
};

} // namespace

TEST_P(LoginCost, ANameNobodyHasCostsWhatAWrongPasswordCosts)
{
    // The first check of a process makes the stand-in hash; it is not what is measured.
    PasswordHash::matchesNobody(QStringLiteral("warm"));
    const double wrongPassword = medianMs(QStringLiteral("CLERK"), Login::Outcome::WrongPassword);
    const double unknownName = medianMs(QStringLiteral("NOBODY"), Login::Outcome::UnknownUser);
    std::printf("login refusals: wrong password %.1f ms, unknown name %.1f ms\n", wrongPassword, unknownName);
    // Both are one argon2id check: the same order of time, far from the look-up alone.
    EXPECT_GT(unknownName, wrongPassword / 3) << "an unknown name is answered without the check";
    EXPECT_LT(unknownName, wrongPassword * 3);
}

DOVRELLE_ON_BOTH_ENGINES(LoginCost);

TEST(PasswordCheck, AnEmptyStoredHashCostsACheckAndMatchesNothing)
{
    PasswordHash::matchesNobody(QStringLiteral("warm"));
    const Result<QString> hash = PasswordHash::make(QStringLiteral("pw"));
    ASSERT_TRUE(hash.ok());
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(PasswordHash::matches(*hash, QStringLiteral("other")));
    const qint64 real = t.nsecsElapsed();
    t.restart();
    EXPECT_FALSE(PasswordHash::matches(QString(), QString()));
    const qint64 empty = t.nsecsElapsed();
    EXPECT_GT(empty, real / 3);
    EXPECT_FALSE(PasswordHash::matchesNobody(QString()));
    EXPECT_TRUE(PasswordHash::matches(*hash, QStringLiteral("pw")));
}

TEST(RememberedUserNames, ANameTheRecordCannotHoldIsNotOfferedChanged)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString cp1256Invalid = QStringLiteral("用户");
    const struct
    {
        QString name;
        bool kept;
    } cases[] = {
        {QStringLiteral("../MASTER"), true},
        {QStringLiteral("a/b"), true},
        {QStringLiteral("two\nlines"), true},
        {QStringLiteral("ends*"), false},
        {QStringLiteral("ends**"), false},
        {QStringLiteral("mid***dle"), false},
        {QStringLiteral("zero") + QChar(0) + QStringLiteral("byte"), false},
        {cp1256Invalid, false},
        {QString(46, u'x'), true},
        {QString(47, u'x'), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        ASSERT_TRUE(RememberedUser::write(home.path(), c.name).ok());
        QFile f(RememberedUser::path(home.path()));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.size(), RememberedUser::kRecordSize) << "the record keeps its size";
        const QString offered = RememberedUser::read(home.path());
        if (c.kept)
            EXPECT_EQ(offered, c.name);
        else
            EXPECT_TRUE(offered.isEmpty()) << "offered " << offered.toStdString();
    }
}
