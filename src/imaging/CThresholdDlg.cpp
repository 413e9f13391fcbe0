#include "CThresholdDlg.h"

#include "ImageParamNames.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QSlider>
#include <QSpinBox>

using namespace Qt::Literals::StringLiterals;

CThresholdDlg::CThresholdDlg(int pictureMean, QWidget *parent)
    : ImageCommandDlg(u"Threshold"_s, parent), m_level(new QSpinBox(this))
{
    m_level->setObjectName(ImageParam::kLevel);
    m_level->setRange(0, 255);
    m_level->setValue(pictureMean);
    auto *slider = new QSlider(Qt::Horizontal, this);
    slider->setRange(0, 255);
    slider->setValue(m_level->value());
    slider->setMinimumWidth(160);
    connect(slider, &QSlider::valueChanged, m_level, &QSpinBox::setValue);
    connect(m_level, &QSpinBox::valueChanged, slider, &QSlider::setValue);
    auto *row = new QHBoxLayout;
    row->addWidget(m_level);
    row->addWidget(slider);
    addForm()->addRow(u"Level :"_s, row);
    finish();
}

ImageCommandDlg::Values CThresholdDlg::values() const
{
    return {{ImageParam::kLevel, m_level->value()}};
}
