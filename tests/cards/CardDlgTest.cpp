#include "app/ArchiveSetup.h"
#include "base/AppState.h"
#include "base/Commands.h"
#include "cards/Archiver.h"
#include "cards/CCardDlg.h"
#include "cards/CopyOrder.h"
#include "classes/CardClasses.h"
#include "classes/Classifications.h"
#include "common/ShownText.h"
#include "common/TestArchive.h"
#include "db/AllocationLock.h"
#include "db/AllocationWait.h"
#include "db/CDFSet.h"
#include "ui/CGridCtrl.h"
#include "ui/FileDialog.h"
#include "ui/GridModel.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

const QColor kMarked(220, 220, 255);
const QColor kTextCell(236, 233, 216);

// Types into a cell as the cell's editor does when the user commits it.
void typeInto(CGridCtrl *grid, int row, int column, const QString &text)
{
    ASSERT_TRUE(grid->gridModel()->setData(grid->gridModel()->cellIndex(row, column), text));
}

// Receives what the view command hands to the desktop.
class OpenedUrls : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls.append(url); }
};

class CardDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        registerCoreResources();
        MessageBox::setTestMode(true);
        ASSERT_TRUE(m_archive.problem().isEmpty()) << m_archive.problem().toStdString();
        for (const auto &[code, name] : {std::pair{u"12"_s, u"المراسلات الواردة"_s}, std::pair{u"7"_s, u"العقود"_s},
                                         std::pair{u"5"_s, u"السرية"_s}}) {
            const Result<qint32> serial = addClassification(m_archive.db(), {code, name, {}, 0});
            ASSERT_TRUE(serial.ok()) << serial.error().toStdString();
        }
        m_state = AppState::load(m_archive.home());
        m_state.currentUser = u"CLERK"_s;
        m_state.classAccess = u"@12@7@"_s;
        m_state.rights.docadd = kGranted;
        m_state.rights.docdel = kGranted;
        m_state.rights.docmod = kGranted;
    }
    void TearDown() override { MessageBox::setTestMode(false); }

    std::unique_ptr<CCardDlg> dialog()
    {
        auto dlg = std::make_unique<CCardDlg>(m_state, m_archive.db());
        dlg->archiver().setStartCopier(false);
        MessageBox::takeShown();
        return dlg;
    }

    QString makeFile(const QString &relative, qint64 size, char fill = 'x')
    {
        const QString path = m_sources.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(size, fill));
        return path;
    }

    // A card archived behind the dialog's back, as another workstation would.
    qint32 archiveDirectly(const QList<qint32> &codes, const QString &name = u"بطاقة"_s)
    {
        CardDraft d;
        d.date = QDate(2026, 1, 10);
        d.name = name;
        d.classCodes = codes;
        d.texts.append({QString(), u"نص"_s, false});
        Archiver a(Archiver::foldersOf(m_state), m_archive.db(), m_state.classAccess);
        a.setStartCopier(false);
        const Result<qint32> n = a.archiveNew(d);
        EXPECT_TRUE(n.ok()) << n.error().toStdString();
        return n.ok() ? *n : 0;
    }

    QList<DocumentRow> rowsOf(qint32 card)
    {
        const Result<QList<DocumentRow>> rows = CDFSet(m_archive.db()).cardRows(card);
        EXPECT_TRUE(rows.ok());
        return rows.ok() ? *rows : QList<DocumentRow>();
    }

    qint32 counter() { return CDFSet(m_archive.db()).counterRow()->lastCardNumber; }

    // The dialog's controls in one state, as the state table lists them.
    static void expectState(const CCardDlg &dlg, bool add, bool del, bool edit, const QString &caption,
                            bool editable, bool entry, const AppState &state)
    {
        EXPECT_EQ(dlg.addButton()->isEnabled(), add);
        EXPECT_EQ(dlg.deleteButton()->isEnabled(), del);
        EXPECT_EQ(dlg.editButton()->isEnabled(), edit);
        EXPECT_EQ(dlg.editButton()->text(), caption);
        EXPECT_EQ(dlg.classList()->isEditable(), editable);
        EXPECT_EQ(dlg.fileList()->isEditable(), editable);
        EXPECT_EQ(dlg.textList()->isEditable(), editable);
        EXPECT_EQ(state.cardEntry, entry);
    }

    TestArchive m_archive{Engine::SQLite};
    QTemporaryDir m_sources;
    AppState m_state;
};

} // namespace

TEST_F(CardDlgTest, OpensOnANewCardWithTheNextNumberPreviewed)
{
    archiveDirectly({12});
    archiveDirectly({12});
    auto dlg = dialog();
    EXPECT_EQ(dlg->windowTitle(), u"بطاقة"_s);
    EXPECT_FALSE(dlg->isModal());
    EXPECT_EQ(dlg->serialBox()->text(), u"3"_s);
    EXPECT_EQ(counter(), 2); // only previewed
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::NewCard);
    expectState(*dlg, true, false, false, u"تعديل"_s, true, true, m_state);

    EXPECT_EQ(dlg->classList()->rowCount(), 1);
    EXPECT_EQ(dlg->classList()->text(0, CCardDlg::ClassName), u"التصنيف"_s);
    EXPECT_EQ(dlg->classList()->columnWidth(CCardDlg::ClassNumber), 0);
    EXPECT_EQ(dlg->fileList()->rowCount(), 1);
    EXPECT_EQ(dlg->fileList()->columnCount(), 12);
    EXPECT_EQ(dlg->fileList()->text(0, CCardDlg::FileKeywords), u"كلمات مفتاحية(Kewords)"_s);
    EXPECT_EQ(dlg->fileList()->text(0, CCardDlg::FileName), u"الملف"_s);
    EXPECT_EQ(dlg->fileList()->columnWidth(CCardDlg::FileDescription), 150);
    EXPECT_EQ(dlg->fileList()->rowHeight(0), 25);
    ASSERT_EQ(dlg->textList()->rowCount(), 1);
    EXPECT_EQ(dlg->textList()->text(0, CCardDlg::TextNumber), u"1"_s);
    EXPECT_EQ(dlg->textList()->rowHeight(0), 80);
    EXPECT_EQ(dlg->textList()->background(0, CCardDlg::TextBody), kTextCell);
    EXPECT_EQ(dlg->textList()->font().family(), u"Simplified Arabic"_s);

    EXPECT_TRUE(dlg->filesRadio()->isChecked());
    EXPECT_FALSE(dlg->fileList()->isHidden());
    EXPECT_TRUE(dlg->textList()->isHidden());
    QStringList items;
    for (QAction *a : dlg->filesMenu()->actions())
        items.append(a->text());
    EXPECT_EQ(items, (QStringList{u"استعراض"_s, u"مجلد"_s, u"بحث ..."_s, u"سكانر"_s}));
}

