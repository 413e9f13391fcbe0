#include "app/ArchiveSetup.h"
#include "app/Profile.h"
#include "base/AppState.h"
#include "base/FilesIdentical.h"
#include "common/TestArchive.h"
#include "base/PathsFile.h"
#include "cards/Archiver.h"
#include "cards/Copier.h"
#include "db/CDFSet.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

// Every file under the folder with a digest of its bytes.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            files.insert(QDir(folder).relativeFilePath(path), QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1));
    }
    return files;
}

} // namespace

TEST(CopiedArchive, ArchivingInACopyLeavesTheOriginalUnchanged)
{
    QTemporaryDir dir;
    const QString original = dir.filePath(QStringLiteral("archive"));
    ASSERT_TRUE(createArchive(original).ok());
    {
        Result<Database> db = Database::open(original + QStringLiteral("/DataBase"));
        ASSERT_TRUE(db.ok()) << db.error().toStdString();
        const std::array<ClassSeed, 1> seeds{ClassSeed{QStringLiteral("12"), QStringLiteral("عقود")}};
        ASSERT_TRUE(addClassSeeds(*db, seeds).ok());
    }
    Database::closeThreadConnections();
    const QString copy = dir.filePath(QStringLiteral("trial"));
    ASSERT_TRUE(copyTree(original, copy));
    const QMap<QString, QByteArray> before = snapshot(original);

    const AppState state = AppState::load(copy);
    EXPECT_EQ(state.databaseFolder, copy + QStringLiteral("/DataBase"));
    EXPECT_EQ(state.fileServerFolder, copy + QStringLiteral("/FileServer"));
    EXPECT_FALSE(foreignArchive(state).has_value()) << "the copy works on its own archive";

    QFile scan(dir.filePath(QStringLiteral("scan.pdf")));
    ASSERT_TRUE(scan.open(QIODevice::WriteOnly));
    scan.write(QByteArray(64, 'p'));
    scan.close();
    qint32 card = 0;
    {
        Result<Database> db = Database::open(state.databaseFolder);
        ASSERT_TRUE(db.ok()) << db.error().toStdString();
        CardDraft draft;
        draft.date = QDate(2026, 3, 5);
        draft.name = QStringLiteral("كتاب تجريبي");
        draft.classCodes = {12};
        draft.files.append(FileItem::fromPath(scan.fileName()));
        Archiver archiver(Archiver::foldersOf(state), *db, QStringLiteral("@12@"));
        archiver.setStartCopier(false);
        const Result<qint32> made = archiver.archiveNew(draft);
        ASSERT_TRUE(made.ok()) << made.error().toStdString();
        card = *made;
        Copier copier(state.programFolder, CopyHandOff::Copier::Archive);
        copier.run(Copier::WhenBusy::Wait);
        EXPECT_TRUE(copier.failures().isEmpty()) << copier.failures().join(u'\n').toStdString();
        EXPECT_EQ(CDFSet(*db).counterRow()->lastCardNumber, card);
    }
    Database::closeThreadConnections();

    EXPECT_EQ(snapshot(original), before) << "nothing of the original changed";
    const QStringList stored = QDir(copy + QStringLiteral("/FileServer/Ser1")).entryList(QDir::Files);
    ASSERT_EQ(stored.size(), 1) << "the file went to the copy's file store";
    EXPECT_TRUE(stored.first().startsWith(QString::number(card) + u'&')) << stored.first().toStdString();
}

