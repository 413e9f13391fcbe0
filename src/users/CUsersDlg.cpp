#include "CUsersDlg.h"

#include "base/Palette.h"
#include "db/CClaSet.h"
#include "db/CUserSet.h"
#include "ui/CGridCtrl.h"
#include "ui/MessageBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

struct GridShape
{
    int kind;
    std::array<int, 3> widths;
    QSize size;
};

// The grids stand side by side from the right: users, classifications, rights.
constexpr GridShape kUsersShape{CUsersDlg::kUsersKind, {0, 0, 150}, {185, 270}};
constexpr GridShape kClassesShape{CUsersDlg::kClassesKind, {40, 0, 155}, {225, 270}};
constexpr GridShape kRightsShape{CUsersDlg::kRightsKind, {0, 0, 210}, {240, 270}};

const QColor kUnmarked(255, 255, 255);

CGridCtrl *makeGrid(QWidget *parent, const GridShape &shape, const QString &title, const QString &objectName)
{
    auto *grid = new CGridCtrl(parent);
    grid->setObjectName(objectName);
    grid->setGridKind(shape.kind);
    grid->setColumnCount(int(shape.widths.size()));
    grid->setFixedRowCount(1);
    grid->setFixedColumnCount(0);
    grid->setRowCount(1);
    grid->setColumns(shape.widths);
    grid->setText(0, 0, u" "_s);
    grid->setText(0, 1, u" "_s);
    grid->setText(0, CUsersDlg::kNameColumn, title);
    grid->setEditable(false);
    grid->setRowSelection(true);
    grid->setFixedSize(shape.size);
    return grid;
}

} // namespace

CUsersDlg::CUsersDlg(Database db, QWidget *parent)
    : QDialog(parent)
    , m_db(std::move(db))
{
    setObjectName(u"CUsersDlg192"_s);
    setWindowTitle(tr("المستخدمين"));
    setLayoutDirection(Qt::RightToLeft);

    buildGrids();

    m_name = new QLineEdit(this);
    m_name->setObjectName(u"user1001"_s);
    m_password = new QLineEdit(this);
    m_password->setObjectName(u"password1000"_s);
    // The stored password is a hash: the box only takes a new one and never shows what is kept.
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setPlaceholderText(tr("تبقى كلمة المرور كما هي ما لم تكتب جديدة"));
    m_password->setMinimumWidth(m_password->fontMetrics().horizontalAdvance(m_password->placeholderText()) + 24);
    m_loaded = new QLineEdit(this);
    m_loaded->setObjectName(u"loaded1002"_s);
    m_loaded->setReadOnly(true);

    auto *boxes = new QGridLayout;
    boxes->addWidget(new QLabel(tr("المستخدم"), this), 0, 0);
    boxes->addWidget(m_name, 0, 1);
    boxes->addWidget(new QLabel(tr("كلمة المرور"), this), 0, 2);
    boxes->addWidget(m_password, 0, 3);
    boxes->addWidget(m_loaded, 0, 4);
    boxes->setColumnStretch(1, 2);
    boxes->setColumnStretch(3, 3);
    boxes->setColumnStretch(4, 2);

    // The print-shop permissions are shown, since the print-shop dialog opens for whoever holds
    // one of them.
    auto *workflow = new QGroupBox(tr("متابعة أعمال المطبعة"), this);
    auto *checks = new QHBoxLayout(workflow);
    for (int i = 0; i < kWorkflowCount; ++i) {
        m_workflow[i] = new QCheckBox(workflowCaption(i), workflow);
        m_workflow[i]->setObjectName(u"workflow%1"_s.arg(1003 + i));
        checks->addWidget(m_workflow[i]);
    }
    checks->addStretch();

    m_new = new QPushButton(tr("جديد"), this);
    m_new->setObjectName(u"new1058"_s);
    m_save = new QPushButton(tr("حفظ"), this);
    m_save->setObjectName(u"save3"_s);
    m_save->setDefault(true);
    m_edit = new QPushButton(tr("تعديل"), this);
    m_edit->setObjectName(u"edit1059"_s);
    m_close = new QPushButton(tr("اغلاق"), this);
    m_close->setObjectName(u"close4"_s);
    for (QPushButton *b : {m_new, m_save, m_edit, m_close})
        b->setAutoDefault(false);
    m_save->setAutoDefault(true);
    connect(m_new, &QPushButton::clicked, this, &CUsersDlg::newUser);
    connect(m_save, &QPushButton::clicked, this, &CUsersDlg::saveNew);
    connect(m_edit, &QPushButton::clicked, this, &CUsersDlg::saveChanges);
    connect(m_close, &QPushButton::clicked, this, &CUsersDlg::reject);

    auto *grids = new QHBoxLayout;
    grids->addWidget(m_users);
    grids->addWidget(m_classes);
    grids->addWidget(m_rights);
    grids->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_new);
    buttons->addWidget(m_save);
    buttons->addWidget(m_edit);
    buttons->addStretch();
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(grids);
    layout->addLayout(boxes);
    layout->addWidget(workflow);
    layout->addLayout(buttons);

    fillUsers();
    fillClasses();
    m_edit->setEnabled(false);
    m_users->setFocus();
}

