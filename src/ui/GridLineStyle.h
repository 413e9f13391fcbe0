#pragma once

#include <QColor>
#include <QProxyStyle>

// The application's style with one change: table views draw their grid lines in a colour of the
// owner's choosing (the report grids draw blue lines, the basket viewer red ones, the thumbnail
// browser white ones so that they do not show).
class GridLineStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit GridLineStyle(const QColor &colour);

    QColor colour() const { return m_colour; }
    void setColour(const QColor &colour) { m_colour = colour; }

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;

private:
    QColor m_colour;
};
