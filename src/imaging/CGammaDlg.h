#pragma once

#include "ImageCommandDlg.h"

class QDoubleSpinBox;

// "Gamma...": the gamma correction of the picture.
class CGammaDlg : public ImageCommandDlg
{
    Q_OBJECT

public:
    static constexpr double kDefaultCorrection = 1.23;

    explicit CGammaDlg(QWidget *parent = nullptr);
    Values values() const override;

private:
    QDoubleSpinBox *m_correction;
};
