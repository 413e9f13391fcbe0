#include "baskets/Transfer.h"
#include "common/TestArchive.h"
#include "users/UserAdmin.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

class Transfers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_dbFolder = m_dir.path() + u"/DataBase"_s;
        m_outbox = m_dir.path() + u"/outbox"_s;
        ASSERT_TRUE(QDir().mkpath(m_dbFolder + u"/USERS"_s));
        ASSERT_TRUE(QDir().mkpath(m_outbox));
        m_file = m_outbox + u"/رسالة 1.jpg"_s;
        ASSERT_TRUE(writeFile(m_file, "new content"));
    }

    QString userFolder(const QString &user) const { return m_dbFolder + u"/USERS/"_s + user; }

    QTemporaryDir m_dir;
    QString m_dbFolder;
    QString m_outbox;
    QString m_file;
};

} // namespace

TEST_F(Transfers, ThreeUsersGetOneCopyEach)
{
    const QStringList users{u"MASTER"_s, u"Clerk"_s, u"أحمد علي"_s};
    for (const QString &u : users)
        ASSERT_TRUE(QDir().mkpath(userFolder(u)));

    const QList<Delivery> out = transferFile(m_dbFolder, m_file, users);

    ASSERT_EQ(out.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(out[i].delivered) << out[i].reason.toStdString();
        EXPECT_EQ(out[i].user, users[i]);
        EXPECT_EQ(out[i].target, userFolder(users[i]) + u"/رسالة 1.jpg"_s);
        EXPECT_EQ(contentOf(out[i].target), QByteArray("new content"));
        EXPECT_EQ(listFolderFiles(userFolder(users[i])), QStringList{u"رسالة 1.jpg"_s});
    }
    EXPECT_TRUE(undeliveredReport(out).isEmpty());
    // The sender keeps the file.
    EXPECT_EQ(contentOf(m_file), QByteArray("new content"));
}

