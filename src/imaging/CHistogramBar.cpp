#include "CHistogramBar.h"

#include "HistogramPlot.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

CHistogramBar::CHistogramBar(QWidget *parent)
    : QWidget(parent), m_plot(new HistogramPlot(this)), m_log(new QCheckBox(u"log"_s, this))
{
    setLayoutDirection(Qt::LeftToRight);
    setWindowTitle(u"Histogram"_s);
    const QStringList names{u"Red"_s, u"Green"_s, u"Blue"_s, u"Gray"_s};
    const QRgb pens[] = {HistogramPlot::kRedPen, HistogramPlot::kGreenPen, HistogramPlot::kBluePen,
                         HistogramPlot::kGreyPen};
    auto *row = new QHBoxLayout;
    for (int c = 0; c < Histogram::ChannelCount; ++c) {
        auto *b = new QToolButton(this);
        b->setText(names[c]);
        b->setObjectName(names[c].toLower());
        b->setCheckable(true);
        b->setChecked(true);
        QPalette pal = b->palette();
        pal.setColor(QPalette::ButtonText, QColor(pens[c]));
        b->setPalette(pal);
        connect(b, &QToolButton::toggled, this,
                [this, c](bool on) { m_plot->setShown(Histogram::Channel(c), on); });
        m_toggles[c] = b;
        row->addWidget(b);
    }
    row->addStretch();
    m_log->setObjectName(u"log"_s);
    row->addWidget(m_log);
    connect(m_log, &QCheckBox::toggled, m_plot, &HistogramPlot::setLogarithmic);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(m_plot, 1);
    column->addLayout(row);
}

void CHistogramBar::setImage(const QImage &picture)
{
    setHistogram(Histogram::of(picture));
}

void CHistogramBar::setHistogram(const Histogram &histogram)
{
    m_histogram = histogram;
    m_plot->setHistogram(histogram);
}
