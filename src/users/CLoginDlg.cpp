#include "CLoginDlg.h"

#include "Login.h"
#include "UserAdmin.h"
#include "ui/MessageBox.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

CLoginDlg::CLoginDlg(AppState &state, Database db, QWidget *parent)
    : QDialog(parent), m_state(state), m_db(std::move(db)), m_user(new QLineEdit(this)),
      m_password(new QLineEdit(this)), m_help(new QCheckBox(tr("عرض ملف المساعدة"), this)),
      m_onCancel([] { std::exit(0); })
{
    setWindowTitle(QString());
    setLayoutDirection(Qt::RightToLeft);
    setWindowIcon(QIcon(u":/icons/dovrelle.png"_s));

    // The name box shows and sends every letter in upper case.
    connect(m_user, &QLineEdit::textEdited, this, [this](const QString &text) {
        const QString upper = text.toUpper();
        if (upper != text) {
            const int cursor = m_user->cursorPosition();
            m_user->setText(upper);
            m_user->setCursorPosition(cursor);
        }
    });
    m_password->setEchoMode(QLineEdit::Password);

    auto *picture = new QLabel(this);
    picture->setPixmap(QIcon(u":/icons/dovrelle.png"_s).pixmap(64, 64));
    picture->setAlignment(Qt::AlignTop);

    auto *form = new QFormLayout;
    form->addRow(tr("المستخدم:"), m_user);
    form->addRow(tr("كلمة المرور:"), m_password);
    form->addRow(QString(), m_help);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(tr("موافق"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("الغاء"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CLoginDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CLoginDlg::reject);

    auto *top = new QHBoxLayout;
    top->addWidget(picture);
    top->addLayout(form, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);

    m_user->setText(RememberedUser::read(m_state.programFolder).toUpper());
    m_password->setText(QString::fromLatin1(kDefaultPassword));
    m_help->setChecked(false);
    setMinimumWidth(360);
}

void CLoginDlg::accept()
{
    const QString name = m_user->text().toUpper();
    const Login::Answer answer = Login::attempt(m_state, m_db, name, m_password->text(), m_help->isChecked());
    switch (answer.outcome) {
    case Login::Outcome::Accepted:
        QDialog::accept();
        return;
    case Login::Outcome::UnknownUser:
        MessageBox::information(this, answer.message);
        m_user->clear();
        m_user->setFocus();
        return;
    case Login::Outcome::WrongPassword:
        MessageBox::information(this, answer.message);
        m_password->clear();
        m_password->setFocus();
        return;
    case Login::Outcome::Failed:
        MessageBox::critical(this, answer.message);
        return;
    }
}

void CLoginDlg::reject()
{
    m_onCancel();
}
