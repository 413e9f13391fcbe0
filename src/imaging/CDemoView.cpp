#include "CDemoView.h"

#include "CDemoDoc.h"
#include "imaging/ImageTypes.h"
#include "imaging/ImageViewRules.h"
#include "imaging/ImageDrawing.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int kOutlineMs = 150;
constexpr int kOutlinePhases = 8;
} // namespace

CDemoView::CDemoView(CDemoDoc *document, QWidget *parent) : QAbstractScrollArea(parent), m_doc(document)
{
    // The image menus and their drawing are English and left to right inside the program.
    setLayoutDirection(Qt::LeftToRight);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
    connect(m_doc, &CDemoDoc::changed, this, &CDemoView::pictureChanged);
    connect(m_doc, &CDemoDoc::progressed, this,
            [this](int percent) { emit statusText(ZoomPane, ImageViewRules::progressText(percent)); });
    m_outline.setInterval(kOutlineMs);
    connect(&m_outline, &QTimer::timeout, this, [this] {
        m_outlinePhase = (m_outlinePhase + 1) % kOutlinePhases;
        viewport()->update();
    });
    updateScrollSizes();
}

QSize CDemoView::zoomedSize() const
{
    const QSize s = m_doc->screenImage().size();
    return QSize(int(std::lround(s.width() * m_zoom)), int(std::lround(s.height() * m_zoom)));
}

void CDemoView::pictureChanged(int hint)
{
    m_cache = QPixmap();
    if (hint == CDemoDoc::kHintPicture) {
        const double relX = horizontalScrollBar()->maximum() > 0
                                ? double(horizontalScrollBar()->value()) / horizontalScrollBar()->maximum() : 0;
        const double relY = verticalScrollBar()->maximum() > 0
                                ? double(verticalScrollBar()->value()) / verticalScrollBar()->maximum() : 0;
        updateScrollSizes();
        horizontalScrollBar()->setValue(int(relX * horizontalScrollBar()->maximum()));
        verticalScrollBar()->setValue(int(relY * verticalScrollBar()->maximum()));
        if (m_selection.isEmpty())
            m_outline.stop();
        if (m_doc->hasPicture()) {
            const Magick::Image &p = m_doc->core().picture();
            emit statusText(SizePane, ImageViewRules::sizeText(int(p.columns()), int(p.rows()),
                                                               ImageTypes::bitsPerPixel(p)));
            emit statusText(TypePane, ImageTypes::statusText(m_doc->core().type()));
            emit statusText(ZoomPane, ImageViewRules::timeText(m_doc->core().seconds()));
        }
    } else {
        updateScrollSizes();
    }
    viewport()->update();
}

void CDemoView::updateScrollSizes()
{
    const QSize content = m_stretch ? QSize() : zoomedSize();
    const QSize page = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - page.width()));
    verticalScrollBar()->setRange(0, std::max(0, content.height() - page.height()));
    horizontalScrollBar()->setPageStep(page.width());
    verticalScrollBar()->setPageStep(page.height());
}

void CDemoView::setZoom(double factor, const QString &paneText)
{
    if (factor == m_zoom)
        return;
    m_zoom = factor;
    pictureChanged(CDemoDoc::kHintPicture);
    emit statusText(ZoomPane, paneText);
}

void CDemoView::zoomIn()
{
    if (zoomInEnabled())
        setZoom(ImageViewRules::zoomIn(m_zoom), ImageViewRules::zoomInText(ImageViewRules::zoomIn(m_zoom)));
}

void CDemoView::zoomOut()
{
    if (zoomOutEnabled())
        setZoom(ImageViewRules::zoomOut(m_zoom), ImageViewRules::zoomOutText(ImageViewRules::zoomOut(m_zoom)));
}

void CDemoView::normalSize()
{
    if (normalSizeEnabled())
        setZoom(1.0, ImageViewRules::zoomInText(1.0));
}

bool CDemoView::zoomInEnabled() const
{
    return !m_stretch && ImageViewRules::canZoomIn(m_zoom);
}

