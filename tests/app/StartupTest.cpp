#include "app/Profile.h"
#include "base/AppState.h"
#include "base/FilesIdentical.h"
#include "base/PathsFile.h"

#include <QDir>
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

} // namespace

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
