#pragma once

#include "ImageCommandDlg.h"

class QButtonGroup;
class QSpinBox;

// "JPEG compression ...": shows what the picture looks like after saving at a quality.
class CJpegDlg : public ImageCommandDlg
{
    Q_OBJECT

public:
    static constexpr int kDefaultQuality = 50;

    explicit CJpegDlg(QWidget *parent = nullptr);
    Values values() const override;

private:
    QSpinBox *m_quality;
    QButtonGroup *m_format;
};
