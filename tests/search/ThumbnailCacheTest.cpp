// The archive's thumbnail store: what it keeps, when it makes a thumbnail again, and what it does
// with a store that is damaged, missing or cannot be written.

#include "common/SolidPicture.h"
#include "imaging/Thumbnail.h"
#include "search/ThumbnailCache.h"

#include <Magick++.h>

#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {

// Rows of the store, read over a connection of the test's own.
int storedRows(const QString &store)
{
    int rows = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"thumbnail-test"_s);
        db.setDatabaseName(store);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(u"SELECT count(*) FROM thumbnails"_s) && q.next())
                rows = q.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(u"thumbnail-test"_s);
    return rows;
}

struct Counting
{
    std::atomic<int> made{0};
    ThumbnailCache::Maker maker()
    {
        return [this](const QString &path) {
            ++made;
            return Thumbnail::make(path);
        };
    }
};

class ThumbnailStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_files.isValid());
        ASSERT_TRUE(m_cacheDir.isValid());
        m_folder = m_cacheDir.path() + u"/thumbnails"_s;
    }

    QString picture(const QString &name, const char *colour = "green", int w = 200, int h = 400)
    {
        const QString path = m_files.path() + u'/' + name;
        writePicture(path, w, h, colour);
        return path;
    }

    QTemporaryDir m_files;
    QTemporaryDir m_cacheDir;
    QString m_folder;
    const QString m_archive = u"/srv/archive-a/FileServer"_s;
};

} // namespace

TEST_F(ThumbnailStore, AStoredThumbnailIsNotMadeAgainByThisOrTheNextRun)
{
    const QString a = picture(u"a.png"_s);
    Counting c;
    ThumbnailCache cache(m_folder, m_archive, c.maker());
    const QImage first = cache.get(a);
    EXPECT_EQ(c.made.load(), 1);
    EXPECT_EQ(first.size(), Thumbnail::kSize);
    EXPECT_TRUE(QFileInfo(cache.storePath()).isFile());
    EXPECT_EQ(QFileInfo(cache.storePath()).path(), m_folder);

    EXPECT_EQ(cache.get(a), first);
    EXPECT_EQ(c.made.load(), 1);

    // The next run, another object on the same store: the same picture, nothing decoded.
    ThumbnailCache again(m_folder, m_archive, [](const QString &) { return QImage(); });
    EXPECT_EQ(again.get(a), first);
    EXPECT_EQ(storedRows(cache.storePath()), 1);
}

TEST_F(ThumbnailStore, EveryArchiveHasAStoreOfItsOwn)
{
    const QString a = picture(u"a.png"_s);
    Counting c;
    ThumbnailCache first(m_folder, m_archive, c.maker());
    ThumbnailCache other(m_folder, u"/srv/archive-b/FileServer"_s, c.maker());
    EXPECT_NE(first.storePath(), other.storePath());
    first.get(a);
    other.get(a);
    EXPECT_EQ(c.made.load(), 2);
    EXPECT_EQ(storedRows(first.storePath()), 1);
    EXPECT_EQ(storedRows(other.storePath()), 1);
}

TEST_F(ThumbnailStore, AChangedFileIsMadeAgainAndReplacesItsRow)
{
    const QString a = picture(u"a.png"_s, "green", 200, 100);
    Counting c;
    ThumbnailCache cache(m_folder, m_archive, c.maker());
    const QImage green = cache.get(a);

    // Same size, same name, new content and a new modification time.
    writePicture(a, 200, 100, "blue");
    QFile file(a);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    file.close();

    const QImage blue = cache.get(a);
    EXPECT_EQ(c.made.load(), 2);
    EXPECT_NE(blue, green);
    EXPECT_GT(QColor(blue.pixel(75, 67)).blue(), 200);
    EXPECT_EQ(storedRows(cache.storePath()), 1);
    EXPECT_EQ(cache.get(a), blue);
    EXPECT_EQ(c.made.load(), 2);
}

TEST_F(ThumbnailStore, AMissingFileGivesTheEmptyBoxAndCreatesNoStore)
{
    Counting c;
    ThumbnailCache cache(m_folder, m_archive, c.maker());
    EXPECT_EQ(cache.get(m_files.path() + u"/nothing.jpg"_s), Thumbnail::compose({}));
    EXPECT_EQ(c.made.load(), 0);
    EXPECT_FALSE(QFileInfo::exists(m_folder));
}

TEST_F(ThumbnailStore, AnUndecodableFileIsStoredAsTheEmptyBox)
{
    const QString broken = m_files.path() + u"/b.jpg"_s;
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a picture");
    f.close();
    Counting c;
    ThumbnailCache cache(m_folder, m_archive, c.maker());
    // The empty box as the store gives it back.
    const QImage box = ThumbnailCache::decode(ThumbnailCache::encode(Thumbnail::compose({})));
    ASSERT_FALSE(box.isNull());
    EXPECT_EQ(cache.get(broken), box);
    EXPECT_EQ(cache.get(broken), box);
    EXPECT_EQ(c.made.load(), 1);
    EXPECT_EQ(storedRows(cache.storePath()), 1);
}