void CUsersDlg::buildGrids()
{
    m_users = makeGrid(this, kUsersShape, tr("المستخدم"), u"users100"_s);
    m_classes = makeGrid(this, kClassesShape, tr("التصنيفات / الارشيف"), u"classes170"_s);
    m_rights = makeGrid(this, kRightsShape, tr("الصلاحيات"), u"rights170"_s);

    m_rights->setRowCount(kRightCount + 1);
    for (int i = 0; i < kRightCount; ++i) {
        m_rights->setText(i + 1, kNameColumn, rightCaption(i));
        setMark(m_rights, i + 1, false);
    }
    // Every right in view without scrolling; the other grids stand as tall.
    const int height = m_rights->rowHeight(0) + kRightCount * m_rights->rowHeight(1) + 2 * m_rights->frameWidth();
    for (CGridCtrl *grid : {m_users, m_classes, m_rights}) {
        grid->setFixedHeight(std::max(grid->height(), height));
        connect(grid, &CGridCtrl::cellDoubleClicked, this, &CUsersDlg::onDoubleClick);
        grid->installEventFilter(this);
    }
}

void CUsersDlg::fillUsers()
{
    const Result<QList<UserRow>> users = CUserSet(m_db).all();
    if (!users) {
        MessageBox::critical(this, users.error());
        return;
    }
    m_users->beginBatch();
    m_users->setRowCount(int(users->size()) + 1);
    for (int i = 0; i < users->size(); ++i)
        m_users->setText(i + 1, kNameColumn, users->at(i).user);
    m_users->endBatch();
}

void CUsersDlg::fillClasses()
{
    const Result<QList<ClassRow>> classes = CClaSet(m_db).all();
    if (!classes) {
        MessageBox::critical(this, classes.error());
        return;
    }
    m_classes->beginBatch();
    m_classes->setRowCount(int(classes->size()) + 1);
    m_classMarks = QList<bool>(classes->size(), false);
    for (int i = 0; i < classes->size(); ++i) {
        m_classes->setText(i + 1, kCodeColumn, classes->at(i).codeText);
        m_classes->setText(i + 1, kNameColumn, classes->at(i).name);
        setMark(m_classes, i + 1, false);
    }
    m_classes->endBatch();
}

bool CUsersDlg::isMarked(const CGridCtrl *grid, int row) const
{
    return grid->background(row, kNameColumn) == QColor(Palette::kMarked);
}

void CUsersDlg::setMark(CGridCtrl *grid, int row, bool marked)
{
    if (row < 1 || row >= grid->rowCount())
        return;
    if (grid == m_rights && row <= kRightCount)
        m_rightMarks[row - 1] = marked;
    else if (grid == m_classes && row <= m_classMarks.size())
        m_classMarks[row - 1] = marked;
    else
        return;
    grid->setBackground(row, kNameColumn, marked ? QColor(Palette::kMarked) : kUnmarked);
}

