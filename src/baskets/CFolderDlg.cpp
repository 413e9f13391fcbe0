#include "CFolderDlg.h"

#include "ui/FileDialog.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {
std::function<void(const QString &)> g_opener;
} // namespace

void CFolderDlg::setFolderOpener(std::function<void(const QString &)> opener)
{
    g_opener = std::move(opener);
}

CFolderDlg::CFolderDlg(QWidget *parent)
    : QDialog(parent)
    , m_folder(new QLineEdit(this))
    , m_browse(new QPushButton(u"....."_s, this))
    , m_open(new QCheckBox(u"Open Folder"_s, this))
{
    setWindowTitle(tr("نسخ الى مجلد"));
    setLayoutDirection(Qt::RightToLeft);

    auto *row = new QHBoxLayout;
    row->addWidget(m_folder, 1);
    row->addWidget(m_browse);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(u"OK"_s, QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(u"Cancel"_s, QDialogButtonBox::RejectRole);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_open);
    layout->addWidget(buttons);
    m_folder->setMinimumWidth(320);
    // Paths read left to right even in the Arabic dialog.
    m_folder->setLayoutDirection(Qt::LeftToRight);

    connect(m_browse, &QPushButton::clicked, this, &CFolderDlg::browse);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFolderDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFolderDlg::reject);
}

QString CFolderDlg::folder() const
{
    return m_folder->text();
}

void CFolderDlg::browse()
{
    const QString chosen = FileDialog::chooseFolder(this, tr("اختيار مجلد..."));
    if (!chosen.isEmpty())
        m_folder->setText(QDir::toNativeSeparators(chosen));
}

void CFolderDlg::accept()
{
    const QString path = folder();
    // One level only, as a typed path names one new folder; a failure shows later, when the
    // copier cannot write there.
    if (!path.isEmpty())
        QDir().mkdir(path);
    if (m_open->isChecked() && !path.isEmpty()) {
        if (g_opener)
            g_opener(path);
        else
            QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
    QDialog::accept();
}
