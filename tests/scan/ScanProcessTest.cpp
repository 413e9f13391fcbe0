// The pages of an acquisition read by the scanning program in a process of its own: against SANE's
// test backend through the real dovrelle-scan, and against programs of the test's own that hang,
// die or lie, which a window must survive.

#include "common/SaneTestBackend.h"
#include "scan/ScanHandOff.h"
#include "scan/ScanProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString scanProgram()
{
    return qEnvironmentVariable("DOVRELLE_BIN", QCoreApplication::applicationDirPath() + u"/../bin"_s)
           + u"/dovrelle-scan"_s;
}

// What the window side saw of one acquisition.
struct Seen
{
    QList<ScanPageInfo> started;
    QList<QImage> pictures;
    qint64 lastProgress = 0;
    std::optional<ScanOutcome> outcome;
};

class ScanProcessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&m_process, &ScanProcess::pageStarted, [this](const ScanPageInfo &i) { m_seen.started << i; });
        QObject::connect(&m_process, &ScanProcess::pageArrived,
                         [this](const QImage &p, const ScanPageInfo &) { m_seen.pictures << p; });
        QObject::connect(&m_process, &ScanProcess::pageProgress,
                         [this](const ScanPageInfo &, qint64 b) { m_seen.lastProgress = b; });
        QObject::connect(&m_process, &ScanProcess::ended, [this](const ScanOutcome &o) { m_seen.outcome = o; });
    }

    // Runs the event loop until the acquisition ends, calling step once while it runs.
    bool waitForEnd(int ms, const std::function<bool()> &until = {}, const std::function<void()> &step = {})
    {
        QElapsedTimer t;
        t.start();
        bool stepped = !step;
        while (!m_seen.outcome && t.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (!stepped && until && until()) {
                step();
                stepped = true;
            }
        }
        return m_seen.outcome.has_value();
    }

    // A program of the test's own in place of dovrelle-scan.
    QString fakeProgram(const QString &script)
    {
        const QString path = m_dir.filePath(u"fake-scan"_s);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/bash\n" + script.toUtf8() + '\n');
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    // The pages' folders, in the memory file system and in the temporary folder.
    static QStringList scanFolders()
    {
        QStringList found;
        for (const QString &base : {u"/dev/shm"_s, QDir::tempPath()}) {
            for (const QString &name : QDir(base).entryList({u"dovrelle-scan-*"_s}, QDir::Dirs))
                found << base + u'/' + name;
        }
        return found;
    }

    ScanProcess m_process;
    Seen m_seen;
    QTemporaryDir m_dir;
};

const QVariantMap kFeederColour{{u"source"_s, u"Automatic Document Feeder"_s}, {u"mode"_s, u"Color"_s},
                                {u"resolution"_s, u"25"_s}};

} // namespace

TEST_F(ScanProcessTest, FeederPagesArriveWholeAndTheFolderGoesWithTheEnd)
{
    REQUIRE_SANE_TEST_BACKEND();
    const QStringList before = scanFolders();
    m_process.setDecision([](const ScanPageInfo &info) { return info.page == 4 ? CTwain::CancelAll : CTwain::TransferImage; });
    ASSERT_TRUE(m_process.start({scanProgram(), QString::fromLatin1(SaneLibrary::kDefaultFile), u"test:0"_s, kFeederColour}).ok());
    EXPECT_EQ(scanFolders().size(), before.size() + 1) << "the pages cross in a folder of their own";
    ASSERT_TRUE(waitForEnd(60000));
    EXPECT_EQ(m_seen.outcome->end, ScanOutcome::End::Finished) << m_seen.outcome->message.toStdString();
    EXPECT_EQ(m_seen.outcome->pages, 3);
    ASSERT_EQ(m_seen.started.size(), 4);
    EXPECT_EQ(m_seen.started[3].page, 4);
    ASSERT_EQ(m_seen.pictures.size(), 3);
    for (const QImage &p : m_seen.pictures) {
        EXPECT_NEAR(p.width(), 212, 1) << "8.5 in at 25 dpi";
        EXPECT_NEAR(p.height(), 275, 1);
        EXPECT_EQ(p.format(), QImage::Format_RGB888);
    }
    // The pictures stay whole after their files are gone, and change only as copies.
    QImage changed = m_seen.pictures[0];
    changed.setPixel(0, 0, qRgb(1, 2, 3));
    EXPECT_NE(changed.pixel(0, 0), m_seen.pictures[0].pixel(0, 0));
    EXPECT_FALSE(m_process.isRunning());
    EXPECT_EQ(scanFolders(), before);
}

