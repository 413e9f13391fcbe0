#include "CAboutDlg.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(u"About Dovrelle"_s);
    setLayoutDirection(Qt::RightToLeft);
    auto *icon = new QLabel(this);
    icon->setPixmap(QIcon(u":/icons/dovrelle.png"_s).pixmap(48, 48));
    auto *banner = new QLabel(tr("نظام الارشفة الالكترونية"), this);
    QFont bannerFont = banner->font();
    bannerFont.setPointSizeF(bannerFont.pointSizeF() * 1.4);
    bannerFont.setBold(true);
    banner->setFont(bannerFont);
    auto *name = new QLabel(u"Dovrelle %1"_s.arg(QCoreApplication::applicationVersion()), this);
    name->setObjectName(u"productName"_s);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *text = new QVBoxLayout;
    text->addWidget(banner);
    text->addWidget(name);
    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}
