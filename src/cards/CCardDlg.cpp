#include "CCardDlg.h"

#include "AllocationLockWait.h"
#include "CFileOperation.h"
#include "CardClassList.h"
#include "CardNavigation.h"
#include "CardTexts.h"
#include "ShownCard.h"
#include "TextEntry.h"
#include "base/Commands.h"
#include "classes/CardClasses.h"
#include "db/CDFSet.h"
#include "ui/CGridCtrl.h"
#include "ui/DateBox.h"
#include "ui/FileDialog.h"
#include "cards/FileQuestion.h"
#include "ui/MessageBox.h"
#include "ui/WaitCursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>

#include <limits>
#include <memory>

using namespace Qt::Literals::StringLiterals;

CCardDlg::CCardDlg(AppState &state, Database db, QWidget *parent)
    : QDialog(parent), m_state(state), m_db(db), m_archiver(Archiver::foldersOf(state), db, state.classAccess),
      m_serial(new QLineEdit(this)), m_view(new QPushButton(tr("عرض"), this)), m_date(new QDateEdit(this)),
      m_name(new QLineEdit(this)), m_notes(new QLineEdit(this)), m_editor(new QLineEdit(this)),
      m_filesRadio(new QRadioButton(tr("ملفات"), this)), m_textsRadio(new QRadioButton(tr("نصوص"), this)),
      m_filesButton(new QPushButton(tr("ملفات"), this)), m_filesMenu(new QMenu(this)),
      m_add(new QPushButton(tr("اضافة"), this)), m_delete(new QPushButton(tr("حذف"), this)),
      m_edit(new QPushButton(editCaption(), this)), m_new(new QPushButton(tr("جديد"), this)),
      m_first(new QPushButton(tr("الاول"), this)), m_previous(new QPushButton(tr("سابق"), this)),
      m_next(new QPushButton(tr("تالي"), this)), m_last(new QPushButton(tr("الاخير"), this)),
      m_classFilter(new QLineEdit(this)), m_addToAll(new QCheckBox(tr("اضافة للكل"), this)),
      m_unusedCombo(new QComboBox(this)), m_unusedPicture(new QLabel(this)),
      m_defaultButton(new QPushButton(tr("بحث"), this)), m_cancelButton(new QPushButton(u"Cancel"_s, this)),
      m_classes(new CGridCtrl(this)), m_files(new CGridCtrl(this)), m_texts(new CGridCtrl(this)),
      m_grids(m_classes, m_files, m_texts), m_status(new QStatusBar(this)),
      m_textEntry(new TextEntry(this, m_status, state.programFolder, state.databaseFolder))
{
    setWindowTitle(tr("بطاقة"));
    setLayoutDirection(Qt::RightToLeft);
    setModal(false);

    // The card's own fields go into the draft as they change, typed or set.
    connect(m_serial, &QLineEdit::textChanged, this, [this] { m_draft.number = typedNumber(); });
    connect(m_date, &QDateEdit::dateChanged, this, [this](QDate date) { m_draft.date = date; });
    connect(m_name, &QLineEdit::textChanged, this, [this](const QString &text) { m_draft.name = text; });
    connect(m_notes, &QLineEdit::textChanged, this, [this](const QString &text) { m_draft.notes = text; });
    connect(m_editor, &QLineEdit::textChanged, this, [this](const QString &text) { m_draft.editor = text; });
    m_serial->setValidator(new QIntValidator(0, std::numeric_limits<int>::max(), m_serial));
    DateBox::setUp(m_date, DateBox::dateFormat());
    m_date->setDate(QDate::currentDate());
    for (QWidget *unused : {static_cast<QWidget *>(m_classFilter), static_cast<QWidget *>(m_addToAll),
                            static_cast<QWidget *>(m_unusedCombo), static_cast<QWidget *>(m_unusedPicture),
                            static_cast<QWidget *>(m_defaultButton), static_cast<QWidget *>(m_cancelButton)})
        unused->hide();
    for (QPushButton *b : {m_view, m_add, m_delete, m_edit, m_new, m_first, m_previous, m_next, m_last, m_filesButton})
        b->setAutoDefault(false);

    const std::pair<MenuCommand, QString> items[] = {
        {BrowseFiles, tr("استعراض")}, {AddFolder, tr("مجلد")}, {SearchComputer, tr("بحث ...")}, {Scanner, tr("سكانر")}};
    for (const auto &[command, text] : items) {
        QAction *action = m_filesMenu->addAction(text);
        action->setData(int(command));
        connect(action, &QAction::triggered, this, [this, c = command] { menuCommand(c); });
    }
    m_filesButton->setMenu(m_filesMenu);

    buildLists();
    buildLayout();

    connect(m_view, &QPushButton::clicked, this, &CCardDlg::showTyped);
    connect(m_add, &QPushButton::clicked, this, &CCardDlg::archiveCard);
    connect(m_delete, &QPushButton::clicked, this, &CCardDlg::deleteCard);
    connect(m_edit, &QPushButton::clicked, this, &CCardDlg::editOrSave);
    connect(m_new, &QPushButton::clicked, this, &CCardDlg::newCard);
    connect(m_first, &QPushButton::clicked, this, &CCardDlg::showFirst);
    connect(m_previous, &QPushButton::clicked, this, &CCardDlg::showPrevious);
    connect(m_next, &QPushButton::clicked, this, &CCardDlg::showNext);
    connect(m_last, &QPushButton::clicked, this, &CCardDlg::showLast);
    connect(m_filesRadio, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            showFileList();
    });
    connect(m_textsRadio, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            showTextList();
    });
    connect(m_defaultButton, &QPushButton::clicked, this, &CCardDlg::applyClassFilter);

    newCard();
    applyRights();
    m_filesRadio->setChecked(true);
    showFileList();
    m_addToAll->setChecked(true);
}

