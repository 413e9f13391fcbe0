#include "base/AppState.h"
#include "common/PdfPages.h"
#include "search/CViewPrintPreview.h"
#include "search/Printing.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class BasketPreview : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_state.programFolder = m_dir.path();
        m_state.rights.printjob = kGranted;
        MessageBox::setTestMode(true);
        MessageBox::takeShown();
        m_main.show();
    }
    void TearDown() override
    {
        if (CViewPrintPreview *open = CViewPrintPreview::current())
            delete open;
        MessageBox::setTestMode(false);
    }

    QString picture(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        QImage image(50, 40, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        EXPECT_TRUE(image.save(path, name.endsWith(u".bmp"_s) ? "BMP" : "PNG"));
        return path;
    }
    QString document(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("text");
        return path;
    }

    QTemporaryDir m_dir;
    AppState m_state;
    QMainWindow m_main;
};

} // namespace

TEST_F(BasketPreview, ShowsThePicturesAndHidesTheMainWindowUntilItCloses)
{
    const QString png = picture(u"scan.png"_s);
    const QString bmp = picture(u"fax.bmp"_s);
    const QString doc = document(u"memo.doc"_s);
    const QString upper = document(u"page.TIFF"_s);

    CViewPrintPreview::open(m_state, PrintSource::BasketViewer, u"سلة الوارد"_s, {png, doc, bmp, upper}, &m_main);

    QPointer<CViewPrintPreview> preview = CViewPrintPreview::current();
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->pages(), (QStringList{png, bmp}));
    EXPECT_EQ(preview->windowTitle(), u"سلة الوارد"_s);
    EXPECT_EQ(preview->source(), PrintSource::BasketViewer);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_FALSE(m_main.isVisible());

    auto *pagesWidget = preview->findChild<QPrintPreviewWidget *>();
    ASSERT_NE(pagesWidget, nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(pagesWidget->pageCount(), 2, 5000);

    // A second request while it is open brings the same preview forward.
    CViewPrintPreview::open(m_state, PrintSource::BasketViewer, u"سلة الوارد"_s, {png}, &m_main);
    EXPECT_EQ(CViewPrintPreview::current(), preview.data());
    EXPECT_EQ(preview->pages().size(), 2);

    preview->close();
    EXPECT_TRUE(m_main.isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(preview.isNull());
    EXPECT_EQ(CViewPrintPreview::current(), nullptr);
}

TEST_F(BasketPreview, PrintingFromThePreviewGivesOnePagePerPicture)
{
    const QString png = picture(u"one.png"_s);
    const QString bmp = picture(u"two.bmp"_s);
    CViewPrintPreview::open(m_state, PrintSource::BasketViewer, u"سلة الوارد"_s, {png, document(u"x.doc"_s), bmp}, &m_main);
    CViewPrintPreview *preview = CViewPrintPreview::current();
    ASSERT_NE(preview, nullptr);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = m_dir.filePath(u"basket.pdf"_s);
    printer.setOutputFileName(pdf);
    Q_EMIT preview->paintRequested(&printer);

    EXPECT_EQ(pdfPageCount(pdf), 2);
    // The BMP went through its TIFF copy in the program folder.
    EXPECT_TRUE(QFile::exists(Printing::tiffCopyPath(m_state.programFolder)));
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(BasketPreview, WithoutPicturesTheUserIsToldAndNoPreviewOpens)
{
    CViewPrintPreview::open(m_state, PrintSource::BasketViewer, u"سلة الوارد"_s, {document(u"a.doc"_s), document(u"b.TIFF"_s)}, &m_main);
    EXPECT_EQ(CViewPrintPreview::current(), nullptr);
    EXPECT_TRUE(m_main.isVisible());
    const QStringList shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown.first(), u"لا توجد صور محددة للطباعة"_s);
}
