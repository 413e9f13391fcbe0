#include "base/FileKinds.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

// The windows compare extensions each in their own way; stored archives and icon folders rely on
// each rule, so a shared table must not let one window's rule leak into another's.
TEST(FileKinds, EachWindowKeepsItsOwnLetterCaseRule)
{
    // The report: upper case only, and it knows the newer office kinds.
    EXPECT_EQ(FileKinds::reportIcon(u"DOC"_s), u"/COM/ICONS/word.jpg"_s);
    EXPECT_EQ(FileKinds::reportIcon(u"DOCX"_s), u"/COM/ICONS/word.jpg"_s);
    EXPECT_EQ(FileKinds::reportIcon(u"doc"_s), QString());
    EXPECT_EQ(FileKinds::reportIcon(u"OCX"_s), QString()) << "OCX is the browser's alone";
    EXPECT_EQ(FileKinds::reportIcon(QString()), QString());
    EXPECT_EQ(FileKinds::folderIcon(), u"/COM/ICONS/FOLDER.jpg"_s);

    // The thumbnail browser: any letter case, any.jpg for what it does not know.
    EXPECT_EQ(FileKinds::browserIcon(u"Rtf"_s), u"/COM/ICONS/word.jpg"_s);
    EXPECT_EQ(FileKinds::browserIcon(u"ocx"_s), u"/COM/ICONS/dlb.jpg"_s);
    EXPECT_EQ(FileKinds::browserIcon(u"docx"_s), u"/COM/ICONS/any.jpg"_s) << "DOCX is the report's alone";
    EXPECT_EQ(FileKinds::browserIcon(QString()), u"/COM/ICONS/any.jpg"_s);

    // Pictures: the archive's list within semicolons, the browser's and the preview's exactly.
    EXPECT_TRUE(FileKinds::isArchivePicture(u"JPG"_s));
    EXPECT_TRUE(FileKinds::isArchivePicture(u"jpg"_s));
    EXPECT_FALSE(FileKinds::isArchivePicture(u"PNG"_s));
    EXPECT_FALSE(FileKinds::isArchivePicture(u"pn"_s)) << "a piece of an entry is no entry";
    EXPECT_FALSE(FileKinds::isArchivePicture(u"png;jpg"_s));
    EXPECT_FALSE(FileKinds::isArchivePicture(QString()));
    EXPECT_TRUE(FileKinds::isBrowserPicture(u"JPG"_s));
    EXPECT_FALSE(FileKinds::isBrowserPicture(u"Jpg"_s));
    EXPECT_FALSE(FileKinds::isBrowserPicture(u"jpeg"_s));
    EXPECT_TRUE(FileKinds::isPreviewPicture(u"jpeg"_s));
    EXPECT_FALSE(FileKinds::isPreviewPicture(u"JPG"_s));
}
