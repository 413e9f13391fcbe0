#include "FilePropertiesDlg.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

bool g_askFileManager = true;

QString propertyDateText(const QDateTime &t)
{
    if (!t.isValid())
        return QCoreApplication::translate("FilePropertiesDlg", "غير معروف");
    return QLocale::c().toString(t.toLocalTime(), u"dd-MM-yyyy hh:mm AP"_s);
}

} // namespace

FilePropertiesDlg::FilePropertiesDlg(const FileProperties &p, QWidget *parent) : QDialog(parent)
{
    setLayoutDirection(Qt::RightToLeft);
    setWindowTitle(tr("خصائص %1").arg(QFileInfo(p.path).fileName()));
    auto *form = new QFormLayout;
    auto add = [&](const QString &field, const QString &label, const QString &value) {
        auto *v = new QLabel(value, this);
        v->setObjectName(field);
        v->setTextInteractionFlags(Qt::TextSelectableByMouse);
        v->setWordWrap(true);
        form->addRow(label, v);
    };
    add(u"path"_s, tr("المسار:"), p.path);
    if (!p.exists) {
        add(u"type"_s, tr("النوع:"), tr("الملف غير موجود"));
    } else {
        add(u"type"_s, tr("النوع:"), p.isFolder ? tr("مجلد") : u"%1 (%2)"_s.arg(p.type, p.mimeName));
        add(u"size"_s, tr("الحجم:"), tr("%1 بايت").arg(p.size));
        add(u"created"_s, tr("تاريخ الانشاء:"), propertyDateText(p.created));
        add(u"modified"_s, tr("تاريخ التعديل:"), propertyDateText(p.modified));
        add(u"accessed"_s, tr("تاريخ آخر وصول:"), propertyDateText(p.accessed));
        add(u"owner"_s, tr("المالك:"), p.group.isEmpty() ? p.owner : u"%1 / %2"_s.arg(p.owner, p.group));
        // Permissions read left to right whatever the layout.
        add(u"permissions"_s, tr("الصلاحيات:"), QChar(0x2066) + p.permissions + QChar(0x2069));
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(tr("اغلاق"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

QString FilePropertiesDlg::shown(const QString &field) const
{
    const auto *label = findChild<QLabel *>(field);
    return label ? label->text() : QString();
}

void FilePropertiesDlg::setAskFileManager(bool ask)
{
    g_askFileManager = ask;
}

void FilePropertiesDlg::showOurs(const QString &path, QWidget *parent)
{
    auto *dlg = new FilePropertiesDlg(FileProperties::of(path), parent);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->show();
}

void FilePropertiesDlg::showFor(const QString &path, QWidget *parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!g_askFileManager || !bus.isConnected()) {
        showOurs(path, parent);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.FileManager1"_s, u"/org/freedesktop/FileManager1"_s,
                                                       u"org.freedesktop.FileManager1"_s, u"ShowItemProperties"_s);
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), parent);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, parent,
                     [path, parent = QPointer<QWidget>(parent)](QDBusPendingCallWatcher *w) {
                         w->deleteLater();
                         // No file manager answered: our own window.
                         if (w->isError() && parent)
                             showOurs(path, parent);
                     });
}
