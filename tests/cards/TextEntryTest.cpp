// The card's text entry: a file's text through the converter into the description, archived and
// found by a search; the converter's failures; the text list's keys.

#include "app/ArchiveSetup.h"
#include "base/AppState.h"
#include "base/Commands.h"
#include "base/Cp1256.h"
#include "base/HandOffFolder.h"
#include "cards/CCardDlg.h"
#include "cards/TextConversion.h"
#include "cards/TextEntry.h"
#include "classes/Classifications.h"
#include "common/TestArchive.h"
#include "common/TextFixtures.h"
#include "db/CClaSet.h"
#include "db/CDFSet.h"
#include "search/QueryBuilder.h"
#include "ui/CGridCtrl.h"
#include "ui/MessageBox.h"

#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QFile>
#include <QLockFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class TextEntryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        registerCoreResources();
        MessageBox::setTestMode(true);
        ASSERT_TRUE(m_archive.problem().isEmpty()) << m_archive.problem().toStdString();
        ASSERT_TRUE(addClassification(m_archive.db(), {u"12"_s, u"المراسلات"_s, {}, 0}).ok());
        m_state = AppState::load(m_archive.home());
        m_state.currentUser = u"CLERK"_s;
        m_state.classAccess = u"@12@"_s;
        m_state.rights.docadd = m_state.rights.docdel = m_state.rights.docmod = kGranted;
        m_dlg = std::make_unique<CCardDlg>(m_state, m_archive.db());
        m_dlg->archiver().setStartCopier(false);
        MessageBox::takeShown();
    }
    void TearDown() override { MessageBox::setTestMode(false); }

    // The real converter, where the program looks for it first.
    void useBuiltConverter()
    {
        const QString built = qEnvironmentVariable("DOVRELLE_BIN") + u"/dovrelle-mw"_s;
        QFile::remove(converterPath());
        ASSERT_TRUE(QFile::link(built, converterPath()));
    }
    // A stand-in converter: a shell script; without a body, a file that cannot run, so the program
    // looks beside itself where there is none.
    void useScript(const QByteArray &body)
    {
        QFile::remove(converterPath());
        QFile f(converterPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nout=\"$XDG_RUNTIME_DIR/dovrelle/fdata.txt\"\n" + body + "\n");
        f.close();
        if (!body.isEmpty())
            f.setPermissions(f.permissions() | QFile::ExeOwner);
    }
    QString converterPath() const { return m_state.programFolder + u"/COM/dovrelle-mw"_s; }

    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_sources.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    // 32964 on file row `row`, waited for to its end; true when the text was taken.
    bool enterText(int row, int timeoutMs = 120000)
    {
        m_dlg->fileList()->setCurrentCell(row, CCardDlg::FileName);
        QSignalSpy ended(m_dlg->textEntry(), &TextEntry::finished);
        if (!m_dlg->runCommand(Command::EnterText))
            return false;
        EXPECT_TRUE(ended.count() > 0 || ended.wait(timeoutMs));
        return !ended.isEmpty() && ended.first().first().toBool();
    }

    // The rows a general search for `phrase` finds.
    QList<DocumentRow> search(const QString &phrase)
    {
        SearchRequest r;
        r.general = true;
        r.phrase = phrase;
        r.classText = QueryBuilder::allClassesText();
        r.from = QDate(2026, 1, 1);
        r.to = QDate(2026, 12, 31);
        const PermittedClasses permitted = PermittedClasses::of(*CClaSet(m_archive.db()).all(), m_state.classAccess);
        const Result<BuiltQuery> q = QueryBuilder::build(r, permitted, m_archive.db().engine());
        EXPECT_TRUE(q.ok());
        const Result<QList<DocumentRow>> rows = CDFSet(m_archive.db()).search(q->where);
        EXPECT_TRUE(rows.ok());
        return rows.ok() ? *rows : QList<DocumentRow>();
    }

    // Every file of `files` (name and a word of its text): 32964 fills its description, the card
    // is archived, and a search for the word finds that item with the text in m3.
    void throughTheWholeRoad(const QList<std::pair<QString, QString>> &files)
    {
        useBuiltConverter();
        m_dlg->addClassification(u"12"_s, u"المراسلات"_s);
        m_dlg->nameBox()->setText(u"بطاقة النصوص"_s);
        m_dlg->dateBox()->setDate(QDate(2026, 3, 4));
        QStringList paths;
        for (const auto &f : files)
            paths.append(m_sources.filePath(f.first));
        m_dlg->addFiles(paths);
        m_dlg->show();
        for (int i = 0; i < files.size(); ++i) {
            ASSERT_TRUE(enterText(i + 1)) << files[i].first.toStdString() << ": "
                                         << MessageBox::takeShown().join(u' ').toStdString();
            EXPECT_TRUE(m_dlg->fileList()->text(i + 1, CCardDlg::FileDescription).contains(files[i].second))
                << files[i].first.toStdString() << ": "
                << m_dlg->fileList()->text(i + 1, CCardDlg::FileDescription).toStdString();
        }
        m_dlg->archiveCard();
        ASSERT_EQ(m_dlg->mode(), CCardDlg::Mode::CardShown) << MessageBox::takeShown().join(u' ').toStdString();
        for (const auto &[name, word] : files) {
            bool found = false;
            for (const DocumentRow &row : search(word))
                found = found || (row.fileName == name && row.description.contains(word));
            EXPECT_TRUE(found) << "a search for " << word.toStdString() << " finds " << name.toStdString();
        }
        m_dlg->hide();
    }

    TestArchive m_archive{Engine::SQLite};
    QTemporaryDir m_sources;
    AppState m_state;
    std::unique_ptr<CCardDlg> m_dlg;
};

