#include "CFFTDlg.h"

#include "ImageParamNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>

using namespace Qt::Literals::StringLiterals;

CFFTDlg::CFFTDlg(const QStringList &windows, int current, QWidget *parent)
    : ImageCommandDlg(u"FFT"_s, parent), m_real(new QComboBox(this)), m_imaginary(new QComboBox(this)),
      m_inverse(new QCheckBox(u"Inverse"_s, this)), m_magnitude(new QCheckBox(u"Compute magnitude"_s, this)),
      m_force(new QCheckBox(u"Force FFT"_s, this))
{
    for (QComboBox *list : {m_real, m_imaginary}) {
        list->addItems(windows);
        list->setCurrentIndex(current);
        list->setMinimumContentsLength(16);
    }
    m_real->setObjectName(u"real"_s);
    m_imaginary->setObjectName(u"imaginary"_s);
    m_inverse->setObjectName(ImageParam::kInverse);
    m_magnitude->setObjectName(ImageParam::kComputeMagnitude);
    m_magnitude->setChecked(true);
    m_force->setObjectName(ImageParam::kForceFft);
    QFormLayout *form = addForm();
    form->addRow(u"Real :"_s, m_real);
    form->addRow(u"Imaginary :"_s, m_imaginary);
    form->addRow(m_inverse);
    form->addRow(m_magnitude);
    form->addRow(m_force);
    finish();
}

ImageCommandDlg::Values CFFTDlg::values() const
{
    return {{ImageParam::kInverse, m_inverse->isChecked()},
            {ImageParam::kComputeMagnitude, m_magnitude->isChecked()},
            {ImageParam::kForceFft, m_force->isChecked()}};
}

QList<int> CFFTDlg::sources() const
{
    return {m_real->currentIndex(), m_imaginary->currentIndex()};
}