TEST_F(CardDlgTest, RadioButtonsSwitchBetweenFilesAndTexts)
{
    auto dlg = dialog();
    dlg->textsRadio()->click();
    EXPECT_TRUE(dlg->fileList()->isHidden());
    EXPECT_FALSE(dlg->textList()->isHidden());
    EXPECT_FALSE(dlg->filesMenuButton()->isEnabled());
    dlg->filesRadio()->click();
    EXPECT_FALSE(dlg->fileList()->isHidden());
    EXPECT_TRUE(dlg->textList()->isHidden());
    EXPECT_TRUE(dlg->filesMenuButton()->isEnabled());
}

TEST_F(CardDlgTest, AddArchivesTheCardEndToEndAndShowsIt)
{
    auto dlg = dialog();
    dlg->addClassification(u"12"_s, u"المراسلات الواردة"_s);
    dlg->addClassification(u"7"_s, u"العقود"_s);
    dlg->nameBox()->setText(u"كتاب وارد"_s);
    dlg->editorBox()->setText(u"المدير"_s);
    dlg->dateBox()->setDate(QDate(2026, 2, 3));
    dlg->addFiles({makeFile(u"in/letter.pdf"_s, 120), makeFile(u"in/scan.png"_s, 30)});
    typeInto(dlg->fileList(), 1, CCardDlg::FileKeywords, u"عقد"_s);
    typeInto(dlg->textList(), 0, CCardDlg::TextBody, u"نص الكتاب"_s);

    QTest::mouseClick(dlg->addButton(), Qt::LeftButton);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());

    const QList<DocumentRow> all = rowsOf(1);
    ASSERT_EQ(all.size(), 3);
    QList<DocumentRow> rows; // the file rows, in item order
    for (const DocumentRow &r : all) {
        if (r.kind != KindText)
            rows.append(r);
    }
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].fileName, u"letter.pdf"_s);
    EXPECT_EQ(rows[0].keywords, u"عقد"_s);
    EXPECT_EQ(rows[0].classPath, u"@12@7@"_s);
    EXPECT_EQ(rows[0].cardName, u"كتاب وارد"_s);
    EXPECT_EQ(rows[0].size, 120);
    EXPECT_EQ(rows[0].cardDate.date(), QDate(2026, 2, 3));
    EXPECT_EQ(rows[1].kind, KindImage);
    const auto text = std::find_if(all.cbegin(), all.cend(), [](const DocumentRow &r) { return r.kind == KindText; });
    ASSERT_NE(text, all.cend());
    EXPECT_EQ(text->text, u"نص الكتاب"_s);
    const Result<QList<CopyOrder>> orders = CopyHandOff(m_state.programFolder, CopyHandOff::Copier::Archive).pending();
    ASSERT_TRUE(orders.ok());
    EXPECT_EQ(orders->size(), 2);

    // The card is shown as archived.
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::CardShown);
    expectState(*dlg, false, true, true, u"تعديل"_s, false, false, m_state);
    EXPECT_EQ(dlg->serialBox()->text(), u"1"_s);
    ASSERT_EQ(dlg->fileList()->rowCount(), 3);
    EXPECT_EQ(dlg->fileList()->image(1, CCardDlg::FileClasses), 0);
    EXPECT_EQ(dlg->fileList()->background(1, CCardDlg::FileNumber), kMarked);
    EXPECT_EQ(dlg->fileList()->text(2, CCardDlg::FileItemNumber), u"2"_s);
    EXPECT_EQ(dlg->fileList()->text(2, CCardDlg::FileSerial), QString::number(rows[1].serial));
    EXPECT_EQ(dlg->fileList()->rowHeight(2), 40);
    EXPECT_EQ(dlg->filePathOfRow(2), m_state.fileServerFolder + u"/Ser1/1&2&scan.png"_s);
    EXPECT_EQ(dlg->classList()->rowCount(), 3);
    EXPECT_EQ(dlg->classList()->text(2, CCardDlg::ClassName), u"العقود"_s);
    ASSERT_EQ(dlg->textList()->rowCount(), 1);
    EXPECT_EQ(dlg->textList()->image(0, CCardDlg::TextKeywords), 0);

    // A new card afterwards previews the next number.
    QTest::mouseClick(dlg->newButton(), Qt::LeftButton);
    EXPECT_EQ(dlg->serialBox()->text(), u"2"_s);
    EXPECT_TRUE(dlg->nameBox()->text().isEmpty());
    EXPECT_EQ(dlg->dateBox()->date(), QDate(2026, 2, 3));
    expectState(*dlg, true, false, false, u"تعديل"_s, true, true, m_state);
}

TEST_F(CardDlgTest, AddWithoutClassificationIsRefusedAndWritesNothing)
{
    auto dlg = dialog();
    dlg->addFiles({makeFile(u"a.txt"_s, 5)});
    dlg->archiveCard();
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"اختر تصنيف واحد على الاقل"_s});
    EXPECT_EQ(counter(), 0);
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::NewCard);
    EXPECT_TRUE(m_state.cardEntry);
    EXPECT_EQ(dlg->fileList()->rowCount(), 2);

    // An empty card takes no number either.
    auto empty = dialog();
    empty->addClassification(u"12"_s, u"x"_s);
    empty->archiveCard();
    EXPECT_EQ(MessageBox::takeShown(), QStringList{Archiver::nothingToArchiveMessage()});
    EXPECT_EQ(counter(), 0);
}

// The lock wait of the card dialog, while another workstation numbers a card.
class CardLockWait : public CardDlgTest
{
protected:
    std::unique_ptr<CCardDlg> draftDialog()
    {
        auto dlg = dialog();
        dlg->show();
        dlg->addClassification(u"12"_s, u"المراسلات الواردة"_s);
        dlg->nameBox()->setText(u"كتاب ينتظر رقمه"_s);
        typeInto(dlg->textList(), 0, CCardDlg::TextBody, u"نص الكتاب"_s);
        return dlg;
    }

    // The wait's window once it shows; null when it does not within the time.
    static QProgressDialog *shownWait(const CCardDlg &dlg)
    {
        QProgressDialog *wait = nullptr;
        const bool shown = QTest::qWaitFor([&] {
            wait = dlg.findChild<QProgressDialog *>(u"allocationWait"_s);
            return wait && wait->isVisible();
        }, 5000);
        return shown ? wait : nullptr;
    }

    static QPushButton *cancelButton(QProgressDialog *wait)
    {
        for (QPushButton *button : wait->findChildren<QPushButton *>()) {
            if (button->text() == u"الغاء"_s)
                return button;
        }
        return nullptr;
    }

    QString databaseFolder() const { return Archiver::foldersOf(m_state).database; }
};

