#pragma once

#include "Histogram.h"

#include <QWidget>

// The framed plot of the histogram bar: grid lines and one line per shown channel over the 256
// levels, scaled so the highest shown count reaches the top.
class HistogramPlot : public QWidget
{
    Q_OBJECT

public:
    static constexpr QRgb kRedPen = qRgb(222, 0, 0);
    static constexpr QRgb kGreenPen = qRgb(0, 222, 0);
    static constexpr QRgb kBluePen = qRgb(0, 0, 222);
    static constexpr QRgb kGreyPen = qRgb(64, 64, 64);

    explicit HistogramPlot(QWidget *parent = nullptr);

    void setHistogram(const Histogram &histogram);
    void setShown(Histogram::Channel channel, bool shown);
    bool isShown(Histogram::Channel channel) const { return m_shown & (1u << channel); }
    void setLogarithmic(bool on);
    // Inside the frame, where the curves are drawn.
    QRect plotRect() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Histogram m_histogram;
    unsigned m_shown = 0xF;
    bool m_log = false;
};
