#pragma once

#include <QList>
#include <QRgb>
#include <QWidget>

// The entries of a palette as a grid of colour cells, sixteen to a row. The selected cell has a
// 2-pixel dark shadow border, the others a 1-pixel shadow border. In alpha mode each cell shows
// its entry's alpha as a grey level.
class PaletteGrid : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kColumns = 16;
    static constexpr int kCell = 18;

    explicit PaletteGrid(QWidget *parent = nullptr);

    void setColours(const QList<QRgb> &colours);
    const QList<QRgb> &colours() const { return m_colours; }
    void setAlphaMode(bool on);
    int selected() const { return m_selected; }
    void select(int index);
    // The cell under a point of the widget, or -1.
    int indexAt(QPoint point) const;
    QRect cellRect(int index) const;
    QSize sizeHint() const override;

signals:
    void hovered(int index);
    void activated(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QList<QRgb> m_colours;
    bool m_alphaMode = false;
    int m_selected = 0;
};
