#include "document/TPictureView.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace curvana {

TPictureView::TPictureView(PlotDocument& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
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

void TPictureView::Render(const QRect& area) {
    if (area.isEmpty()) return;
    if (area.size() != rasterRect_.size() || raster_.Empty()) {
        raster_ = Bitmap(area.width(), area.height(), PixelFormat::Raster32());
        canvas_ = std::make_unique<RasterCanvas>(raster_);
    }
    rasterRect_ = area;
    DocumentView view{*canvas_, area.x(), area.y()};
    doc_.FormPaint(view);
    dirty_ = false;
}

void TPictureView::paintEvent(QPaintEvent* event) {
    QRect visible = visibleRegion().boundingRect();
    if (visible.isEmpty()) visible = event->rect();
    visible &= rect();
    if (dirty_ || !rasterRect_.contains(visible)) Render(visible);
    if (raster_.Empty()) return;
    const Bitmap& raster = raster_;
    const QImage image(raster.Row(0), raster.Width(), raster.Height(), qsizetype(raster.Stride()),
                       QImage::Format_RGBX8888);
    QPainter painter(this);
    const QRect target = event->rect() & rasterRect_;
    painter.drawImage(target.topLeft(), image, target.translated(-rasterRect_.topLeft()));
}

void TPictureView::mousePressEvent(QMouseEvent* event) {
    // The first click after another document was activated only activates this one.
    if (doc_.IgnoreClick) {
        doc_.IgnoreClick = false;
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

}  // namespace curvana
