#include "base/TimeZoneFile.h"

#include <QDateTime>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <ctime>

namespace {

// Puts TZ back as the test found it (the test program pins it at start).
class TimeZoneFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_wasSet = qEnvironmentVariableIsSet("TZ");
        m_was = qgetenv("TZ");
    }
    void TearDown() override
    {
        if (m_wasSet)
            qputenv("TZ", m_was);
        else
            qunsetenv("TZ");
        tzset();
    }

    static int offsetOn(QDate day) { return QDateTime(day, QTime(12, 0)).offsetFromUtc(); }

private:
    bool m_wasSet = false;
    QByteArray m_was;
};

TEST_F(TimeZoneFileTest, NamesTheSystemZoneWhenNoneIsSetAndKeepsItsOffsets)
{
    if (!QFileInfo::exists(QStringLiteral("/etc/localtime")))
        GTEST_SKIP() << "SKIPPED: this system has no /etc/localtime";
    qunsetenv("TZ");
    tzset();
    const int winter = offsetOn(QDate(2016, 1, 15));
    const int summer = offsetOn(QDate(2016, 7, 15));
    readTimeZoneOnce();
    EXPECT_EQ(qgetenv("TZ"), QByteArray(":/etc/localtime"));
    EXPECT_EQ(offsetOn(QDate(2016, 1, 15)), winter);
    EXPECT_EQ(offsetOn(QDate(2016, 7, 15)), summer);
}

TEST_F(TimeZoneFileTest, LeavesAZoneTheUserChose)
{
    if (!QFileInfo::exists(QStringLiteral("/usr/share/zoneinfo/Asia/Riyadh")))
        GTEST_SKIP() << "SKIPPED: the time zone data (tzdata) is not installed";
    qputenv("TZ", "Asia/Riyadh");
    tzset();
    readTimeZoneOnce();
    EXPECT_EQ(qgetenv("TZ"), QByteArray("Asia/Riyadh"));
    EXPECT_EQ(offsetOn(QDate(2016, 7, 15)), 3 * 3600);
}

} // namespace