TEST_F(ScanProcessTest, ACancelDuringAPageEndsTheProgramWithNoPicture)
{
    REQUIRE_SANE_TEST_BACKEND();
    QVariantMap slow{{u"read-limit"_s, u"true"_s},
                     {u"read-limit-size"_s, u"2048"_s},
                     {u"read-delay"_s, u"true"_s},
                     {u"read-delay-duration"_s, u"20000"_s}};
    ASSERT_TRUE(m_process.start({scanProgram(), QString::fromLatin1(SaneLibrary::kDefaultFile), u"test:0"_s, slow}).ok());
    ASSERT_TRUE(waitForEnd(30000, [this] { return m_seen.lastProgress > 0; }, [this] { m_process.cancel(); }));
    EXPECT_EQ(m_seen.outcome->end, ScanOutcome::End::Cancelled) << m_seen.outcome->message.toStdString();
    EXPECT_EQ(m_seen.outcome->pages, 0);
    EXPECT_TRUE(m_seen.pictures.isEmpty());
    EXPECT_GT(m_seen.lastProgress, 0) << "the cancel came in the middle of the page";
}

TEST_F(ScanProcessTest, AProgramThatHangsAfterACancelIsEndedWhenTheGraceRunsOut)
{
    // Announces a page, reads the answer, then ignores everything, as a driver stuck in its cancel.
    const QString fake = fakeProgram(u"printf 'page\\t1\\t10\\t10\\t8\\t1\\t0\\t100\\t50\\n'\nread answer\n"
                                     "trap '' TERM\nwhile :; do sleep 1; done"_s);
    m_process.setCancelGrace(300);
    ASSERT_TRUE(m_process.start({fake, {}, u"test:0"_s, {}}).ok());
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(waitForEnd(20000, [this] { return !m_seen.started.isEmpty(); }, [this] { m_process.cancel(); }));
    EXPECT_LT(t.elapsed(), 10000);
    EXPECT_EQ(m_seen.outcome->end, ScanOutcome::End::Cancelled);
    EXPECT_FALSE(m_process.isRunning());
}

TEST_F(ScanProcessTest, AProgramThatDiesOrLiesIsAFailureTheWindowSurvives)
{
    // Dies in the middle of its first page.
    {
        const QString fake = fakeProgram(u"printf 'page\\t1\\t10\\t10\\t8\\t1\\t0\\t100\\t50\\n'\nread answer\n"
                                         "kill -SEGV $$"_s);
        ASSERT_TRUE(m_process.start({fake, {}, u"test:0"_s, {}}).ok());
        ASSERT_TRUE(waitForEnd(20000));
        EXPECT_EQ(m_seen.outcome->end, ScanOutcome::End::Failed);
        EXPECT_TRUE(m_seen.outcome->message.contains(u"توقف برنامج المسح الضوئي"_s)) << m_seen.outcome->message.toStdString();
        EXPECT_TRUE(m_seen.pictures.isEmpty());
    }
    // Names a file outside its folder as the page's picture: it is neither read nor removed.
    {
        m_seen = {};
        const QString outside = m_dir.filePath(u"not-a-page"_s);
        QImage small(4, 4, QImage::Format_Grayscale8);
        small.fill(7);
        ASSERT_TRUE(ScanHandOff::writePicture(outside, small));
        const QString fake = fakeProgram(
            u"printf 'page\\t1\\t4\\t4\\t8\\t1\\t0\\t16\\t50\\n'\nread answer\nprintf 'picture\\t1\\t%1\\n'\n"
            "printf 'end\\tfinished\\t1\\t\\n'"_s.arg(outside));
        ASSERT_TRUE(m_process.start({fake, {}, u"test:0"_s, {}}).ok());
        ASSERT_TRUE(waitForEnd(20000));
        EXPECT_EQ(m_seen.outcome->end, ScanOutcome::End::Failed);
        EXPECT_EQ(m_seen.outcome->pages, 0);
        EXPECT_TRUE(m_seen.pictures.isEmpty());
        EXPECT_TRUE(QFile::exists(outside));
    }
    // Is not there at all.
    {
        const Status s = m_process.start({m_dir.filePath(u"no-such-program"_s), {}, u"test:0"_s, {}});
        ASSERT_FALSE(s.ok());
        EXPECT_TRUE(s.error().contains(u"تعذر تشغيل برنامج المسح الضوئي"_s)) << s.error().toStdString();
        EXPECT_FALSE(m_process.isRunning());
    }
}

