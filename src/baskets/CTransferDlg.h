#pragma once

#include "base/AppState.h"
#include "baskets/Transfer.h"
#include "db/Database.h"

#include <QDialog>

class CGridCtrl;
class QPushButton;

// The transfer dialog, which sends a file to other users.
//
// Sends one file to the users chosen in the users grid: a copy goes into each one's received-files
// folder. The caption is the file being sent.
class CTransferDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kGridKind = 101;
    static constexpr int kUserColumn = 2;

    CTransferDlg(AppState &state, Database db, const QString &file, QWidget *parent = nullptr);

    CGridCtrl *usersGrid() const { return m_users; }
    QPushButton *transferButton() const { return m_transfer; }
    // The outcome of the last transfer, for the caller and for tests.
    const QList<Delivery> &deliveries() const { return m_deliveries; }

    // The stored names of the selected rows, top to bottom.
    QStringList selectedUsers() const;
    void transfer();

private:
    void fillUsers();

    AppState &m_state;
    Database m_db;
    QString m_file;
    CGridCtrl *m_users;
    QPushButton *m_transfer;
    QList<Delivery> m_deliveries;
};
