#include "CRotateDlg.h"

#include "ImageParamNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

CRotateDlg::CRotateDlg(QWidget *parent)
    : ImageCommandDlg(u"Rotate"_s, parent), m_angle(new QDoubleSpinBox(this)), m_interpolation(new QComboBox(this)),
      m_overflow(new QComboBox(this)), m_keepSize(new QCheckBox(u"Keep original size"_s, this))
{
    m_angle->setObjectName(ImageParam::kAngle);
    m_angle->setDecimals(3);
    m_angle->setRange(-360.0, 360.0);
    m_angle->setValue(kDefaultAngle);
    m_interpolation->setObjectName(ImageParam::kInterpolation);
    m_interpolation->addItems({u"Nearest neighbour"_s, u"Bilinear"_s, u"Bicubic (hard)"_s, u"Bicubic 2 (soft)"_s,
                               u"BSpline (blur)"_s, u"Lanzcos (sharp)"_s, u"Hermite"_s});
    m_overflow->setObjectName(ImageParam::kOverflow);
    m_overflow->addItems({u"Background (or [0,0] color)"_s, u"Background (or Black)"_s, u"Background (or White)"_s,
                          u"Wrap"_s, u"Repeat"_s, u"Mirror"_s, u"Transparent"_s});
    m_keepSize->setObjectName(ImageParam::kKeepSize);

    QFormLayout *form = addForm();
    form->addRow(u"Angle (degrees) :"_s, m_angle);
    form->addRow(u"Interpolation :"_s, m_interpolation);
    form->addRow(u"Overflow :"_s, m_overflow);
    form->addRow(m_keepSize);
    finish();
}

ImageCommandDlg::Values CRotateDlg::values() const
{
    return {{ImageParam::kAngle, std::round(m_angle->value() * 1000.0) / 1000.0},
            {ImageParam::kInterpolation, m_interpolation->currentIndex()},
            {ImageParam::kOverflow, m_overflow->currentIndex()},
            {ImageParam::kKeepSize, m_keepSize->isChecked()}};
}