TEST(CopiedArchive, AnOldCopyNamingTheOriginalsFoldersIsNamedAtStart)
{
    QTemporaryDir dir;
    const QString original = dir.filePath(QStringLiteral("archive"));
    ASSERT_TRUE(createArchive(original).ok());
    // A copy made before the folders were written relative: its paths file names the original's.
    const QString copy = dir.filePath(QStringLiteral("trial"));
    ASSERT_TRUE(copyTree(original, copy));
    PathsFile::Values v = PathsFile::read(copy).values;
    v[PathsFile::DatabaseFolder] = original + QStringLiteral("/DataBase");
    v[PathsFile::FileServerFolder] = original + QStringLiteral("/FileServer");
    ASSERT_TRUE(PathsFile::write(copy, v).ok());

    const std::optional<ForeignArchive> foreign = foreignArchive(AppState::load(copy));
    ASSERT_TRUE(foreign.has_value());
    EXPECT_EQ(foreign->programFolder, original);
    EXPECT_EQ(foreign->databaseFolder, original + QStringLiteral("/DataBase"));
    const QString message = foreignArchiveMessage(*foreign);
    EXPECT_TRUE(message.contains(original + QStringLiteral("/DataBase"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("مجلد برنامج آخر"))) << message.toStdString();

    // Folders of its own, and a shared database folder that belongs to no program folder, are
    // not another archive.
    EXPECT_FALSE(foreignArchive(AppState::load(original)).has_value());
    const QString shared = dir.filePath(QStringLiteral("server/db"));
    ASSERT_TRUE(QDir().mkpath(shared));
    v[PathsFile::DatabaseFolder] = shared;
    v[PathsFile::FileServerFolder] = QStringLiteral("FileServer");
    ASSERT_TRUE(PathsFile::write(copy, v).ok());
    EXPECT_FALSE(foreignArchive(AppState::load(copy)).has_value());
}

TEST(PathsFile, FoldersInsideTheProgramFolderAreWrittenRelativeAndReadBackWhole)
{
    EXPECT_EQ(PathsFile::storedFolder(QStringLiteral("/a/home"), QStringLiteral("/a/home/DataBase")), QStringLiteral("DataBase"));
    EXPECT_EQ(PathsFile::storedFolder(QStringLiteral("/a/home/"), QStringLiteral("/a/home/x/FileServer/")),
              QStringLiteral("x/FileServer"));
    EXPECT_EQ(PathsFile::storedFolder(QStringLiteral("/a/home"), QStringLiteral("/a/homely/db")), QStringLiteral("/a/homely/db"));
    EXPECT_EQ(PathsFile::storedFolder(QStringLiteral("/a/home"), QStringLiteral("/srv/db")), QStringLiteral("/srv/db"));
    EXPECT_EQ(PathsFile::resolvedFolder(QStringLiteral("/a/home"), QStringLiteral("DataBase")), QStringLiteral("/a/home/DataBase"));
    EXPECT_EQ(PathsFile::resolvedFolder(QStringLiteral("/a/home"), QStringLiteral("../shared/db")), QStringLiteral("/a/shared/db"));
    EXPECT_EQ(PathsFile::resolvedFolder(QStringLiteral("/a/home"), QStringLiteral("/srv/db")), QStringLiteral("/srv/db"));
    EXPECT_TRUE(PathsFile::resolvedFolder(QStringLiteral("/a/home"), QString()).isEmpty());
}

TEST(AppStateLoad, FirstRunUsesTheDefaultFoldersUnderTheProgramFolder)
{
    QTemporaryDir dir;
    const AppState state = AppState::load(dir.path());
    EXPECT_TRUE(state.firstRun);
    EXPECT_EQ(state.databaseFolder, dir.path() + QStringLiteral("/DataBase"));
    EXPECT_EQ(state.fileServerFolder, dir.path() + QStringLiteral("/FileServer"));
    EXPECT_EQ(state.imageCounter, 1);
    EXPECT_TRUE(state.currentUser.isEmpty());
}

TEST(AppStateLoad, FoldersComeFromThePathsFileOnLaterRuns)
{
    QTemporaryDir dir;
    PathsFile::Values v;
    v[PathsFile::DatabaseFolder] = QStringLiteral("/srv/db");
    v[PathsFile::FileServerFolder] = QStringLiteral("/srv/files");
    ASSERT_TRUE(PathsFile::write(dir.path(), v).ok());
    const AppState state = AppState::load(dir.path());
    EXPECT_FALSE(state.firstRun);
    EXPECT_EQ(state.databaseFolder, QStringLiteral("/srv/db"));
    EXPECT_EQ(state.fileServerFolder, QStringLiteral("/srv/files"));
}

TEST(AppStateLoad, ProgramFolderComesFromDovrelleHomeElseTheWorkingFolder)
{
    QTemporaryDir dir;
    qputenv("DOVRELLE_HOME", (dir.path() + QStringLiteral("/")).toLocal8Bit());
    EXPECT_EQ(AppState::programFolderFromEnvironment(), dir.path());
    qunsetenv("DOVRELLE_HOME");
    EXPECT_EQ(AppState::programFolderFromEnvironment(), QDir::currentPath());
}

TEST(AppStateLoad, ImageCounterIsSharedAndCountsUp)
{
    AppState state;
    EXPECT_EQ(state.takeImageNumber(), 1);
    EXPECT_EQ(state.takeImageNumber(), 2);
    EXPECT_EQ(state.imageCounter, 3);
}

TEST(FilesIdenticalTest, ComparesOverTheFirstFilesLength)
{
    QTemporaryDir dir;
    const QString a = writeFile(dir, QStringLiteral("a"), QByteArray(300000, 'x'));
    const QString same = writeFile(dir, QStringLiteral("same"), QByteArray(300000, 'x'));
    const QString longer = writeFile(dir, QStringLiteral("longer"), QByteArray(300000, 'x') + "tail");
    QByteArray late(300000, 'x');
    late[299999] = 'y';
    const QString differs = writeFile(dir, QStringLiteral("differs"), late);
    const QString shorter = writeFile(dir, QStringLiteral("shorter"), QByteArray(10, 'x'));
    const QString empty = writeFile(dir, QStringLiteral("empty"), {});

    EXPECT_EQ(filesIdentical(a, same), kFilesIdentical);
    EXPECT_EQ(filesIdentical(a, longer), kFilesIdentical);
    EXPECT_EQ(filesIdentical(a, differs), kFilesDiffer);
    EXPECT_EQ(filesIdentical(a, shorter), kFilesDiffer);
    EXPECT_EQ(filesIdentical(longer, a), kFilesDiffer);
    EXPECT_EQ(filesIdentical(empty, a), kFilesIdentical);
    EXPECT_EQ(filesIdentical(a, dir.filePath(QStringLiteral("missing"))), kFilesDiffer);
    EXPECT_EQ(filesIdentical(dir.filePath(QStringLiteral("missing")), a), kFilesDiffer);
}

TEST(ProfileStore, DefaultsAndTheKeysWrittenAtClose)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
    Profile profile(settings);

    const ScreenPlacement screen = profile.screen();
    EXPECT_FALSE(screen.maximized);
    EXPECT_EQ(screen.right, 850);
    EXPECT_EQ(screen.bottom, 650);
    const TextToolSettings tool = profile.textTool();
    EXPECT_EQ(tool.faceName, QStringLiteral("Arial"));
    EXPECT_EQ(tool.charSet, 238);
    EXPECT_EQ(tool.textColour, 0xA0FFFFu);
    EXPECT_EQ(tool.backColour, 0x6020u);
    EXPECT_TRUE(tool.opaque);
    EXPECT_EQ(tool.roundRadius, 25);
    EXPECT_EQ(profile.jpegQuality(), 90);

    settings.setValue(QStringLiteral("TextTool/opacity"), 40);
    EXPECT_DOUBLE_EQ(profile.textTool().opacity, 0.4);

    TextToolSettings changed = profile.textTool();
    changed.opacity = 0.25;
    changed.roundRadius = 7;
    changed.opaque = false;
    profile.setTextTool(changed);
    profile.setScreen({true, 10, 20, 800, 600});
    profile.setJpegQuality(75);
    settings.sync();

    EXPECT_EQ(settings.value(QStringLiteral("TextTool/opacity")).toInt(), 25);
    // The radius goes out under another key, so the one read at start keeps its value.
    EXPECT_EQ(settings.value(QStringLiteral("TextTool/r_radius")).toInt(), 7);
    EXPECT_EQ(profile.textTool().roundRadius, 25);
    EXPECT_FALSE(settings.contains(QStringLiteral("TextTool/opaque")));
    EXPECT_EQ(settings.value(QStringLiteral("Screen/maximized")).toInt(), 1);
    EXPECT_EQ(profile.screen().top, 20);
    EXPECT_EQ(profile.jpegQuality(), 75);
}
