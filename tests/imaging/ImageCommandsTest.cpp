#include "ImageTestPictures.h"

#include <QRect>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace ImageTestPictures;
using namespace Qt::Literals::StringLiterals;

namespace {

// Menu text in lower case, "&", "...", a trailing remark in brackets and trailing blanks
// dropped, blanks as "-".
QString batchName(QString text)
{
    text = text.toLower().remove(u'&').remove(u"..."_s);
    text.remove(QRegularExpression(u"\\(.*\\)"_s));
    return text.trimmed().replace(u' ', u'-');
}

} // namespace

TEST(CommandTable, HoldsEveryPixelCommandOnceWithItsBatchName)
{
    const QList<int> ids = {32774, 32775, 32777, 32778, 32855, 32856, 32779, 32794, 32848, 32792, 32793,
                            32798, 32799, 32808, 32863, 32809, 32810, 32811, 32900, 32813, 32814, 32896,
                            32897, 32815, 32816, 32812, 32865, 32864, 32817, 32818, 32898, 32914, 32901,
                            32904, 32905, 32906, 32907, 32909, 32803, 32800, 32802, 32801, 32881, 32882,
                            32887, 32879, 32880, 32883, 32903, 32918, 32877};
    QSet<int> seenIds;
    QSet<QString> seenNames;
    for (const ImageCommands::Command &c : ImageCommands::all()) {
        EXPECT_FALSE(seenIds.contains(c.id)) << c.id;
        EXPECT_FALSE(seenNames.contains(c.name)) << c.name.toStdString();
        seenIds.insert(c.id);
        seenNames.insert(c.name);
        if (c.id != 32914) {
            EXPECT_EQ(c.name, batchName(c.menuText)) << c.menuText.toStdString();
        }
        EXPECT_EQ(ImageCommands::find(c.id), &c);
        EXPECT_EQ(ImageCommands::find(c.name), &c);
    }
    for (int id : ids)
        EXPECT_TRUE(seenIds.contains(id)) << id;
    EXPECT_EQ(seenIds.size(), ids.size());
    for (const char *name : {"blur", "gaussian-5x5", "rotate-left", "split-to-rgb", "gray-scale", "edge",
                             "edge-nonlinear", "jpeg-compression", "set-transparency"})
        EXPECT_NE(ImageCommands::find(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(ImageCommands::find(u"edge-nonlinear"_s)->menuText, u"Edge"_s);
}

TEST(CommandTable, DefaultsFitTheirRangesAndTheDialogsLists)
{
    const Magick::Image page = colourful(8, 8);
    for (const ImageCommands::Command &c : ImageCommands::all()) {
        bool required = false;
        for (const ImageCommands::Param &p : c.params) {
            required = required || p.required;
            if (p.kind == ImageCommands::Param::Kind::Choice) {
                EXPECT_EQ(p.maximum, p.choices.size() - 1) << p.name.toStdString();
            }
        }
        if (!required) {
            EXPECT_TRUE(ImageCommands::resolve(c, page, {}).ok()) << c.name.toStdString();
        }
    }
    const ImageCommands::Command &rotate = *ImageCommands::find(32779);
    EXPECT_EQ(rotate.params[0].defaultValue.toDouble(), 12.345);
    EXPECT_EQ(rotate.params[1].choices.value(5), u"Lanzcos (sharp)"_s);
    EXPECT_EQ(rotate.params[2].choices.value(0), u"Background (or [0,0] color)"_s);
    const ImageCommands::Command &mix = *ImageCommands::find(u"mix"_s);
    EXPECT_EQ(mix.params[0].choices.value(mix.params[0].defaultValue.toInt()), u"OpAnd"_s);
    EXPECT_EQ(mix.params[0].choices.value(4), u"OpScreen"_s);
    EXPECT_EQ(ImageCommands::find(u"gamma"_s)->params[0].defaultValue.toDouble(), 1.23);
    EXPECT_EQ(ImageCommands::find(u"repair"_s)->params[0].defaultValue.toDouble(), 0.25);
    EXPECT_EQ(ImageCommands::find(u"blur"_s)->work, ImageCommands::Work::Worker);
    EXPECT_EQ(ImageCommands::find(u"crop"_s)->work, ImageCommands::Work::Direct);
    EXPECT_FALSE(ImageCommands::find(u"split-to-hsl"_s)->changesPicture);
}

TEST(Run, RefusesBadValuesAndMissingSources)
{
    const Magick::Image page = colourful(8, 8);
    const auto runIt = [&](const char *name, const ImageCommands::Values &values, const QList<Magick::Image> &sources = {}) {
        return ImageCommands::run(*ImageCommands::find(QString::fromLatin1(name)), page, values, sources);
    };
    EXPECT_TRUE(runIt("gamma", {{u"correction"_s, 7.0}}).refused());
    EXPECT_TRUE(runIt("gamma", {{u"colour"_s, 1}}).refused());
    EXPECT_TRUE(runIt("dither", {{u"method"_s, 8}}).refused());
    EXPECT_TRUE(runIt("crop", {}).refused());
    EXPECT_TRUE(runIt("crop", {{u"rect"_s, QRect(20, 20, 4, 4)}}).refused());
    EXPECT_TRUE(runIt("mix", {}).refused());
    EXPECT_TRUE(runIt("palette", {{u"palette"_s, QVariant::fromValue(QList<QRgb>{0xff000000u})}}).refused());
    const Result<ImageCommands::Outcome> crop = runIt("crop", {{u"rect"_s, QRect(2, 1, 3, 4)}});
    ASSERT_TRUE(crop.ok());
    EXPECT_EQ(crop->picture->columns(), 3u);
    EXPECT_EQ(crop->picture->rows(), 4u);
    EXPECT_EQ(ImageOps::pixelsOf(*crop->picture).at(0, 0)[0], ImageOps::pixelsOf(page).at(2, 1)[0]);
}

TEST(Run, TurnsAndResizesAsAsked)
{
    const Magick::Image page = grey(2, 1, {10, 200});
    EXPECT_EQ(levelsOf(*run("rotate-right", page).picture), (std::vector<int>{10, 200}));
    EXPECT_EQ(run("rotate-left", page).picture->rows(), 2u);
    EXPECT_EQ(levelsOf(*run("mirror", page).picture), (std::vector<int>{200, 10}));
    EXPECT_EQ(levelsOf(*run("negative", page).picture), (std::vector<int>{245, 55}));
    const Magick::Image big = colourful(40, 20);
    const ImageCommands::Outcome kept = run("rotate", big, {{u"keep-size"_s, true}, {u"angle"_s, 30.0}});
    EXPECT_EQ(kept.picture->columns(), 40u);
    EXPECT_GT(run("rotate", big, {{u"angle"_s, 30.0}}).picture->columns(), 40u);
    // A quarter turn swaps the sides exactly; 30 degrees takes the turned rectangle's box.
    const Magick::Image quarter = *run("rotate", big, {{u"angle"_s, 90.0}}).picture;
    EXPECT_EQ(quarter.columns(), 20u);
    EXPECT_EQ(quarter.rows(), 40u);
    const Magick::Image turned = *run("rotate", big, {{u"angle"_s, 30.0}}).picture;
    EXPECT_EQ(turned.columns(), 45u); // 40 cos 30 + 20 sin 30 = 44.6
    EXPECT_EQ(turned.rows(), 37u);    // 40 sin 30 + 20 cos 30 = 37.3
    EXPECT_EQ(run("resample", big, {{u"factor"_s, 2.0}}).picture->columns(), 80u);
    const ImageCommands::Outcome byWidth = run("resample", big, {{u"width"_s, 20}, {u"interpolation"_s, 6}});
    EXPECT_EQ(byWidth.picture->rows(), 10u);
}

TEST(Run, ACancelledRunYieldsNothingAndLeavesThePicture)
{
    const Magick::Image page = colourful(300, 200);
    const std::vector<std::uint8_t> before = ImageOps::pixelsOf(page).data;
    for (const char *name : {"blur", "median", "jitter", "rotate"}) {
        ImageProgress progress;
        progress.cancelled = true;
        const Result<ImageCommands::Outcome> r
            = ImageCommands::run(*ImageCommands::find(QString::fromLatin1(name)), page, {}, {}, &progress);
        EXPECT_FALSE(r.ok()) << name;
        EXPECT_EQ(r.error(), ImageCommands::cancelledMessage()) << name;
    }
    EXPECT_EQ(ImageOps::pixelsOf(page).data, before);
    ImageProgress progress;
    ASSERT_TRUE(ImageCommands::run(*ImageCommands::find(u"blur"_s), page, {}, {}, &progress).ok());
    EXPECT_EQ(progress.percent, 100);
}

TEST(Values, ReadFromTheCommandLine)
{
    const ImageCommands::Command &rotate = *ImageCommands::find(u"rotate"_s);
    EXPECT_EQ(ImageCommands::valueFromText(rotate.params[1], u"bicubic-(hard)"_s)->toInt(), 2);
    EXPECT_EQ(ImageCommands::valueFromText(rotate.params[1], u"Hermite"_s)->toInt(), 6);
    EXPECT_TRUE(ImageCommands::valueFromText(rotate.params[0], u"abc"_s).refused());
    const ImageCommands::Param &rect = ImageCommands::find(u"crop"_s)->params[0];
    EXPECT_EQ(ImageCommands::valueFromText(rect, u"1,2,30,40"_s)->toRect(), QRect(1, 2, 30, 40));
    EXPECT_EQ(ImageCommands::textOf(rect, QRect(1, 2, 30, 40)), u"1,2,30,40"_s);
}