void CUsersDlg::toggleMark(CGridCtrl *grid, int row)
{
    if (grid == m_rights && row >= 1 && row <= kRightCount)
        setMark(grid, row, !m_rightMarks[row - 1]);
    else if (grid == m_classes && row >= 1 && row <= m_classMarks.size())
        setMark(grid, row, !m_classMarks[row - 1]);
}

void CUsersDlg::onDoubleClick(int row, int, int kind)
{
    switch (kind) {
    case kUsersKind: chooseUser(row); break;
    case kRightsKind: toggleMark(m_rights, row); break;
    case kClassesKind: toggleMark(m_classes, row); break;
    default: break;
    }
}

// The space bar does for the current row what a double-click does, so the form works from the
// keyboard.
bool CUsersDlg::eventFilter(QObject *watched, QEvent *event)
{
    auto *grid = qobject_cast<CGridCtrl *>(watched);
    if (grid && event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space) {
        if (grid->currentRow() >= 1)
            onDoubleClick(grid->currentRow(), kNameColumn, grid->gridKind());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

UserForm CUsersDlg::readForm() const
{
    UserForm form;
    form.name = m_name->text();
    form.password = m_password->text();
    form.rights = m_rightMarks;
    for (int i = 0; i < m_classMarks.size(); ++i) {
        if (m_classMarks[i])
            form.classCodes << m_classes->text(i + 1, kCodeColumn);
    }
    for (int i = 0; i < kWorkflowCount; ++i)
        form.workflow[i] = m_workflow[i]->isChecked();
    return form;
}

void CUsersDlg::showForm(const UserForm &form)
{
    for (int i = 0; i < kRightCount; ++i)
        setMark(m_rights, i + 1, form.rights[i]);
    const QString access = accessListOf(form.classCodes);
    for (int i = 0; i < m_classMarks.size(); ++i)
        setMark(m_classes, i + 1, allowsCode(access, m_classes->text(i + 1, kCodeColumn)));
    for (int i = 0; i < kWorkflowCount; ++i)
        m_workflow[i]->setChecked(form.workflow[i]);
}

void CUsersDlg::chooseUser(int row)
{
    if (row < 1 || row >= m_users->rowCount())
        return;
    const QString name = m_users->text(row, kNameColumn);
    const Result<std::optional<UserRow>> found = CUserSet(m_db).byName(name);
    if (!found) {
        MessageBox::critical(this, found.error());
        return;
    }
    if (!found->has_value()) {
        MessageBox::warning(this, userGoneMessage(name));
        return;
    }
    m_name->setText(name);
    m_loaded->setText(name);
    m_password->clear();
    showForm(formOf(**found));
    m_name->setEnabled(name != QStringView(kMasterUser));
    m_new->setEnabled(true);
    m_edit->setEnabled(true);
}

void CUsersDlg::newUser()
{
    m_name->clear();
    m_password->clear();
    for (int i = 0; i < kRightCount; ++i)
        setMark(m_rights, i + 1, false);
    // The classification marks and the workflow boxes stay: a new user starts with those of the
    // user shown before.
    m_name->setEnabled(true);
    m_new->setEnabled(false);
    m_edit->setEnabled(false);
    m_name->setFocus();
}

void CUsersDlg::saveNew()
{
    const UserForm form = readForm();
    const Result<qint32> id = addUser(m_db, form);
    if (!id) {
        if (id.refused())
            MessageBox::warning(this, id.error());
        else
            MessageBox::critical(this, id.error());
        return;
    }
    const int row = m_users->appendRow();
    m_users->setText(row, kNameColumn, form.name.trimmed());
    m_new->setEnabled(true);
}

void CUsersDlg::saveChanges()
{
    const QString loaded = m_loaded->text();
    const UserForm form = readForm();
    if (Status s = changeUser(m_db, loaded, form); !s) {
        if (s.refused())
            MessageBox::warning(this, s.error());
        else
            MessageBox::critical(this, s.error());
        return;
    }
    const QString name = form.name.trimmed();
    for (int row = 1; row < m_users->rowCount(); ++row) {
        if (m_users->text(row, kNameColumn) == loaded) {
            m_users->setText(row, kNameColumn, name);
            break;
        }
    }
    m_loaded->setText(name);
    m_name->setText(name);
    m_password->clear();
}
