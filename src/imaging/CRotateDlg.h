#pragma once

#include "ImageCommandDlg.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;

// "Rotate...": turns the picture by any angle.
class CRotateDlg : public ImageCommandDlg
{
    Q_OBJECT

public:
    static constexpr double kDefaultAngle = 12.345;

    explicit CRotateDlg(QWidget *parent = nullptr);
    Values values() const override;

private:
    QDoubleSpinBox *m_angle;
    QComboBox *m_interpolation;
    QComboBox *m_overflow;
    QCheckBox *m_keepSize;
};
