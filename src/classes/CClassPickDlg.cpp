#include "CClassPickDlg.h"

#include "CClassesDlg.h"
#include "db/CClaSet.h"
#include "ui/CGridCtrl.h"
#include "ui/MessageBox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kListWidth = 198;
constexpr int kListHeight = 170;

} // namespace

CClassPickDlg::CClassPickDlg(Database db, QWidget *parent)
    : QDialog(parent), m_db(std::move(db)), m_list(new CGridCtrl(this)), m_filter(new QLineEdit(this)),
      m_ok(makeButton(tr("موافق"))), m_cancel(makeButton(tr("الغاء")))
{
    setWindowTitle(QString());
    setLayoutDirection(Qt::RightToLeft);
    setModal(false);
    m_ok->hide();
    m_cancel->hide();

    CClassesDlg::setUpList(m_list, kListGridKind);
    m_list->setFixedWidth(kListWidth);
    m_list->setMinimumHeight(kListHeight);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_filter);

    connect(m_ok, &QPushButton::clicked, this, &CClassPickDlg::applyFilter);
    connect(m_cancel, &QPushButton::clicked, this, &CClassPickDlg::reject);
    connect(m_list, &CGridCtrl::cellDoubleClicked, this, [this](int row, int, int kind) {
        // The header row chooses nothing.
        if (kind != kListGridKind || row < m_list->fixedRowCount() || row >= m_list->rowCount())
            return;
        emit classificationChosen(m_list->text(row, CClassesDlg::kCodeColumn),
                                  m_list->text(row, CClassesDlg::kNameColumn));
    });

    reload();
}

QPushButton *CClassPickDlg::makeButton(const QString &text)
{
    auto *b = new QPushButton(text, this);
    b->setAutoDefault(false);
    return b;
}

QLineEdit *CClassPickDlg::field(int id) const
{
    return id == 1000 ? m_filter : nullptr;
}

QPushButton *CClassPickDlg::button(int id) const
{
    switch (id) {
    case 1: return m_ok;
    case 2: return m_cancel;
    default: return nullptr;
    }
}

void CClassPickDlg::reload()
{
    const Result<QList<ClassRow>> rows = CClaSet(m_db).all();
    if (!rows) {
        m_list->removeNonFixedRows();
        MessageBox::critical(this, rows.error());
        return;
    }
    CClassesDlg::fillList(m_list, *rows);
}

void CClassPickDlg::showPicker()
{
    reload();
    showNormal();
    raise();
    activateWindow();
}

void CClassPickDlg::applyFilter()
{
    CClassesDlg::filterList(m_list, m_filter->text());
}

void CClassPickDlg::keyPressEvent(QKeyEvent *event)
{
    // Enter filters (the hidden OK button's command), whatever has the focus.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        m_ok->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
