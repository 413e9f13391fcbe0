#include "common/QtPrinters.h"
#include "ui/web/CWebPageView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

// Qt WebEngine wants shared OpenGL contexts before the application object exists.
[[maybe_unused]] const bool kContextsShared = [] {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    return true;
}();

constexpr int kWaitMs = 30000;
// Long enough for a save that was given up to come back if it were going to.
constexpr int kLateSignalWaitMs = 1500;

// A caption is an address set off to read left to right inside the right-to-left window.
const QString kLeftToRight = u"\u2066"_s;
const QString kPopDirection = u"\u2069"_s;
const QString kArabicText = u"مرحبا بكم في أرشيف الوثائق"_s;

QByteArray arabicPage()
{
    return (u"<!DOCTYPE html><html dir=\"rtl\" lang=\"ar\"><head><meta charset=\"utf-8\">"
            u"<title>صفحة الأرشيف</title></head><body><p>"_s
            + kArabicText + u"</p></body></html>"_s)
        .toUtf8();
}

QString engineMissingReason()
{
    QString process = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
    if (process.isEmpty())
        process = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath)
                  + u"/QtWebEngineProcess"_s;
    return QFileInfo(process).isExecutable() ? QString()
                                             : u"no Qt WebEngine process at "_s + process;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray decodeQuotedPrintable(QByteArray text)
{
    text.replace("=\r\n", ""); // soft line breaks
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        bool ok = false;
        const int byte = text[i] == '=' ? text.mid(i + 1, 2).toInt(&ok, 16) : 0;
        out += ok ? char(byte) : text[i];
        i += ok ? 2 : 0;
    }
    return out;
}

class WebPageViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const QString reason = engineMissingReason(); !reason.isEmpty())
            GTEST_SKIP() << "SKIPPED: " << reason.toStdString();
        ASSERT_TRUE(m_dir.isValid());
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString writePage(const QString &name) const
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(arabicPage()) > 0);
        return file.fileName();
    }

    // Shows a view on the address and waits until the page has loaded; false if it did not.
    bool open(const QString &address)
    {
        m_view = std::make_unique<CWebPageView>(address);
        m_view->resize(640, 400);
        QSignalSpy loaded(m_view.get(), &CWebPageView::loadFinished);
        m_view->show();
        return loaded.wait(kWaitMs) && loaded.first().first().toBool();
    }

    QString shownText() const
    {
        QString text;
        bool done = false;
        m_view->webView()->page()->toPlainText([&](const QString &result) {
            text = result;
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, kWaitMs));
        return text;
    }

    // Saves under the chosen path and waits for the outcome; the saved file's path on success.
    QString save(const QString &chosen)
    {
        QSignalSpy saved(m_view.get(), &CWebPageView::pageSaved);
        QSignalSpy failed(m_view.get(), &CWebPageView::saveFailed);
        m_view->savePage(chosen);
        const auto answered = [&] { return !saved.isEmpty() || !failed.isEmpty(); };
        EXPECT_TRUE(answered() || QTest::qWaitFor(answered, kWaitMs));
        EXPECT_TRUE(failed.isEmpty()) << failed.value(0).value(0).toString().toStdString();
        if (saved.size() != 1)
            return {};
        return saved.first().at(0).toString() + saved.first().at(1).toString();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<CWebPageView> m_view;
};

} // namespace

TEST(WebPageViewAddressTest, LocalPathsBecomeFileUrlsAndWebAddressesStayWithSlashes)
{
    EXPECT_EQ(CWebPageView::urlForAddress(u"/srv/أرشيف/صفحة 1.htm"_s),
              QUrl::fromLocalFile(u"/srv/أرشيف/صفحة 1.htm"_s));
    EXPECT_EQ(CWebPageView::urlForAddress(u"pages/a.htm"_s),
              QUrl::fromLocalFile(QDir::current().absoluteFilePath(u"pages/a.htm"_s)));
    EXPECT_EQ(CWebPageView::urlForAddress(u"http://www.example.com\\docs\\p.htm"_s),
              QUrl(u"http://www.example.com/docs/p.htm"_s));
    EXPECT_EQ(CWebPageView::urlForAddress(u"HTTPS://example.com/a"_s),
              QUrl(u"https://example.com/a"_s));
    EXPECT_EQ(CWebPageView::savedPagePath(u"/tmp/report"_s), u"/tmp/report.htm"_s);
    EXPECT_EQ(CWebPageView::savedPagePath(u"/tmp/report.mhtml"_s), u"/tmp/report.mhtml.htm"_s);
}

TEST_F(WebPageViewTest, LoadsTheAddressWhenShownUnderItsOwnCaption)
{
    const QString page = writePage(u"صفحة.htm"_s);
    CWebPageView unshown(page);
    EXPECT_EQ(unshown.webAddress(), page);
    EXPECT_EQ(unshown.windowTitle(), kLeftToRight + page + kPopDirection);
    EXPECT_TRUE(unshown.webView()->url().isEmpty());

    ASSERT_TRUE(open(page));
    EXPECT_EQ(m_view->webView()->url(), QUrl::fromLocalFile(page));
    EXPECT_EQ(shownText().trimmed(), kArabicText);
}

