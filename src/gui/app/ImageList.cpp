#include "app/ImageList.h"

#include <QPainter>
#include <QPainterPath>

namespace curvana {

namespace {

const QColor kOutline(40, 40, 48);
const QColor kSeries(30, 110, 220);
const QColor kSeriesDark(20, 60, 140);
const QColor kGreen(40, 170, 60);
const QColor kGreenDark(20, 100, 30);
const QColor kRed(220, 40, 40);
const QColor kRedDark(130, 20, 20);
const QColor kMarker(230, 40, 40);

QPen Pen(const QColor& c, double width = 1.0) {
    QPen pen(c, width);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCapStyle(Qt::SquareCap);
    return pen;
}

// A small round badge with a plus, minus or cross at the given centre.
enum class Badge { Plus, Minus, Cross };
void DrawBadge(QPainter& p, QPointF centre, Badge badge) {
    const bool add = badge == Badge::Plus;
    p.setPen(Pen(add ? kGreenDark : kRedDark));
    p.setBrush(add ? kGreen : kRed);
    p.drawEllipse(centre, 3.6, 3.6);
    p.setPen(Pen(Qt::white, 1.4));
    const double a = 1.9;
    switch (badge) {
        case Badge::Plus:
            p.drawLine(QPointF(centre.x() - a, centre.y()), QPointF(centre.x() + a, centre.y()));
            p.drawLine(QPointF(centre.x(), centre.y() - a), QPointF(centre.x(), centre.y() + a));
            break;
        case Badge::Minus:
            p.drawLine(QPointF(centre.x() - a, centre.y()), QPointF(centre.x() + a, centre.y()));
            break;
        case Badge::Cross:
            p.drawLine(centre + QPointF(-1.5, -1.5), centre + QPointF(1.5, 1.5));
            p.drawLine(centre + QPointF(-1.5, 1.5), centre + QPointF(1.5, -1.5));
            break;
    }
}

// The program's marker: a square with four arms.
void DrawMarker(QPainter& p, QPointF c, double half, const QColor& color, double width = 1.2) {
    p.setPen(Pen(color, width));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(c.x() - half, c.y() - half, 2 * half, 2 * half));
    p.drawLine(QPointF(c.x() - 2 * half, c.y()), QPointF(c.x() - half, c.y()));
    p.drawLine(QPointF(c.x() + half, c.y()), QPointF(c.x() + 2 * half, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - 2 * half), QPointF(c.x(), c.y() - half));
    p.drawLine(QPointF(c.x(), c.y() + half), QPointF(c.x(), c.y() + 2 * half));
}

void DrawSquare(QPainter& p, QPointF c, const QColor& fill, const QColor& line) {
    p.setPen(Pen(line));
    p.setBrush(fill);
    p.drawRect(QRectF(c.x() - 1.8, c.y() - 1.8, 3.6, 3.6));
}

// A data series: a polyline through square markers.
void DrawSeries(QPainter& p, const QList<QPointF>& points, const QColor& line, const QColor& dark) {
    p.setPen(Pen(line, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(points.data(), int(points.size()));
    for (const QPointF& pt : points)
        DrawSquare(p, pt, line, dark);
}

void DrawMagnifier(QPainter& p) {
    p.setPen(QPen(QColor(120, 80, 40), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.2, 10.2), QPointF(14.5, 14.5));
    p.setPen(Pen(kOutline, 1.2));
    p.setBrush(QColor(200, 230, 255));
    p.drawEllipse(QPointF(6.5, 6.5), 5.0, 5.0);
    p.setPen(Pen(kOutline, 1.4));
}

void DrawIcon(QPainter& p, int index) {
    switch (index) {
        case 0: {  // open: a yellow folder
            p.setPen(Pen(QColor(120, 85, 10)));
            p.setBrush(QColor(235, 190, 60));
            p.drawPolygon(QPolygonF({{1.5, 3.5}, {6, 3.5}, {7.5, 5}, {13.5, 5}, {13.5, 13.5}, {1.5, 13.5}}));
            p.setBrush(QColor(250, 220, 110));
            p.drawPolygon(QPolygonF({{1.5, 13.5}, {4, 7.5}, {15.5, 7.5}, {13.5, 13.5}}));
            break;
        }
        case 1: {  // save: a blue disk
            p.setPen(Pen(kSeriesDark));
            p.setBrush(kSeries);
            p.drawPolygon(QPolygonF({{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}}));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(3.5, 1.5, 8, 5));
            p.setBrush(QColor(190, 190, 200));
            p.drawRect(QRectF(4.5, 9.5, 7, 5));
            p.setBrush(kSeriesDark);
            p.drawRect(QRectF(8.5, 2.5, 2, 3));
            break;
        }
        case 2: {  // print: a printer with a sheet
            p.setPen(Pen(kOutline));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4.5, 1.5, 7, 6));
            p.setBrush(QColor(150, 150, 160));
            p.drawRect(QRectF(1.5, 6.5, 13, 6));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4.5, 10.5, 7, 4));
            p.setPen(Pen(QColor(60, 200, 80)));
            p.drawPoint(QPointF(12.5, 8.5));
            break;
        }
        case 3:     // zoom in
        case 4:     // zoom out
        case 10: {  // normal size
            DrawMagnifier(p);
            if (index == 10) {
                p.drawLine(QPointF(6.5, 3.8), QPointF(6.5, 9.2));
                p.drawLine(QPointF(5.0, 5.0), QPointF(6.5, 3.8));
            } else {
                p.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
                if (index == 3) p.drawLine(QPointF(6.5, 4), QPointF(6.5, 9));
            }
            break;
        }
        case 5:    // delete marker from a data series
        case 6: {  // add marker to a data series
            const QColor mid(135, 145, 155);
            DrawSeries(p, {{1.5, 13.5}, {7.5, 7.5}, {13.5, 10.5}}, mid, QColor(70, 75, 85));
            DrawSquare(p, {7.5, 7.5}, index == 6 ? kGreen : kRed, index == 6 ? kGreenDark : kRedDark);
            DrawBadge(p, {11.5, 3.8}, index == 6 ? Badge::Plus : Badge::Minus);
            break;
        }
        case 7:    // delete data series
        case 8: {  // add data series
            DrawSeries(p, {{2.5, 13.5}, {7.5, 8.5}, {13.5, 12.5}}, kSeries, kSeriesDark);
            DrawBadge(p, {11.8, 3.8}, index == 8 ? Badge::Plus : Badge::Cross);
            break;
        }
        case 9: {  // redraw: a circular arrow
            p.setPen(QPen(kGreen, 2.2, Qt::SolidLine, Qt::FlatCap));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(2.5, 2.5, 11, 11), 100 * 16, 290 * 16);
            p.setPen(Pen(kGreenDark));
            p.setBrush(kGreen);
            p.drawPolygon(QPolygonF({{6.0, 0.5}, {10.0, 3.0}, {6.0, 6.2}}));
            break;
        }
        case 11: {  // help: a question mark in a blue disc
            p.setPen(Pen(kSeriesDark));
            p.setBrush(kSeries);
            p.drawEllipse(QPointF(8, 8), 6.8, 6.8);
            QFont font("Sans Serif");
            font.setBold(true);
            font.setPixelSize(11);
            p.setFont(font);
            p.setPen(Qt::white);
            p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, "?");
            break;
        }
        case 12:    // add single marker
        case 13: {  // delete single marker
            DrawMarker(p, {6.5, 9.5}, 2.5, kMarker, 1.3);
            DrawBadge(p, {12, 3.8}, index == 12 ? Badge::Plus : Badge::Cross);
            break;
        }
        case 14: {  // export: a sheet of numbers and an arrow leaving it
            p.setPen(Pen(kOutline));
            p.setBrush(Qt::white);
            p.drawPolygon(QPolygonF({{1.5, 1.5}, {8.5, 1.5}, {10.5, 3.5}, {10.5, 14.5}, {1.5, 14.5}}));
            p.setPen(Pen(QColor(110, 110, 120)));
            for (double y : {4.5, 6.5, 8.5, 10.5, 12.5})
                p.drawLine(QPointF(3.5, y), QPointF(7.5, y));
            p.setPen(Pen(kGreenDark));
            p.setBrush(kGreen);
            p.drawPolygon(
                QPolygonF({{7.5, 7.5}, {11, 7.5}, {11, 5}, {15.5, 9}, {11, 13}, {11, 10.5}, {7.5, 10.5}}));
            break;
        }
        case 15:                // undo: an arrow curving back to the left
        case 16: {              // redo: the same arrow turning to the right
            if (index == 16) {  // drawn mirrored
                p.translate(16, 0);
                p.scale(-1, 1);
            }
            QPainterPath path;
            path.moveTo(13.5, 13);
            path.cubicTo(14.5, 7, 10.5, 4.5, 5.5, 5.5);
            p.setPen(Pen(QColor(20, 60, 140), 3.2));
            p.setBrush(Qt::NoBrush);
            p.drawPath(path);
            p.setPen(Pen(kSeries, 1.6));
            p.drawPath(path);
            p.setPen(Pen(kSeriesDark));
            p.setBrush(kSeries);
            p.drawPolygon(QPolygonF({{1.0, 5.5}, {6.5, 1.0}, {6.5, 10.0}}));
            break;
        }
        case 17:    // trace curve: a curve with markers along it, found at a stroke
        case 18: {  // trace symbols: symbols of one kind, found at a stroke
            if (index == 17) {
                QPainterPath curve;
                curve.moveTo(1.5, 14);
                curve.cubicTo(5, 4, 8, 13, 12, 7);
                p.setPen(Pen(kSeries, 1.4));
                p.setBrush(Qt::NoBrush);
                p.drawPath(curve);
                for (const QPointF c : {QPointF(2.5, 11.5), QPointF(6.5, 9.5), QPointF(10.5, 8.5)})
                    DrawSquare(p, c, kSeries, kSeriesDark);
            } else {
                p.setPen(Pen(kRedDark));
                p.setBrush(kRed);
                for (const QPointF c :
                     {QPointF(3.5, 12), QPointF(7.5, 8.5), QPointF(3.5, 5.5), QPointF(10.5, 12.5)})
                    p.drawEllipse(c, 1.8, 1.8);
            }
            // A spark: the click that finds them.
            p.setPen(Pen(QColor(200, 140, 0), 1.2));
            p.drawLine(QPointF(13, 1), QPointF(13, 6));
            p.drawLine(QPointF(10.5, 3.5), QPointF(15.5, 3.5));
            p.drawLine(QPointF(11.3, 1.8), QPointF(14.7, 5.2));
            p.drawLine(QPointF(11.3, 5.2), QPointF(14.7, 1.8));
            break;
        }
        default:
            break;
    }
}

}  // namespace

QPixmap ImageListPixmap(int index, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    DrawIcon(p, index);
    return pixmap;
}

QIcon ImageListIcon(int index) {
    QIcon icon;
    for (int size : {16, 24, 32})
        icon.addPixmap(ImageListPixmap(index, size));
    return icon;
}

QPixmap LogoPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // A sheet with axes, a curve and the calibration corners.
    p.setPen(Pen(QColor(60, 70, 90), 1.2));
    p.setBrush(QColor(250, 250, 245));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 4, 4);
    p.setPen(Pen(QColor(60, 70, 90), 1.4));
    p.drawLine(QPointF(6, 5), QPointF(6, 26));
    p.drawLine(QPointF(6, 26), QPointF(28, 26));
    QPainterPath curve;
    curve.moveTo(7, 24);
    curve.cubicTo(13, 23, 15, 8, 27, 7);
    p.setPen(QPen(kSeries, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    for (qreal t : {0.15, 0.5, 0.85})
        DrawSquare(p, curve.pointAtPercent(t), kSeries, kSeriesDark);
    DrawMarker(p, {20, 20}, 2.2, kMarker, 1.2);
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(LogoPixmap(size));
    return icon;
}

}  // namespace curvana
