#include "baskets/CFT.h"
#include "imaging/Thumbnail.h"
#include "ui/CGridCtrl.h"
#include "ui/GridModel.h"
#include "ui/MessageBox.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QColor kIconColour(220, 20, 20);     // any.jpg
const QColor kPictureColour(20, 20, 220);  // the pictures of the folder

bool writePicture(const QString &path, const QColor &colour, const char *format = "JPG")
{
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, format);
}

bool writeFile(const QString &path, const QByteArray &bytes = "x")
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Near the colour (JPEG shifts it a little).
bool near(QRgb pixel, const QColor &colour)
{
    return std::abs(qRed(pixel) - colour.red()) < 30 && std::abs(qGreen(pixel) - colour.green()) < 30
           && std::abs(qBlue(pixel) - colour.blue()) < 30;
}

class ThumbnailBrowser : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_state.programFolder = m_dir.path() + u"/home"_s;
        ASSERT_TRUE(QDir().mkpath(m_state.programFolder + u"/COM/ICONS"_s));
        ASSERT_TRUE(writePicture(m_state.programFolder + u"/COM/ICONS/any.jpg"_s, kIconColour));
        m_folder = m_dir.path() + u"/DataBase/USERS/MASTER"_s;
        ASSERT_TRUE(QDir().mkpath(m_folder));
        MessageBox::setTestMode(true);
    }
    void TearDown() override
    {
        m_browser.reset();
        MessageBox::takeShown();
        MessageBox::setTestMode(false);
    }

    // Opens the browser on the folder and waits until its sheet is complete.
    CFT *open(const QString &title = BasketSource::receivedFilesTitle())
    {
        m_browser = std::make_unique<CFT>(m_state, BasketSource::ofFolder(title, m_folder));
        m_browser->setAttribute(Qt::WA_DeleteOnClose, false);
        QSignalSpy finished(m_browser.get(), &CFT::loadingFinished);
        m_browser->show();
        EXPECT_TRUE(finished.wait(20000)) << "the sheet did not finish loading";
        return m_browser.get();
    }

    QImage cellImage(int row, int column) const
    {
        const int slot = m_browser->grid()->image(row, column);
        const QList<QPixmap> &list = m_browser->grid()->imageList();
        return slot >= 0 && slot < list.size() ? list.at(slot).toImage() : QImage();
    }
    QRgb cellCentre(int row, int column) const
    {
        const QImage image = cellImage(row, column);
        return image.isNull() ? 0 : image.pixel(image.width() / 2, image.height() / 2);
    }
    // The cell of a picture row whose name row holds the name.
    std::pair<int, int> cellOf(const QString &name) const
    {
        CGridCtrl *grid = m_browser->grid();
        for (int r = 1; r < grid->rowCount(); r += 2) {
            for (int c = 0; c < CFT::kColumns; ++c) {
                if (grid->text(r, c) == name)
                    return {r - 1, c};
            }
        }
        return {-1, -1};
    }
    void select(const QList<std::pair<int, int>> &cells)
    {
        CGridCtrl *grid = m_browser->grid();
        grid->selectionModel()->clearSelection();
        for (const auto &[r, c] : cells)
            grid->selectionModel()->select(grid->gridModel()->cellIndex(r, c), QItemSelectionModel::Select);
    }

    QTemporaryDir m_dir;
    AppState m_state;
    QString m_folder;
    std::unique_ptr<CFT> m_browser;
};

} // namespace

TEST_F(ThumbnailBrowser, AnEmptyFolderGivesAnEmptyGrid)
{
    ASSERT_TRUE(QDir().mkpath(m_folder + u"/sub"_s));
    ASSERT_TRUE(writeFile(m_folder + u"/.hidden.jpg"_s));
    CFT *browser = open();
    EXPECT_EQ(browser->grid()->rowCount(), 0);
    EXPECT_EQ(browser->grid()->columnCount(), 4);
    EXPECT_EQ(browser->grid()->gridKind(), 910);
    EXPECT_EQ(browser->windowTitle(), BasketSource::receivedFilesTitle());
}

