#pragma once

#include "ImageCommandDlg.h"

class QButtonGroup;

// "Dither...": the eight methods of reducing a picture to black and white dots.
class CDitherDlg : public ImageCommandDlg
{
    Q_OBJECT

public:
    explicit CDitherDlg(QWidget *parent = nullptr);
    Values values() const override;

private:
    QButtonGroup *m_methods;
};
