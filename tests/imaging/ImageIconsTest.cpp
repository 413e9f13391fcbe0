// Every command of the image toolbar and menus has a picture of its own.

#include "imaging/ImageIcons.h"

#include <QCryptographicHash>
#include <QHash>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

// The command ids of the image toolbar and the image menus.
const QList<int> kImageCommands{
    32949, 57601, 57604, 57607, 32825, 57635, 57634, 57637, 57643, 57644, 32786, 32788, 32787, 32869, 32871,
    32916, 32874, 32886, 57664, 32776, 32774, 32775, 32777, 32778, 32855, 32856, 32779, 32794, 32848, 32792,
    32793, 32798, 32799, 32808, 32863, 32809, 32810, 32811, 32900, 32813, 32814, 32896, 32897, 32815, 32816,
    32812, 32865, 32864, 32817, 32818, 32898, 32914, 32901, 32904, 32905, 32906, 32907, 32909, 32803, 32800,
    32802, 32801, 32881, 32882, 32887, 32879, 32880, 32883, 32903, 32918, 32877, 32771, 32919, 57609, 32876,
    32872, 32789, 32791};

QByteArray pictureOf(const QIcon &icon)
{
    const QImage image = icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    return QCryptographicHash::hash(QByteArrayView(image.constBits(), image.sizeInBytes()), QCryptographicHash::Sha1);
}

void expectDistinct(const char *what, const std::function<QIcon(int)> &iconOf)
{
    QHash<QByteArray, int> seen;
    for (int id : kImageCommands) {
        const QIcon icon = iconOf(id);
        ASSERT_FALSE(icon.isNull()) << what << " " << id;
        const QImage image = icon.pixmap(32, 32).toImage();
        ASSERT_FALSE(image.isNull()) << what << " " << id;
        const QByteArray key = pictureOf(icon);
        EXPECT_FALSE(seen.contains(key)) << what << ": " << id << " looks like " << seen.value(key);
        seen.insert(key, id);
    }
}

} // namespace

TEST(ImageIcons, EveryImageCommandHasItsOwnPicture)
{
    for (int id : kImageCommands)
        EXPECT_TRUE(ImageIcons::commands().contains(id)) << id;
    // Our own drawings, as a desktop without an icon theme shows them.
    expectDistinct("fallback", &ImageIcons::fallbackFor);
    // And what this desktop shows, the theme's pictures where it has them.
    expectDistinct("shown", &ImageIcons::forCommand);
    EXPECT_TRUE(ImageIcons::forCommand(1).isNull());
}

TEST(ImageIcons, DrawingsAreNotBlank)
{
    for (int id : kImageCommands) {
        const QImage image = ImageIcons::fallbackFor(id).pixmap(24, 24).toImage().convertToFormat(QImage::Format_ARGB32);
        int painted = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                painted += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GT(painted, 24) << id;
    }
}
