#pragma once

#include <QColor>
#include <QPainterPath>
#include <QWidget>

class QLabel;
class QToolButton;

// A notice that pops up beside a point of the screen: a rounded balloon with a tail whose tip
// touches the point, holding an icon, a title, a text and a close button. It never closes by
// itself; it goes when the user closes it (and deletes itself then). Right to left like the rest of
// the program: the icon and title on the right, the close button on the left.
class CBalloonTip : public QWidget
{
    Q_OBJECT

public:
    explicit CBalloonTip(QWidget *parent = nullptr);

    QString title() const;
    void setTitle(const QString &title);
    QString text() const;
    void setText(const QString &text);
    void setIcon(const QPixmap &icon);
    QColor backgroundColour() const { return m_background; }
    void setBackgroundColour(const QColor &colour);

    // Shows the balloon with its tail at the given corner of the balloon and the tail's tip on
    // target (global coordinates).
    void showAt(const QPoint &target, Qt::Corner tailCorner = Qt::BottomRightCorner);
    Qt::Corner tailCorner() const { return m_tailCorner; }
    // Where the tail's tip is, in the balloon's own coordinates.
    QPoint tailTip() const;
    QToolButton *closeButton() const { return m_close; }

signals:
    void closed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    bool tailAtBottom() const;
    bool tailAtRight() const;
    void updateMargins();
    QPainterPath outline() const;

    QLabel *m_icon;
    QLabel *m_title;
    QLabel *m_text;
    QToolButton *m_close;
    QColor m_background;
    Qt::Corner m_tailCorner = Qt::BottomRightCorner;
};
