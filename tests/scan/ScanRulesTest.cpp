// The page loop's bounds against a device that never delivers, and the making of pictures from the
// bytes SANE hands over.

#include "scan/CTwain.h"
#include "scan/ScanPage.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

// A device of the tests' own: one option (the count), one page of 10 x 4 grey, and a failure
// chosen by the test.
struct BrokenDevice
{
    enum Fault { RefusesParameters, SendsNothing, EmptyPage, NoFault } fault = NoFault;
    int parameterCalls = 0;
    int starts = 0;
    int cancels = 0;
    qint64 sent = 0;
};
BrokenDevice g_device;
int g_handle = 0;
const SANE_Device g_listed{"broken:0", "Tests", "Broken", "virtual device"};
const SANE_Device *g_list[] = {&g_listed, nullptr};
const SANE_Option_Descriptor g_count{"", "Number of options", "", SANE_TYPE_INT, SANE_UNIT_NONE, sizeof(SANE_Word),
                                     SANE_CAP_SOFT_DETECT, SANE_CONSTRAINT_NONE, {nullptr}};

SaneApi brokenApi()
{
    SaneApi api;
    api.init = [](SANE_Int *version, SANE_Auth_Callback) {
        *version = SANE_VERSION_CODE(1, 0, 0);
        return SANE_STATUS_GOOD;
    };
    api.exit = [] {};
    api.getDevices = [](const SANE_Device ***list, SANE_Bool) {
        *list = g_list;
        return SANE_STATUS_GOOD;
    };
    api.open = [](SANE_String_Const, SANE_Handle *h) {
        *h = &g_handle;
        return SANE_STATUS_GOOD;
    };
    api.close = [](SANE_Handle) {};
    api.getOptionDescriptor = [](SANE_Handle, SANE_Int i) -> const SANE_Option_Descriptor * {
        return i == 0 ? &g_count : nullptr;
    };
    api.controlOption = [](SANE_Handle, SANE_Int i, SANE_Action a, void *v, SANE_Int *) {
        if (i != 0 || a != SANE_ACTION_GET_VALUE)
            return SANE_STATUS_INVAL;
        *static_cast<SANE_Int *>(v) = 1;
        return SANE_STATUS_GOOD;
    };
    api.getParameters = [](SANE_Handle, SANE_Parameters *p) {
        ++g_device.parameterCalls;
        if (g_device.fault == BrokenDevice::RefusesParameters)
            return SANE_STATUS_INVAL;
        *p = {SANE_FRAME_GRAY, SANE_TRUE, 10, 10, 4, 8};
        return SANE_STATUS_GOOD;
    };
    api.start = [](SANE_Handle) {
        ++g_device.starts;
        return SANE_STATUS_GOOD;
    };
    api.read = [](SANE_Handle, SANE_Byte *data, SANE_Int max, SANE_Int *length) {
        *length = 0;
        switch (g_device.fault) {
        case BrokenDevice::SendsNothing: return SANE_STATUS_GOOD;
        case BrokenDevice::EmptyPage: return SANE_STATUS_EOF;
        default: break;
        }
        if (g_device.sent >= 40)
            return SANE_STATUS_EOF;
        const SANE_Int n = std::min<SANE_Int>(max, SANE_Int(40 - g_device.sent));
        std::memset(data, 0x80, size_t(n));
        g_device.sent += n;
        *length = n;
        return SANE_STATUS_GOOD;
    };
    api.cancel = [](SANE_Handle) { ++g_device.cancels; };
    api.strstatus = [](SANE_Status s) -> SANE_String_Const { return s == SANE_STATUS_INVAL ? "Invalid argument" : "Other"; };
    return api;
}

class Collecting : public CTwain
{
public:
    using CTwain::CTwain;
    int taken = 0;

protected:
    void TakeImage(const QImage &, const ScanPageInfo &) override { ++taken; }
};

class BrokenDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_device = {};
        ASSERT_TRUE(m_scanner.Initialise());
        ScanLimits limits;
        limits.parameterTries = 3;
        limits.parameterWaitMs = 10;
        limits.stallMs = 300;
        m_scanner.setLimits(limits);
    }
    Collecting m_scanner{brokenApi()};
};

} // namespace

TEST_F(BrokenDeviceTest, AWorkingPageComesThroughTheSameLoop)
{
    const ScanOutcome outcome = m_scanner.Acquire();
    EXPECT_EQ(outcome.end, ScanOutcome::End::Finished) << outcome.message.toStdString();
    EXPECT_EQ(m_scanner.taken, 1);
    EXPECT_EQ(m_scanner.source(), u"broken:0"_s) << "the default device is the first listed";
    EXPECT_GE(g_device.cancels, 1) << "the batch is ended";
}

