#pragma once

#include "base/AppState.h"
#include "db/Database.h"
#include "search/QueryBuilder.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;

// The archive search dialog.
//
// "بحث": describes what to find in the archive and hands the query on; the hits are shown by the
// report window the main window opens for every search. The form is made once and only hidden
// when closed, so its values stay from one search to the next.
class CSearchDlg : public QDialog
{
    Q_OBJECT

public:
    CSearchDlg(const AppState &state, Database db, QWidget *parent = nullptr);

    // The values of the controls as the query builder takes them.
    SearchRequest request() const;
    // The classifications the user may see, read once when the form was made.
    const PermittedClasses &permitted() const { return m_permitted; }

    // Builds the query of the current values, writes the dump and emits searchRequested; an empty
    // phrase in general mode only shows the message, and so does a search that finds nothing. True
    // when a search was requested.
    bool search();

    QCheckBox *imagesBox() const { return m_images; }
    QCheckBox *textsBox() const { return m_texts; }
    QCheckBox *filesBox() const { return m_files; }
    QDateEdit *fromDate() const { return m_from; }
    QDateEdit *toDate() const { return m_to; }
    QComboBox *classBox() const { return m_class; }
    QLineEdit *keywordsEdit() const { return m_keywords; }
    QCheckBox *generalBox() const { return m_general; }
    QLineEdit *phraseEdit() const { return m_phrase; }
    QPushButton *searchButton() const { return m_search; }

Q_SIGNALS:
    // One more report window is due for the query; its caption is the query's title.
    void searchRequested(const BuiltQuery &query);

private:
    void loadClasses();
    void applyMode();

    const AppState &m_state;
    Database m_db;
    PermittedClasses m_permitted;
    QCheckBox *m_images;
    QCheckBox *m_texts;
    QCheckBox *m_files;
    QDateEdit *m_from;
    QDateEdit *m_to;
    QComboBox *m_class;
    QLineEdit *m_keywords;
    QCheckBox *m_general;
    QLineEdit *m_phrase;
    QPushButton *m_search;
};
