#include "ImageTestPictures.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace ImageTestPictures;
using namespace Qt::Literals::StringLiterals;

TEST(ErrorDiffusion, BurkesSpreadsTheErrorWithItsWeights)
{
    // Grey 100 everywhere. (0,0) -> 0 hands 25 right, 12 two right, 25 12 6 below; (1,0) is 125
    // -> 0 and hands 31 right, 15 31 15 below; (2,0) is 143 -> 255 and takes 7 14 28 from below.
    // The second row then reads 133 (-> 255, taking 30 and 15 from its right), 99 (-> 0, handing
    // 24 on) and 102 (-> 0).
    std::vector<std::uint8_t> grey(9, 100);
    ASSERT_TRUE(ImageOps::diffuseError(grey, 3, 3, ImageOps::Diffusion::Burkes));
    EXPECT_EQ(std::vector<int>(grey.begin(), grey.begin() + 6), (std::vector<int>{0, 0, 255, 255, 0, 0}));
}

class EveryDither : public ::testing::TestWithParam<int>
{
};

TEST_P(EveryDither, GivesBlackAndWhiteKeepingTheMeanGrey)
{
    const Magick::Image page = grey(32, 32, std::vector<int>(32 * 32, 100));
    const ImageCommands::Outcome out = run("dither", page, {{u"method"_s, GetParam()}});
    ASSERT_TRUE(out.picture);
    const std::vector<int> levels = levelsOf(*out.picture);
    int white = 0;
    for (int v : levels) {
        ASSERT_TRUE(v == 0 || v == 255) << v;
        white += v == 255;
    }
    EXPECT_NEAR(double(white) / double(levels.size()), 100.0 / 255.0, 0.06);
}

INSTANTIATE_TEST_SUITE_P(AllEight, EveryDither, ::testing::Range(0, 8));

TEST(Light, AddsBrightnessAndStretchesContrastAroundTheMiddle)
{
    const Magick::Image page = grey(3, 1, {100, 250, 28});
    EXPECT_EQ(levelsOf(*run("lighten", page).picture), (std::vector<int>{120, 255, 48}));
    EXPECT_EQ(levelsOf(*run("darken", page).picture), (std::vector<int>{80, 230, 8}));
    // Contrast 25: (100 - 128) * 1.25 + 128 = 93, 250 -> 280.5 clamps; -25: 250 -> 219.5 rounds up.
    EXPECT_EQ(levelsOf(*run("more-contrast", page).picture), (std::vector<int>{93, 255, 3}));
    EXPECT_EQ(levelsOf(*run("less-contrast", page).picture), (std::vector<int>{107, 220, 53}));
}

TEST(Threshold, DefaultsToThePictureMean)
{
    const Magick::Image page = grey(4, 1, {0, 0, 200, 200});
    const ImageCommands::Command *threshold = ImageCommands::find(u"threshold"_s);
    ASSERT_NE(threshold, nullptr);
    EXPECT_EQ(ImageCommands::defaultFor(threshold->params.front(), page).toInt(), 100);
    const Magick::Image black = *run("threshold", page).picture;
    EXPECT_EQ(levelsOf(black), (std::vector<int>{0, 0, 255, 255}));
    // Black and white with a palette of the two, written as one bit a pixel.
    EXPECT_EQ(black.classType(), MagickCore::PseudoClass);
    EXPECT_EQ(black.colorMapSize(), 2u);
    Magick::Blob bmp;
    Magick::Image written = black;
    written.magick("BMP");
    written.write(&bmp);
    EXPECT_EQ(Magick::Image(bmp).depth(), 1u);
    EXPECT_EQ(levelsOf(*run("threshold", page, {{u"level"_s, 200}}).picture), (std::vector<int>{0, 0, 0, 0}));
}

class CentreStays : public ::testing::TestWithParam<const char *>
{
};

TEST_P(CentreStays, ButTheRestMoves)
{
    const Magick::Image page = colourful(21, 21);
    const ImageCommands::Outcome out = run(GetParam(), page);
    ASSERT_TRUE(out.picture);
    const ImageOps::Pixels before = ImageOps::pixelsOf(page);
    const ImageOps::Pixels after = ImageOps::pixelsOf(*out.picture);
    EXPECT_TRUE(std::equal(before.at(10, 10), before.at(10, 10) + 3, after.at(10, 10)));
    EXPECT_NE(before.data, after.data);
}

INSTANTIATE_TEST_SUITE_P(CircleTransforms, CentreStays, ::testing::Values("pinch", "punch", "twirl", "cylinder"));

TEST(CircleTransform, LeavesWhatIsOutsideTheRadius)
{
    const Magick::Image page = colourful(21, 21);
    const ImageCommands::Outcome out = run("twirl", page, {{u"radius"_s, 5}});
    const ImageOps::Pixels before = ImageOps::pixelsOf(page);
    const ImageOps::Pixels after = ImageOps::pixelsOf(*out.picture);
    EXPECT_TRUE(std::equal(before.at(0, 0), before.at(0, 0) + 3, after.at(0, 0)));
    EXPECT_FALSE(std::equal(before.at(12, 10), before.at(12, 10) + 3, after.at(12, 10)));
}

TEST(Jitter, TakesEveryPixelFromWithinItsRadius)
{
    ImageOps::Pixels p(40, 30, 3);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            p.at(x, y)[0] = std::uint8_t(x);
            p.at(x, y)[1] = std::uint8_t(y);
        }
    const ImageOps::Pixels before = p;
    ASSERT_TRUE(ImageOps::jitter(p, 2, 7));
    int moved = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            EXPECT_LE(std::abs(p.at(x, y)[0] - x), 2);
            EXPECT_LE(std::abs(p.at(x, y)[1] - y), 2);
            moved += p.at(x, y)[0] != x || p.at(x, y)[1] != y;
        }
    EXPECT_GT(moved, 40 * 30 / 2);
}

