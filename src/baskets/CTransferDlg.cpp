#include "CTransferDlg.h"

#include "db/CUserSet.h"
#include "ui/CGridCtrl.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

// The grid's first two columns are kept at width 0: only the names show.
constexpr int kColumnWidths[] = {0, 0, 180};
constexpr QSize kTransferGridSize{195, 245};

} // namespace

CTransferDlg::CTransferDlg(AppState &state, Database db, const QString &file, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
    , m_db(std::move(db))
    , m_file(file)
{
    setObjectName(u"CTransferDlg172"_s);
    setLayoutDirection(Qt::RightToLeft);
    setWindowTitle(m_file);

    m_users = new CGridCtrl(this);
    m_users->setObjectName(u"users"_s);
    m_users->setGridKind(kGridKind);
    m_users->setColumnCount(int(std::size(kColumnWidths)));
    m_users->setFixedRowCount(1);
    m_users->setFixedColumnCount(0);
    m_users->setRowCount(1);
    m_users->setColumns(kColumnWidths);
    m_users->setText(0, 0, u" "_s);
    m_users->setText(0, 1, u" "_s);
    m_users->setText(0, kUserColumn, tr("المستخدم"));
    m_users->setEditable(false);
    m_users->setFixedSize(kTransferGridSize);

    m_transfer = new QPushButton(tr("تحويل"), this);
    m_transfer->setObjectName(u"transfer1052"_s);
    m_transfer->setDefault(true);
    connect(m_transfer, &QPushButton::clicked, this, &CTransferDlg::transfer);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_transfer);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(m_users);
    layout->addLayout(buttons);

    fillUsers();
    m_users->setFocus();
}

void CTransferDlg::fillUsers()
{
    const Result<QList<UserRow>> users = CUserSet(m_db).all();
    if (!users) {
        MessageBox::critical(this, users.error());
        return;
    }
    m_users->beginBatch();
    m_users->setRowCount(int(users->size()) + 1);
    for (int i = 0; i < users->size(); ++i)
        m_users->setText(i + 1, kUserColumn, users->at(i).user);
    m_users->endBatch();
}

QStringList CTransferDlg::selectedUsers() const
{
    QStringList users;
    const GridCellRange range = m_users->selectedCellRange();
    for (int row = std::max(range.minRow, m_users->fixedRowCount()); range.isValid() && row <= range.maxRow; ++row) {
        if (m_users->isCellSelected(row, kUserColumn))
            users.append(m_users->text(row, kUserColumn));
    }
    return users;
}

void CTransferDlg::transfer()
{
    const QStringList users = selectedUsers();
    if (!users.isEmpty()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto ask = [this](const QString &text, const QString &title) {
            // The question waits for the user, not the program: the normal pointer while it shows.
            QApplication::restoreOverrideCursor();
            const auto answer = MessageBox::question(this, text, title,
                                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                                     QMessageBox::No);
            QApplication::setOverrideCursor(Qt::WaitCursor);
            switch (answer) {
            case QMessageBox::Yes: return CFileOperation::Answer::Yes;
            case QMessageBox::Cancel: return CFileOperation::Answer::Cancel;
            default: return CFileOperation::Answer::No;
            }
        };
        m_deliveries = transferFile(m_state.databaseFolder, m_file, users, ask);
        QApplication::restoreOverrideCursor();
        // The sender must know who did not get the file; the others have it already.
        const QString report = undeliveredReport(m_deliveries);
        if (!report.isEmpty())
            MessageBox::warning(this, report);
    }
    accept();
}
