// The histogram bar draws what it counts: the pens' colours are read back from the grabbed widget.

#include "imaging/CHistogramBar.h"
#include "imaging/HistogramPlot.h"

#include <QCheckBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <optional>

namespace {

// 99 pixels of pure red and one of half red: the red curve has a tall peak at the right edge
// and a single count at level 128; green and blue pile up at level 0.
QImage redPicture()
{
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(qRgb(255, 0, 0));
    picture.setPixel(0, 0, qRgb(128, 0, 0));
    return picture;
}

// The topmost row of the given colour within the columns, or nothing.
std::optional<int> topOf(const QImage &shot, QRgb colour, int fromX, int toX)
{
    for (int y = 0; y < shot.height(); ++y)
        for (int x = std::max(0, fromX); x <= std::min(shot.width() - 1, toX); ++x)
            if ((shot.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return y;
    return std::nullopt;
}

int columnOf(const HistogramPlot *plot, int level)
{
    const QRect r = plot->plotRect();
    return r.left() + level * (r.width() - 1) / 255;
}

} // namespace

TEST(HistogramBar, RedCurveIsDrawnWithItsPenOnlyWhileItsToggleIsOn)
{
    CHistogramBar bar;
    bar.resize(300, 180);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    bar.setImage(redPicture());
    EXPECT_EQ(bar.histogram().counts(Histogram::Red)[255], 99u);

    const HistogramPlot *plot = bar.plot();
    QImage shot = bar.plot()->grab().toImage();
    const int plotTop = plot->plotRect().top();
    // The red peak reaches the top of the plot at the last column; no other curve is there.
    const auto redTop = topOf(shot, HistogramPlot::kRedPen, columnOf(plot, 255) - 1, columnOf(plot, 255) + 1);
    ASSERT_TRUE(redTop.has_value());
    EXPECT_LE(*redTop, plotTop + 1);
    // Green and blue peak at level 0, where the red is flat.
    EXPECT_TRUE(topOf(shot, HistogramPlot::kBluePen, columnOf(plot, 0) - 1, columnOf(plot, 0) + 1).has_value() ||
                topOf(shot, HistogramPlot::kGreenPen, columnOf(plot, 0) - 1, columnOf(plot, 0) + 1).has_value());
    EXPECT_TRUE(topOf(shot, HistogramPlot::kGreyPen, 0, shot.width()).has_value());

    QTest::mouseClick(bar.toggle(Histogram::Red), Qt::LeftButton);
    EXPECT_FALSE(bar.toggle(Histogram::Red)->isChecked());
    shot = bar.plot()->grab().toImage();
    EXPECT_FALSE(topOf(shot, HistogramPlot::kRedPen, 0, shot.width()).has_value());

    QTest::mouseClick(bar.toggle(Histogram::Red), Qt::LeftButton);
    shot = bar.plot()->grab().toImage();
    EXPECT_TRUE(topOf(shot, HistogramPlot::kRedPen, 0, shot.width()).has_value());
}

TEST(HistogramBar, LogScaleLiftsASingleCount)
{
    CHistogramBar bar;
    bar.resize(300, 220);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    bar.setImage(redPicture());
    const HistogramPlot *plot = bar.plot();
    const int x = columnOf(plot, 128);
    const int height = plot->plotRect().height();

    const auto linear = topOf(bar.plot()->grab().toImage(), HistogramPlot::kRedPen, x - 1, x + 1);
    QTest::mouseClick(bar.logBox(), Qt::LeftButton);
    ASSERT_TRUE(bar.logBox()->isChecked());
    const auto logarithmic = topOf(bar.plot()->grab().toImage(), HistogramPlot::kRedPen, x - 1, x + 1);
    ASSERT_TRUE(linear.has_value());
    ASSERT_TRUE(logarithmic.has_value());
    // 1 of 100: about 1 % of the height on a straight scale, log(2) / log(101) = 15 % on the log one.
    EXPECT_GT(*linear - *logarithmic, height / 10);
}
