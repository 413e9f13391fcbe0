#pragma once

#include <QProxyStyle>

// The flat menu look: a light panel with a thin border, a tinted icon gutter on the leading side
// and a framed, pale highlight for the chosen item; menu bars lose their gradient. Everything that
// is not a menu is drawn by the base style.
class FlatMenuStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit FlatMenuStyle(QStyle *base = nullptr);

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;

private:
    void drawMenuItem(const QStyleOption *option, QPainter *painter, const QWidget *widget) const;
    void drawMenuBarItem(const QStyleOption *option, QPainter *painter, const QWidget *widget) const;
};