TEST_F(WebPageViewTest, SavesTheShownPageAsWebArchiveUnderTheChosenNamePlusHtm)
{
    ASSERT_TRUE(open(writePage(u"page.htm"_s)));
    QSignalSpy saved(m_view.get(), &CWebPageView::pageSaved);
    const QString chosen = path(u"صفحة محفوظة"_s);

    ASSERT_EQ(save(chosen), chosen + u".htm"_s);
    EXPECT_EQ(saved.first().at(0).toString(), m_dir.path() + u"/"_s);
    EXPECT_EQ(saved.first().at(1).toString(), u"صفحة محفوظة.htm"_s);
    EXPECT_FALSE(QFileInfo::exists(chosen));
    EXPECT_FALSE(m_view->isSaving());

    const QByteArray content = readAll(chosen + u".htm"_s);
    const QByteArray header = content.left(content.indexOf("\r\n\r\n"));
    EXPECT_TRUE(header.startsWith("From: ") || header.startsWith("MIME-Version: "));
    EXPECT_TRUE(header.contains("MIME-Version: 1.0") && header.contains("multipart/related"));
    EXPECT_TRUE(decodeQuotedPrintable(content).contains(kArabicText.toUtf8()));
    EXPECT_TRUE(CWebPageView::isWebArchive(chosen + u".htm"_s));
    EXPECT_FALSE(CWebPageView::isWebArchive(path(u"page.htm"_s)));

    // Shown again and saved onto itself, the archive stays as it was.
    ASSERT_TRUE(open(chosen + u".htm"_s));
    EXPECT_EQ(save(chosen), chosen + u".htm"_s);
    EXPECT_EQ(readAll(chosen + u".htm"_s), content);
}

// A web archive is reopened under either suffix: it shows its page, and saving it again copies it.
class WebArchiveResaveTest : public WebPageViewTest, public ::testing::WithParamInterface<QString>
{
};

TEST_P(WebArchiveResaveTest, ShowsThePageAndSavesAnExactCopy)
{
    ASSERT_TRUE(open(writePage(u"page.htm"_s)));
    const QString first = save(path(u"first"_s));
    ASSERT_FALSE(first.isEmpty());
    const QString archive = path(u"أرشيف."_s + GetParam());
    ASSERT_TRUE(first == archive || QFile::rename(first, archive));

    ASSERT_TRUE(open(archive));
    EXPECT_EQ(shownText().trimmed(), kArabicText);
    QSignalSpy saved(m_view.get(), &CWebPageView::pageSaved);
    ASSERT_EQ(save(path(u"second"_s)), path(u"second.htm"_s));
    EXPECT_EQ(saved.first().at(1).toString(), u"second.htm"_s);
    EXPECT_EQ(readAll(path(u"second.htm"_s)), readAll(archive));
}

INSTANTIATE_TEST_SUITE_P(Suffixes, WebArchiveResaveTest, ::testing::Values(u"htm"_s, u"mhtml"_s),
                         [](const auto &info) { return info.param.toStdString(); });

TEST_F(WebPageViewTest, ASaveNotFinishedInTimeFailsAndLeavesNoFile)
{
    ASSERT_TRUE(open(writePage(u"page.htm"_s)));
    QSignalSpy saved(m_view.get(), &CWebPageView::pageSaved);
    QSignalSpy failed(m_view.get(), &CWebPageView::saveFailed);
    m_view->setSaveTimeout(0ms);
    m_view->savePage(path(u"late"_s));
    ASSERT_TRUE(failed.wait(kWaitMs));
    EXPECT_TRUE(failed.first().first().toString().contains(u"مهلة"_s));
    EXPECT_FALSE(m_view->isSaving());
    QTest::qWait(kLateSignalWaitMs);
    EXPECT_TRUE(saved.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path(u"late.htm"_s)));

    // The view saves again afterwards; a second save while one runs is refused.
    m_view->setSaveTimeout(CWebPageView::kDefaultSaveTimeout);
    m_view->savePage(path(u"one"_s));
    EXPECT_TRUE(m_view->isSaving());
    m_view->savePage(path(u"two"_s));
    EXPECT_EQ(failed.size(), 2);
    ASSERT_TRUE(saved.wait(kWaitMs));
    EXPECT_EQ(saved.first().at(1).toString(), u"one.htm"_s);
    EXPECT_EQ(failed.size(), 2);
    EXPECT_FALSE(QFileInfo::exists(path(u"two.htm"_s)));
}

TEST_F(WebPageViewTest, APageThatDidNotLoadOrAMissingFolderIsRefused)
{
    EXPECT_FALSE(open(path(u"absent.htm"_s)));
    QSignalSpy failed(m_view.get(), &CWebPageView::saveFailed);
    m_view->savePage(path(u"nothing"_s));
    EXPECT_EQ(failed.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(path(u"nothing.htm"_s)));

    ASSERT_TRUE(open(writePage(u"page.htm"_s)));
    QSignalSpy refused(m_view.get(), &CWebPageView::saveFailed);
    m_view->savePage(path(u"missing/page"_s));
    ASSERT_EQ(refused.size(), 1);
    EXPECT_TRUE(refused.first().first().toString().contains(path(u"missing"_s)));
    EXPECT_FALSE(m_view->isSaving());
}
