#include "app/ArchiveSetup.h"
#include "db/CDFSet.h"
#include "imaging/PictureDecoder.h"
#include "search/ReportLoader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Every extension the report and the thumbnail browser show by an icon, and a few they do not.
const QStringList kExtensions = {u"DOC"_s, u"RTF"_s, u"DOCX"_s, u"TXT"_s, u"MDB"_s, u"HTM"_s,  u"HTML"_s,
                                 u"XLS"_s, u"XLSX"_s, u"PDF"_s, u"DLL"_s, u"ZIP"_s, u"DAT"_s,  u"EXE"_s,
                                 u"CHM"_s, u"RAR"_s, u"MHT"_s, u"PPS"_s, u"PPT"_s, u"OCX"_s, u"JPG"_s};

// A picture that shows something: not one flat colour.
bool drawsSomething(const QImage &image)
{
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            if (image.pixel(x, y) != first)
                return true;
        }
    }
    return false;
}

} // namespace

TEST(TypeIcons, EveryIconTheReportNamesIsShippedAndInstalledAsARealPicture)
{
    QTemporaryDir home;
    ASSERT_TRUE(installTypeIcons(home.path()).ok());
    const QString folder = typeIconsFolder(home.path());
    EXPECT_EQ(folder, home.path() + u"/COM/ICONS"_s);

    QStringList named{u"/COM/ICONS/any.jpg"_s}; // the browser's icon for everything else
    named.append(reportIconFile(KindFolder, u"PDF"_s));
    for (const QString &extension : kExtensions) {
        if (const QString icon = reportIconFile(KindFile, extension); !icon.isEmpty())
            named.append(icon);
    }
    named.removeDuplicates();
    EXPECT_EQ(named.size(), 17);
    const QStringList shipped = shippedTypeIcons();
    for (const QString &icon : named) {
        const QString name = QFileInfo(icon).fileName();
        EXPECT_TRUE(shipped.contains(name)) << name.toStdString();
        const PictureDecoder::Decoded picture = PictureDecoder::decode(home.path() + icon);
        ASSERT_TRUE(picture.ok()) << icon.toStdString() << ": " << picture.error.toStdString();
        EXPECT_EQ(picture.image.size(), QSize(120, 108)) << icon.toStdString();
        EXPECT_TRUE(drawsSomething(picture.image)) << icon.toStdString();
    }
    // Only the type icons go there, not the program's own icon.
    EXPECT_FALSE(QFileInfo::exists(folder + u"/dovrelle.png"_s));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), shipped.size());
}

TEST(TypeIcons, OnlyMissingIconsAreCopiedAndTheCopiesBelongToTheOffice)
{
    QTemporaryDir home;
    const QString folder = typeIconsFolder(home.path());
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile own(folder + u"/word.jpg"_s);
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write("our own word icon");
    own.close();

    ASSERT_TRUE(installTypeIcons(home.path()).ok());
    ASSERT_TRUE(own.open(QIODevice::ReadOnly));
    EXPECT_EQ(own.readAll(), QByteArray("our own word icon"));
    EXPECT_TRUE(QFileInfo(folder + u"/pdf.jpg"_s).isWritable()) << "not left read-only as the resource is";
    // Running again changes nothing and leaves no partial file.
    ASSERT_TRUE(installTypeIcons(home.path()).ok());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), shippedTypeIcons().size());
}

TEST(TypeIcons, AProgramFolderThatCannotTakeThemIsReported)
{
    QTemporaryDir home;
    // COM is a plain file: no folder can be made below it.
    QFile blocker(home.path() + u"/COM"_s);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const Status s = installTypeIcons(home.path());
    EXPECT_FALSE(s.ok());
    EXPECT_FALSE(s.error().isEmpty());
}

TEST(TypeIcons, ANewArchiveHasThem)
{
    QTemporaryDir home;
    ASSERT_TRUE(createArchive(home.path()).ok());
    for (const QString &name : shippedTypeIcons())
        EXPECT_TRUE(QFileInfo::exists(typeIconsFolder(home.path()) + u'/' + name)) << name.toStdString();
    EXPECT_FALSE(shippedTypeIcons().isEmpty());
}