TEST_F(CardLockWait, CancellingTheWaitSavesNothingAndKeepsTheDraft)
{
    auto dlg = draftDialog();
    AllocationLock other(databaseFolder());
    ASSERT_EQ(other.tryAcquire(), AllocationLock::Attempt::Taken);
    // Should the wait block the window, this ends it, so that the test fails instead of hanging.
    QTimer::singleShot(6000, dlg.get(), [] {
        if (auto *wait = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget()))
            wait->cancel();
    });

    QElapsedTimer clock;
    clock.start();
    dlg->archiveCard();
    EXPECT_LT(clock.elapsed(), 1000) << "the window waited for the lock itself";
    QProgressDialog *wait = shownWait(*dlg);
    ASSERT_NE(wait, nullptr);
    EXPECT_EQ(wait->labelText(), u"ترقيم البطاقات مشغول في محطة اخرى، بانتظار انتهائها ..."_s);
    EXPECT_EQ(wait->windowModality(), Qt::WindowModal);
    QPushButton *cancel = cancelButton(wait);
    ASSERT_NE(cancel, nullptr);
    QTest::mouseClick(cancel, Qt::LeftButton);

    EXPECT_EQ(MessageBox::takeShown(), QStringList{AllocationWait::cancelledMessage()});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg->findChild<QProgressDialog *>(u"allocationWait"_s); }, 2000));
    // Nothing in the archive; the dialog still shows the draft, ready to add again.
    EXPECT_EQ(counter(), 0);
    EXPECT_TRUE(rowsOf(1).isEmpty());
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::NewCard);
    EXPECT_TRUE(m_state.cardEntry);
    EXPECT_TRUE(dlg->addButton()->isEnabled());
    EXPECT_EQ(dlg->nameBox()->text(), u"كتاب ينتظر رقمه"_s);
    EXPECT_EQ(dlg->classList()->rowCount(), 2);
    EXPECT_EQ(dlg->textList()->text(0, CCardDlg::TextBody), u"نص الكتاب"_s);

    // The wait given up took no lock behind the user's back: once the other workstation is
    // done, the lock is free and the same draft is archived at once.
    ASSERT_TRUE(other.release().ok());
    QTest::qWait(3 * int(AllocationLock::kPollInterval.count()));
    AllocationLock probe(databaseFolder());
    EXPECT_EQ(probe.tryAcquire(), AllocationLock::Attempt::Taken);
    ASSERT_TRUE(probe.release().ok());
    dlg->archiveCard();
    EXPECT_EQ(counter(), 1);
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::CardShown);
}

TEST_F(CardLockWait, TheCardIsArchivedOnceTheOtherWorkstationIsDone)
{
    auto dlg = draftDialog();
    auto other = std::make_unique<AllocationLock>(databaseFolder());
    ASSERT_EQ(other->tryAcquire(), AllocationLock::Attempt::Taken);
    dlg->archiveCard();
    ASSERT_NE(shownWait(*dlg), nullptr);
    EXPECT_EQ(counter(), 0);
    other.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->mode() == CCardDlg::Mode::CardShown; }, 5000));
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(counter(), 1);
    EXPECT_EQ(rowsOf(1).size(), 1);
    EXPECT_FALSE(dlg->findChild<QProgressDialog *>(u"allocationWait"_s) && dlg->findChild<QProgressDialog *>(u"allocationWait"_s)->isVisible());
    // The lock went back when the card was written.
    AllocationLock probe(databaseFolder());
    EXPECT_EQ(probe.tryAcquire(), AllocationLock::Attempt::Taken);
}

TEST_F(CardDlgTest, ACopierThatCannotStartIsReportedAndTheCardStands)
{
    auto dlg = dialog();
    if (QFileInfo(dlg->archiver().copierProgram()).isExecutable())
        GTEST_SKIP() << "a copier program is installed where the archiver looks";
    dlg->archiver().setStartCopier(true);
    dlg->addClassification(u"12"_s, u"x"_s);
    dlg->addFiles({makeFile(u"a.txt"_s, 5)});
    dlg->archiveCard();
    const QStringList shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(u"تعذر تشغيل برنامج النسخ"_s)) << shown[0].toStdString();
    EXPECT_EQ(rowsOf(1).size(), 1);
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::CardShown);
}

TEST_F(CardDlgTest, EditThenSaveFollowsTheStateTable)
{
    const qint32 card = archiveDirectly({12}, u"قديم"_s);
    auto dlg = dialog();
    ASSERT_TRUE(dlg->showCard(card));
    expectState(*dlg, false, true, true, u"تعديل"_s, false, false, m_state);

    QTest::mouseClick(dlg->editButton(), Qt::LeftButton);
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::Editing);
    expectState(*dlg, false, false, true, u"حفظ"_s, true, true, m_state);

    // Declined: still editing, the flag cleared.
    dlg->nameBox()->setText(u"جديد"_s);
    MessageBox::setNextAnswer(QMessageBox::No);
    QTest::mouseClick(dlg->editButton(), Qt::LeftButton);
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"متأكد من حفظ التعديلات"_s});
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::Editing);
    EXPECT_EQ(dlg->editButton()->text(), u"حفظ"_s);
    EXPECT_FALSE(m_state.cardEntry);
    EXPECT_EQ(rowsOf(card)[0].cardName, u"قديم"_s);

    MessageBox::setNextAnswer(QMessageBox::Yes);
    QTest::mouseClick(dlg->editButton(), Qt::LeftButton);
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"متأكد من حفظ التعديلات"_s});
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::CardShown);
    expectState(*dlg, false, true, true, u"تعديل"_s, false, false, m_state);
    EXPECT_EQ(rowsOf(card)[0].cardName, u"جديد"_s);
    EXPECT_EQ(dlg->nameBox()->text(), u"جديد"_s);
}

TEST_F(CardDlgTest, SaveDeletesARemovedItemAndNumbersAddedOnesAfterTheLast)
{
    auto dlg = dialog();
    dlg->addClassification(u"12"_s, u"x"_s);
    dlg->addFiles({makeFile(u"a.txt"_s, 1), makeFile(u"b.txt"_s, 2), makeFile(u"c.txt"_s, 3)});
    dlg->archiveCard();
    ASSERT_EQ(rowsOf(1).size(), 3);
    // The copier is not run here: put item 2's stored file in place by hand.
    const QString stored = m_state.fileServerFolder + u"/Ser1/1&2&b.txt"_s;
    QDir().mkpath(QFileInfo(stored).path());
    QFile f(stored);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    EXPECT_FALSE(dlg->runCommand(Command::DeleteFile)); // only while the card may be changed
    dlg->editOrSave();
    dlg->fileList()->setCurrentCell(2, CCardDlg::FileName);
    EXPECT_TRUE(dlg->runCommand(Command::DeleteFile));
    dlg->addFiles({makeFile(u"d.txt"_s, 4)});
    MessageBox::setNextAnswer(QMessageBox::Yes);
    dlg->editOrSave();

    QList<qint32> items;
    for (const DocumentRow &r : rowsOf(1))
        items.append(r.itemNumber);
    EXPECT_EQ(items, (QList<qint32>{1, 3, 4}));
    EXPECT_FALSE(QFile::exists(stored));
    EXPECT_EQ(dlg->fileList()->rowCount(), 4);
    EXPECT_EQ(dlg->fileList()->text(3, CCardDlg::FileName), u"d.txt"_s);
}

