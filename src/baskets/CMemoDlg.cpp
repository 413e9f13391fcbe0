#include "CMemoDlg.h"

#include "db/CUserSet.h"
#include "ui/DateBox.h"
#include "ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

QDateTimeEdit *makeDatePicker(QWidget *parent, const QString &name)
{
    QDateTimeEdit *picker = DateBox::dateTime(parent);
    picker->setObjectName(name);
    return picker;
}

} // namespace

CMemoDlg::CMemoDlg(Database db, const MemoTarget &target, QWidget *parent)
    : QDialog(parent)
    , m_store(db)
    , m_target(target)
{
    setObjectName(u"CMemoDlg209"_s);
    setLayoutDirection(Qt::RightToLeft);

    m_entry = makeDatePicker(this, u"entry1037"_s);
    // The entry date belongs to the archived item; the memo only shows it.
    m_entry->setReadOnly(true);
    m_reminder = makeDatePicker(this, u"reminder1038"_s);
    m_addressee = new QComboBox(this);
    m_addressee->setObjectName(u"addressee1010"_s);
    m_addressee->setEditable(true);
    m_addressee->setInsertPolicy(QComboBox::NoInsert);
    m_notes = new QPlainTextEdit(this);
    m_notes->setObjectName(u"notes1000"_s);
    m_notes->setTabChangesFocus(true);
    m_remind = new QCheckBox(tr("تذكير"), this);
    m_remind->setObjectName(u"remind1002"_s);
    m_save = new QPushButton(tr("حفظ"), this);
    m_save->setObjectName(u"save1"_s);
    connect(m_save, &QPushButton::clicked, this, &CMemoDlg::save);
    m_status = new QLabel(this);
    m_status->setObjectName(u"status"_s);

    auto *entryLabel = new QLabel(tr("تاريخ الادخال"), this);
    entryLabel->setBuddy(m_entry);
    auto *reminderLabel = new QLabel(tr("تاريخ التذكير"), this);
    reminderLabel->setBuddy(m_reminder);
    auto *notesLabel = new QLabel(tr("الملاحظات"), this);
    notesLabel->setBuddy(m_notes);

    auto *fields = new QGridLayout;
    fields->addWidget(entryLabel, 0, 0);
    fields->addWidget(m_entry, 0, 1);
    fields->addWidget(reminderLabel, 1, 0);
    fields->addWidget(m_reminder, 1, 1);
    fields->addWidget(m_addressee, 2, 0, 1, 2);
    fields->addWidget(notesLabel, 3, 0, 1, 2);
    fields->addWidget(m_notes, 4, 0, 1, 2);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_remind);
    bottom->addStretch();
    bottom->addWidget(m_save);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(bottom);
    layout->addWidget(m_status);

    setTabOrder(m_addressee, m_notes);
    setTabOrder(m_notes, m_reminder);
    setTabOrder(m_reminder, m_remind);
    setTabOrder(m_remind, m_save);

    fillAddressees();
    load();
    m_addressee->setFocus();

    // What was saved is said until the user changes something again.
    const auto unsaved = [this] { m_status->clear(); };
    connect(m_addressee, &QComboBox::editTextChanged, this, unsaved);
    connect(m_notes, &QPlainTextEdit::textChanged, this, unsaved);
    connect(m_reminder, &QDateTimeEdit::dateTimeChanged, this, unsaved);
    connect(m_remind, &QCheckBox::toggled, this, unsaved);
}

void CMemoDlg::fillAddressees()
{
    const Result<QList<UserRow>> users = CUserSet(m_store.database()).all();
    if (!users) {
        MessageBox::warning(this, users.error());
        return;
    }
    for (const UserRow &u : *users)
        m_addressee->addItem(u.user);
    // The combo shows the row's addressee, not the first user.
    m_addressee->setCurrentIndex(-1);
    m_addressee->setEditText({});
}

void CMemoDlg::load()
{
    const Status serial = MemoStore::checkRowNumber(m_target.serial);
    Result<MemoItem> item = serial ? m_store.read(m_target.serial) : Result<MemoItem>::failure(serial.error());
    if (!item) {
        // Nothing to show and nothing to write to: say so now rather than on save.
        m_save->setEnabled(false);
        MessageBox::warning(this, item.error());
        return;
    }
    m_serial = item->serial;
    setWindowTitle(item->caption());
    m_addressee->setEditText(item->memo.addressee);
    m_notes->setPlainText(item->memo.text);
    if (item->entered.isValid())
        m_entry->setDateTime(item->entered);
    if (item->memo.reminder.isValid())
        m_reminder->setDateTime(item->memo.reminder);
    m_remind->setChecked(item->memo.remind);
}

void CMemoDlg::save()
{
    if (!hasRow())
        return;
    Memo memo;
    memo.addressee = m_addressee->currentText();
    memo.text = m_notes->toPlainText();
    memo.reminder = m_reminder->dateTime();
    memo.remind = m_remind->isChecked();
    // A reminder for a name that is no user's reaches nobody; a slip of the keyboard should not
    // lose it unnoticed. The name is still stored as typed when the user says so.
    if (memo.remind && m_addressee->findText(memo.addressee, Qt::MatchFixedString) < 0) {
        const QString question =
            tr("لا يوجد مستخدم باسم \"%1\"؛ لن يرى أحد هذا التذكير. هل تريد الحفظ على أي حال؟").arg(memo.addressee);
        if (MessageBox::question(this, question) != QMessageBox::Yes)
            return;
    }
    if (Status s = m_store.write(m_serial, memo); !s) {
        m_status->clear();
        MessageBox::warning(this, s.error());
        return;
    }
    m_status->setText(tr("تم حفظ الملاحظة"));
}
