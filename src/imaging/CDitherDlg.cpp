#include "CDitherDlg.h"

#include "ImageParamNames.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

CDitherDlg::CDitherDlg(QWidget *parent) : ImageCommandDlg(u"Dither"_s, parent), m_methods(new QButtonGroup(this))
{
    auto *box = new QGroupBox(u"Method"_s, this);
    auto *column = new QVBoxLayout(box);
    const QStringList names{u"Floyd-Steinberg"_s, u"Ordered dither"_s, u"Burkes"_s, u"Stucki"_s,
                            u"Jarvis-Judice-Ninke"_s, u"Sierra"_s, u"Stevenson-Arce"_s,
                            u"Bayer matrix (4x4 ordered dither)"_s};
    for (int i = 0; i < names.size(); ++i) {
        auto *radio = new QRadioButton(names[i], box);
        radio->setObjectName(ImageParam::kMethod + QString::number(i));
        m_methods->addButton(radio, i);
        column->addWidget(radio);
    }
    m_methods->button(0)->setChecked(true);
    body()->addWidget(box);
    finish();
}

ImageCommandDlg::Values CDitherDlg::values() const
{
    return {{ImageParam::kMethod, m_methods->checkedId()}};
}
