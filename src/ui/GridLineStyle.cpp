#include "GridLineStyle.h"

GridLineStyle::GridLineStyle(const QColor &colour) : m_colour(colour)
{
}

int GridLineStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                             QStyleHintReturn *returnData) const
{
    if (hint == SH_Table_GridLineColor && m_colour.isValid())
        return int(m_colour.rgba());
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