QString CCardDlg::editCaption()
{
    return tr("تعديل");
}

QString CCardDlg::saveCaption()
{
    return tr("حفظ");
}

// --- building ---------------------------------------------------------------------------------

void CCardDlg::buildLists()
{
    m_texts->installEventFilter(this);

    connect(m_classes, &CGridCtrl::cellDoubleClicked, this,
            [this](int row, int column, int) { classDoubleClicked(row, column); });
    connect(m_files, &CGridCtrl::cellDoubleClicked, this,
            [this](int row, int column, int) { fileDoubleClicked(row, column); });
    connect(m_files, &CGridCtrl::cellRightClicked, this, [this](int row, int column, int, const QPoint &pos) {
        showContextMenu(m_files, row, column, pos);
    });
    // The row keeps the text only if it still holds the converted document.
    connect(m_textEntry, &TextEntry::textReady, this, [this](int row, const QString &path, const QString &text) {
        if (filePathOfRow(row) == path)
            setFileDescription(row, text);
    });
    connect(m_texts, &CGridCtrl::cellRightClicked, this, [this](int row, int column, int, const QPoint &pos) {
        showContextMenu(m_texts, row, column, pos);
    });
    for (CGridCtrl *grid : {m_classes, m_files, m_texts}) {
        connect(grid, &CGridCtrl::cellEdited, this,
                [this, grid](int row, int column) { cellEdited(grid, row, column); });
    }
}

void CCardDlg::cellEdited(CGridCtrl *grid, int row, int column)
{
    // What the user typed in place goes back into the draft at once, so it never lags the grid.
    const QString text = grid->text(row, column);
    if (grid == m_files) {
        m_fileList.setCellText(row - 1, column, text);
    } else if (grid == m_texts) {
        CardTexts::setCellText(m_draft.texts, row, column, text);
    } else if (grid == m_classes && column == ClassName) {
        m_classList.setName(row - 1, text);
    }
}

