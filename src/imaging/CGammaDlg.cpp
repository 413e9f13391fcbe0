#include "CGammaDlg.h"

#include "ImageParamNames.h"

#include <QDoubleSpinBox>
#include <QFormLayout>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

CGammaDlg::CGammaDlg(QWidget *parent) : ImageCommandDlg(u"Gamma"_s, parent), m_correction(new QDoubleSpinBox(this))
{
    m_correction->setObjectName(ImageParam::kCorrection);
    m_correction->setDecimals(3);
    // A correction of 0 has no meaning (the curve divides by it), so the smallest step is the
    // lowest value.
    m_correction->setRange(0.001, 5.0);
    m_correction->setSingleStep(0.01);
    m_correction->setValue(kDefaultCorrection);
    addForm()->addRow(u"Gamma correction :"_s, m_correction);
    finish();
}

ImageCommandDlg::Values CGammaDlg::values() const
{
    return {{ImageParam::kCorrection, std::round(m_correction->value() * 1000.0) / 1000.0}};
}
