#pragma once

#include "ImageCommandDlg.h"

class QGroupBox;
class QRadioButton;
class QSpinBox;

// "Colorize...": tints the picture with a hue (HSL) or shifts its red, green and blue (RGB).
class CColorizeDlg : public ImageCommandDlg
{
    Q_OBJECT

public:
    explicit CColorizeDlg(QWidget *parent = nullptr);
    Values values() const override;

private:
    void modeChanged();

    QRadioButton *m_hsl;
    QRadioButton *m_rgb;
    QGroupBox *m_hslBox;
    QGroupBox *m_rgbBox;
    QSpinBox *m_hue;
    QSpinBox *m_saturation;
    QSpinBox *m_blend;
    QSpinBox *m_red;
    QSpinBox *m_green;
    QSpinBox *m_blue;
};