void CCardDlg::buildLayout()
{
    auto *serialRow = new QHBoxLayout;
    serialRow->addWidget(m_serial, 1);
    serialRow->addWidget(m_view);

    auto *fields = new QFormLayout;
    fields->addRow(tr("التسلسل:"), serialRow);
    fields->addRow(tr("تاريخ"), m_date);
    fields->addRow(tr("اسم البطاقة *:"), m_name);
    fields->addRow(tr("ملاحظات:"), m_notes);
    fields->addRow(tr("المحرر:"), m_editor);

    auto *top = new QHBoxLayout;
    top->addWidget(m_classes, 0, Qt::AlignTop);
    top->addLayout(fields, 1);

    auto *switches = new QHBoxLayout;
    switches->addWidget(m_filesRadio);
    switches->addWidget(m_textsRadio);
    switches->addSpacing(12);
    switches->addWidget(m_filesButton);
    switches->addStretch(1);

    // The file list and the text list share one place; the radio buttons choose.
    auto *lists = new QGridLayout;
    lists->addWidget(m_files, 0, 0);
    lists->addWidget(m_texts, 0, 0);

    auto *commands = new QHBoxLayout;
    for (QPushButton *b : {m_add, m_edit, m_delete, m_new})
        commands->addWidget(b);
    commands->addStretch(1);
    for (QPushButton *b : {m_first, m_previous, m_next, m_last})
        commands->addWidget(b);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(switches);
    layout->addLayout(lists, 1);
    layout->addLayout(commands);
    layout->addWidget(m_status);
}

void CCardDlg::applyRights()
{
    // Hidden for good: no state of the form shows them again.
    if (!isGranted(m_state.rights.docadd)) {
        m_add->hide();
        m_new->hide();
    }
    if (!isGranted(m_state.rights.docdel))
        m_delete->hide();
    if (!isGranted(m_state.rights.docmod))
        m_edit->hide();
}

// --- states -----------------------------------------------------------------------------------

void CCardDlg::enterMode(Mode mode)
{
    m_mode = mode;
    const bool shown = mode == Mode::CardShown || mode == Mode::CardRefused;
    m_add->setEnabled(mode == Mode::NewCard);
    m_delete->setEnabled(mode == Mode::CardShown);
    m_edit->setEnabled(mode == Mode::CardShown || mode == Mode::Editing);
    m_edit->setText(mode == Mode::Editing ? saveCaption() : editCaption());
    // The card being edited is the one shown: its number cannot be changed under it.
    m_serial->setReadOnly(mode == Mode::Editing);
    setListsEditable(!shown);
    setCardEntry(!shown);
    if (mode == Mode::NewCard || mode == Mode::CardRefused)
        m_shownNumber = 0;
}

void CCardDlg::setCardEntry(bool on)
{
    if (m_state.cardEntry == on)
        return;
    m_state.cardEntry = on;
    emit cardEntryChanged(on);
}

void CCardDlg::setListsEditable(bool editable)
{
    for (CGridCtrl *grid : {m_classes, m_files, m_texts})
        grid->setEditable(editable);
}

void CCardDlg::clearForNewCard()
{
    m_name->clear();
    m_notes->clear();
    m_editor->clear();
    m_draft.files.clear();
    m_draft.texts.clear();
    m_classList.assign({});
    drawLists();
    appendEmptyTextRow();
}

void CCardDlg::drawLists()
{
    m_grids.drawAll(m_classRows, m_fileList, m_draft.texts);
}

void CCardDlg::appendEmptyTextRow()
{
    m_draft.texts.append(TextItem());
    m_grids.drawTextRow(m_texts->appendRow(), m_draft.texts.last());
}

void CCardDlg::appendText(const QString &keywords, const QString &text)
{
    const int row = CardTexts::rowForHandedText(m_draft.texts);
    if (row == m_texts->rowCount())
        m_texts->appendRow();
    m_draft.texts[row].keywords = keywords;
    m_draft.texts[row].text = text;
    m_grids.drawTextRow(row, m_draft.texts[row], true);
}

