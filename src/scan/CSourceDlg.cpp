#include "CSourceDlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

enum SourceColumn { NameColumn, VendorColumn, ModelColumn, TypeColumn };

} // namespace

CSourceDlg::CSourceDlg(const QList<ScanDevice> &devices, const QString &current, QWidget *parent)
    : QDialog(parent), m_list(new QTreeWidget(this))
{
    setWindowTitle(u"Select Source"_s);
    setObjectName(u"CSourceDlg"_s);
    setLayoutDirection(Qt::RightToLeft);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("اختر الماسح الضوئي الذي تريد المسح منه:"), this));

    m_list->setObjectName(u"sources"_s);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels({tr("الجهاز"), tr("الصانع"), tr("الطراز"), tr("النوع")});
    for (const ScanDevice &d : devices) {
        auto *item = new QTreeWidgetItem(m_list, {d.name, d.vendor, d.model, d.type});
        // The device name is a technical text: it reads left to right inside the Arabic list.
        item->setTextAlignment(NameColumn, Qt::AlignLeft | Qt::AlignVCenter);
        if (d.name == current)
            m_list->setCurrentItem(item);
    }
    if (!m_list->currentItem() && m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    for (int c = NameColumn; c <= TypeColumn; ++c)
        m_list->resizeColumnToContents(c);
    m_list->header()->setStretchLastSection(true);
    layout->addWidget(m_list);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("اختيار"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("الغاء"));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(m_list->currentItem() != nullptr);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(std::max(560, m_list->header()->length() + 40), 300);
}

QString CSourceDlg::chosen() const
{
    const QTreeWidgetItem *item = m_list->currentItem();
    return item ? item->text(NameColumn) : QString();
}