TEST_F(CardDlgTest, DeleteAsksThenRemovesTheRowsAndStartsANewCard)
{
    const qint32 card = archiveDirectly({12});
    auto dlg = dialog();
    ASSERT_TRUE(dlg->showCard(card));
    MessageBox::setNextAnswer(QMessageBox::No);
    QTest::mouseClick(dlg->deleteButton(), Qt::LeftButton);
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"متأكد من حذف البطاقة"_s});
    EXPECT_EQ(rowsOf(card).size(), 1);

    MessageBox::setNextAnswer(QMessageBox::Yes);
    QTest::mouseClick(dlg->deleteButton(), Qt::LeftButton);
    EXPECT_EQ(MessageBox::takeShown(), (QStringList{u"متأكد من حذف البطاقة"_s, u"تم الحذف"_s}));
    EXPECT_TRUE(rowsOf(card).isEmpty());
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::NewCard);
    expectState(*dlg, true, false, false, u"تعديل"_s, true, true, m_state);
    // Numbers are never given out again.
    EXPECT_EQ(dlg->serialBox()->text(), QString::number(card + 1));
}

TEST_F(CardDlgTest, NavigationWalksTheCardsAndSaysWhereItEnds)
{
    for (int i = 1; i <= 9; ++i)
        archiveDirectly({12}, u"بطاقة %1"_s.arg(i));
    Archiver a(Archiver::foldersOf(m_state), m_archive.db(), m_state.classAccess);
    for (qint32 gone : {1, 2, 4, 5, 6, 8})
        ASSERT_TRUE(a.remove(gone).ok());

    auto dlg = dialog();
    dlg->serialBox()->setText(u"7"_s);
    QTest::mouseClick(dlg->viewButton(), Qt::LeftButton);
    EXPECT_EQ(dlg->nameBox()->text(), u"بطاقة 7"_s);
    expectState(*dlg, false, true, true, u"تعديل"_s, false, false, m_state);

    QTest::mouseClick(dlg->nextButton(), Qt::LeftButton);
    EXPECT_EQ(dlg->serialBox()->text(), u"9"_s);
    QTest::mouseClick(dlg->nextButton(), Qt::LeftButton);
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"هذه هي البطاقة الاخيرة"_s});
    EXPECT_EQ(dlg->serialBox()->text(), u"9"_s);

    dlg->serialBox()->setText(u"7"_s);
    dlg->showTyped();
    QTest::mouseClick(dlg->previousButton(), Qt::LeftButton);
    EXPECT_EQ(dlg->serialBox()->text(), u"3"_s);
    EXPECT_EQ(dlg->nameBox()->text(), u"بطاقة 3"_s);
    QTest::mouseClick(dlg->previousButton(), Qt::LeftButton);
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"هذه هي البطاقة الاولى"_s});
    EXPECT_EQ(dlg->serialBox()->text(), u"3"_s);

    QTest::mouseClick(dlg->lastButton(), Qt::LeftButton);
    EXPECT_EQ(dlg->serialBox()->text(), u"9"_s);
    QTest::mouseClick(dlg->firstButton(), Qt::LeftButton);
    EXPECT_EQ(dlg->serialBox()->text(), u"3"_s);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());

    // Navigating from a new card shows a card with the shown state.
    QTest::mouseClick(dlg->newButton(), Qt::LeftButton);
    EXPECT_TRUE(m_state.cardEntry);
    QTest::mouseClick(dlg->lastButton(), Qt::LeftButton);
    expectState(*dlg, false, true, true, u"تعديل"_s, false, false, m_state);
}

TEST_F(CardDlgTest, ANumberWithoutRowsLeavesTheFormAsItWas)
{
    auto dlg = dialog();
    dlg->nameBox()->setText(u"قيد الادخال"_s);
    dlg->serialBox()->setText(u"44"_s);
    dlg->showTyped();
    EXPECT_EQ(dlg->nameBox()->text(), u"قيد الادخال"_s);
    EXPECT_EQ(dlg->serialBox()->text(), u"44"_s);
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::NewCard);
    EXPECT_TRUE(m_state.cardEntry);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(CardDlgTest, AnEmptyArchiveReachesTheCounterRowWhichNobodyMaySee)
{
    auto dlg = dialog();
    dlg->showFirst();
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"لا يوجد صلاحية لهذا المستخدم"_s});
    EXPECT_EQ(dlg->serialBox()->text(), u"0"_s);
    // The counter row is no card: deleting "card 0" removes nothing.
    MessageBox::setNextAnswer(QMessageBox::Yes);
    dlg->deleteCard();
    EXPECT_TRUE(CDFSet(m_archive.db()).counterRow().ok());
}

TEST_F(CardDlgTest, ACardOutsideTheUsersClassificationsShowsNothingAndCannotBeChanged)
{
    CardDraft d;
    d.date = QDate(2026, 1, 1);
    d.name = u"سري"_s;
    d.classCodes = {5};
    d.files.append(FileItem::fromPath(makeFile(u"secret.doc"_s, 7)));
    d.texts.append({QString(), u"نص سري"_s, false});
    Archiver a(Archiver::foldersOf(m_state), m_archive.db(), m_state.classAccess);
    a.setStartCopier(false);
    const qint32 card = *a.archiveNew(d);

    auto dlg = dialog();
    ASSERT_TRUE(dlg->showCard(card));
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"لا يوجد صلاحية لهذا المستخدم"_s});
    EXPECT_TRUE(dlg->nameBox()->text().isEmpty());
    EXPECT_EQ(dlg->classList()->rowCount(), 1);
    EXPECT_EQ(dlg->fileList()->rowCount(), 1);
    EXPECT_EQ(dlg->textList()->rowCount(), 0);
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::CardRefused);
    EXPECT_FALSE(dlg->editButton()->isEnabled());
    EXPECT_FALSE(dlg->deleteButton()->isEnabled());

    // Neither the form nor any other front can wipe it: the core refuses too.
    Archiver clerk(Archiver::foldersOf(m_state), m_archive.db(), m_state.classAccess);
    clerk.setStartCopier(false);
    CardDraft empty;
    empty.number = card;
    empty.classCodes = {12};
    bool deleterCalled = false;
    const Status saved = clerk.save(empty, [&](const QString &) { return deleterCalled = true; });
    EXPECT_EQ(saved.error(), u"لا يوجد صلاحية لهذا المستخدم"_s);
    EXPECT_FALSE(deleterCalled);
    EXPECT_EQ(clerk.remove(card).error(), u"لا يوجد صلاحية لهذا المستخدم"_s);
    EXPECT_EQ(rowsOf(card).size(), 2);
    EXPECT_EQ(rowsOf(card).first().cardName, u"سري"_s);
}

