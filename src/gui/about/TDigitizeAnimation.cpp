#include "about/TDigitizeAnimation.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimerEvent>
#include <cmath>

namespace curvana {

namespace {

// The plotted curve in chart units (0..1 on both axes).
double Curve(double x) {
    return 0.1 + 0.8 * (1 - std::exp(-3.2 * x)) + 0.04 * std::sin(9 * x);
}

}  // namespace

TDigitizeAnimation::TDigitizeAnimation(QWidget* parent) : QWidget(parent) {
    setMinimumSize(sizeHint());
}

void TDigitizeAnimation::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_.start(40, this);
}

void TDigitizeAnimation::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

void TDigitizeAnimation::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) return QWidget::timerEvent(event);
    frame_ = (frame_ + 1) % kFrames;
    update();
}

void TDigitizeAnimation::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF chart(8, 8, 110, height() - 16);
    p.fillRect(rect(), palette().base());
    p.setPen(QPen(palette().text().color(), 1.2));
    p.drawLine(chart.bottomLeft(), chart.topLeft());
    p.drawLine(chart.bottomLeft(), chart.bottomRight());
    auto at = [&](double x, double y) {
        return QPointF(chart.left() + x * chart.width(), chart.bottom() - y * chart.height());
    };

    QPainterPath path;
    for (int i = 0; i <= 100; ++i) {
        const double x = i / 100.0;
        i == 0 ? path.moveTo(at(x, Curve(x))) : path.lineTo(at(x, Curve(x)));
    }
    p.setPen(QPen(QColor(30, 110, 220), 2));
    p.drawPath(path);

    // The calibration corners.
    p.setPen(QPen(QColor(40, 170, 60), 1.5));
    for (QPointF c : {at(0, 0), at(1, 0), at(0, 1), at(1, 1)})
        p.drawEllipse(c, 2.5, 2.5);

    // The moving marker and those it has left behind, with their values.
    const double progress = std::min(1.0, frame_ / double(kFrames - 30));
    const int dropped = int(progress * 5.0 + 1e-9);
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.8));
    p.setFont(small);
    const int lineHeight = QFontMetrics(small).height();
    for (int k = 1; k <= dropped && k <= 5; ++k) {
        const double x = k / 5.0 - 0.1;
        const QPointF c = at(x, Curve(x));
        p.setPen(QPen(QColor(220, 40, 40), 1.4));
        p.drawRect(QRectF(c.x() - 3, c.y() - 3, 6, 6));
        p.setPen(palette().text().color());
        p.drawText(QPointF(chart.right() + 12, 8 + lineHeight * k),
                   QString("%1 , %2").arg(x * 10, 0, 'f', 1).arg(Curve(x) * 100, 0, 'f', 0));
    }
    if (progress < 1.0) {
        const QPointF c = at(progress, Curve(progress));
        p.setPen(QPen(QColor(220, 40, 40), 1.4));
        p.drawRect(QRectF(c.x() - 3, c.y() - 3, 6, 6));
        p.drawLine(c + QPointF(-8, 0), c + QPointF(-3, 0));
        p.drawLine(c + QPointF(3, 0), c + QPointF(8, 0));
        p.drawLine(c + QPointF(0, -8), c + QPointF(0, -3));
        p.drawLine(c + QPointF(0, 3), c + QPointF(0, 8));
    }
}

}  // namespace curvana
