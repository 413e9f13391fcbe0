#include "base/AppState.h"
#include "base/PathsFile.h"
#include "baskets/CPreviewDlg.h"
#include "classes/Classifications.h"
#include "common/ShownText.h"
#include "common/TestArchive.h"
#include "db/CDFSet.h"
#include "search/CSearchDlg.h"
#include "search/QueryBuilder.h"
#include "ui/CGridCtrl.h"
#include "ui/MessageBox.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// In serial order; the user may see 1 and 2 only ("@12@" is not in "@1@2@").
const ClassSeed kSeeds[] = {
    {u"1"_s, u"العقود"_s},
    {u"5"_s, u"الموظفين"_s},
    {u"2"_s, u"المراسلات"_s},
    {u"12"_s, u"فواتير الموردين"_s},
};

const QString kExampleQuery =
    u"SELECT * FROM FILESERVER WHERE ( (d1 BETWEEN #1/1/2006# AND #1/16/2006#)  AND (  s1 LIKE '*@1@*'  OR   "
    u"s1 LIKE '*@2@*'  )  AND (  (s6 LIKE '*a*') AND  (s6 LIKE '*b*') )  AND ((n3=2))) ORDER BY n1,n2;"_s;

class SearchDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MessageBox::setTestMode(true);
        ASSERT_TRUE(m_handOff.isValid());
        m_hadRuntime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
        m_oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", m_handOff.path().toLocal8Bit());
        ASSERT_TRUE(m_archive.problem().isEmpty()) << m_archive.problem().toStdString();
        const Result<QList<qint32>> serials = addClassSeeds(m_archive.db(), kSeeds);
        ASSERT_TRUE(serials.ok()) << serials.error().toStdString();
        storeStartDate(u"1/1/2006"_s);
        // One image that the keyword and the general searches below find.
        DocumentRow row;
        row.cardNumber = 1;
        row.itemNumber = 1;
        row.kind = 2;
        row.classPath = u"@1@2@"_s;
        row.fileName = u"عقد.jpg"_s;
        row.keywords = u"a b"_s;
        row.cardDate = QDate(2006, 1, 10).startOfDay();
        ASSERT_TRUE(CDFSet(m_archive.db()).insert(row).ok());
    }
    void TearDown() override
    {
        MessageBox::setTestMode(false);
        if (m_hadRuntime)
            qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }

    void storeStartDate(const QString &text)
    {
        PathsFile::Values values = PathsFile::read(m_archive.home()).values;
        values[PathsFile::StartDate] = text;
        ASSERT_TRUE(PathsFile::write(m_archive.home(), values).ok());
        m_state = AppState::load(m_archive.home());
        m_state.classAccess = u"@1@2@"_s;
    }

    std::unique_ptr<CSearchDlg> makeDialog()
    {
        auto dlg = std::make_unique<CSearchDlg>(m_state, m_archive.db());
        QObject::connect(dlg.get(), &CSearchDlg::searchRequested, dlg.get(),
                         [this](const BuiltQuery &q) { m_requested.append(q); });
        return dlg;
    }

    static QByteArray dump()
    {
        QFile f(QueryBuilder::dumpPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir m_handOff;
    bool m_hadRuntime = false;
    QByteArray m_oldRuntime;
    TestArchive m_archive{Engine::SQLite};
    AppState m_state;
    QList<BuiltQuery> m_requested;
};

} // namespace

TEST_F(SearchDlgTest, OpensWithTheStoredStartDateAndGeneralModeOn)
{
    const auto dlg = makeDialog();
    EXPECT_EQ(dlg->windowTitle(), u"بحث"_s);
    EXPECT_FALSE(dlg->isModal());
    EXPECT_EQ(dlg->searchButton()->text(), u"بحث"_s);
    EXPECT_EQ(dlg->fromDate()->date(), QDate(2006, 1, 1));
    EXPECT_EQ(dlg->toDate()->date(), QDate::currentDate());
    EXPECT_TRUE(dlg->imagesBox()->isChecked());
    EXPECT_TRUE(dlg->textsBox()->isChecked());
    EXPECT_TRUE(dlg->filesBox()->isChecked());
    EXPECT_EQ(dlg->imagesBox()->text(), u"صور"_s);
    EXPECT_EQ(dlg->textsBox()->text(), u"نصوص"_s);
    EXPECT_EQ(dlg->filesBox()->text(), u"ملفات"_s);
    EXPECT_EQ(dlg->classBox()->currentText(), u"الكل"_s);
    EXPECT_TRUE(dlg->classBox()->isEditable());
    EXPECT_TRUE(dlg->keywordsEdit()->text().isEmpty());
    EXPECT_TRUE(dlg->generalBox()->isChecked());
    EXPECT_TRUE(dlg->phraseEdit()->isEnabled());
    EXPECT_FALSE(dlg->keywordsEdit()->isEnabled());
    EXPECT_FALSE(dlg->classBox()->isEnabled());
}

