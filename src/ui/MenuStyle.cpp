#include "MenuStyle.h"

#include "FlatMenuStyle.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>

MenuStyle::MenuStyle(QObject *parent) : QObject(parent), m_flat(new FlatMenuStyle)
{
    m_flat->setParent(this);
}

MenuStyle::~MenuStyle()
{
    // Menus must not keep a style that goes with this object.
    setLook(Look::Default);
}

QStyle *MenuStyle::flatStyle() const
{
    return m_flat;
}

bool MenuStyle::isMenu(const QWidget *widget)
{
    return qobject_cast<const QMenu *>(widget) || qobject_cast<const QMenuBar *>(widget);
}

void MenuStyle::setLook(Look look)
{
    if (look == m_look)
        return;
    m_look = look;
    if (m_look == Look::Flat)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget *widget : widgets) {
        if (isMenu(widget))
            applyTo(widget);
    }
}

void MenuStyle::applyTo(QWidget *widget) const
{
    if (m_look == Look::Flat) {
        if (widget->style() != m_flat)
            widget->setStyle(m_flat);
    } else if (widget->style() == m_flat) {
        // Back to the application's style.
        widget->setStyle(nullptr);
    }
}

bool MenuStyle::eventFilter(QObject *watched, QEvent *event)
{
    // A menu is polished before it is first laid out and shown: the look is in place before its
    // size is measured.
    if (event->type() == QEvent::Polish && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (isMenu(widget))
            applyTo(widget);
    }
    return QObject::eventFilter(watched, event);
}
