#include "CResampleDlg.h"

#include "ImageParamNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int kLargestSide = 65500;
constexpr int kDefaultInterpolation = 3; // "Bicubic (hard)"
} // namespace

CResampleDlg::CResampleDlg(QSize pictureSize, QWidget *parent)
    : ImageCommandDlg(u"Resample"_s, parent), m_original(pictureSize.expandedTo(QSize(1, 1))),
      m_byFactor(new QRadioButton(u"Size factor"_s, this)), m_factor(new QDoubleSpinBox(this)),
      m_byPixels(new QRadioButton(u"Pixel Width x Height"_s, this)), m_width(new QSpinBox(this)),
      m_height(new QSpinBox(this)), m_keepAspect(new QCheckBox(u"Maintain original aspect ratio"_s, this)),
      m_interpolation(new QComboBox(this))
{
    m_factor->setObjectName(ImageParam::kFactor);
    m_factor->setDecimals(3);
    m_factor->setRange(0.001, 100.0);
    m_factor->setSingleStep(0.1);
    m_factor->setValue(1.0);
    m_byFactor->setChecked(true);
    for (QSpinBox *side : {m_width, m_height})
        side->setRange(1, kLargestSide);
    m_width->setObjectName(ImageParam::kWidth);
    m_height->setObjectName(ImageParam::kHeight);
    m_width->setValue(m_original.width());
    m_height->setValue(m_original.height());
    m_keepAspect->setChecked(true);
    m_interpolation->setObjectName(ImageParam::kInterpolation);
    m_interpolation->addItems({u"Nearest neighbour"_s, u"Bilinear (pixel corner)"_s, u"Bilinear 2 (pixel center)"_s,
                               u"Bicubic (hard)"_s, u"Bicubic 2 (soft)"_s, u"BSpline (blur)"_s, u"Lanzcos (sharp)"_s,
                               u"Hermite"_s});
    m_interpolation->setCurrentIndex(kDefaultInterpolation);

    QFormLayout *form = addForm();
    form->addRow(m_byFactor, m_factor);
    auto *pixels = new QHBoxLayout;
    pixels->addWidget(m_width);
    pixels->addWidget(new QLabel(u"x"_s, this));
    pixels->addWidget(m_height);
    form->addRow(m_byPixels, pixels);
    form->addRow(m_keepAspect);
    form->addRow(u"Interpolation :"_s, m_interpolation);
    finish();

    connect(m_byFactor, &QRadioButton::toggled, this, &CResampleDlg::modeChanged);
    connect(m_width, &QSpinBox::valueChanged, this, &CResampleDlg::widthEdited);
    connect(m_height, &QSpinBox::valueChanged, this, &CResampleDlg::heightEdited);
    connect(m_keepAspect, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            widthEdited(m_width->value());
    });
    modeChanged();
}

void CResampleDlg::modeChanged()
{
    const bool factor = m_byFactor->isChecked();
    m_factor->setEnabled(factor);
    m_width->setEnabled(!factor);
    m_height->setEnabled(!factor);
}

void CResampleDlg::widthEdited(int width)
{
    if (m_linking || !m_keepAspect->isChecked())
        return;
    m_linking = true;
    m_height->setValue(std::max(1, int(std::lround(double(width) * m_original.height() / m_original.width()))));
    m_linking = false;
}

void CResampleDlg::heightEdited(int height)
{
    if (m_linking || !m_keepAspect->isChecked())
        return;
    m_linking = true;
    m_width->setValue(std::max(1, int(std::lround(double(height) * m_original.width() / m_original.height()))));
    m_linking = false;
}

QSize CResampleDlg::newSize() const
{
    if (!m_byFactor->isChecked())
        return {m_width->value(), m_height->value()};
    const double f = m_factor->value();
    auto side = [f](int n) { return std::clamp(int(std::lround(f * n)), 1, kLargestSide); };
    return {side(m_original.width()), side(m_original.height())};
}

ImageCommandDlg::Values CResampleDlg::values() const
{
    const QSize size = newSize();
    Values v{{ImageParam::kWidth, size.width()},
             {ImageParam::kHeight, size.height()},
             {ImageParam::kInterpolation, m_interpolation->currentIndex()}};
    if (m_byFactor->isChecked())
        v.insert(ImageParam::kFactor, m_factor->value());
    return v;
}