TEST(Repair, SmoothsASpeckAndLeavesAFlatPicture)
{
    std::vector<int> levels(81, 100);
    EXPECT_EQ(levelsOf(*run("repair", grey(9, 9, levels)).picture), levels);
    levels[40] = 255;
    const std::vector<int> mended = levelsOf(*run("repair", grey(9, 9, levels), {{u"iterations"_s, 10}}).picture);
    // The speck has no slope of its own: its curvature pulls it straight back to its surroundings.
    EXPECT_NEAR(mended[40], 100, 5);
    EXPECT_NEAR(mended[39], 100, 2);
    EXPECT_EQ(mended[0], 100);
}

TEST(ChannelSplits, CombineOfTheRgbSplitGivesThePictureBack)
{
    const Magick::Image page = colourful(17, 13);
    const ImageCommands::Outcome parts = run("split-to-rgb", page);
    ASSERT_EQ(parts.newPictures.size(), 3);
    EXPECT_EQ(parts.newPictures[0].titlePattern, u"Red Channel %1 from %2"_s);
    EXPECT_EQ(parts.newPictures[2].name, u"Blue Channel"_s);
    QList<Magick::Image> sources;
    for (const ImageCommands::NewPicture &p : parts.newPictures)
        sources << p.picture;
    const ImageCommands::Outcome back = run("combine", page, {}, sources);
    ASSERT_EQ(back.newPictures.size(), 1);
    EXPECT_EQ(back.newPictures[0].titlePattern, u"NewImage%1"_s);
    EXPECT_EQ(ImageOps::pixelsOf(back.newPictures[0].picture).data, ImageOps::pixelsOf(page).data);
}

TEST(ChannelSplits, OtherSpacesComeBackWithinRounding)
{
    const ImageOps::Pixels page = ImageOps::pixelsOf(colourful(16, 16));
    for (ImageOps::Space space : {ImageOps::Space::Hsl, ImageOps::Space::Yuv, ImageOps::Space::Xyz, ImageOps::Space::Cmyk}) {
        const ImageOps::Pixels back = ImageOps::combine(ImageOps::split(page, space), 16, 16, space);
        int worst = 0;
        for (std::size_t i = 0; i < page.data.size(); ++i)
            worst = std::max(worst, std::abs(int(page.data[i]) - int(back.data[i])));
        EXPECT_LE(worst, space == ImageOps::Space::Xyz ? 12 : 4) << int(space);
    }
    const ImageCommands::Outcome cmyk = run("split-to-cmyk", colourful(4, 4));
    ASSERT_EQ(cmyk.newPictures.size(), 4);
    EXPECT_EQ(cmyk.newPictures[3].titlePattern, u"K Channel %1 from %2"_s);
}

TEST(Mix, AddsOnlyWhereTheSourceOverlaps)
{
    const Magick::Image dst = grey(3, 1, {100, 200, 50});
    const Magick::Image src = grey(2, 1, {100, 100});
    const ImageCommands::Outcome out = run("mix", dst, {{u"operation"_s, 0}, {u"x-offset"_s, 1}}, {src});
    ASSERT_EQ(out.newPictures.size(), 1);
    EXPECT_EQ(out.newPictures[0].titlePattern, u"Mix %1"_s);
    EXPECT_EQ(levelsOf(out.newPictures[0].picture), (std::vector<int>{100, 255, 150}));
}

TEST(JpegCompression, TitlesThePreviewWithQualityAndSize)
{
    const ImageCommands::Outcome out = run("jpeg-compression", colourful(64, 48));
    ASSERT_EQ(out.newPictures.size(), 1);
    const QString title = out.newPictures[0].titlePattern;
    EXPECT_TRUE(title.startsWith(u"Jpeg compr. %1, q = 50, size = "_s)) << title.toStdString();
    EXPECT_GT(title.section(u"size = "_s, 1).toInt(), 100);
    EXPECT_EQ(out.newPictures[0].picture.columns(), 64u);
}

TEST(Fft, GivesMagnitudeAndPhaseAndTurnsThemBack)
{
    // ImageMagick without HDRI clips the transformed levels, so the way back is not exact here:
    // the test holds to the pictures and their sizes.
    const Magick::Image page = colourful(16, 16);
    const ImageCommands::Outcome parts = run("fft", page, {{u"compute-magnitude"_s, true}});
    ASSERT_EQ(parts.newPictures.size(), 2);
    EXPECT_EQ(parts.newPictures[0].name, u"FFT Magnitude"_s);
    EXPECT_EQ(parts.newPictures[1].titlePattern, u"FFT Phase %1"_s);
    EXPECT_EQ(parts.newPictures[0].picture.columns(), 16u);
    const ImageCommands::Outcome real = run("fft", page);
    ASSERT_EQ(real.newPictures.size(), 2);
    EXPECT_EQ(real.newPictures[1].name, u"FFT Imag"_s);
    const ImageCommands::Outcome back = run("fft", page, {{u"inverse"_s, true}, {u"compute-magnitude"_s, true}},
                                            {parts.newPictures[0].picture, parts.newPictures[1].picture});
    ASSERT_EQ(back.newPictures.size(), 1);
    EXPECT_EQ(back.newPictures[0].picture.rows(), 16u);
    const Result<ImageCommands::Outcome> alone
        = ImageCommands::run(*ImageCommands::find(u"fft"_s), page, {{u"inverse"_s, true}});
    EXPECT_TRUE(alone.refused());
}