TEST_F(SearchDlgTest, AStartDateThatDoesNotParseStartsToday)
{
    storeStartDate(u"no date here"_s);
    const auto dlg = makeDialog();
    EXPECT_EQ(dlg->fromDate()->date(), QDate::currentDate());
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(SearchDlgTest, ComboListsOnlyPermittedClassificationsAsCodeAndName)
{
    const auto dlg = makeDialog();
    QStringList items;
    for (int i = 0; i < dlg->classBox()->count(); ++i)
        items.append(dlg->classBox()->itemText(i));
    EXPECT_EQ(items, (QStringList{u"الكل"_s, u"1 العقود"_s, u"2 المراسلات"_s}));
    EXPECT_EQ(dlg->permitted().codes, (QStringList{u"1"_s, u"2"_s}));
}

TEST_F(SearchDlgTest, TheToggleSwapsThePhraseForKeywordsAndClassification)
{
    const auto dlg = makeDialog();
    dlg->show();
    QTest::mouseClick(dlg->generalBox(), Qt::LeftButton);
    EXPECT_FALSE(dlg->generalBox()->isChecked());
    EXPECT_FALSE(dlg->phraseEdit()->isEnabled());
    EXPECT_TRUE(dlg->keywordsEdit()->isEnabled());
    EXPECT_TRUE(dlg->classBox()->isEnabled());

    QTest::mouseClick(dlg->generalBox(), Qt::LeftButton);
    EXPECT_TRUE(dlg->generalBox()->isChecked());
    EXPECT_TRUE(dlg->phraseEdit()->isEnabled());
    EXPECT_FALSE(dlg->keywordsEdit()->isEnabled());
    EXPECT_FALSE(dlg->classBox()->isEnabled());
}

TEST_F(SearchDlgTest, AnEmptyPhraseAsksForOneAndSearchesNothing)
{
    const auto dlg = makeDialog();
    dlg->show();
    QFile::remove(QueryBuilder::dumpPath());
    QTest::mouseClick(dlg->searchButton(), Qt::LeftButton);
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"ادخل عبارة للبحث"_s});
    EXPECT_TRUE(m_requested.isEmpty());
    EXPECT_FALSE(QFile::exists(QueryBuilder::dumpPath()));
    EXPECT_TRUE(dlg->isVisible()) << "the form stays open";
}

TEST_F(SearchDlgTest, KeywordSearchGivesTheQueryTextAndEverySearchRequestsOneMoreReport)
{
    const auto dlg = makeDialog();
    dlg->show();
    QTest::mouseClick(dlg->generalBox(), Qt::LeftButton);
    dlg->phraseEdit()->setText(u"ignored by a keyword search"_s);
    dlg->keywordsEdit()->setText(u"a+b"_s);
    dlg->textsBox()->setChecked(false);
    dlg->filesBox()->setChecked(false);
    dlg->fromDate()->setDate(QDate(2006, 1, 1));
    dlg->toDate()->setDate(QDate(2006, 1, 15));
    QTest::mouseClick(dlg->searchButton(), Qt::LeftButton);

    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    ASSERT_EQ(m_requested.size(), 1);
    EXPECT_EQ(m_requested[0].jetText, kExampleQuery);
    EXPECT_EQ(m_requested[0].title, u"a+b"_s);
    EXPECT_EQ(dump(), kExampleQuery.toLatin1());

    // Again with a classification picked from the list: one more request, nothing else changed.
    dlg->classBox()->setCurrentIndex(2);
    QTest::mouseClick(dlg->searchButton(), Qt::LeftButton);
    ASSERT_EQ(m_requested.size(), 2);
    // The chosen classification, and within the ones the user may open.
    EXPECT_TRUE(m_requested[1].jetText.contains(u" AND (  s1 LIKE '*@2@*'  )  AND (  s1 LIKE '*@1@*'  OR   s1 LIKE '*@2@*'  ) "_s))
        << m_requested[1].jetText.toStdString();
    EXPECT_EQ(dump(), m_requested[1].jetText.toLatin1());
    EXPECT_EQ(m_requested[0].jetText, kExampleQuery) << "the first request is its own";
}

