#pragma once

#include "ImageCommandDlg.h"

class QSpinBox;

// "Threshold...": pixels above the level become white, the others black. The level starts at the
// picture's mean, which the caller works out.
class CThresholdDlg : public ImageCommandDlg
{
    Q_OBJECT

public:
    explicit CThresholdDlg(int pictureMean, QWidget *parent = nullptr);
    Values values() const override;

private:
    QSpinBox *m_level;
};
