#include "ImageCommandDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

ImageCommandDlg::ImageCommandDlg(const QString &title, QWidget *parent) : QDialog(parent), m_body(new QVBoxLayout(this))
{
    setWindowTitle(title);
    setLayoutDirection(Qt::LeftToRight);
    m_body->setSizeConstraint(QLayout::SetFixedSize);
}

QFormLayout *ImageCommandDlg::addForm()
{
    auto *form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    m_body->addLayout(form);
    return form;
}

void ImageCommandDlg::finish()
{
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_body->addWidget(m_buttons);
}