TEST_F(CardDlgTest, SavingWritesTheCardThatWasShownWhateverNumberIsTyped)
{
    const qint32 shown = archiveDirectly({12}, u"الاولى"_s);
    const qint32 other = archiveDirectly({7}, u"الثانية"_s);
    auto dlg = dialog();
    ASSERT_TRUE(dlg->showCard(shown));
    dlg->serialBox()->setText(QString::number(other));
    QTest::mouseClick(dlg->editButton(), Qt::LeftButton);
    ASSERT_EQ(dlg->mode(), CCardDlg::Mode::Editing);
    EXPECT_EQ(dlg->serialBox()->text(), QString::number(shown));
    EXPECT_TRUE(dlg->serialBox()->isReadOnly());
    QTest::keyClicks(dlg->serialBox(), QString::number(other));
    EXPECT_EQ(dlg->serialBox()->text(), QString::number(shown));

    dlg->nameBox()->setText(u"معدلة"_s);
    dlg->serialBox()->setText(QString::number(other)); // however it got there
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QTest::mouseClick(dlg->editButton(), Qt::LeftButton);
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::CardShown);
    EXPECT_EQ(rowsOf(shown).first().cardName, u"معدلة"_s);
    ASSERT_FALSE(rowsOf(other).isEmpty());
    EXPECT_EQ(rowsOf(other).first().cardName, u"الثانية"_s);
    EXPECT_EQ(rowsOf(other).first().classPath, u"@7@"_s);
    EXPECT_FALSE(dlg->serialBox()->isReadOnly());
}

TEST_F(CardDlgTest, OnlyTheFirstSixClassificationsAreShownAndDecide)
{
    // The user may see 7, which stands seventh on the card.
    const qint32 card = archiveDirectly({21, 22, 23, 24, 25, 26, 7, 12});
    auto dlg = dialog();
    ASSERT_TRUE(dlg->showCard(card));
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"لا يوجد صلاحية لهذا المستخدم"_s});
    EXPECT_EQ(dlg->classList()->rowCount(), 1);

    // Sixth, it decides, and six are shown.
    const qint32 sixth = archiveDirectly({21, 22, 23, 24, 25, 7, 12});
    ASSERT_TRUE(dlg->showCard(sixth));
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(dlg->classList()->rowCount(), 7);
    EXPECT_EQ(dlg->classList()->text(6, CCardDlg::ClassCode), u"7"_s);
    EXPECT_EQ(dlg->classList()->text(5, CCardDlg::ClassCode), u"25"_s);
    EXPECT_TRUE(dlg->classList()->text(5, CCardDlg::ClassName).isEmpty());
}

TEST_F(CardDlgTest, AFolderItemShowsTheFolderIconBesideTexts)
{
    auto dlg = dialog();
    dlg->addClassification(u"12"_s, u"x"_s);
    makeFile(u"scans/one.jpg"_s, 10);
    makeFile(u"scans/deep/two.jpg"_s, 15);
    dlg->addFolder(m_sources.filePath(u"scans"_s));
    ASSERT_EQ(dlg->fileList()->rowCount(), 2);
    EXPECT_EQ(dlg->fileList()->text(1, CCardDlg::FileSize), u"25"_s);
    EXPECT_EQ(dlg->fileList()->image(1, CCardDlg::FileNumber), 1);
    typeInto(dlg->textList(), 0, CCardDlg::TextBody, u"ملاحظة"_s);
    dlg->archiveCard();
    ASSERT_EQ(dlg->fileList()->rowCount(), 2);
    EXPECT_EQ(dlg->fileList()->image(1, CCardDlg::FileNumber), 1);
    EXPECT_EQ(dlg->textList()->rowCount(), 1);
    EXPECT_EQ(rowsOf(1)[0].kind, KindFolder);
}

TEST_F(CardDlgTest, AddingAFileTwiceFindsItIdenticalAndKeepsBothRows)
{
    auto dlg = dialog();
    const QString report = makeFile(u"report.doc"_s, 64);
    dlg->addFiles({report});
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    dlg->addFiles({report});
    EXPECT_EQ(MessageBox::takeShown(), QStringList{report + u"  WITH  "_s + report});
    ASSERT_EQ(dlg->fileList()->rowCount(), 3);
    EXPECT_EQ(dlg->fileList()->background(1, CCardDlg::FileDescription), kMarked);
    EXPECT_FALSE(dlg->fileList()->background(2, CCardDlg::FileDescription).isValid());
    EXPECT_EQ(dlg->fileList()->text(2, CCardDlg::FileName), u"report.doc"_s);
    EXPECT_EQ(dlg->fileList()->text(1, CCardDlg::FileNumber), u"1"_s);
    EXPECT_EQ(dlg->fileList()->text(2, CCardDlg::FileNumber), u"2"_s);
    EXPECT_EQ(dlg->fileList()->rowHeight(2), 40);
}

TEST_F(CardDlgTest, AFileOfTheSameNameButDifferentIsReportedAndAddedAnyway)
{
    auto dlg = dialog();
    const QString first = makeFile(u"one/a.doc"_s, 10);
    const QString other = makeFile(u"two/a.doc"_s, 20);
    const QString sameSize = makeFile(u"three/a.doc"_s, 10, 'y');
    dlg->addFiles({first});
    dlg->addFiles({other});
    EXPECT_EQ(MessageBox::takeShown(),
              QStringList{u"the file    "_s + other + u"   Has the same name of file in row 1  but it deffrent"_s});
    // Same size, other bytes: both messages, no mark.
    dlg->addFiles({sameSize});
    const QStringList shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[0], sameSize + u"  WITH  "_s + first);
    EXPECT_EQ(shown[1], u"the file    "_s + sameSize + u"   Has the same name of file in row 1  but it deffrent"_s);
    EXPECT_EQ(shown[2], u"the file    "_s + sameSize + u"   Has the same name of file in row 2  but it deffrent"_s);
    EXPECT_FALSE(dlg->fileList()->background(1, CCardDlg::FileDescription).isValid());
    EXPECT_EQ(dlg->fileList()->rowCount(), 4);
    EXPECT_EQ(dlg->fileList()->text(2, CCardDlg::FileSourceFolder), m_sources.filePath(u"two/"_s));
}