TEST_F(Transfers, AFileOfTheSameNameIsReplaced)
{
    ASSERT_TRUE(QDir().mkpath(userFolder(u"Clerk"_s)));
    const QString old = userFolder(u"Clerk"_s) + u"/رسالة 1.jpg"_s;
    ASSERT_TRUE(writeFile(old, "an older and longer content"));
    int asked = 0;
    const QList<Delivery> out = transferFile(m_dbFolder, m_file, {u"Clerk"_s}, [&](const QString &, const QString &) {
        ++asked;
        return CFileOperation::Answer::No;
    });

    ASSERT_EQ(out.size(), 1);
    EXPECT_TRUE(out[0].delivered) << out[0].reason.toStdString();
    EXPECT_EQ(asked, 0) << "a writable file is replaced without a question";
    EXPECT_EQ(contentOf(old), QByteArray("new content"));
    EXPECT_EQ(QDir(userFolder(u"Clerk"_s)).entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "no temporary file left behind";
}

// A read-only file of the same name at a receiver: the question of the file operations, for each
// receiver that holds one, answered in turn.
class ReadOnlyAtReceivers : public Transfers
{
protected:
    void SetUp() override
    {
        Transfers::SetUp();
        for (const QString &user : m_users) {
            ASSERT_TRUE(QDir().mkpath(userFolder(user)));
            const QString kept = target(user);
            ASSERT_TRUE(writeFile(kept, "kept by " + user.toUtf8()));
            ASSERT_TRUE(QFile::setPermissions(kept, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        }
    }

    QString target(const QString &user) const { return userFolder(user) + u"/رسالة 1.jpg"_s; }

    QList<Delivery> send(QList<CFileOperation::Answer> answers)
    {
        return transferFile(m_dbFolder, m_file, m_users, [this, answers](const QString &text, const QString &title) mutable {
            m_questions.append(text + u" | "_s + title);
            return answers.takeFirst();
        });
    }

    const QStringList m_users{u"Ali"_s, u"Huda"_s, u"Omar"_s};
    QStringList m_questions;
};

TEST_F(ReadOnlyAtReceivers, TheSenderIsAskedAsTheFileOperationsAsk)
{
    const QList<Delivery> out = send({CFileOperation::Answer::Yes, CFileOperation::Answer::Yes, CFileOperation::Answer::Yes});
    ASSERT_EQ(m_questions.size(), 3);
    EXPECT_EQ(m_questions[0], u"رسالة 1.jpg is read olny. Do you want delete it? | Warning"_s);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(out[i].delivered) << out[i].reason.toStdString();
        EXPECT_EQ(contentOf(target(m_users[i])), QByteArray("new content"));
    }
    EXPECT_TRUE(undeliveredReport(out).isEmpty());
}

TEST_F(ReadOnlyAtReceivers, NoKeepsThatReceiversFileAndTellsTheSender)
{
    const QList<Delivery> out = send({CFileOperation::Answer::Yes, CFileOperation::Answer::No, CFileOperation::Answer::Yes});
    ASSERT_EQ(out.size(), 3);
    EXPECT_TRUE(out[0].delivered);
    EXPECT_FALSE(out[1].delivered);
    EXPECT_TRUE(out[2].delivered);
    EXPECT_EQ(contentOf(target(u"Huda"_s)), QByteArray("kept by Huda"));
    EXPECT_EQ(contentOf(target(u"Omar"_s)), QByteArray("new content"));
    const QString report = undeliveredReport(out);
    EXPECT_TRUE(report.contains(u"Huda"_s)) << report.toStdString();
    EXPECT_FALSE(report.contains(u"Omar"_s));
}

TEST_F(ReadOnlyAtReceivers, CancelStopsTheTransferThere)
{
    const QList<Delivery> out = send({CFileOperation::Answer::Yes, CFileOperation::Answer::Cancel});
    EXPECT_EQ(m_questions.size(), 2) << "nobody is asked about after Cancel";
    ASSERT_EQ(out.size(), 3);
    EXPECT_TRUE(out[0].delivered);
    EXPECT_FALSE(out[1].delivered);
    EXPECT_FALSE(out[2].delivered);
    EXPECT_EQ(contentOf(target(u"Huda"_s)), QByteArray("kept by Huda"));
    EXPECT_EQ(contentOf(target(u"Omar"_s)), QByteArray("kept by Omar"));
    const QString report = undeliveredReport(out);
    EXPECT_TRUE(report.contains(u"Huda"_s));
    EXPECT_TRUE(report.contains(u"Omar"_s));
}

TEST_F(ReadOnlyAtReceivers, WithoutAQuestionTheReceiversFilesStay)
{
    const QList<Delivery> out = transferFile(m_dbFolder, m_file, m_users);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(out[i].delivered);
        EXPECT_EQ(contentOf(target(m_users[i])), "kept by " + m_users[i].toUtf8());
    }
}

TEST_F(Transfers, AMissingReceiverFolderIsMadeFirst)
{
    ASSERT_FALSE(QFileInfo::exists(userFolder(u"Newcomer"_s)));
    const QList<Delivery> out = transferFile(m_dbFolder, m_file, {u"Newcomer"_s});
    ASSERT_EQ(out.size(), 1);
    EXPECT_TRUE(out[0].delivered) << out[0].reason.toStdString();
    EXPECT_EQ(contentOf(userFolder(u"Newcomer"_s) + u"/رسالة 1.jpg"_s), QByteArray("new content"));
}

TEST_F(Transfers, AnArabicUserNameGivesAFolderOfTheSameName)
{
    const QString user = u"محمود  الشامي"_s; // two blanks, kept as stored
    const QList<Delivery> out = transferFile(m_dbFolder, m_file, {user});
    ASSERT_TRUE(out.value(0).delivered) << out.value(0).reason.toStdString();
    const QStringList folders = QDir(m_dbFolder + u"/USERS"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    EXPECT_EQ(folders, QStringList{user});
    EXPECT_TRUE(QFileInfo::exists(m_dbFolder + u"/USERS/محمود  الشامي/رسالة 1.jpg"_s));
}

TEST_F(Transfers, SendingToOneselfKeepsTheFile)
{
    // The received-files browser passes a file on from the sender's own folder.
    ASSERT_TRUE(QDir().mkpath(userFolder(u"MASTER"_s)));
    const QString own = userFolder(u"MASTER"_s) + u"/own.txt"_s;
    ASSERT_TRUE(writeFile(own, "mine"));
    const QList<Delivery> out = transferFile(m_dbFolder, own, {u"MASTER"_s});
    ASSERT_TRUE(out.value(0).delivered) << out.value(0).reason.toStdString();
    EXPECT_EQ(contentOf(own), QByteArray("mine"));
    EXPECT_EQ(listFolderFiles(userFolder(u"MASTER"_s)), QStringList{u"own.txt"_s});
}

TEST_F(Transfers, FailuresAreReportedPerUserAndTheOthersStillReceive)
{
    // A plain file where the folder of "Blocked" should be: its folder cannot be made.
    ASSERT_TRUE(writeFile(userFolder(u"Blocked"_s), "not a folder"));
    const QList<Delivery> out =
        transferFile(m_dbFolder, m_file, {u"Blocked"_s, u"../../escape"_s, u""_s, u"Clerk"_s});

    ASSERT_EQ(out.size(), 4);
    EXPECT_FALSE(out[0].delivered);
    EXPECT_FALSE(out[0].reason.isEmpty());
    EXPECT_FALSE(out[1].delivered) << "a name must never lead out of the USERS folder";
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + u"/escape"_s));
    EXPECT_FALSE(out[2].delivered);
    EXPECT_TRUE(out[3].delivered) << out[3].reason.toStdString();

    const QString report = undeliveredReport(out);
    EXPECT_TRUE(report.contains(u"Blocked"_s));
    EXPECT_TRUE(report.contains(u"../../escape"_s));
    EXPECT_FALSE(report.contains(u"Clerk"_s));
}

