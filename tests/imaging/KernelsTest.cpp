#include "ImageTestPictures.h"

#include <gtest/gtest.h>

using namespace ImageTestPictures;

namespace {

// 10 20 30 / 40 50 60 / 70 80 90: level = 10 + 10x + 30y.
const std::vector<int> kRamp = {10, 20, 30, 40, 50, 60, 70, 80, 90};

struct Expected
{
    const char *command;
    std::vector<int> levels; // worked out by hand, edge pixels repeated outward
};

class EveryKernel : public ::testing::TestWithParam<Expected>
{
};

} // namespace

// Corner (0,0) sees 10 10 20 / 10 10 20 / 40 40 50; corner (2,2) sees 50 60 60 / 80 90 90 / 80 90 90.
INSTANTIATE_TEST_SUITE_P(
    HandWorked, EveryKernel,
    ::testing::Values(
        // 210 / 9 = 23 at (0,0); 450 / 9 at the centre; (2,2): 690 / 9 = 76.
        Expected{"blur", {23, 30, 36, 43, 50, 56, 63, 70, 76}},
        // (0,0): (210 - 10 + 8 * 10) / 16 = 17; centre (400 + 400) / 16 = 50.
        Expected{"soften", {17, 25, 33, 41, 50, 58, 66, 74, 82}},
        // (0,0): (10+20+20 + 20+40+40 + 40+80+50) / 16 = 20.
        Expected{"gaussian-3x3", {20, 27, 35, 42, 50, 57, 65, 72, 80}},
        // (0,0): (520 + 10 * 20 + 30 * 20) / 52 = 25; the centre keeps 50.
        Expected{"gaussian-5x5", {25, 31, 37, 43, 50, 56, 62, 68, 74}},
        // (0,0): (150 - 200) / 7 < 0 clamps to 0; (2,2): (1350 - 600) / 7 = 107.
        Expected{"sharpen", {0, 7, 21, 35, 50, 64, 78, 92, 107}},
        // Negated Laplacian + 255: the top rows clamp to 255, (2,2): -(720 - 600) + 255 = 135.
        Expected{"edge", {255, 255, 255, 255, 255, 225, 195, 165, 135}},
        // bottom-left minus top-right, divisor 0 as 1, + 127: (0,0) 40 - 20 + 127.
        Expected{"emboss", {147, 137, 147, 177, 167, 177, 147, 137, 147}}),
    [](const ::testing::TestParamInfo<Expected> &info) {
        std::string name = info.param.command;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST_P(EveryKernel, GivesTheHandWorkedLevels)
{
    const ImageCommands::Outcome out = run(GetParam().command, grey(3, 3, kRamp));
    ASSERT_TRUE(out.picture);
    EXPECT_EQ(levelsOf(*out.picture), GetParam().levels);
}

TEST(Kernels, DivisorZeroCountsAsOneAndMinusOneNegates)
{
    ImageOps::Pixels p = ImageOps::pixelsOf(grey(3, 3, kRamp));
    const ImageOps::Kernel identityZero{3, {0, 0, 0, 0, 1, 0, 0, 0, 0}, 0, 5};
    ASSERT_TRUE(ImageOps::convolve(p, identityZero));
    EXPECT_EQ(p.at(1, 1)[0], 55);
    const ImageOps::Kernel negate{3, {0, 0, 0, 0, 1, 0, 0, 0, 0}, -1, 255};
    ASSERT_TRUE(ImageOps::convolve(p, negate));
    EXPECT_EQ(p.at(1, 1)[0], 200);
    EXPECT_EQ(p.at(0, 0)[0], 240);
}

TEST(Kernels, EachChannelIsClampedOnItsOwn)
{
    ImageOps::Pixels p(1, 1, 3);
    p.data = {200, 40, 120};
    const ImageOps::Kernel doubled{3, {0, 0, 0, 0, 2, 0, 0, 0, 0}, 1, -100};
    ASSERT_TRUE(ImageOps::convolve(p, doubled));
    EXPECT_EQ(p.data, (std::vector<std::uint8_t>{255, 0, 140}));
}

TEST(Kernels, RankFiltersTakeTheWindowBehindAndTheEdge)
{
    // A size-2 window reaches one pixel back: erode at (0,0) sees only itself (edge repeated).
    ImageOps::Pixels p = ImageOps::pixelsOf(grey(3, 3, kRamp));
    ImageOps::Pixels d = p;
    ASSERT_TRUE(ImageOps::rankFilter(p, 2, false));
    EXPECT_EQ(p.at(0, 0)[0], 10);
    EXPECT_EQ(p.at(2, 2)[0], 50);
    ASSERT_TRUE(ImageOps::rankFilter(d, 2, true));
    EXPECT_EQ(d.at(2, 2)[0], 90);
    EXPECT_EQ(d.at(1, 1)[0], 50);
}

TEST(Kernels, ContourAndNonLinearEdgeMarkBrighterNeighbours)
{
    ImageOps::Pixels p = ImageOps::pixelsOf(grey(3, 3, kRamp));
    ImageOps::Pixels e = p;
    ASSERT_TRUE(ImageOps::contour(p));
    EXPECT_EQ(p.at(1, 1)[0], 255 - (90 - 50));
    EXPECT_EQ(p.at(2, 2)[0], 255);
    ASSERT_TRUE(ImageOps::edgeNonLinear(e, 2));
    EXPECT_EQ(e.at(1, 1)[0], 255 - (50 - 10));
    EXPECT_EQ(e.at(0, 0)[0], 255);
}