TEST_F(SearchDlgTest, GeneralSearchIsTitledWithThePhraseAndIgnoresTheKeywords)
{
    const auto dlg = makeDialog();
    dlg->phraseEdit()->setText(u"عقد"_s);
    dlg->keywordsEdit()->setText(u"zzz"_s);
    ASSERT_TRUE(dlg->search());
    ASSERT_EQ(m_requested.size(), 1);
    EXPECT_EQ(m_requested[0].title, u"عقد"_s);
    EXPECT_TRUE(m_requested[0].jetText.contains(u" s5 LIKE '*عقد*'  "_s)) << m_requested[0].jetText.toStdString();
    EXPECT_FALSE(m_requested[0].jetText.contains(u"zzz"_s));
}

TEST_F(SearchDlgTest, ClosingHidesTheFormAndKeepsItsValues)
{
    const auto dlg = makeDialog();
    QPointer<CSearchDlg> alive(dlg.get());
    dlg->show();
    dlg->phraseEdit()->setText(u"فاتورة"_s);
    dlg->close();
    EXPECT_FALSE(dlg->isVisible());
    ASSERT_TRUE(alive);
    dlg->show();
    EXPECT_EQ(dlg->phraseEdit()->text(), u"فاتورة"_s);
}

// The preview window shares this binary: it is a small gui piece of the same search results.
namespace {

// A JPEG whose comment segment, right after the start marker, holds the description.
QByteArray jpegWithDescription(const QByteArray &description, QSize size = {600, 300})
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG");
    const QByteArray payload = QByteArray(200, 'x') + "@AFPs@" + description + '\0';
    QByteArray segment("\xff\xfe");
    const int length = int(payload.size()) + 2;
    segment.append(char(length >> 8)).append(char(length & 0xff)).append(payload);
    return jpeg.insert(2, segment);
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.path() + u'/' + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

} // namespace

TEST(PreviewDlg, PicturesAreFittedIntoTheBoxAsTheRatioSays)
{
    EXPECT_EQ(CPreviewDlg::placement({600, 300}), QRect(0, 60, 300, 150));
    EXPECT_EQ(CPreviewDlg::placement({300, 600}), QRect(82, 0, 135, 270));
    // 0.9 exactly still fills the width; just above fills the height.
    EXPECT_EQ(CPreviewDlg::placement({1000, 900}), QRect(0, 0, 300, 270));
    EXPECT_EQ(CPreviewDlg::placement({1000, 901}).height(), 270);
    EXPECT_EQ(CPreviewDlg::placement({1000, 901}).width(), 299);
}

TEST(PreviewDlg, ShowsThePictureCaptionAndDescriptionByMode)
{
    QTemporaryDir dir;
    const QByteArray text("the signed contract, first of two pages");
    const QString lower = writeFile(dir, u"page.jpg"_s, jpegWithDescription(text));
    const QString upper = writeFile(dir, u"PAGE.JPG"_s, jpegWithDescription(text));

    CPreviewDlg dlg;
    dlg.show();
    dlg.showPreview(lower, u"صورة 1"_s, u"not used"_s, CPreviewDlg::DescriptionFromFile);
    EXPECT_EQ(dlg.windowTitle(), u"صورة 1"_s);
    EXPECT_EQ(dlg.description(), QString::fromLatin1(text));
    EXPECT_TRUE(dlg.descriptionEdit()->isReadOnly());
    const QImage &shown = dlg.picture();
    ASSERT_EQ(shown.size(), QSize(300, 270));
    EXPECT_EQ(shown.pixel(0, 0), qRgb(192, 192, 192));
    EXPECT_EQ(shown.pixel(150, 30), qRgb(255, 255, 255)) << "above the picture";
    EXPECT_GT(qRed(shown.pixel(150, 135)), 200);
    EXPECT_LT(qGreen(shown.pixel(150, 135)), 60);
    EXPECT_EQ(dlg.grid()->image(0, 0), 0);
    EXPECT_EQ(dlg.grid()->gridKind(), 92);

    dlg.showPreview(upper, u"صورة 2"_s, {}, CPreviewDlg::DescriptionFromFile);
    EXPECT_TRUE(dlg.description().isEmpty()) << "upper-case .JPG is not read for display";

    dlg.showPreview(upper, u"صورة 3"_s, u"نص الوصف"_s, CPreviewDlg::DescriptionGiven);
    EXPECT_EQ(dlg.description(), u"نص الوصف"_s);

    dlg.showPreview(writeFile(dir, u"broken.jpg"_s, "not a picture"), u"صورة 4"_s, u"other"_s, 7);
    EXPECT_EQ(dlg.windowTitle(), u"صورة 4"_s);
    EXPECT_EQ(dlg.description(), u"نص الوصف"_s) << "another mode keeps the description";
    EXPECT_EQ(dlg.picture().pixel(150, 135), qRgb(255, 255, 255)) << "an undecodable file leaves the empty box";
    EXPECT_EQ(dlg.picture().pixel(299, 269), qRgb(192, 192, 192));
}

