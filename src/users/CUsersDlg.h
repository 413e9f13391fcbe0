#pragma once

#include "UserAdmin.h"
#include "db/Database.h"

#include <QDialog>

#include <QList>

#include <array>

class CGridCtrl;
class QCheckBox;
class QLineEdit;
class QPushButton;

// The users form: the list of users, the classifications each may use, the twelve rights and the
// eight workflow permissions. A double-click on a user loads it; a double-click on a right or a
// classification marks or unmarks it. "حفظ" adds the form as a new user, "تعديل" saves it over
// the loaded one; nothing else writes. Users are never removed here.
class CUsersDlg : public QDialog
{
    Q_OBJECT

public:
    // Grid kinds: what a double-click in each grid does.
    static constexpr int kUsersKind = 2212;
    static constexpr int kRightsKind = 2213;
    static constexpr int kClassesKind = 2214;
    // The column that shows the names and carries the marks.
    static constexpr int kNameColumn = 2;
    // The column of the classification grid that holds the code.
    static constexpr int kCodeColumn = 0;

    explicit CUsersDlg(Database db, QWidget *parent = nullptr);

    CGridCtrl *usersGrid() const { return m_users; }
    CGridCtrl *rightsGrid() const { return m_rights; }
    CGridCtrl *classesGrid() const { return m_classes; }
    QLineEdit *nameBox() const { return m_name; }
    QLineEdit *passwordBox() const { return m_password; }
    QLineEdit *loadedBox() const { return m_loaded; }
    QCheckBox *workflowBox(int index) const { return m_workflow.at(index); }
    QPushButton *newButton() const { return m_new; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *editButton() const { return m_edit; }
    QPushButton *closeButton() const { return m_close; }

    // Whether a right or a classification row shows the marked colour.
    bool isMarked(const CGridCtrl *grid, int row) const;

public slots:
    void chooseUser(int row);
    void newUser();
    void saveNew();
    void saveChanges();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildGrids();
    void fillUsers();
    void fillClasses();
    void onDoubleClick(int row, int column, int kind);
    void toggleMark(CGridCtrl *grid, int row);
    void setMark(CGridCtrl *grid, int row, bool marked);
    UserForm readForm() const;
    void showForm(const UserForm &form);

    Database m_db;
    CGridCtrl *m_users;
    CGridCtrl *m_rights;
    CGridCtrl *m_classes;
    QLineEdit *m_name;
    QLineEdit *m_password;
    QLineEdit *m_loaded;
    std::array<QCheckBox *, kWorkflowCount> m_workflow{};
    // The marks the grids show, row by row from the first data row.
    std::array<bool, kRightCount> m_rightMarks{};
    QList<bool> m_classMarks;
    QPushButton *m_new;
    QPushButton *m_save;
    QPushButton *m_edit;
    QPushButton *m_close;
};
