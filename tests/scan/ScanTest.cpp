// The scanning client against SANE's real test backend, and against entry points of a device that
// misbehaves in ways no backend can be asked to.

#include "admin/AdminContext.h"
#include "common/SaneTestBackend.h"
#include "scan/CTwain.h"
#include "scan/ScanMemory.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {

// A client that keeps what it is given and answers each page as a test says.
class RecordingScanner : public CTwain
{
public:
    using CTwain::CTwain;

    std::function<int(const ScanPageInfo &)> decide;
    std::function<void(const ScanPageInfo &, qint64)> onProgress;
    QList<QImage> images;
    QList<ScanPageInfo> infos;
    QList<int> asked;

protected:
    int DecideTransfer(const ScanPageInfo &info) override
    {
        asked.append(info.page);
        return decide ? decide(info) : TransferImage;
    }
    void TakeImage(const QImage &image, const ScanPageInfo &info) override
    {
        images.append(image);
        infos.append(info);
    }
    void PageProgress(const ScanPageInfo &info, qint64 bytes) override
    {
        if (onProgress)
            onProgress(info, bytes);
    }
};

class TestBackend : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_SANE_TEST_BACKEND();
        ASSERT_TRUE(m_scanner.Initialise()) << m_scanner.unavailableNote().toStdString();
    }

    void open(const QString &device, const QVariantMap &values = {})
    {
        const Status s = m_scanner.OpenDataSource(device);
        ASSERT_TRUE(s.ok()) << s.error().toStdString();
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            const Status set = m_scanner.setOption(it.key(), it.value());
            ASSERT_TRUE(set.ok()) << it.key().toStdString() << ": " << set.error().toStdString();
        }
    }

    RecordingScanner m_scanner;
};

const QString kFeeder = u"Automatic Document Feeder"_s;

// Letter size at 50 dpi, worked out apart from what the device says.
constexpr int kLetterWidth50 = 425;  // 8.5 in
constexpr int kLetterHeight50 = 550; // 11 in

} // namespace

TEST(ScanLibrary, AMissingLibraryLeavesScanningUnavailableAndEveryCallRefused)
{
    RecordingScanner scanner(u"libsane-that-is-not-there.so.9"_s);
    EXPECT_FALSE(scanner.Initialise());
    EXPECT_FALSE(scanner.isAvailable());
    EXPECT_TRUE(scanner.unavailableNote().contains(u"libsane-that-is-not-there.so.9"_s))
        << scanner.unavailableNote().toStdString();
    EXPECT_TRUE(scanner.unavailableNote().contains(u"المسح الضوئي غير متاح"_s));
    EXPECT_FALSE(scanner.devices().ok());
    EXPECT_FALSE(scanner.SelectDefaultSource());
    EXPECT_FALSE(scanner.OpenDataSource().ok());
    const ScanOutcome outcome = scanner.Acquire();
    EXPECT_EQ(outcome.end, ScanOutcome::End::Failed);
    EXPECT_TRUE(scanner.images.isEmpty());
    scanner.Release();
}

TEST(ScanLibrary, ALibraryWithoutTheScannerEntriesIsNotTaken)
{
    // A real shared library of the system that is no scanner library.
    SaneLibrary library(u"libz.so.1"_s);
    EXPECT_FALSE(library.isLoaded());
    EXPECT_TRUE(library.problem().contains(u"sane_init"_s)) << library.problem().toStdString();
}

TEST_F(TestBackend, ListsBothTestDevicesAndTakesTheFirstOrTheRememberedOneAsDefault)
{
    const auto devices = m_scanner.devices();
    ASSERT_TRUE(devices.ok()) << devices.error().toStdString();
    QStringList names;
    for (const ScanDevice &d : *devices) {
        names << d.name;
        EXPECT_EQ(d.vendor, u"Noname"_s);
        EXPECT_FALSE(d.model.isEmpty());
    }
    EXPECT_EQ(names, (QStringList{u"test:0"_s, u"test:1"_s}));

    ASSERT_TRUE(m_scanner.SelectDefaultSource());
    EXPECT_EQ(m_scanner.source(), u"test:0"_s);
    ASSERT_TRUE(m_scanner.SelectDefaultSource(u"test:1"_s));
    EXPECT_EQ(m_scanner.source(), u"test:1"_s);
    ASSERT_TRUE(m_scanner.SelectDefaultSource(u"airscan:gone"_s));
    EXPECT_EQ(m_scanner.source(), u"test:0"_s);
}