const QStringList kParagraphs = {u"كتاب الموافقة على الاجازة"_s, u"مديرية الحسابات العامة"_s};

} // namespace

TEST_F(TextEntryTest, TextFilesAndWordPackagesReachTheDescriptionTheArchiveAndTheSearch)
{
    file(u"utf8.txt"_s, u"محضر الاجتماع\r\nالبند الاول"_s.toUtf8());
    QByteArray utf16("\xFF\xFE");
    for (QChar c : u"تعميم الدوام الرسمي"_s)
        utf16 += QByteArray(reinterpret_cast<const char *>(&c), 2);
    file(u"utf16.TXT"_s, utf16);
    file(u"cp1256.txt"_s, *Cp1256::encode(u"فاتورة الكهرباء الشهرية"_s));
    ASSERT_TRUE(TextFixtures::writeDocx(m_sources.filePath(u"report.DOCX"_s),
                                        TextFixtures::documentXml(kParagraphs, {{u"المبلغ"_s, u"الضريبة"_s}})));
    throughTheWholeRoad({{u"utf8.txt"_s, u"الاجتماع"_s},
                         {u"utf16.TXT"_s, u"الدوام"_s},
                         {u"cp1256.txt"_s, u"الكهرباء"_s},
                         {u"report.DOCX"_s, u"الضريبة"_s}});
}

TEST_F(TextEntryTest, RtfDocPdfAndScansReachTheDescriptionTheArchiveAndTheSearch)
{
    if (TextFixtures::office().isEmpty()) {
        std::puts("SKIPPED: LibreOffice Writer is not installed");
        GTEST_SKIP() << "LibreOffice Writer is not installed";
    }
    const QString docx = m_sources.filePath(u"source.docx"_s);
    ASSERT_TRUE(TextFixtures::writeDocx(docx, TextFixtures::documentXml(kParagraphs)));
    for (const QString &format : {u"rtf"_s, u"doc"_s, u"pdf"_s})
        ASSERT_FALSE(TextFixtures::officeConvert(docx, format, m_sources.path()).isEmpty()) << format.toStdString();
    ASSERT_TRUE(TextFixtures::renderedPage({u"مذكرة داخلية عاجلة"_s, u"Internal memo"_s}).save(m_sources.filePath(u"scan.png"_s)));
    throughTheWholeRoad({{u"source.rtf"_s, u"الاجازة"_s},
                         {u"source.doc"_s, u"الحسابات"_s},
                         {u"source.pdf"_s, u"مديرية"_s},
                         {u"scan.png"_s, u"مذكرة"_s}});
}