bool CDemoView::zoomOutEnabled() const
{
    return !m_stretch && ImageViewRules::canZoomOut(m_zoom);
}

bool CDemoView::normalSizeEnabled() const
{
    return !m_stretch && ImageViewRules::canNormalSize(m_zoom);
}

void CDemoView::setStretch(bool on)
{
    m_stretch = on;
    pictureChanged(CDemoDoc::kHintDisplay);
}

void CDemoView::setSmooth(bool on)
{
    m_smooth = on;
    pictureChanged(CDemoDoc::kHintDisplay);
}

QPoint CDemoView::pictureToView(QPoint p) const
{
    return QPoint(int(p.x() * m_zoom) - horizontalScrollBar()->value(), int(p.y() * m_zoom) - verticalScrollBar()->value());
}

QPointF CDemoView::viewToPicture(QPoint v) const
{
    if (m_stretch) {
        const QSize s = m_doc->screenImage().size();
        return QPointF(v.x() * double(s.width()) / std::max(1, viewport()->width()),
                       v.y() * double(s.height()) / std::max(1, viewport()->height()));
    }
    return QPointF((v.x() + horizontalScrollBar()->value()) / m_zoom, (v.y() + verticalScrollBar()->value()) / m_zoom);
}

void CDemoView::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), palette().dark());
    const QImage &picture = m_doc->screenImage();
    if (picture.isNull())
        return;
    QRect source;
    QRect target;
    if (m_stretch) {
        source = picture.rect();
        target = viewport()->rect();
    } else {
        // Only the part of the picture that falls in the window is scaled.
        const QPoint offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
        const QRectF visible = QRectF(QPointF(offset) / m_zoom, QSizeF(viewport()->size()) / m_zoom);
        source = visible.toAlignedRect().intersected(picture.rect());
        target = QRect(QPoint(int(std::floor(source.x() * m_zoom)) - offset.x(),
                              int(std::floor(source.y() * m_zoom)) - offset.y()),
                       QSize(int(std::lround(source.width() * m_zoom)), int(std::lround(source.height() * m_zoom))));
    }
    if (m_cache.isNull() || m_cacheSource != source || m_cacheTarget != target.size() || m_cacheSmooth != m_smooth) {
        m_cache = QPixmap::fromImage(picture.copy(source).scaled(
            target.size(), Qt::IgnoreAspectRatio, m_smooth ? Qt::SmoothTransformation : Qt::FastTransformation));
        m_cacheSource = source;
        m_cacheTarget = target.size();
        m_cacheSmooth = m_smooth;
    }
    p.drawPixmap(target.topLeft(), m_cache);

    // The selection outline marches through eight phases.
    QPen pen(Qt::white, 1, Qt::DashLine);
    pen.setDashOffset(m_outlinePhase);
    p.setPen(pen);
    if (!m_corners.isEmpty()) {
        QPolygonF shown;
        for (QPointF point : m_corners)
            shown << QPointF(point.x() * m_zoom - horizontalScrollBar()->value(),
                             point.y() * m_zoom - verticalScrollBar()->value());
        p.drawPolygon(shown);
    } else if (!m_selection.isEmpty()) {
        p.drawRect(QRect(pictureToView(m_selection.topLeft()), pictureToView(m_selection.bottomRight())));
    }
    if (m_freehand.size() > 1) {
        QPolygon shown;
        for (QPoint point : m_freehand)
            shown << pictureToView(point);
        p.drawPolygon(shown);
    }
}

void CDemoView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollSizes();
}