TEST_F(TestBackend, OptionsComeFromTheDevicesDescriptorsWithTheirRoles)
{
    open(u"test:0"_s);
    const ScanOptions &o = m_scanner.options();
    const ScanOption *source = o.find(ScanOption::Role::Source);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->strings, (QStringList{u"Flatbed"_s, kFeeder}));
    EXPECT_EQ(source->value.toString(), u"Flatbed"_s);
    EXPECT_FALSE(o.feederChosen());
    EXPECT_EQ(o.sourceValue(true), kFeeder);
    EXPECT_EQ(o.sourceValue(false), u"Flatbed"_s);

    const ScanOption *mode = o.find(ScanOption::Role::Mode);
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->value.toString(), u"Gray"_s);
    EXPECT_EQ(o.modeValue(u"color"_s), u"Color"_s);
    EXPECT_TRUE(o.modeValue(u"lineart"_s).isEmpty()) << "the test backend has no line-art mode";

    const ScanOption *resolution = o.find(ScanOption::Role::Resolution);
    ASSERT_NE(resolution, nullptr);
    EXPECT_EQ(resolution->constraint, ScanOption::Constraint::Range);
    EXPECT_DOUBLE_EQ(resolution->minimum, 1.0);
    EXPECT_DOUBLE_EQ(resolution->maximum, 1200.0);
    EXPECT_NEAR(resolution->value.toDouble(), 50.0, 1e-3);
    EXPECT_EQ(resolution->unitText(), u"dpi"_s);

    for (auto role : {ScanOption::Role::TopLeftX, ScanOption::Role::TopLeftY, ScanOption::Role::BottomRightX,
                      ScanOption::Role::BottomRightY})
        ASSERT_NE(o.find(role), nullptr) << int(role);
    EXPECT_NEAR(o.find(ScanOption::Role::BottomRightX)->value.toDouble(), 215.9, 0.01);
    EXPECT_EQ(o.find(u"depth"_s)->role, ScanOption::Role::Advanced);
    EXPECT_EQ(o.find(u"depth"_s)->numbers, (QList<double>{1, 8, 16}));

    // Colour makes the three-pass option active: the options are read again after a change.
    ASSERT_FALSE(o.find(u"three-pass"_s)->active);
    ASSERT_TRUE(m_scanner.setOption(u"mode"_s, u"Color"_s).ok());
    EXPECT_EQ(m_scanner.options().find(u"mode"_s)->value.toString(), u"Color"_s);
    EXPECT_TRUE(m_scanner.options().find(u"three-pass"_s)->active);

    const Status refused = m_scanner.setOption(u"mode"_s, u"Infrared"_s);
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(m_scanner.options().find(u"mode"_s)->value.toString(), u"Color"_s);
}

