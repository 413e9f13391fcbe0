#pragma once

#include "app/AppState.h"
#include "baskets/MemoStore.h"
#include "db/Database.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QPlainTextEdit;
class QPushButton;

// The memo dialog.
//
// The memo of one archived item: the addressee, the text, the reminder date and whether to
// remind. Works on the row whose serial the application state's memo request names; save writes
// the memo and leaves the dialog open, closing writes nothing.
class CMemoDlg : public QDialog
{
    Q_OBJECT

public:
    CMemoDlg(AppState &state, Database db, QWidget *parent = nullptr);

    QDateTimeEdit *entryDate() const { return m_entry; }
    QDateTimeEdit *reminderDate() const { return m_reminder; }
    QComboBox *addresseeBox() const { return m_addressee; }
    QPlainTextEdit *notesBox() const { return m_notes; }
    QCheckBox *remindBox() const { return m_remind; }
    QPushButton *saveButton() const { return m_save; }

    // Whether the dialog found its row; without one there is nothing to save.
    bool hasRow() const { return m_serial > 0; }

    void save();

private:
    void fillAddressees();
    void load();

    AppState &m_state;
    MemoStore m_store;
    qint32 m_serial = 0;
    QDateTimeEdit *m_entry;
    QDateTimeEdit *m_reminder;
    QComboBox *m_addressee;
    QPlainTextEdit *m_notes;
    QCheckBox *m_remind;
    QPushButton *m_save;
};
