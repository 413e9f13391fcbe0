#pragma once

#include <QAbstractScrollArea>
#include <QPixmap>
#include <QPolygon>
#include <QTimer>

class CDemoDoc;
class QPrinter;

// A scrolling view onto an image document. It draws only the visible part of the zoomed
// picture and keeps that scaled part until the zoom, the scroll position or the picture change,
// so a zoomed 24 MP page scrolls without scaling the whole page.
class CDemoView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    enum Tool { NoTool = -1, Move = 0, Select = 1, Zoom = 2, Text = 3, Tracker = 4 };
    // The status panes the view writes to.
    enum Pane { ZoomPane = 2, TypePane = 3, SizePane = 4, PointerPane = 1 };

    explicit CDemoView(CDemoDoc *document, QWidget *parent = nullptr);

    CDemoDoc *document() const { return m_doc; }
    double zoom() const { return m_zoom; }
    bool stretch() const { return m_stretch; }
    bool smooth() const { return m_smooth; }
    Tool tool() const { return m_tool; }
    QRect selection() const { return m_selection; }
    // The selection turned or moved with the right button; empty while it is a plain rectangle.
    QPolygonF corners() const { return m_corners; }

    void zoomIn();
    void zoomOut();
    void normalSize();
    void setStretch(bool on);
    void setSmooth(bool on);
    void setTool(Tool tool) { m_tool = tool; }
    // The next left click inside the picture picks its transparent colour instead of using the tool.
    void pickTransparencyOnNextClick() { m_pickTransparency = true; }
    bool picksTransparency() const { return m_pickTransparency; }
    // Whether the view's own commands may run (the zoom and view settings).
    bool zoomInEnabled() const;
    bool zoomOutEnabled() const;
    bool normalSizeEnabled() const;

    // The picture fitted to the printer's page, centred.
    void print(QPrinter *printer) const;
    // Fits the child window to the zoomed picture within the main window's client area.
    void fitWindow(QSize mainClient);
    QPoint pictureToView(QPoint picturePoint) const;

signals:
    void statusText(int pane, const QString &text);
    void contextMenuWanted(const QPoint &globalPos);
    // A left click at a picture point that picks the transparent colour, or places the text
    // tool's text (after which no tool is chosen).
    void transparencyPicked(QPoint at);
    void textPlaced(QPoint at);
    // Escape while nothing runs: leave full screen.
    void escapeWithoutWork();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void pictureChanged(int hint);
    void updateScrollSizes();
    QSize zoomedSize() const;
    QPointF viewToPicture(QPoint viewPoint) const;
    void setZoom(double factor, const QString &paneText);

    CDemoDoc *m_doc;
    double m_zoom = 1.0;
    bool m_stretch = false;
    bool m_smooth = false;
    Tool m_tool = Move;
    bool m_pickTransparency = false;
    QRect m_selection;
    QPolygon m_freehand;
    QPolygonF m_corners;
    QPolygonF m_cornersAtPress;
    bool m_rightDragging = false;
    bool m_rightMoved = false;
    QPoint m_pressAt;
    QPoint m_scrollAt;
    bool m_dragging = false;
    int m_outlinePhase = 0;
    QTimer m_outline;
    // The scaled visible part, and what it was made for.
    QPixmap m_cache;
    QRect m_cacheSource;
    QSize m_cacheTarget;
    bool m_cacheSmooth = false;
};