TEST_F(TextEntryTest, OnlyConvertibleExtensionsAreTakenAndAtMost20000Bytes)
{
    useScript("head -c 25000 /dev/zero | tr '\\000' 'a' > \"$out\"");
    m_dlg->addFiles({file(u"report.Doc"_s, "x"), file(u"report.DOCX"_s, "x"), file(u"noext"_s, "x"),
                     file(u"scan.JPG"_s, "x")});
    m_dlg->setFileDescription(1, u"كما كان"_s);
    EXPECT_FALSE(enterText(1));
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"الملف غير نصي"_s});
    EXPECT_EQ(m_dlg->fileList()->text(1, CCardDlg::FileDescription), u"كما كان"_s);
    EXPECT_FALSE(enterText(3));
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"الملف غير نصي"_s});

    ASSERT_TRUE(enterText(2));
    EXPECT_EQ(m_dlg->fileList()->text(2, CCardDlg::FileDescription), QString(20000, u'a'));
    EXPECT_EQ(m_dlg->draft().files[1].description.size(), 20000);
    ASSERT_TRUE(enterText(4)) << "pictures are taken in any letter case";
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_FALSE(QFile::exists(handOffFolder() + u"/1.tmp"_s)) << "the copy goes when the conversion is over";
}

struct BadConverter
{
    const char *name;
    QByteArray script;
    QString message;
};

class TextEntryFailures : public TextEntryTest, public ::testing::WithParamInterface<BadConverter>
{
};

TEST_P(TextEntryFailures, EndWithinTheBoundWithAMessageAndChangeNothing)
{
    useScript(GetParam().script);
    m_dlg->addFiles({file(u"a.txt"_s, "x")});
    m_dlg->setFileDescription(1, u"الوصف"_s);
    m_dlg->textEntry()->setBaseWait(1500);
    m_dlg->show();
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(enterText(1, 10000));
    EXPECT_LT(clock.elapsed(), 6000);
    const QStringList shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.first().contains(GetParam().message)) << shown.first().toStdString();
    EXPECT_EQ(m_dlg->fileList()->text(1, CCardDlg::FileDescription), u"الوصف"_s);
    EXPECT_FALSE(m_dlg->textEntry()->running());
    EXPECT_TRUE(m_dlg->textEntry()->progress() == nullptr || !m_dlg->textEntry()->progress()->isVisible());
    // The hand-off files are free again.
    QLockFile lock(handOffFolder() + u"/convert.lock"_s);
    EXPECT_TRUE(lock.tryLock(0));
    m_dlg->hide();
}

