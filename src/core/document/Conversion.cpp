#include "document/Conversion.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/NumberText.h"

namespace curvana {

namespace {

// Products of differences of 32-bit coordinates need 65 bits; their sums a few more. 128-bit
// integers hold them exactly, so the coefficients are rounded only once, when they become doubles.
using Wide = __int128;

Wide D(std::int32_t a, std::int32_t b) {
    return Wide(a) - Wide(b);
}

double FiniteOrZero(double value) {
    return std::isfinite(value) ? value : 0.0;
}

// The root of a2·u² + a1·u + a0 = 0 that runs from 0 at the box's left edge to 1 at its right edge:
// (-a1 - √(a1² - 4·a2·a0)) / (2·a2). When a1 is negative that numerator subtracts two nearly equal
// numbers for a box that is almost a parallelogram (a2 small against a1), and for large coordinates
// it comes out as exactly 0 although the root is not; the same root is then taken in the equivalent
// form 2·a0 / (-a1 + √(a1² - 4·a2·a0)), which has no cancellation.
// No real root: 0. A linear equation (a2 = 0): -a0 / a1. No equation at all: `noEquation`.
double SolveU(double a2, double a1, double a0, double noEquation) {
    if (a2 != 0) {
        if (4 * a2 * a0 > a1 * a1) return 0;
        double root = std::sqrt(a1 * a1 - 4 * a2 * a0);
        return a1 < 0 ? 2 * a0 / (-a1 + root) : (-a1 - root) / (2 * a2);
    }
    if (a1 != 0) return -a0 / a1;
    return noEquation;
}

// The value at fraction t of an axis from `min` to `max`.
// Linear: min + t·(max - min). When max - min overflows (min 1e308, max -1e308) the same value is
// taken as min·(1 - t) + max·t, which stays finite for every t between 0 and 1.
// Logarithmic: min·(max/min)^t for positive bounds, otherwise 0 (the axis has no values). When the
// ratio overflows or underflows, the same value is taken through logarithms.
// A value that is still not finite (far outside the box, or NaN bounds) is shown as 0: the listing
// must never show "NAN" or "INF".
double AxisValue(bool linear, double min, double max, double t) {
    double value;
    if (linear) {
        value = min + t * (max - min);
        if (!std::isfinite(value)) value = min * (1 - t) + max * t;
    } else {
        if (!(min > 0 && max > 0)) return 0;
        value = min * std::pow(max / min, t);
        if (!std::isfinite(value) || value == 0)
            value = std::exp(std::log(min) * (1 - t) + std::log(max) * t);
    }
    return FiniteOrZero(value);
}

// The inverse of AxisValue's logarithmic scale: the linear stand-in for `value` that lies between
// min and max in the same proportion as log(value) between log(min) and log(max).
// Bounds that are not both positive leave the axis without values: min.
// Equal bounds give min too (the formula would divide 0 by 0); every pixel shows min on such an axis,
// as on a linear axis with equal bounds.
// Quotients that overflow or underflow (bounds 1e-300 and 1e300) are taken as differences of
// logarithms instead, as in AxisValue.
// A non-positive value gives NaN, which the caller turns into corner 1's position.
double LogAxisPosition(double min, double max, double value) {
    if (!(min > 0 && max > 0)) return min;
    double range = std::log10(max / min);
    if (!std::isfinite(range)) range = std::log10(max) - std::log10(min);
    if (range == 0) return min;
    double position = std::log10(value / min);
    if (!std::isfinite(position) && value > 0) position = std::log10(value) - std::log10(min);
    return min + (max - min) * position / range;
}

std::int32_t ToPixel(double value) {
    std::int64_t rounded = Round(value);
    if (rounded > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (rounded < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return std::int32_t(rounded);
}

}  // namespace

bool IsXLinear(PlotType type) {
    return type == PlotType::LinearLinear || type == PlotType::LogLinear;
}

bool IsYLinear(PlotType type) {
    return type == PlotType::LinearLinear || type == PlotType::LinearLog;
}

TDataPoint ConvertXY(const Calibration& cal, TPoint p) {
    const TPoint* c = cal.corner;
    auto [x1, y1] = c[0];
    auto [x2, y2] = c[1];
    auto [x3, y3] = c[2];
    auto [x4, y4] = c[3];
    auto [px, py] = p;

    // u is the fraction along the bottom and top edges, v the fraction from the bottom edge to the top
    // edge along the line joining the points at u on both.
    Wide a2 = D(y4, y3) * D(x2, x1) - D(y2, y1) * D(x4, x3);
    Wide a1 = D(y4, y3) * D(x1, px) + D(y3, py) * D(x2, x1) - D(y2, y1) * D(x3, px) - D(y1, py) * D(x4, x3);
    Wide a0 = D(y3, py) * D(x1, px) - D(y1, py) * D(x3, px);
    // u is finite here (the coefficients are exact integers, a2 and a1 at least 1 when used as
    // divisors); the guard is for safety only.
    double u = FiniteOrZero(SolveU(double(a2), double(a1), double(a0), 0));

    double lower = y1 + u * (double(y2) - y1);
    double upper = y3 + u * (double(y4) - y3);
    double v;
    if (upper - lower != 0) {
        v = (py - lower) / (upper - lower);
    } else if (y1 == y3 && u == 0) {
        v = (double(x1) - px) / (double(x1) - x3);
    } else if (y2 == y4 && u == 1) {
        v = (double(x2) - px) / (double(x2) - x4);
    } else {
        v = 0;
    }
    // A box that has collapsed to a line or a point divides by 0 above (x1 = x3 in the fall-backs),
    // and a nearly flat one can overflow; such a pixel sits on the bottom edge.
    v = FiniteOrZero(v);

    return {AxisValue(IsXLinear(cal.type), cal.XMin, cal.XMax, u),
            AxisValue(IsYLinear(cal.type), cal.YMin, cal.YMax, v)};
}

TPoint DeConvertXY(const Calibration& cal, TDataPoint value) {
    TDataPoint d[4];
    for (int k = 0; k < 4; ++k)
        d[k] = ConvertXY(cal, cal.corner[k]);

    double x = IsXLinear(cal.type) ? value.X : LogAxisPosition(cal.XMin, cal.XMax, value.X);
    double y = IsYLinear(cal.type) ? value.Y : LogAxisPosition(cal.YMin, cal.YMax, value.Y);
    // A value with no place on the axis (0 or negative on a logarithmic one) has no pixel either.
    if (!std::isfinite(x) || !std::isfinite(y)) return cal.corner[0];

    // The same interpolation as in ConvertXY, now over the corners' data values.
    double a2 = (d[3].Y - d[2].Y) * (d[1].X - d[0].X) - (d[1].Y - d[0].Y) * (d[3].X - d[2].X);
    double a1 = (d[3].Y - d[2].Y) * (d[0].X - x) + (d[2].Y - y) * (d[1].X - d[0].X) -
                (d[1].Y - d[0].Y) * (d[2].X - x) - (d[0].Y - y) * (d[3].X - d[2].X);
    double a0 = (d[2].Y - y) * (d[0].X - x) - (d[0].Y - y) * (d[2].X - x);
    double noEquation = cal.XMax != cal.XMin ? (x - cal.XMin) / (cal.XMax - cal.XMin) : 0;
    // Data values near the limits of double overflow the coefficients and give NaN; such a value
    // lands on corner 1's column (u = 0), and the row is still worked out.
    double u = FiniteOrZero(SolveU(a2, a1, a0, noEquation));

    double lower = d[0].Y + (d[1].Y - d[0].Y) * u;
    double upper = d[2].Y + (d[3].Y - d[2].Y) * u;
    double v;
    if (upper - lower != 0) {
        v = (y - lower) / (upper - lower);
    } else {
        v = cal.YMax != cal.YMin ? (y - cal.YMin) / (cal.YMax - cal.YMin) : 0;
    }
    v = FiniteOrZero(v);

    const TPoint* c = cal.corner;
    return {ToPixel(c[0].X + (double(c[1].X) - c[0].X) * u), ToPixel(c[0].Y + (double(c[2].Y) - c[0].Y) * v)};
}

}  // namespace curvana