TEST_F(BrokenDeviceTest, ADeviceThatKeepsRefusingTheParametersIsGivenUpAfterBoundedTries)
{
    g_device.fault = BrokenDevice::RefusesParameters;
    QElapsedTimer t;
    t.start();
    const ScanOutcome outcome = m_scanner.Acquire();
    EXPECT_EQ(outcome.end, ScanOutcome::End::Failed);
    EXPECT_EQ(g_device.parameterCalls, 3);
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_TRUE(outcome.message.contains(u"أبعاد الصفحة بعد 3 محاولات"_s)) << outcome.message.toStdString();
    EXPECT_TRUE(outcome.message.contains(u"Invalid argument"_s)) << outcome.message.toStdString();
    EXPECT_EQ(m_scanner.taken, 0);
    EXPECT_FALSE(m_scanner.isSourceEnabled());
}

TEST_F(BrokenDeviceTest, ADeviceThatSendsNoDataIsGivenUpAfterABoundedTime)
{
    g_device.fault = BrokenDevice::SendsNothing;
    QElapsedTimer t;
    t.start();
    const ScanOutcome outcome = m_scanner.Acquire();
    EXPECT_EQ(outcome.end, ScanOutcome::End::Failed);
    EXPECT_GE(t.elapsed(), 300);
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_TRUE(outcome.message.contains(u"توقف الماسح الضوئي broken:0 عن ارسال الصفحة 1"_s))
        << outcome.message.toStdString();
    EXPECT_EQ(m_scanner.taken, 0);
}

TEST_F(BrokenDeviceTest, APageWithoutAByteIsAFailureNotAnEmptyWindow)
{
    g_device.fault = BrokenDevice::EmptyPage;
    const ScanOutcome outcome = m_scanner.Acquire();
    EXPECT_EQ(outcome.end, ScanOutcome::End::Failed);
    EXPECT_TRUE(outcome.message.contains(u"لم يرسل الماسح الضوئي broken:0 أي بيانات للصفحة 1"_s))
        << outcome.message.toStdString();
    EXPECT_EQ(m_scanner.taken, 0);
}

namespace {

SANE_Parameters params(SANE_Frame f, int width, int lines, int depth, int bytesPerLine, bool last = true)
{
    return {f, last ? SANE_TRUE : SANE_FALSE, bytesPerLine, width, lines, depth};
}

} // namespace

TEST(ScanPages, LineArtSetBitsAreBlackAndPaddingAtTheEndOfRowsIsLeftOut)
{
    ScanPage page;
    // 10 pixels in 2 bytes, then 2 bytes of padding per row; the first pixel and the tenth black.
    const QByteArray row("\x80\x40\xff\xff", 4);
    page.addFrame(params(SANE_FRAME_GRAY, 10, 2, 1, 4), row + row);
    const QImage image = page.image();
    ASSERT_EQ(image.size(), QSize(10, 2));
    EXPECT_EQ(image.depth(), 1);
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(9, 1), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(8, 1), qRgb(255, 255, 255));
}

TEST(ScanPages, ThreePassesMakeOneColourPageOnlyWhenAllThreeCame)
{
    ScanPage page;
    page.addFrame(params(SANE_FRAME_GREEN, 2, 1, 8, 2, false), QByteArray("\x10\x20", 2));
    page.addFrame(params(SANE_FRAME_BLUE, 2, 1, 8, 2, false), QByteArray("\x30\x40", 2));
    EXPECT_FALSE(page.isComplete());
    EXPECT_TRUE(page.image().isNull()) << "two passes are no page";
    page.addFrame(params(SANE_FRAME_RED, 2, 1, 8, 2), QByteArray("\x50\x60", 2));
    const QImage image = page.image();
    ASSERT_EQ(image.size(), QSize(2, 1));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0x50, 0x10, 0x30));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0x60, 0x20, 0x40));
}

TEST(ScanPages, AnUnknownHeightIsWhatArrivedAndSixteenBitsStaySixteen)
{
    ScanPage hand;
    hand.addFrame(params(SANE_FRAME_GRAY, 3, -1, 8, 3), QByteArray(9, '\x7f'));
    EXPECT_EQ(hand.image().size(), QSize(3, 3));

    ScanPage deep;
    QByteArray bytes(2 * 3 * 2, '\0');
    const quint16 red = 0xabcd;
    std::memcpy(bytes.data(), &red, 2);
    deep.addFrame(params(SANE_FRAME_RGB, 2, 1, 16, 12), bytes + QByteArray(12, '\0'));
    const QImage image = deep.image();
    ASSERT_EQ(image.format(), QImage::Format_RGBX64);
    EXPECT_EQ(image.height(), 1) << "what came past the announced lines is no row";
    EXPECT_EQ(image.pixelColor(0, 0).rgba64().red(), 0xabcd);
}

TEST(ScanPages, RowsShorterThanThePixelsTheyClaimAreRefused)
{
    ScanPage page;
    page.addFrame(params(SANE_FRAME_RGB, 10, 1, 8, 20), QByteArray(20, '\0'));
    EXPECT_TRUE(page.image().isNull());
    ScanPage half;
    half.addFrame(params(SANE_FRAME_GRAY, 4, 5, 8, 4), QByteArray(3, '\0'));
    EXPECT_TRUE(half.image().isNull()) << "not one whole row arrived";
}
