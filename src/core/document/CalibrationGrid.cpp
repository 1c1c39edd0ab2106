#include "document/CalibrationGrid.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/NumberText.h"

namespace curvana {

bool ShowCalibrationGrid = false;

namespace {

constexpr double kMaxLines = 10;

// Whether a positive value lies in [lo, hi], allowing for the rounding of powers of ten.
bool Within(double value, double lo, double hi) {
    return value >= lo * (1 - 1e-9) && value <= hi * (1 + 1e-9);
}

std::vector<double> LinearValues(double lo, double hi) {
    std::vector<double> values;
    const double range = hi - lo;
    if (!(range > 0) || !std::isfinite(range)) return values;
    const int top = int(std::floor(std::log10(range)));
    for (int e = top - 2; e <= top + 1; ++e) {
        for (double m : {1.0, 2.0, 5.0}) {
            const double step = m * std::pow(10.0, e);
            const double first = std::ceil(lo / step - 1e-9), last = std::floor(hi / step + 1e-9);
            if (last - first + 1 > kMaxLines) continue;
            for (double i = first; i <= last; ++i)
                values.push_back(i == 0 ? 0.0 : i * step);
            return values;
        }
    }
    return values;
}

std::vector<double> LogValues(double lo, double hi) {
    std::vector<double> values;
    if (!(lo > 0) || !std::isfinite(hi) || !(hi > lo)) return values;
    const double first = std::floor(std::log10(lo)), last = std::floor(std::log10(hi));
    const double decades = std::log10(hi) - std::log10(lo);
    if (decades <= 3) {
        for (double d = first; d <= last; ++d)
            for (double m : {1.0, 2.0, 5.0})
                if (const double v = m * std::pow(10.0, d); Within(v, lo, hi)) values.push_back(v);
        return values;
    }
    // Every `every`-th power of ten, with at most ten of them: every 1, 2, 5, 10, 20, ... powers.
    const double powers = last - first + 1;
    double every = 1;
    for (int k = 0; powers / every > kMaxLines; ++k)
        every = (k % 3 == 0 ? 2 : k % 3 == 1 ? 5 : 10) * std::pow(10.0, k / 3);
    for (double d = std::ceil(first / every) * every; d <= last + 1; d += every)
        if (const double v = std::pow(10.0, d); Within(v, lo, hi)) values.push_back(v);
    return values;
}

// Keeps the part of the segment from a to b that lies in [0, w] × [0, h] (Liang-Barsky); false when
// none does.
bool ClipSegment(double& ax, double& ay, double& bx, double& by, double w, double h) {
    double t0 = 0, t1 = 1;
    const double dx = bx - ax, dy = by - ay;
    const std::pair<double, double> edges[4] = {{-dx, ax}, {dx, w - ax}, {-dy, ay}, {dy, h - ay}};
    for (auto [p, q] : edges) {
        if (p == 0) {
            if (q < 0) return false;
            continue;
        }
        const double t = q / p;
        if (p < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    bx = ax + t1 * dx;
    by = ay + t1 * dy;
    ax += t0 * dx;
    ay += t0 * dy;
    return true;
}

}  // namespace

std::vector<double> GridValues(bool linear, double min, double max) {
    const double lo = std::min(min, max), hi = std::max(min, max);
    return linear ? LinearValues(lo, hi) : LogValues(lo, hi);
}

void DrawCalibrationGrid(Canvas& canvas, const Calibration& cal, std::int64_t ox, std::int64_t oy,
                         double zoom, std::int64_t width, std::int64_t height) {
    canvas.SetPenColor(kGridColor);
    // A line of constant u (or v) is straight under both methods: its ends on the box's edges fix it.
    auto line = [&](double u0, double v0, double u1, double v1) {
        const TPlanePoint a = BoxPosition(cal, u0, v0), b = BoxPosition(cal, u1, v1);
        double ax = a.X * zoom, ay = a.Y * zoom, bx = b.X * zoom, by = b.Y * zoom;
        if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by)) return;
        if (!ClipSegment(ax, ay, bx, by, double(width - 1), double(height - 1))) return;
        canvas.MoveTo(ox + Round(ax), oy + Round(ay));
        canvas.LineTo(ox + Round(bx), oy + Round(by));
        // The line's own end point, which LineTo leaves out.
        canvas.LineTo(ox + Round(bx) + 1, oy + Round(by));
    };
    for (double x : GridValues(IsXLinear(cal.type), cal.XMin, cal.XMax)) {
        const double u = AxisFraction(IsXLinear(cal.type), cal.XMin, cal.XMax, x);
        if (std::isfinite(u)) line(u, 0, u, 1);
    }
    for (double y : GridValues(IsYLinear(cal.type), cal.YMin, cal.YMax)) {
        const double v = AxisFraction(IsYLinear(cal.type), cal.YMin, cal.YMax, y);
        if (std::isfinite(v)) line(0, v, 1, v);
    }
}

}  // namespace curvana
