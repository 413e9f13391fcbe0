#pragma once

#include "JobBook.h"
#include "JobRules.h"

#include "base/AppState.h"
#include "db/Database.h"

#include <QDate>
#include <QDialog>

#include <optional>

class CFlatButton;
class CGridCtrl;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPrinter;

// The print-shop workflow dialog: every job in one editable grid, a row per job, the columns of
// the stages the user holds, and the buttons of the job operations the user may use. Typing in
// the grid changes nothing until "حفظ", "تعديل" or "حذف" writes it; closing drops unsaved typing.
class CWorkflowDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kGridKind = 9113;

    CWorkflowDlg(const AppState &state, Database db, QWidget *parent = nullptr);
    ~CWorkflowDlg() override;

    CGridCtrl *grid() const { return m_grid; }
    CFlatButton *newButton() const { return m_new; }
    CFlatButton *saveButton() const { return m_save; }
    CFlatButton *editButton() const { return m_edit; }
    CFlatButton *deleteButton() const { return m_delete; }
    CFlatButton *printButton() const { return m_print; }
    CFlatButton *searchButton() const { return m_search; }
    QComboBox *statusBox() const { return m_status; }
    QComboBox *stageBox() const { return m_stage; }
    QLineEdit *fromBox() const { return m_from; }
    QLineEdit *toBox() const { return m_to; }
    QLineEdit *nameBox() const { return m_name; }
    QLineEdit *referenceBox() const { return m_reference; }
    QCheckBox *datedBox() const { return m_dated; }
    QDateEdit *deliveredFromBox() const { return m_deliveredFrom; }
    QDateEdit *deliveredToBox() const { return m_deliveredTo; }
    const WorkflowPermissions &permissions() const { return m_permissions; }
    // The job rows shown, top to bottom.
    int jobRowCount() const;

    // Printing goes to this printer without asking; otherwise the printer dialog chooses one.
    void setPrinter(QPrinter *printer) { m_printer = printer; }
    // "Today" for stamping dates and the overdue marks (tests).
    void setToday(const QDate &today) { m_today = today; }

    // The buttons.
    void newJob();
    void saveJob();
    void editJob();
    void deleteJob();
    void printJobs();
    void searchJobs();
    // A double-click on a cell: a date column of the user's stages takes today's date.
    void stampDate(int row, int column);

private:
    void buildGrid();
    void buildControls();
    void applyPermissions();
    void fill(const QList<WorkflowJob> &jobs);
    void fillRow(int row, const WorkflowJob &job);
    QStringList rowCells(int row) const;
    void markRow(int row, const WorkflowJob &job);
    void afterSaveOrSearch();
    void focusFirstJob();
    QDate today() const;
    void printOn(QPrinter &printer);

    const AppState &m_state;
    JobBook m_book;
    WorkflowPermissions m_permissions;
    CGridCtrl *m_grid = nullptr;
    CFlatButton *m_new = nullptr;
    CFlatButton *m_save = nullptr;
    CFlatButton *m_edit = nullptr;
    CFlatButton *m_delete = nullptr;
    CFlatButton *m_print = nullptr;
    CFlatButton *m_search = nullptr;
    QComboBox *m_status = nullptr;
    QComboBox *m_stage = nullptr;
    QLineEdit *m_from = nullptr;
    QLineEdit *m_to = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_reference = nullptr;
    QCheckBox *m_dated = nullptr;
    QDateEdit *m_deliveredFrom = nullptr;
    QDateEdit *m_deliveredTo = nullptr;
    // The serial of the job in each job row (grid row r holds m_serials[r - 1]); 0 for the new row.
    QList<qint32> m_serials;
    // The number offered to the new row, while one is being entered.
    std::optional<qint32> m_offered;
    QPrinter *m_printer = nullptr;
    QDate m_today;
};
