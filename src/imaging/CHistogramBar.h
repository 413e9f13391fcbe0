#pragma once

#include "Histogram.h"

#include <QImage>
#include <QWidget>

#include <array>

class HistogramPlot;
class QCheckBox;
class QToolButton;

// The histogram bar: the red, green, blue and grey histograms of the active picture, four toggles
// for the curves and "log" for a base-10 logarithmic scale of the counts.
class CHistogramBar : public QWidget
{
    Q_OBJECT

public:
    explicit CHistogramBar(QWidget *parent = nullptr);

    void setImage(const QImage &picture);
    void setHistogram(const Histogram &histogram);
    const Histogram &histogram() const { return m_histogram; }

    HistogramPlot *plot() const { return m_plot; }
    QToolButton *toggle(Histogram::Channel channel) const { return m_toggles[channel]; }
    QCheckBox *logBox() const { return m_log; }

private:
    Histogram m_histogram;
    HistogramPlot *m_plot;
    std::array<QToolButton *, Histogram::ChannelCount> m_toggles{};
    QCheckBox *m_log;
};