TEST_F(CardDlgTest, APageCountsItsCompanionFolder)
{
    auto dlg = dialog();
    const QString page = makeFile(u"page.htm"_s, 1000);
    makeFile(u"page_files/style.css"_s, 3000);
    dlg->addFiles({page});
    EXPECT_EQ(dlg->fileList()->text(1, CCardDlg::FileSize), u"4000"_s);
}

TEST_F(CardDlgTest, AFolderWhoseNameIsListedSaysItExistsAndIsKept)
{
    auto dlg = dialog();
    makeFile(u"a/docs/x.txt"_s, 1);
    makeFile(u"b/docs/y.txt"_s, 1);
    FileDialog::setNextPath(m_sources.filePath(u"a/docs"_s));
    for (QAction *a : dlg->filesMenu()->actions()) {
        if (a->data().toInt() == CCardDlg::AddFolder)
            a->trigger();
    }
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    dlg->addFolder(m_sources.filePath(u"b/docs"_s));
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"  موجود  docs   "_s});
    ASSERT_EQ(dlg->fileList()->rowCount(), 3);
    EXPECT_EQ(dlg->fileList()->background(2, CCardDlg::FileNumber), QColor(220, 220, 220));
    EXPECT_EQ(dlg->fileList()->text(2, CCardDlg::FileSourceFolder), m_sources.filePath(u"b/"_s));
}

TEST_F(CardDlgTest, OtherWindowsAppendItemsThatAreRenumbered)
{
    auto dlg = dialog();
    FileItem saved;
    saved.folder = u"/tmp/pages/"_s;
    saved.name = u"saved.mht"_s;
    saved.size = 77;
    saved.folderLike = true;
    saved.description = u"صفحة"_s;
    dlg->appendItem(saved);
    dlg->appendItem(FileItem::fromPath(makeFile(u"found.txt"_s, 3)));
    ASSERT_EQ(dlg->fileList()->rowCount(), 3);
    EXPECT_EQ(dlg->fileList()->image(1, CCardDlg::FileNumber), 3);
    EXPECT_EQ(dlg->fileList()->text(1, CCardDlg::FileDescription), u"صفحة"_s);
    EXPECT_EQ(dlg->fileList()->image(2, CCardDlg::FileNumber), -1);
    EXPECT_EQ(dlg->fileList()->text(2, CCardDlg::FileNumber), u"2"_s);
    EXPECT_EQ(dlg->fileList()->text(2, CCardDlg::FileSize), u"3"_s);
    const CardDraft d = dlg->draft();
    ASSERT_EQ(d.files.size(), 2);
    EXPECT_TRUE(d.files[0].folderLike);
    EXPECT_EQ(d.files[1].sourcePath(), m_sources.filePath(u"found.txt"_s));
}

// The lists only show the draft: after typing in a cell, pasting into one and deleting rows, the
// draft holds what the grids show, row for row.
TEST_F(CardDlgTest, TheGridsShowWhatTheDraftHoldsAfterEditsAndDeletes)
{
    auto dlg = dialog();
    dlg->show();
    dlg->addFiles({makeFile(u"a.txt"_s, 1), makeFile(u"b.txt"_s, 2), makeFile(u"c.txt"_s, 3)});
    CGridCtrl *files = dlg->fileList();

    // Typed in the cell's own editor and committed with Enter.
    const QModelIndex description = files->gridModel()->cellIndex(2, CCardDlg::FileDescription);
    files->setCurrentIndex(description);
    files->edit(description);
    auto *editor = files->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText(u"الكتاب الثاني"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    files->setCurrentCell(3, CCardDlg::FileKeywords);
    EXPECT_EQ(files->pasteText(u"مرفق"_s), 1);

    files->setCurrentCell(1, CCardDlg::FileName);
    ASSERT_TRUE(dlg->runCommand(Command::DeleteFile));
    const CardDraft &d = dlg->draft();
    ASSERT_EQ(d.files.size(), 2);
    ASSERT_EQ(files->rowCount(), 3);
    for (int i = 0; i < d.files.size(); ++i) {
        EXPECT_EQ(files->text(i + 1, CCardDlg::FileName), d.files[i].name) << i;
        EXPECT_EQ(files->text(i + 1, CCardDlg::FileDescription), d.files[i].description) << i;
        EXPECT_EQ(files->text(i + 1, CCardDlg::FileKeywords), d.files[i].keywords) << i;
    }
    EXPECT_EQ(d.files[0].name, u"b.txt"_s);
    EXPECT_EQ(d.files[0].description, u"الكتاب الثاني"_s);
    EXPECT_EQ(d.files[1].keywords, u"مرفق"_s);
    // The view command follows the draft: row 1 is b.txt now.
    EXPECT_EQ(dlg->filePathOfRow(1), m_sources.filePath(u"b.txt"_s));

    dlg->textsRadio()->click();
    CGridCtrl *texts = dlg->textList();
    typeInto(texts, 0, CCardDlg::TextBody, u"الاول"_s);
    dlg->appendText(u"k"_s, u"الثاني"_s);
    texts->setCurrentCell(0, CCardDlg::TextBody);
    ASSERT_TRUE(dlg->runCommand(Command::DeleteText));
    ASSERT_EQ(d.texts.size(), 1);
    ASSERT_EQ(texts->rowCount(), 1);
    EXPECT_EQ(texts->text(0, CCardDlg::TextBody), d.texts[0].text);
    EXPECT_EQ(d.texts[0].text, u"الثاني"_s);
    dlg->hide();
}

TEST_F(CardDlgTest, TextsFromAFeedFillTheEmptyRowThenFollowIt)
{
    auto dlg = dialog();
    ASSERT_EQ(dlg->textList()->rowCount(), 1) << "a new card has one empty text row";
    dlg->appendText(u"m1.txt            الرسائل"_s, u"اجتماع الساعة العاشرة"_s);
    dlg->appendText(u"m2.txt            الرسائل"_s, u"تأجيل"_s);
    ASSERT_EQ(dlg->textList()->rowCount(), 2);
    EXPECT_EQ(dlg->textList()->text(1, CCardDlg::TextNumber), u"2"_s);
    const CardDraft d = dlg->draft();
    ASSERT_EQ(d.texts.size(), 2);
    EXPECT_EQ(d.texts[0].text, u"اجتماع الساعة العاشرة"_s);
    EXPECT_EQ(d.texts[1].keywords, u"m2.txt            الرسائل"_s);
}

TEST_F(CardDlgTest, ViewOpensTheSourceOrTheStoredFile)
{
    OpenedUrls opened;
    QDesktopServices::setUrlHandler(u"file"_s, &opened, "open");
    auto dlg = dialog();
    const QString source = makeFile(u"v.pdf"_s, 2);
    dlg->addFiles({source});
    dlg->fileList()->setCurrentCell(1, CCardDlg::FileName);
    EXPECT_TRUE(dlg->runCommand(Command::ViewFile));
    dlg->addClassification(u"12"_s, u"x"_s);
    dlg->archiveCard();
    dlg->fileList()->setCurrentCell(1, CCardDlg::FileName);
    EXPECT_TRUE(dlg->runCommand(Command::ViewFile));
    QDesktopServices::unsetUrlHandler(u"file"_s);
    ASSERT_EQ(opened.urls.size(), 2);
    EXPECT_EQ(opened.urls[0].toLocalFile(), source);
    EXPECT_EQ(opened.urls[1].toLocalFile(), m_state.fileServerFolder + u"/Ser1/1&1&v.pdf"_s);
}

TEST_F(CardDlgTest, ClassificationsArePickedOnceAtMostSixAndRemovedWhileEntering)
{
    auto dlg = dialog();
    QSignalSpy picker(dlg.get(), &CCardDlg::pickerRequested);
    emit dlg->classList()->cellDoubleClicked(0, CCardDlg::ClassName, CCardDlg::kClassListKind);
    EXPECT_EQ(picker.count(), 1);

    dlg->addClassification(u"12"_s, u"أ"_s);
    dlg->addClassification(u"12"_s, u"أ"_s);
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"التصنيف موجود"_s});
    for (int code = 1; code <= 6; ++code)
        dlg->addClassification(QString::number(code), u"ت"_s);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    ASSERT_EQ(dlg->classList()->rowCount(), 1 + CardClasses::kMaxClasses);
    EXPECT_EQ(dlg->draft().classCodes, (QList<qint32>{12, 1, 2, 3, 4, 5}));

    emit dlg->classList()->cellDoubleClicked(1, CCardDlg::ClassName, CCardDlg::kClassListKind);
    EXPECT_EQ(dlg->draft().classCodes, (QList<qint32>{1, 2, 3, 4, 5}));

    // A shown card: neither the picker nor removal, though the picker may still add.
    const qint32 card = archiveDirectly({12});
    ASSERT_TRUE(dlg->showCard(card));
    emit dlg->classList()->cellDoubleClicked(0, CCardDlg::ClassName, CCardDlg::kClassListKind);
    emit dlg->classList()->cellDoubleClicked(1, CCardDlg::ClassName, CCardDlg::kClassListKind);
    EXPECT_EQ(picker.count(), 1);
    EXPECT_EQ(dlg->classList()->rowCount(), 2);
    dlg->addClassification(u"7"_s, u"العقود"_s);
    EXPECT_EQ(dlg->classList()->rowCount(), 3);
}