TEST_F(ThumbnailBrowser, FiveFilesGiveTwoPairsWithThreeEmptyFillers)
{
    const QStringList files{u"a.txt"_s, u"b.pdf"_s, u"ج.doc"_s, u"d.zip"_s, u"e.dat"_s};
    for (const QString &f : files)
        ASSERT_TRUE(writeFile(m_folder + u'/' + f));
    CFT *browser = open();
    CGridCtrl *grid = browser->grid();

    ASSERT_EQ(grid->rowCount(), 4);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(grid->rowHeight(r), r % 2 == 0 ? 147 : 20) << r;
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(grid->columnWidth(c), 160);

    QStringList shown;
    for (int c = 0; c < 4; ++c)
        shown << grid->text(1, c);
    shown << grid->text(3, 0);
    shown.sort();
    QStringList expected = files;
    expected.sort();
    EXPECT_EQ(shown, expected);

    // The three fillers have no name and are drawn empty: no icon, no tile.
    for (int c = 1; c < 4; ++c) {
        EXPECT_TRUE(grid->text(3, c).isEmpty());
        EXPECT_LT(grid->image(2, c), 0) << c;
        EXPECT_FALSE(near(cellCentre(2, c), kIconColour)) << c;
    }
    // As drawn: nothing but the cell's own colour inside each filler.
    const QImage drawn = grid->viewport()->grab().toImage();
    for (int c = 1; c < 4; ++c) {
        const QRect cell = grid->visualRect(grid->gridModel()->cellIndex(2, c)).adjusted(3, 3, -3, -3);
        ASSERT_TRUE(drawn.rect().contains(cell)) << c;
        QSet<QRgb> colours;
        for (int y = cell.top(); y <= cell.bottom(); y += 3) {
            for (int x = cell.left(); x <= cell.right(); x += 3)
                colours.insert(drawn.pixel(x, y));
        }
        EXPECT_EQ(colours.size(), 1) << "filler " << c << " shows something";
    }
    EXPECT_TRUE(browser->fileNameAt(2, 1).isEmpty());
    // The one file of the second pair: its icon file (text.jpg, pdf.jpg, ...) is missing, so it
    // gets the empty framed box - except a file that falls to any.jpg itself.
    const QString last = grid->text(3, 0);
    const QImage lastImage = cellImage(2, 0);
    if (CFT::iconFile(CFT::extensionOf(last)).endsWith(u"any.jpg"_s))
        EXPECT_TRUE(near(cellCentre(2, 0), kIconColour));
    else
        EXPECT_EQ(lastImage, Thumbnail::compose(QImage()));
}

TEST_F(ThumbnailBrowser, OnlyExactPictureExtensionsShowThemselves)
{
    ASSERT_TRUE(writePicture(m_folder + u"/upper.JPG"_s, kPictureColour));
    ASSERT_TRUE(writePicture(m_folder + u"/mixed.Jpg"_s, kPictureColour));
    ASSERT_TRUE(writeFile(m_folder + u"/letter.pdf"_s));
    ASSERT_TRUE(writeFile(m_folder + u"/broken.png"_s, "not a picture"));
    ASSERT_EQ(open()->grid()->rowCount(), 2);

    const auto upper = cellOf(u"upper.JPG"_s);
    const auto mixed = cellOf(u"mixed.Jpg"_s);
    const auto pdf = cellOf(u"letter.pdf"_s);
    const auto broken = cellOf(u"broken.png"_s);
    ASSERT_GE(upper.first, 0);
    ASSERT_GE(mixed.first, 0);
    ASSERT_GE(pdf.first, 0);
    ASSERT_GE(broken.first, 0);
    EXPECT_TRUE(near(cellCentre(upper.first, upper.second), kPictureColour));
    EXPECT_TRUE(near(cellCentre(mixed.first, mixed.second), kIconColour)) << "Jpg is not a picture extension";
    // pdf.jpg is not installed, and the broken picture cannot be decoded: both get the empty box.
    EXPECT_EQ(cellImage(pdf.first, pdf.second), Thumbnail::compose(QImage()));
    EXPECT_EQ(cellImage(broken.first, broken.second), Thumbnail::compose(QImage()));
    EXPECT_EQ(cellImage(upper.first, upper.second).size(), Thumbnail::kSize);

    EXPECT_EQ(CFT::extensionOf(u"archive.tar.gz"_s), u"gz"_s);
    EXPECT_TRUE(CFT::extensionOf(u"README"_s).isEmpty());
}

