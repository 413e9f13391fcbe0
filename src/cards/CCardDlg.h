#pragma once

#include "Archiver.h"
#include "CardDraft.h"
#include "CardClassList.h"
#include "CardFileList.h"
#include "CardNavigation.h"
#include "CardGrids.h"
#include "classes/CardClasses.h"
#include "base/AppState.h"
#include "baskets/MemoStore.h"
#include "db/Database.h"

#include <QDialog>

#include <functional>
#include <memory>

class AllocationLock;

class CGridCtrl;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
class TextEntry;

// "بطاقة": the form on which a card is entered, archived, browsed, edited and deleted. Created
// once, hidden, with the main window and kept for its whole life. It holds the card in its
// draft, a CardDraft, which its controls and three lists (classifications, files, texts) only
// show: every change goes into the draft first and the list is drawn from it. Archiving, saving
// and deleting are Archiver's, the rules of the file list CardFileList's.
//
// Three states decide the buttons: a new card being entered ("اضافة" on), a card shown ("حذف"
// and "تعديل" on, lists read-only) and a card being edited ("تعديل" reads "حفظ"). The card entry
// flag of the application state is set while the card may be changed.
class CCardDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kClassListKind = CardGrids::kClassListKind;
    static constexpr int kFileListKind = CardGrids::kFileListKind;
    static constexpr int kTextListKind = CardGrids::kTextListKind;

    // Columns of the file list; row 0 is its header and items start at row 1.
    using FileColumn = CardFileList::Column;
    using enum CardFileList::Column;
    // Columns of the text list, which has no header: texts start at row 0.
    using TextColumn = CardGrids::TextColumn;
    using enum CardGrids::TextColumn;
    // Columns of the classification list; row 0 is its header.
    using ClassColumn = CardGrids::ClassColumn;
    using enum CardGrids::ClassColumn;

    // Items of the "ملفات" menu button.
    enum MenuCommand : int { BrowseFiles = 32922, AddFolder = 32923, SearchComputer = 32924, Scanner = 32825 };

    // CardRefused: a card the user may not see was asked for; nothing of it is shown.
    enum class Mode { NewCard, CardShown, CardRefused, Editing };

    CCardDlg(AppState &state, Database db, QWidget *parent = nullptr);

    Mode mode() const { return m_mode; }
    qint32 shownNumber() const { return m_shownNumber; }
    // The dialog's archiver; tests switch its copier start off.
    Archiver &archiver() { return m_archiver; }
    // The card as the form holds it.
    const CardDraft &draft() const { return m_draft; }

    // Rows added by other windows (web and image views, searches, baskets): one row at the end
    // of the file list, renumbered. A folderLike item that is a folder on disk gets the folder
    // icon, any other folderLike item the icon of a saved page or picture.
    void appendItem(const FileItem &item);
    // A text added by another window: a new row at the end of the text list.
    void appendText(const QString &keywords, const QString &text);
    // What the "استعراض" and "مجلد" items add once their chooser has answered.
    void addFiles(const QStringList &paths);
    void addFolder(const QString &path);
    // Where the item of a file-list row is: its source, or its stored file once archived.
    QString filePathOfRow(int row) const;
    // Writes the text taken from a file into the description of a file-list row.
    void setFileDescription(int row, const QString &text);

    // The commands of the lists' context menus, also passed on by the main window: view,
    // delete and enter the text of a file (32928, 32929, 32964); view, delete and edit a text
    // (32937, 32938, 32939). Disabled ones do nothing. True when the command was carried out.
    bool runCommand(int command);

    // Controls, for the main window and the tests.
    QLineEdit *serialBox() const { return m_serial; }
    QDateEdit *dateBox() const { return m_date; }
    QLineEdit *nameBox() const { return m_name; }
    QLineEdit *notesBox() const { return m_notes; }
    QLineEdit *editorBox() const { return m_editor; }
    QRadioButton *filesRadio() const { return m_filesRadio; }
    QRadioButton *textsRadio() const { return m_textsRadio; }
    QPushButton *filesMenuButton() const { return m_filesButton; }
    QMenu *filesMenu() const { return m_filesMenu; }
    QPushButton *viewButton() const { return m_view; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *deleteButton() const { return m_delete; }
    QPushButton *editButton() const { return m_edit; }
    QPushButton *newButton() const { return m_new; }
    QPushButton *firstButton() const { return m_first; }
    QPushButton *previousButton() const { return m_previous; }
    QPushButton *nextButton() const { return m_next; }
    QPushButton *lastButton() const { return m_last; }
    CGridCtrl *classList() const { return m_classes; }
    CGridCtrl *fileList() const { return m_files; }
    CGridCtrl *textList() const { return m_texts; }
    QStatusBar *statusLine() const { return m_status; }
    TextEntry *textEntry() const { return m_textEntry; }

    static QString editCaption();
    static QString saveCaption();
    static QString noPermissionMessage() { return Archiver::noPermissionMessage(); }
    static QString firstCardMessage() { return CardNavigation::firstCardMessage(); }
    static QString lastCardMessage() { return CardNavigation::lastCardMessage(); }

    // Files and texts handed from other windows ("أرشفة") join the card being entered; over a
    // card on show they start a new card. False, with the reason shown, when no card may be
    // started.
    bool readyForHandedItems();

public slots:
    // A new card to enter; without the add right the form shows the last card instead.
    void newCard();
    // Shows card N as the navigation does; a number without rows changes nothing. True when
    // the card was shown.
    bool showCard(qint32 number);
    void showFirst();
    void showPrevious();
    void showNext();
    void showLast();
    // "عرض": the card whose number is typed in the serial box.
    void showTyped();
    void archiveCard();
    void editOrSave();
    void deleteCard();
    // A classification chosen in the picker; a code already on the card is refused with a
    // message, a seventh classification silently.
    void addClassification(const QString &code, const QString &name);
    void browseFiles();
    void chooseFolder();
    void renumberFiles();
    void showFileList();
    void showTextList();

signals:
    // The classification list's header was double-clicked while the card may be changed: the
    // picker should reload and show.
    void pickerRequested();
    // An archived item's number cell was double-clicked: its memo should open.
    void memoRequested(const MemoTarget &target);
    // "بحث ..." of the "ملفات" menu: the search-the-computer window should open.
    void computerSearchRequested();
    void cardEntryChanged(bool on);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void openOnLastCard();
    void buildLists();
    void buildLayout();
    void applyRights();
    void enterMode(Mode mode);
    void setCardEntry(bool on);
    void setListsEditable(bool editable);
    void clearForNewCard();
    void drawLists();
    void appendEmptyTextRow();
    void cellEdited(CGridCtrl *grid, int row, int column);
    enum class Fill { Missing, Shown, Refused };
    Fill fillCard(qint32 number);
    void save();
    bool validCardNumber(qint32 number);
    void archiveEnded(const Result<qint32> &number);
    // A card just archived or saved: shown, with what went wrong after it was written.
    void showWritten(qint32 number);
    void showSameNames(const QList<CardFileList::SameName> &found);
    void applyClassFilter();
    void classDoubleClicked(int row, int column);
    void fileDoubleClicked(int row, int column);
    void showContextMenu(CGridCtrl *grid, int row, int column, const QPoint &globalPos);
    void menuCommand(int command);
    void pasteSnippet(int digit);
    qint32 typedNumber(bool *ok = nullptr) const;
    void showFound(const Result<std::optional<qint32>> &card);
    void showStep(const Result<qint32> &card);
    bool isArchivedRow(int row) const;

    AppState &m_state;
    Database m_db;
    Archiver m_archiver;
    CardDraft m_draft;
    CardFileList m_fileList{m_draft.files};
    // The classifications beside the draft's codes, as the list shows them: the code as the
    // picker gave it and the name.
    QList<CardClasses::Entry> m_classRows;
    CardClassList m_classList{m_classRows, m_draft.classCodes};
    Mode m_mode = Mode::NewCard;
    // The card the form shows: what edit, save, view and memo work on, whatever is typed.
    qint32 m_shownNumber = 0;

    QLineEdit *m_serial;
    QPushButton *m_view;
    QDateEdit *m_date;
    QLineEdit *m_name;
    QLineEdit *m_notes;
    QLineEdit *m_editor;
    QRadioButton *m_filesRadio;
    QRadioButton *m_textsRadio;
    QPushButton *m_filesButton;
    QMenu *m_filesMenu;
    QPushButton *m_add;
    QPushButton *m_delete;
    QPushButton *m_edit;
    QPushButton *m_new;
    QPushButton *m_first;
    QPushButton *m_previous;
    QPushButton *m_next;
    QPushButton *m_last;
    // Kept from the form's resource; hidden and without a role of their own.
    QLineEdit *m_classFilter;
    QCheckBox *m_addToAll;
    QComboBox *m_unusedCombo;
    QLabel *m_unusedPicture;
    QPushButton *m_defaultButton;
    QPushButton *m_cancelButton;

    CGridCtrl *m_classes;
    CGridCtrl *m_files;
    CGridCtrl *m_texts;
    CardGrids m_grids;
    QStatusBar *m_status;
    TextEntry *m_textEntry;
};