TEST_F(ThumbnailStore, ManyFilesAreReadInOneGoInTheirOrder)
{
    QStringList paths;
    const char *colours[] = {"red", "green", "blue"};
    for (int i = 0; i < 30; ++i)
        paths << picture(u"p%1.png"_s.arg(i), colours[i % 3], 120 + i, 100);
    paths.insert(5, m_files.path() + u"/gone.png"_s);
    Counting c;
    ThumbnailCache cache(m_folder, m_archive, c.maker());
    const QList<QImage> first = cache.getMany(paths);
    ASSERT_EQ(first.size(), 31);
    EXPECT_EQ(c.made.load(), 30);
    EXPECT_EQ(first.at(5), Thumbnail::compose({}));
    EXPECT_GT(QColor(first.at(0).pixel(75, 67)).red(), 200);
    EXPECT_GT(QColor(first.at(1).pixel(75, 67)).green(), 100);
    EXPECT_GT(QColor(first.at(2).pixel(75, 67)).blue(), 200);
    EXPECT_EQ(storedRows(cache.storePath()), 30);

    const QList<QImage> again = cache.getMany(paths);
    EXPECT_EQ(again, first);
    EXPECT_EQ(c.made.load(), 30);

    // A long page naming each file many times over: every place gets its own file's thumbnail,
    // across the batches the store is asked in, and nothing is made again.
    QStringList many;
    for (int i = 0; i < 1100; ++i)
        many << paths.at(i % paths.size());
    const QList<QImage> repeated = cache.getMany(many);
    ASSERT_EQ(repeated.size(), many.size());
    for (int i = 0; i < many.size(); ++i)
        ASSERT_EQ(repeated.at(i), first.at(i % paths.size())) << "place " << i;
    EXPECT_EQ(c.made.load(), 30);
}

TEST_F(ThumbnailStore, ADamagedStoreIsBuiltAnew)
{
    const QString a = picture(u"a.png"_s);
    ThumbnailCache probe(m_folder, m_archive);
    ASSERT_TRUE(QDir().mkpath(m_folder));
    QFile damaged(probe.storePath());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(8192, 'x'));
    damaged.close();

    Counting c;
    {
        ThumbnailCache cache(m_folder, m_archive, c.maker());
        EXPECT_EQ(cache.get(a).size(), Thumbnail::kSize);
        EXPECT_EQ(c.made.load(), 1);
    }
    EXPECT_EQ(storedRows(probe.storePath()), 1);
    ThumbnailCache next(m_folder, m_archive, c.maker());
    next.get(a);
    EXPECT_EQ(c.made.load(), 1);
}

TEST_F(ThumbnailStore, AStoreThatCannotBeWrittenStillGivesThePictures)
{
    const QString a = picture(u"a.png"_s, "red", 300, 100);
    // The cache folder would have to be made below a plain file.
    const QString blocker = m_cacheDir.path() + u"/file"_s;
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    Counting c;
    ThumbnailCache cache(blocker + u"/thumbnails"_s, m_archive, c.maker());
    const QImage red = cache.get(a);
    EXPECT_GT(QColor(red.pixel(75, 67)).red(), 240);
    cache.get(a);
    EXPECT_EQ(c.made.load(), 2);
}

TEST_F(ThumbnailStore, ThePngFilesOfTheOldCacheGoWhenTheStoreIsCreated)
{
    ASSERT_TRUE(QDir().mkpath(m_folder));
    const QString old = m_folder + u"/0123456789abcdef0123456789abcdef01234567.png"_s;
    const QString mine = m_folder + u"/notes.png"_s;
    for (const QString &p : {old, mine}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ThumbnailCache cache(m_folder, m_archive);
    cache.get(picture(u"a.png"_s));
    EXPECT_FALSE(QFileInfo::exists(old));
    EXPECT_TRUE(QFileInfo::exists(mine));
}

TEST_F(ThumbnailStore, ThreadsWithAConnectionEachShareOneStore)
{
    QStringList paths;
    for (int i = 0; i < 24; ++i)
        paths << picture(u"t%1.png"_s.arg(i), i % 2 ? "red" : "blue", 100 + i, 80);
    Counting c;
    std::atomic<int> wrong{0};
    const auto work = [&](int first) {
        ThumbnailCache cache(m_folder, m_archive, c.maker());
        for (int round = 0; round < 3; ++round) {
            QStringList mine;
            for (int i = first; i < paths.size(); i += 2)
                mine << paths.at(i);
            mine << paths.at(0) << paths.at(1); // both threads write these
            for (const QImage &image : cache.getMany(mine)) {
                if (image.size() != Thumbnail::kSize)
                    ++wrong;
            }
        }
    };
    std::thread other(work, 1);
    work(0);
    other.join();
    EXPECT_EQ(wrong.load(), 0);
    // Each file was made once, the two shared ones at most once by each thread.
    EXPECT_GE(c.made.load(), 24);
    EXPECT_LE(c.made.load(), 26);
    ThumbnailCache after(m_folder, m_archive, [](const QString &) { return QImage(); });
    EXPECT_EQ(storedRows(after.storePath()), 24);
    const QList<QImage> all = after.getMany(paths);
    EXPECT_GT(QColor(all.at(1).pixel(75, 40)).red(), 200);
    EXPECT_GT(QColor(all.at(2).pixel(75, 40)).blue(), 200);
}
