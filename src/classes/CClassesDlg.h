#pragma once

#include "ClassEditor.h"
#include "base/AppState.h"
#include "db/ClassRow.h"

#include <QColor>
#include <QDialog>

class CGridCtrl;
class QLineEdit;
class QPushButton;

// The classification editor.
//
// "التصنيفات -الارشيف الجزئي": the list of every classification beside the fields of the one shown,
// with the buttons that move through, add, change and delete classifications. Modeless; the main
// window creates it hidden and shows it. Every command is ClassEditor's; this form copies its
// controls into the editor's fields and back and keeps its list in step.
//
// The list of classifications it shows is the picker's too: both use setUpList, fillList and
// filterList, so that the two lists look and filter alike.
class CClassesDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kListGridKind = 193;
    // Columns of a classification list: the code in the fixed column, the serial (hidden) and the
    // name.
    static constexpr int kCodeColumn = 0;
    static constexpr int kNumberColumn = 1;
    static constexpr int kNameColumn = 2;
    // The height the filter gives every row it keeps.
    static constexpr int kListRowHeight = 20;
    // Background of the names of the classifications the user may see.

    CClassesDlg(const AppState &state, Database db, QWidget *parent = nullptr);

    // Controls by their form ids: edits 1000 ... 1006, buttons 1, 2, 1048, 1049, 1073, 1074,
    // 1078 ... 1081. nullptr for any other id.
    QLineEdit *field(int id) const;
    QPushButton *button(int id) const;
    CGridCtrl *list() const { return m_list; }

    // Fills the list afresh from table Class.
    void reload();
    // Hides the rows whose name does not contain the filter text (1005); the header stays.
    void applyFilter();

    // The classification list shared with the picker.
    static void setUpList(CGridCtrl *list, int gridKind);
    static void fillList(CGridCtrl *list, const QList<ClassRow> &rows);
    static void filterList(CGridCtrl *list, const QString &text);

signals:
    // Classifications were added, changed or deleted: the side bar rebuilds its archive tab.
    void treeChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPushButton *makeButton(const QString &text);
    void readFields();
    void writeFields();
    // Runs one editor command between reading and writing the fields, and shows its message.
    ClassEditor::Outcome run(ClassEditor::Outcome (ClassEditor::*command)());
    void report(const ClassEditor::Outcome &outcome);
    void finish(const ClassEditor::Outcome &outcome);

    void showClassification(int row);
    void pickParent(int row);
    void lookUpParent();
    void addClassification();
    void editClassification();
    void removeClassification();
    void clearFields();

    int rowOfSerial(qint32 serial) const;
    void markRow(int row);

    const AppState &m_state;
    Database m_db;
    ClassEditor m_editor;
    CGridCtrl *m_list;
    QLineEdit *m_number;
    QLineEdit *m_parentCode;
    QLineEdit *m_parentName;
    QLineEdit *m_code;
    QLineEdit *m_name;
    QLineEdit *m_notes;
    QLineEdit *m_filter;
    QPushButton *m_first;
    QPushButton *m_previous;
    QPushButton *m_next;
    QPushButton *m_last;
    QPushButton *m_new;
    QPushButton *m_add;
    QPushButton *m_remove;
    QPushButton *m_edit;
    QPushButton *m_search;
    QPushButton *m_cancel;
};
