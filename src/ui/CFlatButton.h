#pragma once

#include <QPushButton>

// A push button without a bevel: only its icon and text show until the pointer is over it (or it
// is pressed or checked), when a light highlight with a thin border appears behind them.
class CFlatButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CFlatButton(QWidget *parent = nullptr);
    CFlatButton(const QIcon &icon, const QString &text, QWidget *parent = nullptr);

    bool isHighlighted() const;
    bool isHovered() const { return m_hovered; }

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_hovered = false;
};
