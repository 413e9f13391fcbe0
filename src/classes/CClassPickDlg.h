#pragma once

#include "db/Database.h"

#include <QDialog>

class CGridCtrl;
class QLineEdit;
class QPushButton;

// The classification picker.
//
// The small window listing every classification, from which the card being entered is filed under
// classifications. Modeless and created hidden; the card dialog reloads and shows it. A
// double-click on a classification only announces the choice: what the card makes of it (already
// there, full) is the card dialog's business.
class CClassPickDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kListGridKind = 1193;

    CClassPickDlg(Database db, QWidget *parent = nullptr);

    // Controls by their form ids: edit 1000, buttons 1 and 2. nullptr for any other id.
    QLineEdit *field(int id) const;
    QPushButton *button(int id) const;
    CGridCtrl *list() const { return m_list; }

    // Fills the list afresh from table Class, so that classifications added since show up.
    void reload();
    // Reloads, then shows the window normally.
    void showPicker();
    // Hides the rows whose name does not contain the filter text (1000); the header stays.
    void applyFilter();

signals:
    // The user double-clicked a classification: its code as the list shows it, and its name.
    void classificationChosen(const QString &code, const QString &name);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPushButton *makeButton(const QString &text);

    Database m_db;
    CGridCtrl *m_list;
    QLineEdit *m_filter;
    QPushButton *m_ok;
    QPushButton *m_cancel;
};