TEST_F(ThumbnailBrowser, DeleteAllIsOnlyForReceivedFiles)
{
    ASSERT_TRUE(writeFile(m_folder + u"/fax1.tif"_s));
    CFT *browser = open(u"الفاكس"_s);
    EXPECT_FALSE(browser->isReceivedFiles());

    std::unique_ptr<QMenu> menu(browser->contextMenu());
    EXPECT_EQ(menu->objectName(), u"Any"_s);
    QStringList texts;
    for (QAction *a : menu->actions()) {
        texts << a->text();
        const int command = a->data().toInt();
        EXPECT_EQ(a->isEnabled(), command != CFT::CmdDeleteAll && command != CFT::CmdPrint) << command;
    }
    EXPECT_EQ(texts, (QStringList{u"أرشفة"_s, u"عرض"_s, u"تحويل لمستخدم"_s, u"حذف الكل"_s, u"طباعة"_s}));

    // Not even a direct command deletes a feed's files.
    MessageBox::setNextAnswer(QMessageBox::Yes);
    browser->runCommand(CFT::CmdDeleteAll);
    EXPECT_TRUE(QFileInfo::exists(m_folder + u"/fax1.tif"_s));
    EXPECT_EQ(browser->grid()->rowCount(), 2);
}

TEST_F(ThumbnailBrowser, DeleteAllAsksFirstThenEmptiesFolderAndGrid)
{
    for (const QString &f : {u"1.jpg"_s, u"2.pdf"_s, u"تقرير.doc"_s})
        ASSERT_TRUE(writeFile(m_folder + u'/' + f));
    ASSERT_TRUE(writeFile(m_folder + u"/.keep"_s));
    ASSERT_TRUE(QDir().mkpath(m_folder + u"/sub"_s));
    CFT *browser = open();
    ASSERT_TRUE(browser->isReceivedFiles());
    std::unique_ptr<QMenu> menu(browser->contextMenu());
    for (QAction *a : menu->actions()) {
        if (a->data().toInt() == CFT::CmdDeleteAll) {
            EXPECT_TRUE(a->isEnabled());
        }
    }

    // No: nothing goes.
    MessageBox::setNextAnswer(QMessageBox::No);
    browser->runCommand(CFT::CmdDeleteAll);
    const QStringList asked = MessageBox::takeShown();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(u"3"_s));
    EXPECT_EQ(QDir(m_folder).entryList(QDir::Files).size(), 3);
    EXPECT_EQ(browser->grid()->rowCount(), 2);

    // A file that arrives while the window is open has not been seen, and stays.
    ASSERT_TRUE(writeFile(m_folder + u"/later.txt"_s));
    MessageBox::setNextAnswer(QMessageBox::Yes);
    browser->runCommand(CFT::CmdDeleteAll);
    EXPECT_EQ(MessageBox::takeShown().size(), 1) << "one question, no failure report";
    EXPECT_EQ(browser->grid()->rowCount(), 0);
    EXPECT_EQ(QDir(m_folder).entryList(QDir::Files), QStringList{u"later.txt"_s});
    EXPECT_TRUE(QFileInfo::exists(m_folder + u"/.keep"_s));
    EXPECT_TRUE(QFileInfo(m_folder + u"/sub"_s).isDir());
}

