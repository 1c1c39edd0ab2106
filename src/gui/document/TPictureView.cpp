#include "document/TPictureView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

namespace curvana {

TPictureView::TPictureView(PlotDocument& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);  // the right button has the marker menu
    setMouseTracking(true);  // the read-out and the hints follow the pointer without a button down
    FitToDocument();
}

void TPictureView::FitToDocument() {
    const auto clamp = [](std::int64_t v) { return int(std::clamp<std::int64_t>(v, 1, QWIDGETSIZE_MAX)); };
    setFixedSize(clamp(doc_.ClientWidth), clamp(doc_.ClientHeight));
    Repaint();
}

void TPictureView::Repaint() {
    dirty_ = true;
    update();
}

TColor TPictureView::ClientPixel(int x, int y) const {
    if (!rasterRect_.contains(x, y)) return clBlack;
    const int rx = x - rasterRect_.x(), ry = y - rasterRect_.y();
    return FromRasterPixel(reinterpret_cast<const RasterPixel*>(raster_.Row(ry))[rx]);
}

QRect TPictureView::VisibleArea() const {
    return visibleRegion().boundingRect() & rect();
}

void TPictureView::Render(const QRect& area) {
    if (area.isEmpty()) return;
    if (area.size() != rasterRect_.size() || raster_.Empty()) {
        raster_ = Bitmap(area.width(), area.height(), PixelFormat::Raster32());
        canvas_ = std::make_unique<RasterCanvas>(raster_);
    }
    rasterRect_ = area;
    DocumentView view{*canvas_, area.x(), area.y()};
    // A raster made anew always shows everything, also in the middle of a drag (the document
    // itself paints nothing then, so that no full repaint competes with the drag's own drawing).
    const std::int32_t dragging = doc_.DragIndex;
    doc_.DragIndex = -1;
    doc_.FormPaint(view);
    doc_.DragIndex = dragging;
    dirty_ = false;
}

void TPictureView::DrawNowChanged(const std::function<TRect(DocumentView&)>& step) {
    const bool fresh = raster_.Empty();
    if (fresh) {
        QRect area = VisibleArea();
        Render(area.isEmpty() ? QRect(0, 0, 1, 1) : area);
    }
    DocumentView view{*canvas_, rasterRect_.x(), rasterRect_.y()};
    const TRect changed = step(view);
    if (fresh) {
        update(rasterRect_);
        return;
    }
    // The step's area is in raster pixels; the raster's top-left pixel is at rasterRect_'s corner.
    const QRect raster(QPoint(0, 0), rasterRect_.size());
    const auto edge = [](std::int64_t v, int limit) { return int(std::clamp<std::int64_t>(v, 0, limit)); };
    const QRect area(
        QPoint(edge(changed.Left, raster.width()), edge(changed.Top, raster.height())),
        QPoint(edge(changed.Right, raster.width()) - 1, edge(changed.Bottom, raster.height()) - 1));
    if (area.isValid()) update(area.translated(rasterRect_.topLeft()));
}

void TPictureView::Show(const DisplayChange& change) {
    if (change.Empty()) return;
    DrawNowChanged([&](DocumentView& view) { return doc_.Redraw(change, view); });
}

void TPictureView::paintEvent(QPaintEvent* event) {
    QRect visible = visibleRegion().boundingRect();
    if (visible.isEmpty()) visible = event->rect();
    visible &= rect();
    if (dirty_ || !rasterRect_.contains(visible)) Render(visible);
    if (raster_.Empty()) return;
    const Bitmap& raster = raster_;
    const QImage image(raster.Row(0), raster.Width(), raster.Height(), qsizetype(raster.Stride()),
                       QImage::Format_RGB32);
    QPainter painter(this);
    const QRect target = event->rect() & rasterRect_;
    painter.drawImage(target.topLeft(), image, target.translated(-rasterRect_.topLeft()));
}

void TPictureView::mousePressEvent(QMouseEvent* event) {
    if (MousePressed) MousePressed(*event);
    event->accept();
}

void TPictureView::mouseMoveEvent(QMouseEvent* event) {
    if (MouseMoved) MouseMoved(*event);
    event->accept();
}

void TPictureView::mouseReleaseEvent(QMouseEvent* event) {
    if (MouseReleased) MouseReleased(*event);
    event->accept();
}

void TPictureView::wheelEvent(QWheelEvent* event) {
    // The handler accepts what it uses; the rest goes on to the scroll area.
    if (WheelTurned)
        WheelTurned(*event);
    else
        QWidget::wheelEvent(event);
}

}  // namespace curvana

namespace curvana {

void TPictureView::keyPressEvent(QKeyEvent* event) {
    if (KeyPressed && KeyPressed(*event))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

}  // namespace curvana