void CCardDlg::newCard()
{
    // A card that can never be archived is not offered for typing: the form stays read-only,
    // on the last card once it is opened.
    if (!isGranted(m_state.rights.docadd)) {
        m_serial->clear();
        clearForNewCard();
        enterMode(Mode::CardRefused);
        if (isVisible())
            openOnLastCard();
        return;
    }
    setCardEntry(true);
    // Only a preview: the number is taken when the card is archived.
    const Result<DocumentRow> counter = CDFSet(m_db).counterRow();
    if (counter)
        m_serial->setText(QString::number(counter->lastCardNumber + 1));
    else
        MessageBox::warning(this, counter.error());
    clearForNewCard();
    enterMode(Mode::NewCard);
}

bool CCardDlg::readyForHandedItems()
{
    if (m_mode == Mode::NewCard || m_mode == Mode::Editing)
        return true;
    if (!isGranted(m_state.rights.docadd)) {
        MessageBox::warning(this, noPermissionMessage());
        return false;
    }
    newCard();
    return true;
}

// --- showing cards ----------------------------------------------------------------------------

CCardDlg::Fill CCardDlg::fillCard(qint32 number)
{
    const Result<ShownCard> card = ShownCard::read(m_db, number, m_state.classAccess, m_state.fileServerFolder);
    if (!card) {
        MessageBox::warning(this, card.error());
        return Fill::Missing;
    }
    if (card->outcome == ShownCard::Outcome::Missing)
        return Fill::Missing;
    m_serial->setText(QString::number(number));
    m_draft.files = card->draft.files;
    m_draft.texts = card->draft.texts;
    m_classList.assign(card->classes);
    const bool refused = card->outcome == ShownCard::Outcome::Refused;
    if (!refused && card->draft.date.isValid())
        m_date->setDate(card->draft.date);
    m_name->setText(card->draft.name);
    m_notes->setText(card->draft.notes);
    m_editor->setText(card->draft.editor);
    drawLists();
    for (int row = 1; row < m_classes->rowCount(); ++row)
        m_classes->setText(row, ClassNumber, m_classes->text(row, ClassCode));
    renumberFiles();
    setListsEditable(false);
    if (refused)
        MessageBox::information(this, noPermissionMessage());
    return refused ? Fill::Refused : Fill::Shown;
}

bool CCardDlg::showCard(qint32 number)
{
    // A number without rows leaves the form as it stands, typed number included.
    const Fill filled = fillCard(number);
    if (filled == Fill::Missing)
        return false;
    enterMode(filled == Fill::Shown ? Mode::CardShown : Mode::CardRefused);
    if (filled == Fill::Shown)
        m_shownNumber = number;
    return true;
}

qint32 CCardDlg::typedNumber(bool *ok) const
{
    return m_serial->text().trimmed().toInt(ok);
}

void CCardDlg::showTyped()
{
    bool ok = false;
    const qint32 number = typedNumber(&ok);
    if (ok)
        showCard(number);
}

void CCardDlg::showFirst()
{
    showFound(CardNavigation(m_db).first());
}

void CCardDlg::showLast()
{
    showFound(CardNavigation(m_db).last());
}

void CCardDlg::showFound(const Result<std::optional<qint32>> &card)
{
    if (!card)
        MessageBox::warning(this, card.error());
    else if (card->has_value())
        showCard(**card);
}

void CCardDlg::showPrevious()
{
    bool ok = false;
    if (const qint32 number = typedNumber(&ok); ok)
        showStep(CardNavigation(m_db).previous(number));
}

void CCardDlg::showNext()
{
    bool ok = false;
    if (const qint32 number = typedNumber(&ok); ok)
        showStep(CardNavigation(m_db).next(number));
}

void CCardDlg::showStep(const Result<qint32> &card)
{
    // At either end the user is told where the cards end; anything else broke.
    if (card)
        showCard(*card);
    else if (card.refused())
        MessageBox::information(this, card.error());
    else
        MessageBox::warning(this, card.error());
}

