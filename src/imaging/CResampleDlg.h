#pragma once

#include "ImageCommandDlg.h"

#include <QSize>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QRadioButton;
class QSpinBox;

// "Resample...": a new size by a factor or in pixels, the two sides linked while the aspect
// ratio is kept.
class CResampleDlg : public ImageCommandDlg
{
    Q_OBJECT

public:
    explicit CResampleDlg(QSize pictureSize, QWidget *parent = nullptr);
    Values values() const override;
    QSize newSize() const;

private:
    void widthEdited(int width);
    void heightEdited(int height);
    void modeChanged();

    QSize m_original;
    bool m_linking = false;
    QRadioButton *m_byFactor;
    QDoubleSpinBox *m_factor;
    QRadioButton *m_byPixels;
    QSpinBox *m_width;
    QSpinBox *m_height;
    QCheckBox *m_keepAspect;
    QComboBox *m_interpolation;
};
