#pragma once

#include "baskets/MemoStore.h"
#include "db/Database.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The memo dialog.
//
// The memo of one archived item: the addressee, the text, the reminder date and whether to
// remind. Works on the row of the target it is opened on; save writes the memo and leaves the
// dialog open, closing writes nothing.
class CMemoDlg : public QDialog
{
    Q_OBJECT

public:
    CMemoDlg(Database db, const MemoTarget &target, QWidget *parent = nullptr);

    QDateTimeEdit *entryDate() const { return m_entry; }
    QDateTimeEdit *reminderDate() const { return m_reminder; }
    QComboBox *addresseeBox() const { return m_addressee; }
    QPlainTextEdit *notesBox() const { return m_notes; }
    QCheckBox *remindBox() const { return m_remind; }
    QPushButton *saveButton() const { return m_save; }
    // Says that the memo was saved, until the next change.
    QLabel *statusLine() const { return m_status; }

    // Whether the dialog found its row; without one there is nothing to save.
    bool hasRow() const { return m_serial > 0; }

    void save();

private:
    void fillAddressees();
    void load();

    MemoStore m_store;
    MemoTarget m_target;
    qint32 m_serial = 0;
    QDateTimeEdit *m_entry;
    QDateTimeEdit *m_reminder;
    QComboBox *m_addressee;
    QPlainTextEdit *m_notes;
    QCheckBox *m_remind;
    QPushButton *m_save;
    QLabel *m_status;
};
