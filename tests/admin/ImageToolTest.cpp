#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <Magick++.h>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

// The built dovrelle-admin running image commands on files, as batch work does.
TEST(ImageTool, RunsCommandsOnFilesAndRefusesAnUnknownOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Magick::InitializeMagick(nullptr);
    std::vector<unsigned char> rgb(60 * 40 * 3);
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = 255;
        rgb[i + 1] = 165;
    }
    rgb[(20 * 60 + 30) * 3 + 0] = 0;
    rgb[(20 * 60 + 30) * 3 + 1] = 0;
    rgb[(20 * 60 + 30) * 3 + 2] = 255;
    Magick::Image page(60, 40, "RGB", Magick::CharPixel, rgb.data());
    page.write(dir.filePath(u"in.png"_s).toStdString());

    const QString bin = qEnvironmentVariable("DOVRELLE_BIN", QCoreApplication::applicationDirPath() + u"/../bin"_s);
    const auto admin = [&](const QStringList &args) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(bin + u"/dovrelle-admin"_s, QStringList{u"image"_s} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return std::tuple{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    };

    auto [blurCode, blurOut, blurErr] = admin({u"blur"_s, u"in.png"_s, u"out.png"_s});
    EXPECT_EQ(blurCode, 0) << blurErr.toStdString();
    Magick::Image blurred(dir.filePath(u"out.png"_s).toStdString());
    EXPECT_EQ(blurred.columns(), 60u);
    // The blue dot is spread over its 3x3 neighbourhood: a ninth of it stays in the middle.
    unsigned char spread[9 * 3];
    blurred.write(29, 19, 3, 3, "RGB", Magick::CharPixel, spread);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(spread[i * 3 + 2], 255 / 9) << i;

    auto [splitCode, splitOut, splitErr] = admin({u"split-to-rgb"_s, u"in.png"_s, u"part.png"_s});
    EXPECT_EQ(splitCode, 0) << splitErr.toStdString();
    for (const QString &name : {u"part-red-channel.png"_s, u"part-green-channel.png"_s, u"part-blue-channel.png"_s})
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(name))) << name.toStdString();

    auto [infoCode, infoOut, infoErr] = admin({u"info"_s, u"part-red-channel.png"_s});
    EXPECT_EQ(infoCode, 0) << infoErr.toStdString();
    EXPECT_TRUE(infoOut.startsWith(u"PNG\t60\t40\t"_s)) << infoOut.toStdString();

    auto [badCode, badOut, badErr] = admin({u"no-such-filter"_s, u"in.png"_s, u"x.png"_s});
    EXPECT_NE(badCode, 0);
    EXPECT_EQ(badErr.trimmed().count(u'\n'), 0) << badErr.toStdString();
    EXPECT_TRUE(badErr.contains(u"no-such-filter"_s));
    auto [rangeCode, rangeOut, rangeErr] = admin({u"gamma"_s, u"in.png"_s, u"x.png"_s, u"--correction"_s, u"9"_s});
    EXPECT_NE(rangeCode, 0);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"x.png"_s)));
}