TEST_F(SearchDlgTest, BothDateBoxesTakeTypedDatesAndReadDayMonthYear)
{
    const auto dlg = makeDialog();
    dlg->show();
    dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    EXPECT_EQ(shownText(dlg->fromDate()).toStdString(), "01/01/2006");
    EXPECT_EQ(shownText(dlg->toDate()).toStdString(), QDate::currentDate().toString(u"dd/MM/yyyy"_s).toStdString());
    EXPECT_TRUE(drawnInWrittenOrder(dlg->fromDate()));
    EXPECT_TRUE(drawnInWrittenOrder(dlg->toDate()));

    const QDate to = dlg->toDate()->date();
    // The user double-clicks the day and types the whole date over it.
    auto typeInto = [](QDateEdit *box, const QString &text) {
        auto *edit = box->findChild<QLineEdit *>();
        QTest::mouseDClick(edit, Qt::LeftButton, {}, QPoint(6, edit->height() / 2));
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Tab);
    };
    typeInto(dlg->fromDate(), u"15032026"_s);
    EXPECT_EQ(dlg->fromDate()->date(), QDate(2026, 3, 15));
    EXPECT_EQ(dlg->toDate()->date(), to) << "typing into the from box leaves the to box alone";
    typeInto(dlg->toDate(), u"20042026"_s);
    EXPECT_EQ(dlg->toDate()->date(), QDate(2026, 4, 20));
    EXPECT_EQ(dlg->fromDate()->date(), QDate(2026, 3, 15));
    EXPECT_EQ(dlg->request().from, QDate(2026, 3, 15));
    EXPECT_EQ(dlg->request().to, QDate(2026, 4, 20));
}

TEST_F(SearchDlgTest, ASearchThatFindsNothingSaysSoAndOpensNoReport)
{
    const auto dlg = makeDialog();
    dlg->show();
    dlg->phraseEdit()->setText(u"لا يوجد مثله"_s);
    QTest::mouseClick(dlg->searchButton(), Qt::LeftButton);
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"لا توجد نتائج"_s});
    EXPECT_TRUE(m_requested.isEmpty());
    EXPECT_TRUE(dlg->isVisible());

    dlg->phraseEdit()->setText(u"عقد"_s);
    QTest::mouseClick(dlg->searchButton(), Qt::LeftButton);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(m_requested.size(), 1);
}

TEST_F(SearchDlgTest, StaysAboveTheMainWindowAndEscapeClosesItAsTheCloseBoxDoes)
{
    QWidget frame;
    frame.resize(800, 600);
    frame.show();
    auto *dlg = new CSearchDlg(m_state, m_archive.db(), &frame);
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg));
    EXPECT_EQ(dlg->windowType(), Qt::Tool);
    ASSERT_NE(dlg->windowHandle(), nullptr);
    EXPECT_EQ(dlg->windowHandle()->transientParent(), frame.windowHandle()) << "kept above the main window";

    dlg->phraseEdit()->setText(u"فاتورة"_s);
    QTest::keyClick(dlg, Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
    dlg->show();
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->phraseEdit()->text(), u"فاتورة"_s) << "closing keeps the values";
}