// --- archiving, saving, deleting --------------------------------------------------------------

void CCardDlg::archiveCard()
{
    setCardEntry(false);
    CardDraft card = draft();
    // A card that would be refused is refused at once, without a wait for the lock first.
    if (const Status refused = Archiver::refusalOfNew(card); !refused) {
        archiveEnded(Result<qint32>::failure(refused.kind(), refused.error()));
        return;
    }
    AllocationLockWait::take(this, Archiver::foldersOf(m_state).database, [this, card](const Result<std::shared_ptr<AllocationLock>> &lock) mutable {
        if (!lock) {
            archiveEnded(Result<qint32>::failure(lock.error()));
            return;
        }
        Result<qint32> number = Result<qint32>::failure(QString());
        {
            const WaitCursor busy;
            number = m_archiver.archiveNew(card, {}, *lock);
        }
        archiveEnded(number);
    });
}

void CCardDlg::archiveEnded(const Result<qint32> &number)
{
    if (!number) {
        // Nothing was written: the card is still being entered.
        setCardEntry(true);
        if (number.refused())
            MessageBox::information(this, number.error());
        else
            MessageBox::warning(this, number.error());
        return;
    }
    showWritten(*number);
}

void CCardDlg::showWritten(qint32 number)
{
    clearForNewCard();
    showCard(number);
    if (!m_archiver.warning().isEmpty())
        MessageBox::warning(this, m_archiver.warning());
}

bool CCardDlg::validCardNumber(qint32 number)
{
    const Status handedOut = CardNavigation(m_db).handedOut(number);
    if (!handedOut)
        MessageBox::warning(this, handedOut.error());
    return handedOut.ok();
}

void CCardDlg::editOrSave()
{
    if (m_mode == Mode::Editing) {
        save();
        return;
    }
    if (m_mode != Mode::CardShown || !validCardNumber(m_shownNumber))
        return;
    // Whatever was typed since, the card shown is the one edited.
    m_serial->setText(QString::number(m_shownNumber));
    enterMode(Mode::Editing);
    if (m_draft.texts.isEmpty())
        appendEmptyTextRow();
}

void CCardDlg::save()
{
    setListsEditable(true);
    setCardEntry(false);
    // Declined: the card stays open for editing, the flag stays cleared.
    if (MessageBox::question(this, tr("متأكد من حفظ التعديلات"), tr("تأكيد"), QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No, QMessageBox::Information) != QMessageBox::Yes)
        return;
    const qint32 number = m_shownNumber;
    if (!validCardNumber(number)) {
        enterMode(Mode::Editing);
        return;
    }
    CardDraft card = draft();
    card.number = number;
    m_archiver.setClassAccess(m_state.classAccess);

    AllocationLockWait::take(this, Archiver::foldersOf(m_state).database, [this, card, number](const Result<std::shared_ptr<AllocationLock>> &lock) mutable {
        Status saved = lock ? Status() : Status::failure(lock.error());
        if (lock) {
            CFileOperation files;
            files.setQuestion(FileQuestion::over(this));
            const WaitCursor busy;
            saved = m_archiver.save(
                card, [&files](const QString &path) { return files.DeleteItem(path); }, {}, *lock);
        }
        if (!saved) {
            // Nothing was written: the edits are still there to save again.
            MessageBox::warning(this, saved.error());
            enterMode(Mode::Editing);
            return;
        }
        showWritten(number);
    });
}

void CCardDlg::deleteCard()
{
    if (MessageBox::question(this, tr("متأكد من حذف البطاقة"), tr("تأكيد"), QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No, QMessageBox::Information) != QMessageBox::Yes)
        return;
    bool ok = false;
    const qint32 number = typedNumber(&ok);
    // Card 0 is the counter row's number: never removed.
    if (!ok || number <= 0)
        return;
    m_archiver.setClassAccess(m_state.classAccess);
    const Result<int> removed = m_archiver.remove(number);
    if (!removed) {
        MessageBox::warning(this, removed.error());
        return;
    }
    if (*removed == 0)
        return;
    newCard();
    MessageBox::information(this, tr("تم الحذف"));
}

