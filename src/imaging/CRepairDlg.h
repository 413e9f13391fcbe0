#pragma once

#include "ImageCommandDlg.h"

class QComboBox;
class QDoubleSpinBox;
class QSpinBox;

// "Repair...": smooths away scratches and noise in the chosen colour space.
class CRepairDlg : public ImageCommandDlg
{
    Q_OBJECT

public:
    static constexpr double kDefaultRadius = 0.25;
    static constexpr int kDefaultIterations = 2;

    explicit CRepairDlg(QWidget *parent = nullptr);
    Values values() const override;

private:
    QDoubleSpinBox *m_radius;
    QSpinBox *m_iterations;
    QComboBox *m_colourSpace;
};
