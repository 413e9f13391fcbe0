#include "CRepairDlg.h"

#include "ImageParamNames.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QSpinBox>

using namespace Qt::Literals::StringLiterals;

CRepairDlg::CRepairDlg(QWidget *parent)
    : ImageCommandDlg(u"Repair"_s, parent), m_radius(new QDoubleSpinBox(this)), m_iterations(new QSpinBox(this)),
      m_colourSpace(new QComboBox(this))
{
    m_radius->setObjectName(ImageParam::kRadius);
    m_radius->setDecimals(3);
    m_radius->setRange(0.0, 100.0);
    m_radius->setSingleStep(0.05);
    m_radius->setValue(kDefaultRadius);
    m_iterations->setObjectName(ImageParam::kIterations);
    m_iterations->setRange(1, 50);
    m_iterations->setValue(kDefaultIterations);
    m_colourSpace->setObjectName(ImageParam::kColourSpace);
    m_colourSpace->addItems({u"RGB"_s, u"HSL"_s, u"YUV"_s, u"YIQ"_s, u"XYZ"_s});
    QFormLayout *form = addForm();
    form->addRow(u"Radius :"_s, m_radius);
    form->addRow(u"Iterations :"_s, m_iterations);
    form->addRow(u"Colour space :"_s, m_colourSpace);
    finish();
}

ImageCommandDlg::Values CRepairDlg::values() const
{
    return {{ImageParam::kRadius, m_radius->value()},
            {ImageParam::kIterations, m_iterations->value()},
            {ImageParam::kColourSpace, m_colourSpace->currentIndex()}};
}
