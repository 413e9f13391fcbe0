#pragma once

#include <QProxyStyle>

class QStyleOptionMenuItem;

// The application's style: the platform style with what it gets wrong for Arabic put right.
// - Buttons of standard dialogs (message boxes, file and print dialogs) carry no icons: next to an
//   icon a right-to-left label is placed as if it ran left to right and loses its start.
// - Shortcut letters are not underlined: the underline splits an Arabic word into unjoined
//   letters ("نـ عم"). The shortcuts themselves keep working.
// - A menu item whose text has no right-to-left letters (the image menus are English) is laid out
//   left to right inside the right-to-left menu, so "Open..." does not show as "...Open".
class ArabicTextStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit ArabicTextStyle(QStyle *base = nullptr);

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;

    // The text a menu item is drawn with: an item without right-to-left letters is held left to
    // right by marks around its label (the shortcut after the tab is left alone).
    static QString menuTextInReadingOrder(const QString &text);
    // The option with its text so held; other options come back as they are.
    static QStyleOptionMenuItem menuItemInReadingOrder(const QStyleOptionMenuItem &item);
};
