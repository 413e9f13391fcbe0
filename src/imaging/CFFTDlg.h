#pragma once

#include "ImageCommandDlg.h"

#include <QList>
#include <QStringList>

class QCheckBox;
class QComboBox;

// "FFT...": the Fourier transform of a real and an imaginary picture.
class CFFTDlg : public ImageCommandDlg
{
    Q_OBJECT

public:
    CFFTDlg(const QStringList &windows, int current, QWidget *parent = nullptr);
    Values values() const override;
    // The real and the imaginary picture, as indexes into `windows`.
    QList<int> sources() const;

private:
    QComboBox *m_real;
    QComboBox *m_imaginary;
    QCheckBox *m_inverse;
    QCheckBox *m_magnitude;
    QCheckBox *m_force;
};
