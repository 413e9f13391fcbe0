#include "CJpegDlg.h"

#include "ImageParamNames.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

CJpegDlg::CJpegDlg(QWidget *parent)
    : ImageCommandDlg(u"JPEG compression"_s, parent), m_quality(new QSpinBox(this)), m_format(new QButtonGroup(this))
{
    m_quality->setObjectName(ImageParam::kQuality);
    m_quality->setRange(1, 100);
    m_quality->setValue(kDefaultQuality);
    addForm()->addRow(u"Quality :"_s, m_quality);
    auto *box = new QGroupBox(u"Format"_s, this);
    auto *column = new QVBoxLayout(box);
    const QStringList names{u"Jpeg standard (JPG)"_s, u"Jpeg 2000 (JPC, JP2)"_s};
    for (int i = 0; i < names.size(); ++i) {
        auto *radio = new QRadioButton(names[i], box);
        radio->setObjectName(ImageParam::kFormat + QString::number(i));
        m_format->addButton(radio, i);
        column->addWidget(radio);
    }
    m_format->button(0)->setChecked(true);
    body()->addWidget(box);
    finish();
}

ImageCommandDlg::Values CJpegDlg::values() const
{
    return {{ImageParam::kQuality, m_quality->value()}, {ImageParam::kFormat, m_format->checkedId()}};
}