void CDemoView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CDemoView::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = viewToPicture(event->position().toPoint()).toPoint();
    if (event->button() == Qt::RightButton) {
        if (m_tool == Zoom) {
            zoomOut();
        } else if (m_tool == Select && !m_selection.isEmpty()) {
            // A drag turns the selection's four corners (moves them with Ctrl); a click is the
            // context menu, opened on release.
            m_rightDragging = true;
            m_rightMoved = false;
            m_pressAt = event->position().toPoint();
            m_cornersAtPress = m_corners.isEmpty() ? QPolygonF(QRectF(m_selection)).mid(0, 4) : m_corners;
        } else {
            emit contextMenuWanted(event->globalPosition().toPoint());
        }
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    const bool inside = m_doc->hasPicture() && QRect(0, 0, int(m_doc->core().picture().columns()),
                                                     int(m_doc->core().picture().rows())).contains(at);
    if (m_pickTransparency && inside) {
        m_pickTransparency = false;
        emit transparencyPicked(at);
        return;
    }
    if (m_tool == Text && inside) {
        m_tool = NoTool;
        emit textPlaced(at);
        return;
    }
    m_pressAt = event->position().toPoint();
    m_scrollAt = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    m_dragging = true;
    switch (m_tool) {
    case Zoom: zoomIn(); m_dragging = false; break;
    case Select:
        m_selection = QRect();
        m_freehand = QPolygon{at};
        break;
    case Tracker: m_selection = QRect(at, at); break;
    default: break;
    }
}

void CDemoView::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF at = viewToPicture(event->position().toPoint());
    if (m_doc->hasPicture())
        emit statusText(PointerPane,
                        ImageViewRules::pointerText(int(at.x()), int(at.y()),
                                                    ImageDrawing::paletteIndexAt(m_doc->core().picture(), at.toPoint())));
    if (m_rightDragging) {
        if ((event->position().toPoint() - m_pressAt).manhattanLength() >= QApplication::startDragDistance())
            m_rightMoved = true;
        if (m_rightMoved) {
            m_corners = ImageViewRules::draggedCorners(m_cornersAtPress, viewToPicture(m_pressAt), at,
                                                       event->modifiers() & Qt::ControlModifier);
            viewport()->update();
        }
        return;
    }
    if (!m_dragging)
        return;
    const QPoint moved = event->position().toPoint() - m_pressAt;
    switch (m_tool) {
    case Move:
        horizontalScrollBar()->setValue(m_scrollAt.x() - moved.x());
        verticalScrollBar()->setValue(m_scrollAt.y() - moved.y());
        break;
    case Select:
        if (event->modifiers() & Qt::ShiftModifier) {
            m_freehand.clear();
            m_selection = QRect(viewToPicture(m_pressAt).toPoint(), at.toPoint()).normalized();
        } else {
            m_freehand << at.toPoint();
        }
        break;
    case Tracker: m_selection = QRect(viewToPicture(m_pressAt).toPoint(), at.toPoint()).normalized(); break;
    default: break;
    }
    viewport()->update();
}

void CDemoView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_rightDragging && event->button() == Qt::RightButton) {
        m_rightDragging = false;
        if (!m_rightMoved)
            emit contextMenuWanted(event->globalPosition().toPoint());
        return;
    }
    if (m_dragging && (m_tool == Select || m_tool == Tracker))
        m_corners.clear();
    m_dragging = false;
    if (m_tool == Select && m_freehand.size() > 2)
        m_selection = m_freehand.boundingRect();
    if (!m_selection.isEmpty() && m_doc->hasPicture()) {
        m_selection = m_selection.intersected(m_doc->screenImage().rect());
        m_outline.start();
    }
}

void CDemoView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        if (m_doc->isBusy())
            m_doc->cancel();
        else
            emit escapeWithoutWork();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CDemoView::print(QPrinter *printer) const
{
    const QImage &picture = m_doc->screenImage();
    if (picture.isNull())
        return;
    QPainter p(printer);
    const QRect page = p.viewport();
    QSize size = picture.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    p.setViewport(QRect(page.x() + (page.width() - size.width()) / 2, page.y() + (page.height() - size.height()) / 2,
                        size.width(), size.height()));
    p.setWindow(picture.rect());
    p.drawImage(0, 0, picture);
}

void CDemoView::fitWindow(QSize mainClient)
{
    auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (!sub || sub->isMinimized() || sub->isMaximized() || m_stretch)
        return;
    const QSize client = ImageViewRules::fittedClientSize(zoomedSize(), mainClient);
    const QSize frame = sub->size() - viewport()->size();
    sub->resize(client + frame);
}