TEST_F(TestBackend, RememberedValuesGoBackInAnOrderThatLetsEachTake)
{
    open(u"test:0"_s);
    // Three-pass is offered only in colour: it must be set after the mode although it sorts first.
    const QVariantMap remembered{{u"three-pass"_s, u"true"_s},
                                 {u"mode"_s, u"Color"_s},
                                 {u"resolution"_s, u"75"_s},
                                 {u"br-x"_s, u"100"_s},
                                 {u"no-such-option"_s, u"1"_s}};
    const QStringList taken = m_scanner.applyValues(remembered);
    EXPECT_TRUE(taken.contains(u"three-pass"_s));
    EXPECT_FALSE(taken.contains(u"no-such-option"_s));
    EXPECT_TRUE(m_scanner.options().find(u"three-pass"_s)->value.toBool());
    EXPECT_NEAR(m_scanner.options().find(u"resolution"_s)->value.toDouble(), 75.0, 1e-3);
    EXPECT_NEAR(m_scanner.options().find(u"br-x"_s)->value.toDouble(), 100.0, 1e-3);

    QTemporaryDir dir;
    QSettings profile(dir.filePath(u"profile.ini"_s), QSettings::IniFormat);
    ScanMemory::setValues(profile, u"test:0"_s, m_scanner.currentValues());
    ScanMemory::setValues(profile, u"net:host/x:1"_s, {{u"mode"_s, u"Gray"_s}});
    ScanMemory::setLastDevice(profile, u"test:0"_s);
    profile.sync();
    QSettings again(dir.filePath(u"profile.ini"_s), QSettings::IniFormat);
    EXPECT_EQ(ScanMemory::lastDevice(again), u"test:0"_s);
    const QVariantMap back = ScanMemory::values(again, u"test:0"_s);
    EXPECT_EQ(back.value(u"mode"_s).toString(), u"Color"_s);
    EXPECT_EQ(back.value(u"three-pass"_s).toString(), u"true"_s);
    EXPECT_EQ(ScanMemory::values(again, u"net:host/x:1"_s), (QVariantMap{{u"mode"_s, u"Gray"_s}}));
}

class PageModes : public TestBackend, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(PageModes, AFlatbedPageHasTheDevicesSizeAndDepth)
{
    const QString mode = QString::fromLatin1(GetParam());
    open(u"test:0"_s, {{u"mode"_s, mode}});
    const ScanOutcome outcome = m_scanner.Acquire();
    ASSERT_EQ(outcome.end, ScanOutcome::End::Finished) << outcome.message.toStdString();
    ASSERT_EQ(m_scanner.images.size(), 1) << "a flatbed gives one page";
    const QImage &page = m_scanner.images.constFirst();
    const ScanPageInfo &info = m_scanner.infos.constFirst();
    EXPECT_EQ(page.width(), info.width);
    EXPECT_EQ(page.height(), info.height);
    EXPECT_NEAR(page.width(), kLetterWidth50, 1);
    EXPECT_NEAR(page.height(), kLetterHeight50, 1);
    const bool colour = mode == u"Color"_s;
    EXPECT_EQ(info.depth, 8);
    EXPECT_EQ(info.bitsPerPixel(), colour ? 24 : 8);
    EXPECT_EQ(page.depth(), colour ? 24 : 8);
    EXPECT_EQ(page.format(), colour ? QImage::Format_RGB888 : QImage::Format_Grayscale8);
    EXPECT_EQ(page.isGrayscale(), !colour);
    // The colour pattern is no blank page.
    EXPECT_NE(page.pixel(0, 0), page.pixel(page.width() / 2, page.height() / 2));
}

INSTANTIATE_TEST_SUITE_P(GreyAndColour, PageModes, ::testing::Values("Gray", "Color"));

TEST_F(TestBackend, LineArtIsTwoColoursAndThreePassColourEqualsOnePass)
{
    open(u"test:0"_s, {{u"depth"_s, 1}});
    ASSERT_EQ(m_scanner.Acquire().end, ScanOutcome::End::Finished);
    ASSERT_EQ(m_scanner.images.size(), 1);
    const QImage lineArt = m_scanner.images.takeFirst();
    EXPECT_EQ(lineArt.depth(), 1);
    EXPECT_EQ(m_scanner.infos.takeFirst().bitsPerPixel(), 1);
    QSet<QRgb> colours;
    for (int y = 0; y < lineArt.height(); y += 7)
        for (int x = 0; x < lineArt.width(); x += 7)
            colours.insert(lineArt.pixel(x, y));
    EXPECT_EQ(colours, (QSet<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}));

    ASSERT_TRUE(m_scanner.setOption(u"depth"_s, 8).ok());
    ASSERT_TRUE(m_scanner.setOption(u"mode"_s, u"Color"_s).ok());
    ASSERT_EQ(m_scanner.Acquire().end, ScanOutcome::End::Finished);
    ASSERT_TRUE(m_scanner.setOption(u"three-pass"_s, true).ok());
    ASSERT_TRUE(m_scanner.setOption(u"three-pass-order"_s, u"GBR"_s).ok());
    const ScanOutcome passes = m_scanner.Acquire();
    ASSERT_EQ(passes.end, ScanOutcome::End::Finished) << passes.message.toStdString();
    ASSERT_EQ(m_scanner.images.size(), 2);
    EXPECT_TRUE(m_scanner.infos.at(1).threePass);
    EXPECT_FALSE(m_scanner.infos.at(0).threePass);
    EXPECT_EQ(m_scanner.images.at(1), m_scanner.images.at(0)) << "the three passes put every colour in its place";
}

