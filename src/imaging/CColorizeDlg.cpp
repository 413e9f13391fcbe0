#include "CColorizeDlg.h"

#include "ImageParamNames.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSpinBox>

using namespace Qt::Literals::StringLiterals;

namespace {
enum Mode { Hsl = 0, Rgb = 1 };

QSpinBox *spin(QWidget *parent, const QString &name, int low, int high, int value)
{
    auto *s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(low, high);
    s->setValue(value);
    return s;
}
} // namespace

CColorizeDlg::CColorizeDlg(QWidget *parent)
    : ImageCommandDlg(u"Colorize"_s, parent), m_hsl(new QRadioButton(u"HSL"_s, this)),
      m_rgb(new QRadioButton(u"RGB"_s, this)), m_hslBox(new QGroupBox(u"HSL"_s, this)),
      m_rgbBox(new QGroupBox(u"RGB"_s, this)), m_hue(spin(m_hslBox, ImageParam::kHue, 0, 255, 0)),
      m_saturation(spin(m_hslBox, ImageParam::kSaturation, 0, 255, 128)),
      m_blend(spin(m_hslBox, ImageParam::kBlend, 0, 100, 100)), m_red(spin(m_rgbBox, ImageParam::kRed, -255, 255, 0)),
      m_green(spin(m_rgbBox, ImageParam::kGreen, -255, 255, 0)), m_blue(spin(m_rgbBox, ImageParam::kBlue, -255, 255, 0))
{
    m_hsl->setObjectName(u"mode-hsl"_s);
    m_rgb->setObjectName(u"mode-rgb"_s);
    m_hsl->setChecked(true);
    auto *modes = new QHBoxLayout;
    modes->addWidget(m_hsl);
    modes->addWidget(m_rgb);
    modes->addStretch();
    body()->addLayout(modes);

    auto *hsl = new QFormLayout(m_hslBox);
    hsl->addRow(u"Hue :"_s, m_hue);
    hsl->addRow(u"Saturation :"_s, m_saturation);
    hsl->addRow(u"Blend (%) :"_s, m_blend);
    auto *rgb = new QFormLayout(m_rgbBox);
    rgb->addRow(u"Red :"_s, m_red);
    rgb->addRow(u"Green :"_s, m_green);
    rgb->addRow(u"Blue :"_s, m_blue);
    auto *boxes = new QHBoxLayout;
    boxes->addWidget(m_hslBox);
    boxes->addWidget(m_rgbBox);
    body()->addLayout(boxes);
    finish();

    connect(m_hsl, &QRadioButton::toggled, this, &CColorizeDlg::modeChanged);
    modeChanged();
}

void CColorizeDlg::modeChanged()
{
    m_hslBox->setEnabled(m_hsl->isChecked());
    m_rgbBox->setEnabled(!m_hsl->isChecked());
}

ImageCommandDlg::Values CColorizeDlg::values() const
{
    if (m_hsl->isChecked())
        return {{ImageParam::kMode, int(Hsl)},
                {ImageParam::kHue, m_hue->value()},
                {ImageParam::kSaturation, m_saturation->value()},
                {ImageParam::kBlend, m_blend->value()}};
    return {{ImageParam::kMode, int(Rgb)},
            {ImageParam::kRed, m_red->value()},
            {ImageParam::kGreen, m_green->value()},
            {ImageParam::kBlue, m_blue->value()}};
}