TEST_F(CardDlgTest, DoubleClickOnAnArchivedNumberHandsTheMemoOver)
{
    auto dlg = dialog();
    dlg->addClassification(u"12"_s, u"x"_s);
    dlg->addFiles({makeFile(u"m.txt"_s, 1)});
    QSignalSpy memo(dlg.get(), &CCardDlg::memoRequested);
    emit dlg->fileList()->cellDoubleClicked(1, CCardDlg::FileNumber, CCardDlg::kFileListKind);
    EXPECT_EQ(memo.count(), 0); // not archived yet
    dlg->archiveCard();
    const DocumentRow row = rowsOf(1).at(0);
    emit dlg->fileList()->cellDoubleClicked(1, CCardDlg::FileName, CCardDlg::kFileListKind);
    EXPECT_EQ(memo.count(), 0);
    emit dlg->fileList()->cellDoubleClicked(1, CCardDlg::FileNumber, CCardDlg::kFileListKind);
    ASSERT_EQ(memo.count(), 1);
    const auto target = memo.at(0).at(0).value<MemoTarget>();
    EXPECT_EQ(target.serial, row.serial);
    EXPECT_EQ(target.item, 1);
    EXPECT_EQ(target.card, dlg->shownNumber());
    EXPECT_EQ(target.card, 1);
}

