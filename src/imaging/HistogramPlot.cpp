#include "HistogramPlot.h"

#include <QPainter>
#include <QPolygon>

#include <cmath>

namespace {
constexpr int kMargin = 3;
constexpr int kLevels = 256;
constexpr int kLevelGrid = 32; // a vertical grid line every 32 levels
constexpr int kCountGrid = 4;  // the counts in quarters
const QColor kGridColour(200, 200, 200);

double scaled(quint32 count, bool log)
{
    return log ? std::log10(1.0 + count) : double(count);
}
} // namespace

HistogramPlot::HistogramPlot(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HistogramPlot::setHistogram(const Histogram &histogram)
{
    m_histogram = histogram;
    update();
}

void HistogramPlot::setShown(Histogram::Channel channel, bool shown)
{
    m_shown = shown ? m_shown | (1u << channel) : m_shown & ~(1u << channel);
    update();
}

void HistogramPlot::setLogarithmic(bool on)
{
    m_log = on;
    update();
}

QSize HistogramPlot::sizeHint() const
{
    return {kLevels + 2 * kMargin + 2, 128};
}

QSize HistogramPlot::minimumSizeHint() const
{
    return {128, 64};
}

QRect HistogramPlot::plotRect() const
{
    return rect().adjusted(kMargin + 1, kMargin + 1, -kMargin - 1, -kMargin - 1);
}

void HistogramPlot::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QRect plot = plotRect();
    p.fillRect(plot, Qt::white);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(plot.adjusted(-1, -1, 0, 0));

    p.setPen(QPen(kGridColour, 1, Qt::DotLine));
    for (int level = kLevelGrid; level < kLevels; level += kLevelGrid) {
        const int x = plot.left() + level * (plot.width() - 1) / (kLevels - 1);
        p.drawLine(x, plot.top(), x, plot.bottom());
    }
    for (int k = 1; k < kCountGrid; ++k) {
        const int y = plot.top() + k * plot.height() / kCountGrid;
        p.drawLine(plot.left(), y, plot.right(), y);
    }

    const double top = scaled(m_histogram.peak(m_shown), m_log);
    if (top <= 0)
        return;
    const QRgb pens[Histogram::ChannelCount] = {kRedPen, kGreenPen, kBluePen, kGreyPen};
    for (int c = 0; c < Histogram::ChannelCount; ++c) {
        if (!isShown(Histogram::Channel(c)))
            continue;
        const auto &counts = m_histogram.counts(Histogram::Channel(c));
        QPolygon line(kLevels);
        for (int level = 0; level < kLevels; ++level) {
            const double v = scaled(counts[level], m_log) / top;
            line[level] = QPoint(plot.left() + level * (plot.width() - 1) / (kLevels - 1),
                                 plot.bottom() - int(std::lround(v * (plot.height() - 1))));
        }
        p.setPen(QPen(QColor(pens[c]), 1));
        p.drawPolyline(line);
    }
}
