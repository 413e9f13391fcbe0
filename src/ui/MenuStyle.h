#pragma once

#include <QObject>

class FlatMenuStyle;
class QStyle;
class QWidget;

// Switches the menus of the whole application between the default look and the flat look. The
// look applies to every menu and menu bar that exists and to every one made later (context menus
// are often made on the spot), until switched back. Only menus change; other widgets keep the
// application's style.
class MenuStyle : public QObject
{
    Q_OBJECT

public:
    enum class Look { Default, Flat };

    explicit MenuStyle(QObject *parent = nullptr);
    ~MenuStyle() override;

    Look look() const { return m_look; }
    void setLook(Look look);
    QStyle *flatStyle() const;

    static bool isMenu(const QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyTo(QWidget *widget) const;

    FlatMenuStyle *m_flat;
    Look m_look = Look::Default;
};