TEST_F(CardDlgTest, MenuSearchAsksForTheComputerSearch)
{
    auto dlg = dialog();
    QSignalSpy search(dlg.get(), &CCardDlg::computerSearchRequested);
    // Browse and folder are left out: they open choosers.
    for (QAction *a : dlg->filesMenu()->actions()) {
        const int command = a->data().toInt();
        if (command == CCardDlg::SearchComputer || command == CCardDlg::Scanner)
            a->trigger();
    }
    EXPECT_EQ(search.count(), 1);
    EXPECT_EQ(dlg->fileList()->rowCount(), 1); // the scanner adds nothing here
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(CardDlgTest, DownArrowOnTheLastTextAddsTheNextOne)
{
    auto dlg = dialog();
    dlg->textsRadio()->click();
    dlg->show();
    dlg->textList()->setFocus();
    dlg->textList()->setCurrentCell(0, CCardDlg::TextBody);
    QTest::keyClick(dlg->textList(), Qt::Key_Down);
    QTest::keyClick(dlg->textList(), Qt::Key_Down);
    ASSERT_EQ(dlg->textList()->rowCount(), 3);
    EXPECT_EQ(dlg->textList()->text(2, CCardDlg::TextNumber), u"3"_s);
    EXPECT_EQ(dlg->textList()->rowHeight(2), 80);
    EXPECT_EQ(dlg->textList()->currentRow(), 2);

    QFile snippet(m_state.databaseFolder + u"/3.txt"_s);
    ASSERT_TRUE(snippet.open(QIODevice::WriteOnly));
    snippet.write(QByteArray("Hello\0rest", 10));
    snippet.close();
    QTest::keyClick(dlg->textList(), Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(dlg->textList()->text(2, CCardDlg::TextBody), u"Hello"_s);
    dlg->hide();
}

TEST_F(CardDlgTest, ButtonsWithoutTheRightStayHiddenInEveryState)
{
    m_state.rights.docadd = 0;
    m_state.rights.docdel = 6;
    auto dlg = dialog();
    EXPECT_TRUE(dlg->addButton()->isHidden());
    EXPECT_TRUE(dlg->deleteButton()->isHidden());
    EXPECT_FALSE(dlg->editButton()->isHidden());
    const qint32 card = archiveDirectly({12});
    ASSERT_TRUE(dlg->showCard(card));
    dlg->editOrSave();
    dlg->newCard();
    EXPECT_TRUE(dlg->addButton()->isHidden());
    EXPECT_TRUE(dlg->deleteButton()->isHidden());

    m_state.rights = {};
    m_state.rights.docadd = kGranted;
    auto other = dialog();
    EXPECT_FALSE(other->addButton()->isHidden());
    EXPECT_TRUE(other->deleteButton()->isHidden());
    EXPECT_TRUE(other->editButton()->isHidden());
}

TEST_F(CardDlgTest, EnterKeepsTheFormOpen)
{
    auto dlg = dialog();
    dlg->show();
    dlg->addClassification(u"12"_s, u"x"_s);
    QTest::keyClick(dlg.get(), Qt::Key_Return);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->classList()->rowHeight(1), 25);
    dlg->hide();
}

TEST_F(CardDlgTest, ShownCardScreenshot)
{
    QFont::insertSubstitutions(u"Simplified Arabic"_s, {u"Noto Naskh Arabic"_s, u"Noto Sans Arabic"_s});
    const QFont previous = QApplication::font();
    QApplication::setFont(QFont(u"Noto Sans Arabic"_s, 9));

    CardDraft d;
    d.date = QDate(2026, 3, 14);
    d.name = u"عقد توريد الاجهزة المكتبية"_s;
    d.notes = u"النسخة الموقعة من الطرفين"_s;
    d.editor = u"قسم المشتريات"_s;
    d.classCodes = {12, 7};
    FileItem contract = FileItem::fromPath(makeFile(u"عقد التوريد.pdf"_s, 48213));
    contract.description = u"نص العقد الموقع"_s;
    contract.keywords = u"عقد، توريد"_s;
    d.files.append(contract);
    FileItem scan = FileItem::fromPath(makeFile(u"صورة الفاتورة.png"_s, 91022));
    scan.description = u"الفاتورة الاولى"_s;
    d.files.append(scan);
    makeFile(u"المرفقات/ملحق.txt"_s, 900);
    d.files.append(FileItem::fromPath(m_sources.filePath(u"المرفقات"_s)));
    d.texts.append({u"ملخص"_s, u"يلتزم المورد بتسليم الاجهزة خلال ثلاثين يوما من تاريخ التوقيع"_s, false});
    Archiver a(Archiver::foldersOf(m_state), m_archive.db(), m_state.classAccess);
    a.setStartCopier(false);
    const qint32 card = *a.archiveNew(d);

    auto dlg = dialog();
    dlg->resize(dlg->sizeHint());
    ASSERT_TRUE(dlg->showCard(card));
    dlg->show();
    QApplication::processEvents();
    const QPixmap shot = dlg->grab();
    EXPECT_FALSE(shot.isNull());
    EXPECT_GE(shot.width(), 555);
    const QString folder = qEnvironmentVariable("DOVRELLE_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        EXPECT_TRUE(shot.save(folder + u"/card-dialog.png"_s));
        dlg->textsRadio()->click();
        QApplication::processEvents();
        EXPECT_TRUE(dlg->grab().save(folder + u"/card-dialog-texts.png"_s));
    }
    dlg->hide();
    QApplication::setFont(previous);
}

#include "CardDlgTest.moc"

TEST_F(CardDlgTest, WithoutTheAddRightTheFormOpensReadOnlyOnTheLastCardAndOffersNoNewCard)
{
    m_state.rights.docadd = 0;
    archiveDirectly({12}, u"الأولى"_s);
    const qint32 last = archiveDirectly({12}, u"الأخيرة"_s);
    auto dlg = dialog();
    EXPECT_FALSE(m_state.cardEntry) << "no card is being entered before the form is opened";
    dlg->show();
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::CardShown);
    EXPECT_EQ(dlg->shownNumber(), last);
    EXPECT_EQ(dlg->serialBox()->text(), QString::number(last));
    EXPECT_EQ(dlg->nameBox()->text(), u"الأخيرة"_s);
    EXPECT_TRUE(dlg->newButton()->isHidden());
    EXPECT_TRUE(dlg->addButton()->isHidden());
    EXPECT_FALSE(dlg->fileList()->isEditable());
    EXPECT_FALSE(dlg->textList()->isEditable());
    EXPECT_FALSE(m_state.cardEntry);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());

    // Asked for a new card all the same (after a delete, say), it stays on a card it can show.
    dlg->newCard();
    EXPECT_EQ(dlg->shownNumber(), last);
    EXPECT_FALSE(m_state.cardEntry);

    // Nothing handed over can start a card either; the card on show keeps its rows.
    const qsizetype rows = rowsOf(last).size();
    EXPECT_FALSE(dlg->readyForHandedItems());
    EXPECT_EQ(MessageBox::takeShown(), QStringList{CCardDlg::noPermissionMessage()});
    EXPECT_EQ(rowsOf(last).size(), rows);
    dlg->hide();
}

TEST_F(CardDlgTest, AnEmptyArchiveWithoutTheAddRightOpensOnAnEmptyReadOnlyForm)
{
    m_state.rights.docadd = 0;
    auto dlg = dialog();
    dlg->show();
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::CardRefused);
    EXPECT_TRUE(dlg->serialBox()->text().isEmpty());
    EXPECT_FALSE(dlg->fileList()->isEditable());
    EXPECT_TRUE(MessageBox::takeShown().isEmpty()) << "the counter row is not offered as a card";
    dlg->hide();
}

TEST_F(CardDlgTest, HandedFilesJoinTheCardBeingEnteredAndStartANewOneOverAnArchivedCard)
{
    const qint32 archived = archiveDirectly({12});
    auto dlg = dialog();
    ASSERT_TRUE(dlg->showCard(archived));
    const qsizetype rows = rowsOf(archived).size();

    // Over the archived card on show: a new card holding the file.
    ASSERT_TRUE(dlg->readyForHandedItems());
    dlg->appendItem(FileItem::fromPath(makeFile(u"received.pdf"_s, 5)));
    EXPECT_EQ(dlg->mode(), CCardDlg::Mode::NewCard);
    EXPECT_EQ(dlg->serialBox()->text(), QString::number(archived + 1));
    ASSERT_EQ(dlg->fileList()->rowCount(), 2);
    EXPECT_EQ(dlg->fileList()->text(1, CCardDlg::FileName), u"received.pdf"_s);
    EXPECT_EQ(rowsOf(archived).size(), rows) << "the archived card is untouched";

    // While that card is being entered, the next file joins it.
    ASSERT_TRUE(dlg->readyForHandedItems());
    dlg->appendItem(FileItem::fromPath(makeFile(u"second.pdf"_s, 6)));
    ASSERT_EQ(dlg->fileList()->rowCount(), 3);
    EXPECT_EQ(dlg->fileList()->text(1, CCardDlg::FileName), u"received.pdf"_s);
    EXPECT_EQ(dlg->fileList()->text(2, CCardDlg::FileName), u"second.pdf"_s);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(CardDlgTest, TheDateReadsDayMonthYearAsWritten)
{
    auto dlg = dialog();
    dlg->dateBox()->setDate(QDate(2026, 12, 9));
    dlg->show();
    EXPECT_EQ(shownText(dlg->dateBox()).toStdString(), "09/12/2026");
    EXPECT_TRUE(drawnInWrittenOrder(dlg->dateBox()));
    dlg->hide();
}