INSTANTIATE_TEST_SUITE_P(
    Converters, TextEntryFailures,
    ::testing::Values(BadConverter{"NeverWrites", "exec sleep 600", u"انتهت مهلة برنامج التحويل"_s},
                      BadConverter{"ExitsWithoutWriting", "exit 0", u"لم يكتب برنامج التحويل"_s},
                      BadConverter{"Crashes", "kill -SEGV $$", u"توقف برنامج التحويل"_s},
                      BadConverter{"Fails", "echo 'dovrelle-mw: damaged file' >&2; exit 1", u"damaged file"_s},
                      BadConverter{"Missing", "", u"تعذر تشغيل برنامج التحويل"_s}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TextEntryTest, AnnouncedPagesLengthenTheWaitAndCancelLeavesTheRowAsItWas)
{
    // Past the base wait, but within what one announced page adds.
    useScript("echo 'pages 1'; echo 'page 1'; sleep 2; printf 'recognised' > \"$out\"");
    m_dlg->addFiles({file(u"scan.png"_s, "x")});
    m_dlg->textEntry()->setBaseWait(1000);
    m_dlg->show();
    ASSERT_TRUE(enterText(1, 20000)) << MessageBox::takeShown().join(u' ').toStdString();
    EXPECT_EQ(m_dlg->fileList()->text(1, CCardDlg::FileDescription), u"recognised"_s);

    useScript("sleep 600");
    m_dlg->setFileDescription(1, u"قبل"_s);
    m_dlg->fileList()->setCurrentCell(1, CCardDlg::FileName);
    QSignalSpy ended(m_dlg->textEntry(), &TextEntry::finished);
    ASSERT_TRUE(m_dlg->runCommand(Command::EnterText));
    QTRY_VERIFY(m_dlg->textEntry()->progress() && m_dlg->textEntry()->progress()->isVisible());
    EXPECT_FALSE(m_dlg->runCommand(Command::EnterText)) << "one conversion at a time";
    auto *cancel = m_dlg->textEntry()->progress()->findChild<QPushButton *>();
    ASSERT_NE(cancel, nullptr);
    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_TRUE(MessageBox::takeShown().isEmpty()) << "a cancel is no failure to report";
    EXPECT_EQ(m_dlg->fileList()->text(1, CCardDlg::FileDescription), u"قبل"_s);
    m_dlg->hide();
}

TEST_F(TextEntryTest, AConversionOfAnotherWindowHoldsTheHandOffFiles)
{
    useScript("printf 'x' > \"$out\"");
    m_dlg->addFiles({file(u"a.txt"_s, "x")});
    QLockFile other(handOffFolder() + u"/convert.lock"_s);
    ASSERT_TRUE(other.tryLock(0));
    QFile::remove(handOffFolder() + u"/fdata.txt"_s);
    EXPECT_FALSE(enterText(1));
    const QStringList shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.first().contains(u"ملف آخر"_s));
    EXPECT_FALSE(QFile::exists(handOffFolder() + u"/fdata.txt"_s)) << "the other conversion's files are untouched";
    other.unlock();
    EXPECT_TRUE(enterText(1));
}

TEST_F(TextEntryTest, SnippetKeysAndTheDownArrowOnTheTextList)
{
    m_dlg->textsRadio()->click();
    m_dlg->show();
    CGridCtrl *texts = m_dlg->textList();
    texts->setFocus();
    texts->setCurrentCell(0, CCardDlg::TextBody);
    QTest::keyClick(texts, Qt::Key_Down);
    QTest::keyClick(texts, Qt::Key_Down);
    ASSERT_EQ(texts->rowCount(), 3);
    ASSERT_EQ(texts->currentRow(), 2);
    QTest::keyClick(texts, Qt::Key_Down);
    ASSERT_EQ(texts->rowCount(), 4);
    EXPECT_EQ(texts->text(3, CCardDlg::TextNumber), u"4"_s);
    EXPECT_EQ(texts->rowHeight(3), 80);
    EXPECT_EQ(texts->background(3, CCardDlg::TextBody), QColor(236, 233, 216));

    QFile greeting(m_state.databaseFolder + u"/3.txt"_s);
    ASSERT_TRUE(greeting.open(QIODevice::WriteOnly));
    greeting.write(*Cp1256::encode(u"السلام عليكم ورحمة الله"_s));
    greeting.close();
    texts->setCurrentCell(3, CCardDlg::TextBody);
    QTest::keyClick(texts, Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(texts->text(3, CCardDlg::TextBody), u"السلام عليكم ورحمة الله"_s);
    EXPECT_EQ(m_dlg->draft().texts[3].text, u"السلام عليكم ورحمة الله"_s);

    QTest::keyClick(texts, Qt::Key_5, Qt::ControlModifier);
    EXPECT_EQ(texts->text(3, CCardDlg::TextBody), u"السلام عليكم ورحمة الله"_s);
    EXPECT_TRUE(m_dlg->statusLine()->currentMessage().contains(u"5.txt"_s)) << "a missing snippet says so";
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    m_dlg->hide();
}