TEST_F(Transfers, AMissingSourceReachesNobody)
{
    ASSERT_TRUE(QDir().mkpath(userFolder(u"Clerk"_s)));
    const QList<Delivery> out = transferFile(m_dbFolder, m_outbox + u"/gone.pdf"_s, {u"Clerk"_s});
    ASSERT_EQ(out.size(), 1);
    EXPECT_FALSE(out[0].delivered);
    EXPECT_TRUE(out[0].reason.contains(u"gone.pdf"_s));
    EXPECT_TRUE(listFolderFiles(userFolder(u"Clerk"_s)).isEmpty());
}

TEST_F(Transfers, ListingLeavesOutFoldersHiddenFilesAndDots)
{
    const QString folder = userFolder(u"Clerk"_s);
    ASSERT_TRUE(QDir().mkpath(folder + u"/sub"_s));
    ASSERT_TRUE(writeFile(folder + u"/a.JPG"_s, "a"));
    ASSERT_TRUE(writeFile(folder + u"/b.pdf"_s, "b"));
    ASSERT_TRUE(writeFile(folder + u"/.hidden"_s, "h"));
    ASSERT_TRUE(QFile::link(folder + u"/b.pdf"_s, folder + u"/link.pdf"_s));

    QStringList names = listFolderFiles(folder);
    // The order is the system's; compare as sets.
    names.sort();
    EXPECT_EQ(names, (QStringList{u"a.JPG"_s, u"b.pdf"_s, u"link.pdf"_s}));
    EXPECT_TRUE(listFolderFiles(folder + u"/missing"_s).isEmpty());
}

TEST(TransferUsers, TheStoredNameStandsForTheLoginName)
{
    TestArchive archive(Engine::SQLite);
    ASSERT_TRUE(archive.problem().isEmpty()) << archive.problem().toStdString();
    NewUser clerk;
    clerk.name = u"Sara Clerk"_s;
    clerk.password = u"pw"_s;
    ASSERT_TRUE(addUser(archive.db(), clerk).ok());

    // The login upper-cases what is typed; the folder goes by the stored letter case.
    const Result<QString> stored = storedUserName(archive.db(), u"SARA CLERK"_s);
    ASSERT_TRUE(stored.ok()) << stored.error().toStdString();
    EXPECT_EQ(*stored, u"Sara Clerk"_s);
    EXPECT_TRUE(QFileInfo(receivedFilesFolder(archive.databaseFolder(), *stored)).isDir());

    const Result<QString> unknown = storedUserName(archive.db(), u"NOBODY"_s);
    ASSERT_FALSE(unknown.ok());
    EXPECT_TRUE(unknown.error().contains(u"NOBODY"_s));
    // Wildcards are plain characters.
    EXPECT_FALSE(storedUserName(archive.db(), u"SARA%"_s).ok());
}
