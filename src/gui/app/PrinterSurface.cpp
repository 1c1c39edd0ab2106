#include "app/PrinterSurface.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPrinter>
#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "app/BitmapImage.h"

namespace curvana {

namespace {

QColor ToQColor(TColor c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Cuts the segment from a to b to the rectangle [lo, hi] in both directions (Liang-Barsky); false
// when none of it is inside.
bool ClipSegment(double& ax, double& ay, double& bx, double& by, double lo, double hi) {
    double t0 = 0, t1 = 1;
    const double dx = bx - ax, dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - lo, hi - ax, ay - lo, hi - ay};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    const double x0 = ax + t0 * dx, y0 = ay + t0 * dy;
    bx = ax + t1 * dx;
    by = ay + t1 * dy;
    ax = x0;
    ay = y0;
    return true;
}

}  // namespace

PainterCanvas::PainterCanvas(QPainter& painter, const QRect& bounds) : painter_(painter), bounds_(bounds) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

QPen PainterCanvas::Pen() const {
    QPen pen(ToQColor(penColor_));
    pen.setWidth(1);
    pen.setCosmetic(true);
    return pen;
}

QRect PainterCanvas::Visible(const TRect& r) const {
    const std::int64_t m = 16;
    const std::int64_t left = std::max<std::int64_t>(r.Left, bounds_.left() - m);
    const std::int64_t top = std::max<std::int64_t>(r.Top, bounds_.top() - m);
    const std::int64_t right = std::min<std::int64_t>(r.Right, bounds_.right() + 1 + m);
    const std::int64_t bottom = std::min<std::int64_t>(r.Bottom, bounds_.bottom() + 1 + m);
    if (right <= left || bottom <= top) return {};
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

void PainterCanvas::MoveTo(std::int64_t x, std::int64_t y) {
    penX_ = x;
    penY_ = y;
}

void PainterCanvas::LineTo(std::int64_t x, std::int64_t y) {
    const std::int64_t dx = x - penX_, dy = y - penY_;
    const std::int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
    if (steps > 0) {
        // The last pixel drawn is one step short of the end point along the longer direction.
        double ax = double(penX_), ay = double(penY_);
        double bx = double(x) - double(dx) / double(steps), by = double(y) - double(dy) / double(steps);
        const double lo = std::min(bounds_.left(), bounds_.top()) - 16.0;
        const double hi = std::max(bounds_.right(), bounds_.bottom()) + 16.0;
        if (ClipSegment(ax, ay, bx, by, lo, hi)) {
            painter_.setPen(Pen());
            if (steps == 1)
                painter_.drawPoint(QPointF(ax, ay));
            else
                painter_.drawLine(QPointF(ax, ay), QPointF(bx, by));
        }
    }
    penX_ = x;
    penY_ = y;
}

void PainterCanvas::Rectangle(const TRect& r) {
    const QRect visible = Visible(r);
    if (visible.isEmpty()) return;
    painter_.fillRect(visible, ToQColor(brushColor_));
    // The outline on the outermost pixels: Left .. Right - 1 by Top .. Bottom - 1.
    painter_.setPen(Pen());
    painter_.setBrush(Qt::NoBrush);
    if (visible.width() == 1 || visible.height() == 1)
        painter_.fillRect(visible, ToQColor(penColor_));
    else
        painter_.drawRect(visible.adjusted(0, 0, -1, -1));
}

void PainterCanvas::FillRect(const TRect& r) {
    const QRect visible = Visible(r);
    if (!visible.isEmpty()) painter_.fillRect(visible, ToQColor(brushColor_));
}

void PainterCanvas::CopyRect(const TRect& dest, const Bitmap& source, const TRect& src) {
    if (dest.Width() <= 0 || dest.Height() <= 0 || src.Width() <= 0 || src.Height() <= 0) return;
    painter_.drawImage(
        QRectF(double(dest.Left), double(dest.Top), double(dest.Width()), double(dest.Height())),
        ToQImage(source),
        QRectF(double(src.Left), double(src.Top), double(src.Width()), double(src.Height())));
}

void PainterCanvas::Draw(std::int64_t x, std::int64_t y, const Bitmap& source) {
    StretchDraw({x, y, x + source.Width(), y + source.Height()}, source);
}

void PainterCanvas::StretchDraw(const TRect& dest, const Bitmap& source) {
    CopyRect(dest, source, {0, 0, source.Width(), source.Height()});
}

void PainterCanvas::DrawSource(std::int64_t x, std::int64_t y, const PixelSource& source) {
    // Only the part inside the device's area and the clip is asked for.
    QRect shown = QRect(bounds_.left(), bounds_.top(), bounds_.width(), bounds_.height());
    if (painter_.hasClipping()) shown &= painter_.clipBoundingRect().toAlignedRect();
    const std::int64_t left = std::max<std::int64_t>(x, shown.left());
    const std::int64_t top = std::max<std::int64_t>(y, shown.top());
    const std::int64_t right = std::min<std::int64_t>(std::int64_t(shown.right()) + 1, x + source.Width());
    const std::int64_t bottom = std::min<std::int64_t>(std::int64_t(shown.bottom()) + 1, y + source.Height());
    if (right <= left || bottom <= top) return;
    Bitmap tile(int(right - left), int(bottom - top), PixelFormat::Raster32());
    source.Produce({left - x, top - y, right - x, bottom - y}, reinterpret_cast<RasterPixel*>(tile.Row(0)),
                   tile.Stride() / sizeof(RasterPixel));
    Draw(left, top, tile);
}

void PainterCanvas::SetClip(const TRect& r) {
    const QRect visible = Visible(r);
    painter_.setClipRect(visible.isNull() ? QRect(bounds_.topLeft(), QSize(0, 0)) : visible);
}

void PainterCanvas::ResetClip() {
    painter_.setClipping(false);
}

PrinterSurface::PrinterSurface(QPrinter& printer) : printer_(printer) {}

PrinterSurface::~PrinterSurface() {
    if (painter_.isActive()) Abort();
}

void PrinterSurface::Begin() {
    if (!painter_.begin(&printer_)) throw std::runtime_error("The printer could not start the print job.");
    QFont font = QApplication::font();
    font.setPointSize(8);
    painter_.setFont(font);
    canvas_ = std::make_unique<PainterCanvas>(painter_, QRect(0, 0, printer_.width(), printer_.height()));
}

void PrinterSurface::End() {
    if (!painter_.end() || printer_.printerState() == QPrinter::Error)
        throw std::runtime_error("The printer could not finish the print job.");
}

void PrinterSurface::Abort() {
    printer_.abort();
    if (painter_.isActive()) painter_.end();
}

std::int64_t PrinterSurface::PageWidth() const {
    return printer_.width();
}

std::int64_t PrinterSurface::PageHeight() const {
    return printer_.height();
}

Canvas& PrinterSurface::PageCanvas() {
    if (!canvas_) throw std::logic_error("The print job has not begun.");
    return *canvas_;
}

void PrinterSurface::TextOut(std::int64_t x, std::int64_t y, const std::string& text) {
    painter_.setPen(Qt::black);
    const QFontMetrics metrics = painter_.fontMetrics();
    painter_.drawText(QPointF(double(x), double(y) + metrics.ascent()), QString::fromStdString(text));
}

std::int64_t PrinterSurface::TextHeight(const std::string&) {
    return painter_.fontMetrics().height();
}

void PrinterSurface::NewPage() {
    if (!printer_.newPage()) throw std::runtime_error("The printer could not start a new page.");
}

}  // namespace curvana
