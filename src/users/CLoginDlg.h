#pragma once

#include "base/AppState.h"
#include "db/Database.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;

// The login form, shown before the main window is built. It returns only after a successful
// login; cancelling it ends the process with status 0 and writes nothing.
class CLoginDlg : public QDialog
{
    Q_OBJECT

public:
    CLoginDlg(AppState &state, Database db, QWidget *parent = nullptr);

    // What cancelling does; the process ends by default.
    void setCancelHandler(std::function<void()> handler) { m_onCancel = std::move(handler); }

    QLineEdit *userBox() const { return m_user; }
    QLineEdit *passwordBox() const { return m_password; }
    QCheckBox *helpBox() const { return m_help; }

    void accept() override;
    void reject() override;

private:
    AppState &m_state;
    Database m_db;
    QLineEdit *m_user;
    QLineEdit *m_password;
    QCheckBox *m_help;
    std::function<void()> m_onCancel;
};