// --- classification list ----------------------------------------------------------------------

void CCardDlg::addClassification(const QString &code, const QString &name)
{
    switch (m_classList.add(code, name)) {
    case CardClasses::AddResult::AlreadyThere: MessageBox::information(this, CardClasses::alreadyThereMessage()); return;
    case CardClasses::AddResult::Full: return;
    case CardClasses::AddResult::Added: m_grids.drawClassRow(m_classes->appendRow(), m_classRows.last()); return;
    }
}

void CCardDlg::classDoubleClicked(int row, int /*column*/)
{
    if (!m_state.cardEntry)
        return;
    if (row == 0)
        emit pickerRequested();
    else if (m_classList.removeAt(row - 1))
        m_classes->removeRow(row);
}

void CCardDlg::applyClassFilter()
{
    m_grids.filterClasses(m_classRows, m_classFilter->text());
}

// --- file list --------------------------------------------------------------------------------

bool CCardDlg::isArchivedRow(int row) const
{
    return row >= 1 && row <= m_fileList.count() && m_fileList.at(row - 1).archived;
}

QString CCardDlg::filePathOfRow(int row) const
{
    if (row < 1 || row > m_fileList.count())
        return {};
    return m_fileList.pathOf(row - 1, m_shownNumber);
}

void CCardDlg::renumberFiles()
{
    m_grids.renumberFiles(m_fileList);
}

void CCardDlg::showSameNames(const QList<CardFileList::SameName> &found)
{
    // Informative only: the file is added whatever is found.
    for (const CardFileList::SameName &same : found) {
        if (same.sameSize)
            MessageBox::information(this, tr("%1  WITH  %2").arg(same.added, same.listed));
        if (same.identical) {
            m_grids.drawFileShade(m_fileList, same.row - 1, FileDescription);
            continue;
        }
        MessageBox::information(
            this, tr("the file    %1   Has the same name of file in row %2  but it deffrent").arg(same.added).arg(same.row));
    }
}

void CCardDlg::addFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        const QList<CardFileList::SameName> found = m_fileList.addFile(path, m_shownNumber);
        showSameNames(found);
        m_files->appendRow();
        m_grids.drawFileRow(m_fileList, m_fileList.count() - 1);
    }
    renumberFiles();
}

void CCardDlg::addFolder(const QString &path)
{
    if (path.isEmpty())
        return;
    const bool listed = m_fileList.addFolder(path);
    m_files->appendRow();
    m_grids.drawFileRow(m_fileList, m_fileList.count() - 1);
    if (listed)
        MessageBox::information(this, tr("  موجود  %1   ").arg(m_fileList.at(m_fileList.count() - 1).name));
    renumberFiles();
}

void CCardDlg::appendItem(const FileItem &item)
{
    m_fileList.append(item);
    m_files->appendRow();
    m_grids.drawFileRow(m_fileList, m_fileList.count() - 1);
    renumberFiles();
}

void CCardDlg::setFileDescription(int row, const QString &text)
{
    if (row < 1 || row > m_fileList.count())
        return;
    m_fileList.setCellText(row - 1, FileDescription, text);
    m_files->setText(row, FileDescription, text);
}

void CCardDlg::browseFiles()
{
    const QStringList paths = FileDialog::openFiles(this, QString(), tr("All (*);;Image (*.jpg)"));
    addFiles(paths);
}

void CCardDlg::chooseFolder()
{
    addFolder(FileDialog::chooseFolder(this));
}

void CCardDlg::menuCommand(int command)
{
    switch (command) {
    case BrowseFiles: browseFiles(); break;
    case AddFolder: chooseFolder(); break;
    case SearchComputer: emit computerSearchRequested(); break;
    default: break; // the scanner has no action in this form
    }
}

