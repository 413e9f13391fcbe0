// The palette dialog: the cells, the pointer's text, editing an entry and its alpha, loading and
// saving palette files, and the load option OK applies.

#include "imaging/CPaletteDlg.h"
#include "imaging/ColourChooser.h"
#include "imaging/ImageParamNames.h"
#include "imaging/PaletteFile.h"
#include "imaging/PaletteGrid.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QList<QRgb> ramp(int n)
{
    QList<QRgb> out;
    for (int i = 0; i < n; ++i)
        out.append(qRgba(i, 255 - i, i / 2, 255));
    return out;
}

struct PaletteDlgFixture : ::testing::Test
{
    void SetUp() override
    {
        MessageBox::setTestMode(true);
        MessageBox::takeShown();
    }
    void TearDown() override { MessageBox::setTestMode(false); }

    QPoint centreOf(PaletteGrid *grid, int index) { return grid->cellRect(index).center(); }
    void click(QPushButton *w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }
    // A check box or radio button reacts on its box and text only.
    void click(QAbstractButton *w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2)); }
};

} // namespace

TEST_F(PaletteDlgFixture, CellsShowTheEntriesAndThePointerItsValues)
{
    CPaletteDlg dlg(ramp(256));
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.windowTitle(), u"Palette"_s);
    EXPECT_EQ(dlg.layoutDirection(), Qt::LeftToRight);
    auto *grid = dlg.findChild<PaletteGrid *>(u"grid"_s);
    ASSERT_NE(grid, nullptr);

    // Entry 37 is drawn in its colour.
    const QImage shot = grid->grab().toImage();
    EXPECT_EQ(shot.pixel(centreOf(grid, 37)), qRgb(37, 218, 18));

    QTest::mouseMove(grid, centreOf(grid, 37));
    EXPECT_EQ(dlg.hoverText(), u" I : 37, RGBA : 37, 218, 18, 255"_s);
    EXPECT_EQ(dlg.findChild<QLabel *>(u"info"_s)->text(), dlg.hoverText());

    // The selected cell's border is twice as wide as the others'.
    QTest::mouseClick(grid, Qt::LeftButton, {}, centreOf(grid, 20));
    EXPECT_EQ(grid->selected(), 20);
    const QImage selectedShot = grid->grab().toImage();
    const QRgb darkShadow = grid->palette().color(QPalette::Shadow).rgb();
    const QRgb shadow = grid->palette().color(QPalette::Dark).rgb();
    const QRect cell = grid->cellRect(20);
    const int y = cell.center().y();
    EXPECT_EQ(selectedShot.pixel(cell.left(), y), darkShadow);
    EXPECT_EQ(selectedShot.pixel(cell.left() + 1, y), darkShadow);
    EXPECT_EQ(selectedShot.pixel(cell.left() + 2, y), qRgb(20, 235, 10));
    const QRect other = grid->cellRect(22);
    EXPECT_NE(selectedShot.pixel(other.left(), y), darkShadow);
    EXPECT_EQ(selectedShot.pixel(other.left() + 1, y), shadow);
    EXPECT_EQ(selectedShot.pixel(other.left() + 2, y), qRgb(22, 233, 11));
}

TEST_F(PaletteDlgFixture, DoubleClickEditsTheColourOrTheAlpha)
{
    CPaletteDlg dlg(ramp(16));
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    auto *grid = dlg.findChild<PaletteGrid *>(u"grid"_s);
    EXPECT_FALSE(dlg.changed());

    ColourChooser::setNextAnswer(std::nullopt);
    QTest::mouseDClick(grid, Qt::LeftButton, {}, centreOf(grid, 3));
    EXPECT_FALSE(dlg.changed());
    EXPECT_EQ(ColourChooser::lastInitial(), QColor(3, 252, 1));

    ColourChooser::setNextAnswer(QColor(10, 20, 30));
    QTest::mouseDClick(grid, Qt::LeftButton, {}, centreOf(grid, 3));
    EXPECT_TRUE(dlg.changed());
    EXPECT_EQ(dlg.palette()[3], qRgba(10, 20, 30, 255));

    // With "Edit alpha component" the cells show the alpha as grey and the grey chosen is the alpha.
    click(dlg.findChild<QCheckBox *>(u"edit-alpha"_s));
    ColourChooser::setNextAnswer(QColor(64, 64, 64));
    QTest::mouseDClick(grid, Qt::LeftButton, {}, centreOf(grid, 5));
    EXPECT_EQ(ColourChooser::lastInitial(), QColor(255, 255, 255));
    EXPECT_EQ(dlg.palette()[5], qRgba(5, 250, 2, 64));
    EXPECT_EQ(grid->grab().toImage().pixel(centreOf(grid, 5)), qRgb(64, 64, 64));

    click(dlg.findChild<QRadioButton *>(u"option-2"_s));
    const QVariantMap v = dlg.values();
    EXPECT_EQ(v.value(ImageParam::kLoadOption).toInt(), 2);
    EXPECT_EQ(v.value(ImageParam::kPalette).value<QList<QRgb>>(), dlg.palette());
    EXPECT_EQ(dlg.loadOption(), CPaletteDlg::ErrorDiffusion);
}

TEST_F(PaletteDlgFixture, LoadAndSaveGoThroughPaletteFiles)
{
    QTemporaryDir dir;
    CPaletteDlg dlg(ramp(4));
    dlg.show();
    EXPECT_EQ(dlg.loadOption(), CPaletteDlg::MaintainIndexes);

    // Saved without an extension: the file gets ".pal" and holds the RIFF bytes.
    FileDialog::setNextPath(dir.filePath(u"mine"_s));
    click(dlg.findChild<QPushButton *>(u"save"_s));
    QFile saved(dir.filePath(u"mine.pal"_s));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), PaletteFile::riffBytes(ramp(4)));

    // A JASC file of three entries into a palette of four: the warning, three entries replaced.
    QFile jasc(dir.filePath(u"three.pal"_s));
    ASSERT_TRUE(jasc.open(QIODevice::WriteOnly));
    jasc.write("JASC-PAL\r\n0100\r\n3\r\n9 9 9\r\n8 8 8\r\n7 7 7\r\n");
    jasc.close();
    FileDialog::setNextPath(jasc.fileName());
    click(dlg.findChild<QPushButton *>(u"load"_s));
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"Warning: numcolors doesn't match"_s});
    EXPECT_TRUE(dlg.changed());
    EXPECT_EQ(dlg.palette(), (QList<QRgb>{qRgb(9, 9, 9), qRgb(8, 8, 8), qRgb(7, 7, 7), ramp(4)[3]}));

    // Something else: the message, and the palette stays.
    QFile other(dir.filePath(u"other.pal"_s));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("not a palette");
    other.close();
    const QList<QRgb> before = dlg.palette();
    FileDialog::setNextPath(other.fileName());
    click(dlg.findChild<QPushButton *>(u"load"_s));
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"Unknown contents!"_s});
    EXPECT_EQ(dlg.palette(), before);

    // Cancelled choosers change nothing.
    FileDialog::setNextPath(QString());
    click(dlg.findChild<QPushButton *>(u"load"_s));
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}