TEST_F(ThumbnailBrowser, ArchiveTakesTheSelectedCellsInCellOrder)
{
    const QStringList files{u"a.jpg"_s, u"b.txt"_s, u"c.pdf"_s, u"d.doc"_s, u"e.zip"_s, u"f.dat"_s};
    for (int i = 0; i < files.size(); ++i)
        ASSERT_TRUE(writeFile(m_folder + u'/' + files[i], QByteArray(10 * (i + 1), 'x')));
    CFT *browser = open();
    CGridCtrl *grid = browser->grid();
    ASSERT_EQ(grid->rowCount(), 4);

    // Chosen in reverse reading order, with a filler and a name cell among them.
    select({{2, 1}, {0, 3}, {2, 3}, {1, 0}});
    QSignalSpy archived(browser, &CFT::archiveFilesRequested);
    browser->runCommand(CFT::CmdArchive);
    ASSERT_EQ(archived.size(), 1);
    const auto items = archived.at(0).at(0).value<QList<FileItem>>();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].name, grid->text(1, 3));
    EXPECT_EQ(items[1].name, grid->text(3, 1));
    for (const FileItem &item : items) {
        EXPECT_EQ(item.folder, m_folder + u'/');
        EXPECT_EQ(item.size, QFileInfo(m_folder + u'/' + item.name).size());
    }

    // A file taken away meanwhile is named, not archived.
    ASSERT_TRUE(QFile::remove(m_folder + u'/' + grid->text(1, 3)));
    browser->runCommand(CFT::CmdArchive);
    ASSERT_EQ(archived.size(), 2);
    EXPECT_EQ(archived.at(1).at(0).value<QList<FileItem>>().size(), 1);
    const QStringList shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(grid->text(1, 3)));
}

TEST_F(ThumbnailBrowser, ViewAndTransferGoByTheCurrentCell)
{
    ASSERT_TRUE(writePicture(m_folder + u"/scan.jpg"_s, kPictureColour));
    CFT *browser = open();
    CGridCtrl *grid = browser->grid();
    const auto cell = cellOf(u"scan.jpg"_s);
    ASSERT_GE(cell.first, 0);

    QSignalSpy viewed(browser, &CFT::viewRequested);
    QSignalSpy sent(browser, &CFT::transferRequested);
    grid->setCurrentCell(cell.first, cell.second);
    browser->runCommand(CFT::CmdView);
    browser->runCommand(CFT::CmdTransfer);
    ASSERT_EQ(viewed.size(), 1);
    EXPECT_EQ(viewed.at(0).at(0).toString(), m_folder + u"/scan.jpg"_s);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent.at(0).at(0).toString(), m_folder + u"/scan.jpg"_s);

    // The name cell stands for the same file; a filler for none.
    grid->setCurrentCell(cell.first + 1, cell.second);
    browser->runCommand(CFT::CmdTransfer);
    EXPECT_EQ(sent.size(), 2);
    grid->setCurrentCell(0, cell.second == 3 ? 2 : 3);
    browser->runCommand(CFT::CmdTransfer);
    browser->runCommand(CFT::CmdView);
    EXPECT_EQ(sent.size(), 2);
    EXPECT_EQ(viewed.size(), 1);
}

TEST_F(ThumbnailBrowser, ClosingWhileLoadingReturnsPromptly)
{
    for (int i = 0; i < 60; ++i)
        ASSERT_TRUE(writePicture(m_folder + u"/p%1.png"_s.arg(i), kPictureColour, "PNG"));
    auto *browser = new CFT(m_state, BasketSource::ofFolder(BasketSource::receivedFilesTitle(), m_folder));
    browser->show();
    EXPECT_TRUE(browser->isLoading());
    QElapsedTimer timer;
    timer.start();
    delete browser;
    EXPECT_LT(timer.elapsed(), 2500);
}

TEST_F(ThumbnailBrowser, CellsPastTheLastSlotGetNoThumbnail)
{
    // 2003 files: 501 pairs, the cells from slot 2000 on stay without a picture.
    for (int i = 0; i < CFT::kThumbnailSlots + 3; ++i)
        ASSERT_TRUE(writeFile(m_folder + u"/f%1.xyz"_s.arg(i)));
    CGridCtrl *grid = open()->grid();
    ASSERT_EQ(grid->rowCount(), 2 * 501);
    EXPECT_EQ(grid->image(2 * 499, 3), CFT::kThumbnailSlots - 1);
    EXPECT_TRUE(near(cellCentre(2 * 499, 3), kIconColour));
    for (int c = 0; c < 4; ++c)
        EXPECT_LT(grid->image(2 * 500, c), 0) << c;
    EXPECT_FALSE(grid->text(2 * 500 + 1, 2).isEmpty());
    EXPECT_TRUE(grid->text(2 * 500 + 1, 3).isEmpty());
}