TEST(ScanHandOffTest, PicturesCrossAsTheyAreAndBadFilesGiveNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"page"_s);
    QList<QImage> pictures;
    QImage line(13, 5, QImage::Format_Mono);
    line.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    line.fill(0);
    line.setPixel(3, 2, 1);
    pictures << line;
    for (QImage::Format f : {QImage::Format_Grayscale8, QImage::Format_Grayscale16, QImage::Format_RGB888,
                             QImage::Format_RGBX64}) {
        QImage p(7, 3, f);
        for (int y = 0; y < p.height(); ++y)
            for (int x = 0; x < p.width(); ++x)
                p.setPixelColor(x, y, QColor::fromRgb(x * 30, y * 80, 200 - x * 20));
        pictures << p;
    }
    for (const QImage &p : pictures) {
        ASSERT_TRUE(ScanHandOff::writePicture(path, p));
        const QImage back = ScanHandOff::readPicture(path);
        QFile::remove(path);
        EXPECT_EQ(back.format(), p.format());
        EXPECT_EQ(back, p) << "format " << int(p.format());
    }
    // A file cut short, a header that lies about the size, and a format no page has.
    ASSERT_TRUE(ScanHandOff::writePicture(path, pictures[3]));
    QFile f(path);
    ASSERT_TRUE(f.resize(f.size() - 1));
    EXPECT_TRUE(ScanHandOff::readPicture(path).isNull());
    QByteArray huge = "DOVRELLE-SCAN-PICTURE 1 " + QByteArray::number(int(QImage::Format_RGB888)) + " 100000 100000 300000 0\n";
    huge.append(256 - huge.size(), ' ');
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(huge + QByteArray(64, '\0'));
    f.close();
    EXPECT_TRUE(ScanHandOff::readPicture(path).isNull());
    EXPECT_FALSE(ScanHandOff::writePicture(path, QImage(4, 4, QImage::Format_ARGB32)));
}

TEST(ScanHandOffTest, LinesAndValuesCrossAsTheyAre)
{
    ScanPageInfo info;
    info.page = 3;
    info.width = 2550;
    info.height = -1;
    info.depth = 16;
    info.channels = 3;
    info.threePass = true;
    info.expectedBytes = -1;
    info.resolution = 299.5;
    const auto page = ScanHandOff::parse(ScanHandOff::pageLine(info).chopped(1));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->kind, ScanHandOff::Message::Kind::Page);
    EXPECT_EQ(page->info.height, -1);
    EXPECT_TRUE(page->info.threePass);
    EXPECT_DOUBLE_EQ(page->info.resolution, 299.5);
    const auto end = ScanHandOff::parse(
        ScanHandOff::endLine({ScanOutcome::End::Failed, 2, u"الورق عالق\tفي المغذي\n(jammed)"_s}).chopped(1));
    ASSERT_TRUE(end);
    EXPECT_EQ(end->outcome.end, ScanOutcome::End::Failed);
    EXPECT_EQ(end->outcome.pages, 2);
    EXPECT_EQ(end->outcome.message, u"الورق عالق\tفي المغذي\n(jammed)"_s);
    for (const QByteArray &bad : {QByteArray("page\t1\t2"), QByteArray("read\tx\t5"), QByteArray("end\tmaybe\t1\t"),
                                  QByteArray("picture\t1\t"), QByteArray("")})
        EXPECT_FALSE(ScanHandOff::parse(bad)) << bad.constData();

    const QVariantMap values{{u"mode"_s, u"Color"_s}, {u"tl-x"_s, u"12.5"_s}, {u"odd=name"_s, u"a b=c%d"_s}};
    QStringList encoded;
    const QStringList args = ScanHandOff::valueArguments(values);
    for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
        EXPECT_EQ(args[i], u"--value"_s);
        encoded << args[i + 1];
    }
    EXPECT_EQ(ScanHandOff::valuesFrom(encoded), values);
}
