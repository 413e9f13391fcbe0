#include "CClassesDlg.h"

#include "base/Palette.h"
#include "db/CClaSet.h"
#include "ui/CGridCtrl.h"
#include "ui/MessageBox.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <iterator>

using namespace Qt::Literals::StringLiterals;

namespace {

// Code (the fixed column), serial (hidden) and name.
const int kListColumnWidths[] = {35, 0, 135};
constexpr int kListColumns = int(std::size(kListColumnWidths));
constexpr int kClassListWidth = 200;
constexpr int kClassListHeight = 150;
constexpr int kParentCodeWidth = 60;
// Tall enough for the list to show a dozen classifications without scrolling.
constexpr int kInitialHeight = 340;

bool isEnter(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

CClassesDlg::CClassesDlg(const AppState &state, Database db, QWidget *parent)
    : QDialog(parent), m_state(state), m_db(std::move(db)), m_editor(m_db), m_list(new CGridCtrl(this)),
      m_number(new QLineEdit(this)), m_parentCode(new QLineEdit(this)), m_parentName(new QLineEdit(this)),
      m_code(new QLineEdit(this)), m_name(new QLineEdit(this)), m_notes(new QLineEdit(this)),
      m_filter(new QLineEdit(this)), m_first(makeButton(tr("الاول"))), m_previous(makeButton(tr("سابق"))),
      m_next(makeButton(tr("تالي"))), m_last(makeButton(tr("الاخير"))), m_new(makeButton(tr("جديد"))),
      m_add(makeButton(tr("اضافة"))), m_remove(makeButton(tr("حذف"))), m_edit(makeButton(tr("تعديل"))),
      m_search(makeButton(tr("بحث"))), m_cancel(makeButton(tr("الغاء")))
{
    setWindowTitle(tr("التصنيفات -الارشيف الجزئي"));
    setLayoutDirection(Qt::RightToLeft);
    setModal(false);
    m_number->setReadOnly(true);
    m_parentCode->setFixedWidth(kParentCodeWidth);
    m_search->hide();
    m_cancel->hide();

    setUpList(m_list, kListGridKind);
    m_list->setFixedWidth(kClassListWidth);
    m_list->setMinimumHeight(kClassListHeight);
    m_list->installEventFilter(this);
    m_parentCode->installEventFilter(this);

    auto *parentRow = new QHBoxLayout;
    parentRow->addWidget(m_parentName, 1);
    parentRow->addWidget(m_parentCode);
    auto *form = new QFormLayout;
    form->addRow(tr("الرقم"), m_number);
    form->addRow(tr("التصنيف الرئيسي"), parentRow);
    form->addRow(tr("الرمز"), m_code);
    form->addRow(tr("الاسم"), m_name);
    form->addRow(tr("ملاحظات"), m_notes);

    auto *moves = new QHBoxLayout;
    for (QPushButton *b : {m_first, m_previous, m_next, m_last})
        moves->addWidget(b);
    auto *commands = new QHBoxLayout;
    for (QPushButton *b : {m_new, m_add, m_remove, m_edit})
        commands->addWidget(b);

    auto *fields = new QVBoxLayout;
    fields->addLayout(form);
    fields->addStretch();
    fields->addLayout(moves);
    fields->addLayout(commands);

    auto *listColumn = new QVBoxLayout;
    listColumn->addWidget(m_list, 1);
    listColumn->addWidget(m_filter);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(listColumn);
    layout->addLayout(fields, 1);
    resize(sizeHint().width(), kInitialHeight);

    connect(m_first, &QPushButton::clicked, this, [this] { finish(run(&ClassEditor::first)); });
    connect(m_previous, &QPushButton::clicked, this, [this] { finish(run(&ClassEditor::previous)); });
    connect(m_next, &QPushButton::clicked, this, [this] { finish(run(&ClassEditor::next)); });
    connect(m_last, &QPushButton::clicked, this, [this] { finish(run(&ClassEditor::last)); });
    connect(m_new, &QPushButton::clicked, this, &CClassesDlg::clearFields);
    connect(m_add, &QPushButton::clicked, this, &CClassesDlg::addClassification);
    connect(m_remove, &QPushButton::clicked, this, &CClassesDlg::removeClassification);
    connect(m_edit, &QPushButton::clicked, this, &CClassesDlg::editClassification);
    connect(m_search, &QPushButton::clicked, this, &CClassesDlg::applyFilter);
    connect(m_cancel, &QPushButton::clicked, this, &CClassesDlg::reject);
    connect(m_list, &CGridCtrl::cellDoubleClicked, this, [this](int row, int, int kind) {
        if (kind == kListGridKind)
            showClassification(row);
    });

    reload();
}

QPushButton *CClassesDlg::makeButton(const QString &text)
{
    auto *b = new QPushButton(text, this);
    // Enter filters the list whichever control has the focus; a button never takes it.
    b->setAutoDefault(false);
    return b;
}

QLineEdit *CClassesDlg::field(int id) const
{
    switch (id) {
    case 1000: return m_code;
    case 1001: return m_name;
    case 1002: return m_parentName;
    case 1003: return m_notes;
    case 1004: return m_number;
    case 1005: return m_filter;
    case 1006: return m_parentCode;
    default: return nullptr;
    }
}

QPushButton *CClassesDlg::button(int id) const
{
    switch (id) {
    case 1: return m_search;
    case 2: return m_cancel;
    case 1048: return m_first;
    case 1049: return m_previous;
    case 1073: return m_next;
    case 1074: return m_last;
    case 1078: return m_add;
    case 1079: return m_remove;
    case 1080: return m_edit;
    case 1081: return m_new;
    default: return nullptr;
    }
}

// --- the classification list --------------------------------------------------------------------

void CClassesDlg::setUpList(CGridCtrl *list, int gridKind)
{
    list->setGridKind(gridKind);
    list->setColumnCount(kListColumns);
    list->setRowCount(1);
    list->setFixedRowCount(1);
    list->setFixedColumnCount(1);
    list->setEditable(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setDefaultRowHeight(kListRowHeight);
    for (int column = 0; column < kListColumns; ++column)
        list->setColumnWidth(column, kListColumnWidths[column]);
    list->setText(0, kCodeColumn, QString());
    list->setText(0, kNumberColumn, tr("الرقم"));
    list->setText(0, kNameColumn, tr("التصنيف"));
}

void CClassesDlg::fillList(CGridCtrl *list, const QList<ClassRow> &rows)
{
    list->beginBatch();
    list->removeNonFixedRows();
    list->setRowCount(int(rows.size()) + 1);
    for (int i = 0; i < rows.size(); ++i) {
        const ClassRow &r = rows[i];
        list->setText(i + 1, kCodeColumn, r.codeText);
        list->setText(i + 1, kNumberColumn, r.serialText);
        list->setText(i + 1, kNameColumn, r.name);
    }
    list->endBatch();
}

void CClassesDlg::filterList(CGridCtrl *list, const QString &text)
{
    list->beginBatch();
    for (int row = list->fixedRowCount(); row < list->rowCount(); ++row)
        list->setRowHeight(row, list->text(row, kNameColumn).contains(text) ? kListRowHeight : 0);
    list->endBatch();
}

void CClassesDlg::reload()
{
    const Result<QList<ClassRow>> rows = CClaSet(m_db).all();
    if (!rows) {
        MessageBox::critical(this, rows.error(), windowTitle());
        return;
    }
    fillList(m_list, *rows);
    m_list->beginBatch();
    for (int row = m_list->fixedRowCount(); row < m_list->rowCount(); ++row)
        markRow(row);
    m_list->endBatch();
}

void CClassesDlg::markRow(int row)
{
    // The access list holds every permitted code between "@"s: "@12@305@".
    const QString code = m_list->text(row, kCodeColumn);
    const bool permitted = m_state.classAccess.contains(u'@' + code + u'@');
    m_list->setBackground(row, kNameColumn, permitted ? QColor(Palette::kMarked) : QColor());
}

int CClassesDlg::rowOfSerial(qint32 serial) const
{
    const QString number = QString::number(serial);
    for (int row = m_list->fixedRowCount(); row < m_list->rowCount(); ++row) {
        if (m_list->text(row, kNumberColumn) == number)
            return row;
    }
    return -1;
}

void CClassesDlg::applyFilter()
{
    filterList(m_list, m_filter->text());
}

// --- fields and commands ------------------------------------------------------------------------

void CClassesDlg::readFields()
{
    ClassEditor::Fields &f = m_editor.fields();
    f.number = m_number->text();
    f.parentCode = m_parentCode->text();
    f.parentName = m_parentName->text();
    f.code = m_code->text();
    f.name = m_name->text();
    f.notes = m_notes->text();
    f.filter = m_filter->text();
}

void CClassesDlg::writeFields()
{
    const ClassEditor::Fields &f = m_editor.fields();
    m_number->setText(f.number);
    m_parentCode->setText(f.parentCode);
    m_parentName->setText(f.parentName);
    m_code->setText(f.code);
    m_name->setText(f.name);
    m_notes->setText(f.notes);
    m_filter->setText(f.filter);
}

ClassEditor::Outcome CClassesDlg::run(ClassEditor::Outcome (ClassEditor::*command)())
{
    readFields();
    const ClassEditor::Outcome outcome = (m_editor.*command)();
    writeFields();
    return outcome;
}

void CClassesDlg::report(const ClassEditor::Outcome &outcome)
{
    switch (outcome.kind) {
    case ClassEditor::Outcome::Message:
        MessageBox::information(this, outcome.message, windowTitle());
        break;
    case ClassEditor::Outcome::Warning:
        MessageBox::warning(this, outcome.message, windowTitle());
        break;
    case ClassEditor::Outcome::Failed:
        MessageBox::critical(this, outcome.message, windowTitle());
        break;
    case ClassEditor::Outcome::Done:
    case ClassEditor::Outcome::Nothing:
        break;
    }
}

void CClassesDlg::finish(const ClassEditor::Outcome &outcome)
{
    report(outcome);
    if (outcome.treeChanged)
        emit treeChanged();
}

void CClassesDlg::showClassification(int row)
{
    if (row < m_list->fixedRowCount() || row >= m_list->rowCount())
        return;
    readFields();
    const ClassEditor::Outcome outcome = m_editor.show(m_list->text(row, kNumberColumn).toInt());
    writeFields();
    report(outcome);
}

void CClassesDlg::pickParent(int row)
{
    if (row < m_list->fixedRowCount() || row >= m_list->rowCount())
        return;
    readFields();
    m_editor.pickParent(m_list->text(row, kCodeColumn), m_list->text(row, kNameColumn));
    writeFields();
}

void CClassesDlg::lookUpParent()
{
    readFields();
    m_editor.lookUpParent();
    writeFields();
}

void CClassesDlg::clearFields()
{
    readFields();
    m_editor.clear();
    writeFields();
}

void CClassesDlg::addClassification()
{
    // The add empties the fields, failed or not; the new list row takes what was typed.
    const QString code = m_code->text();
    const QString name = m_name->text();
    const ClassEditor::Outcome outcome = run(&ClassEditor::add);
    if (outcome.kind == ClassEditor::Outcome::Done) {
        const int row = m_list->appendRow();
        m_list->setText(row, kCodeColumn, code);
        m_list->setText(row, kNumberColumn, QString::number(outcome.serial));
        m_list->setText(row, kNameColumn, name);
        markRow(row);
    }
    finish(outcome);
}

void CClassesDlg::editClassification()
{
    const QString code = m_code->text();
    const QString name = m_name->text();
    const ClassEditor::Outcome outcome = run(&ClassEditor::edit);
    if (outcome.kind == ClassEditor::Outcome::Done) {
        const int row = rowOfSerial(outcome.serial);
        if (row >= 0) {
            // The code may have changed too; a stale code would pick the wrong parent with "0".
            m_list->setText(row, kCodeColumn, code);
            m_list->setText(row, kNameColumn, name);
            markRow(row);
        }
    }
    finish(outcome);
}

void CClassesDlg::removeClassification()
{
    const ClassEditor::Outcome outcome = run(&ClassEditor::remove);
    // Only a deletion names the row it removed.
    if (outcome.treeChanged && outcome.serial > 0) {
        const int row = rowOfSerial(outcome.serial);
        if (row >= 0)
            m_list->removeRow(row);
    }
    finish(outcome);
}

// --- keys and focus -----------------------------------------------------------------------------

bool CClassesDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        // "0" typed on a row makes that classification the parent of the next add.
        if (static_cast<QKeyEvent *>(event)->text() == u"0"_s) {
            pickParent(m_list->currentRow());
            return true;
        }
    } else if (watched == m_parentCode && event->type() == QEvent::FocusOut) {
        lookUpParent();
    }
    return QDialog::eventFilter(watched, event);
}

void CClassesDlg::keyPressEvent(QKeyEvent *event)
{
    // Enter runs the hidden search button, whatever has the focus.
    if (isEnter(event)) {
        m_search->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