void CCardDlg::fileDoubleClicked(int row, int column)
{
    if (column != FileNumber || !isArchivedRow(row))
        return;
    const FileItem &item = m_fileList.at(row - 1);
    emit memoRequested({item.serial, item.itemNumber, m_shownNumber});
}

void CCardDlg::showFileList()
{
    m_filesButton->setEnabled(true);
    m_texts->hide();
    m_files->show();
}

void CCardDlg::showTextList()
{
    m_filesButton->setEnabled(false);
    m_files->hide();
    m_texts->show();
}

// --- commands ---------------------------------------------------------------------------------

void CCardDlg::showContextMenu(CGridCtrl *grid, int row, int column, const QPoint &globalPos)
{
    if (row < grid->fixedRowCount())
        return;
    grid->setCurrentCell(row, std::max(column, grid->fixedColumnCount()));
    if (const int command = CardGrids::chooseCommand(grid == m_files, m_state, globalPos, this))
        runCommand(command);
}

bool CCardDlg::runCommand(int command)
{
    if (!isCommandEnabled(command, m_state, {}))
        return false;
    const int fileRow = m_files->currentRow();
    const int textRow = m_texts->currentRow();
    const bool onFile = fileRow >= 1 && fileRow <= m_fileList.count();
    const bool onText = textRow >= 0 && textRow < m_draft.texts.size();
    switch (command) {
    case Command::ViewFile:
        return onFile && QDesktopServices::openUrl(QUrl::fromLocalFile(filePathOfRow(fileRow)));
    case Command::DeleteFile:
        // An archived item removed here leaves the file store when the card is saved.
        // The rows keep their numbers until the next renumbering.
        return onFile && m_fileList.remove(fileRow - 1) && m_files->removeRow(fileRow);
    case Command::EnterText:
        if (!onFile)
            return false;
        return m_textEntry->enterText(fileRow, filePathOfRow(fileRow));
    case Command::ViewText:
        if (!onText)
            return false;
        MessageBox::information(this, m_draft.texts.at(textRow).text);
        return true;
    case Command::DeleteText:
        // An archived text goes from the table when the card is saved: saving rewrites them all.
        if (!onText)
            return false;
        m_draft.texts.removeAt(textRow);
        return m_texts->removeRow(textRow);
    case Command::EditText: return onText && m_textEntry->exportText(m_draft.texts.at(textRow).text);
    default: return false;
    }
}

void CCardDlg::pasteSnippet(int digit)
{
    const int row = m_texts->currentRow();
    if (row < 0 || row >= m_draft.texts.size())
        return;
    const std::optional<QString> snippet = m_textEntry->snippet(digit);
    if (!snippet)
        return;
    m_draft.texts[row].text = *snippet;
    m_texts->setText(row, TextBody, *snippet);
}

// --- keys -------------------------------------------------------------------------------------

void CCardDlg::keyPressEvent(QKeyEvent *event)
{
    // Enter never closes the form: it re-applies the classification filter.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        applyClassFilter();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CCardDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!isGranted(m_state.rights.docadd) && m_mode == Mode::CardRefused && m_serial->text().isEmpty())
        openOnLastCard();
}

void CCardDlg::openOnLastCard()
{
    const Result<std::optional<qint32>> last = CardNavigation(m_db).last();
    // The counter row's 0 is no card: an archive without cards leaves the form empty.
    if (!last)
        MessageBox::warning(this, last.error());
    else if (last->value_or(0) > 0)
        showCard(**last);
}

bool CCardDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_texts && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool control = key->modifiers().testFlag(Qt::ControlModifier);
        if (key->key() == Qt::Key_Down && !control && m_texts->currentRow() == m_texts->rowCount() - 1) {
            appendEmptyTextRow();
            m_texts->setCurrentCell(m_texts->rowCount() - 1, TextBody);
            return true;
        }
        if (control && key->key() >= Qt::Key_1 && key->key() <= Qt::Key_9 && m_texts->isEditable()) {
            pasteSnippet(key->key() - Qt::Key_0);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