TEST_F(TestBackend, AFeederGivesItsTenPagesThenSaysItHasNoMore)
{
    open(u"test:0"_s, {{u"source"_s, kFeeder}, {u"resolution"_s, 25}});
    ASSERT_TRUE(m_scanner.options().feederChosen());
    const ScanOutcome outcome = m_scanner.Acquire();
    EXPECT_EQ(outcome.end, ScanOutcome::End::Finished) << outcome.message.toStdString();
    EXPECT_EQ(outcome.pages, 10);
    EXPECT_EQ(m_scanner.images.size(), 10);
    EXPECT_EQ(m_scanner.asked, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST_F(TestBackend, DecideTransferSkipsAPageOrEndsTheAcquisition)
{
    open(u"test:0"_s, {{u"source"_s, kFeeder}, {u"resolution"_s, 25}});
    // Cancel all at the fourth page: three pages, and the acquisition counts as finished.
    m_scanner.decide = [](const ScanPageInfo &info) { return info.page == 4 ? CTwain::CancelAll : CTwain::TransferImage; };
    ScanOutcome outcome = m_scanner.Acquire();
    EXPECT_EQ(outcome.end, ScanOutcome::End::Finished);
    EXPECT_EQ(outcome.pages, 3);
    EXPECT_EQ(m_scanner.images.size(), 3);
    EXPECT_EQ(m_scanner.asked, (QList<int>{1, 2, 3, 4}));

    // The feeder is refilled by the next opening of the device; skipped pages are read and
    // dropped, so the one after them still comes.
    m_scanner.CloseSource();
    open(u"test:0"_s, {{u"source"_s, kFeeder}, {u"resolution"_s, 25}});
    m_scanner.images.clear();
    m_scanner.infos.clear();
    m_scanner.decide = [](const ScanPageInfo &info) { return info.page % 2 == 0 ? CTwain::SkipImage : CTwain::TransferImage; };
    outcome = m_scanner.Acquire();
    EXPECT_EQ(outcome.end, ScanOutcome::End::Finished);
    EXPECT_EQ(outcome.pages, 5);
    QList<int> pages;
    for (const ScanPageInfo &i : m_scanner.infos)
        pages << i.page;
    EXPECT_EQ(pages, (QList<int>{1, 3, 5, 7, 9}));
}

class DeviceErrors : public TestBackend, public ::testing::WithParamInterface<std::tuple<const char *, const char *>>
{
};

TEST_P(DeviceErrors, AreToldInArabicWithSanesOwnReason)
{
    const auto [status, arabic] = GetParam();
    open(u"test:0"_s, {{u"read-return-value"_s, QString::fromLatin1(status)}});
    const ScanOutcome outcome = m_scanner.Acquire();
    EXPECT_EQ(outcome.end, ScanOutcome::End::Failed);
    EXPECT_TRUE(m_scanner.images.isEmpty());
    EXPECT_TRUE(outcome.message.contains(QString::fromUtf8(arabic))) << outcome.message.toStdString();
    // sane_strstatus's words for the status, as the library gives them.
    const QString sane = status == std::string_view("SANE_STATUS_JAMMED") ? u"jammed"_s : u"open"_s;
    EXPECT_TRUE(outcome.message.contains(sane, Qt::CaseInsensitive)) << outcome.message.toStdString();
}

INSTANTIATE_TEST_SUITE_P(JammedAndCoverOpen, DeviceErrors,
                         ::testing::Values(std::tuple{"SANE_STATUS_JAMMED", "الورق عالق"},
                                           std::tuple{"SANE_STATUS_COVER_OPEN", "غطاء الماسح الضوئي مفتوح"}));

TEST_F(TestBackend, CancelDuringAPageEndsTheAcquisitionWithoutAHalfPage)
{
    // A slow page: small reads with a pause after each.
    open(u"test:0"_s, {{u"source"_s, kFeeder},
                       {u"read-limit"_s, true},
                       {u"read-limit-size"_s, 2048},
                       {u"read-delay"_s, true},
                       {u"read-delay-duration"_s, 5000}});
    std::thread canceller;
    qint64 seen = 0;
    m_scanner.onProgress = [&](const ScanPageInfo &info, qint64 bytes) {
        seen = bytes;
        if (!canceller.joinable() && info.page == 1 && bytes > 0 && bytes < info.expectedBytes)
            canceller = std::thread([this] { m_scanner.cancel(); });
    };
    QElapsedTimer t;
    t.start();
    const ScanOutcome outcome = m_scanner.Acquire();
    if (canceller.joinable())
        canceller.join();
    EXPECT_EQ(outcome.end, ScanOutcome::End::Cancelled);
    EXPECT_EQ(outcome.pages, 0);
    EXPECT_TRUE(m_scanner.images.isEmpty()) << "no part of the page is kept";
    EXPECT_GT(seen, 0);
    EXPECT_LT(t.elapsed(), 20000);

    // The cancel does not carry over: the next acquisition reads its page.
    m_scanner.onProgress = {};
    ASSERT_TRUE(m_scanner.setOption(u"read-delay"_s, false).ok());
    ASSERT_TRUE(m_scanner.setOption(u"read-limit"_s, false).ok());
    ASSERT_TRUE(m_scanner.setOption(u"source"_s, u"Flatbed"_s).ok());
    EXPECT_EQ(m_scanner.Acquire().end, ScanOutcome::End::Finished);
    EXPECT_EQ(m_scanner.images.size(), 1);
}

TEST_F(TestBackend, TheCommandLineWritesEachPageAndListsTheDevices)
{
    QString out;
    QString err;
    QTextStream o(&out);
    QTextStream e(&err);
    ASSERT_EQ(AdminCommands::run({u"dovrelle-admin"_s, u"scan"_s, u"--list"_s}, o, e), 0) << err.toStdString();
    o.flush();
    EXPECT_TRUE(out.startsWith(u"test:0\tNoname\t"_s)) << out.toStdString();
    EXPECT_TRUE(out.contains(u"\ntest:1\tNoname\t"_s)) << out.toStdString();

    QTemporaryDir dir;
    const QString pages = dir.filePath(u"pages"_s);
    out.clear();
    const int status = AdminCommands::run({u"dovrelle-admin"_s, u"scan"_s, u"--device"_s, u"test:1"_s, u"--source"_s,
                                           u"feeder"_s, u"--mode"_s, u"lineart"_s, u"--resolution"_s, u"30"_s,
                                           u"--out"_s, pages},
                                          o, e);
    o.flush();
    e.flush();
    ASSERT_EQ(status, 0) << err.toStdString();
    const QStringList lines = out.trimmed().split(u'\n');
    ASSERT_EQ(lines.size(), 10) << out.toStdString();
    for (int i = 0; i < 10; ++i) {
        const QString file = QDir(pages).filePath(u"page-%1.png"_s.arg(i + 1));
        const QImage page(file);
        ASSERT_FALSE(page.isNull()) << file.toStdString();
        EXPECT_EQ(lines.at(i), u"%1\t%2\t%3\t1"_s.arg(file).arg(page.width()).arg(page.height()));
        EXPECT_NEAR(page.width(), 255, 1); // 8.5 in at 30 dpi
    }
    EXPECT_FALSE(QFileInfo::exists(QDir(pages).filePath(u"page-11.png"_s)));

    out.clear();
    err.clear();
    EXPECT_NE(AdminCommands::run({u"dovrelle-admin"_s, u"scan"_s, u"--mode"_s, u"sepia"_s, u"--out"_s, pages}, o, e), 0);
    e.flush();
    EXPECT_TRUE(err.contains(u"sepia"_s)) << err.toStdString();
}
