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

namespace {

struct Fractions {
    double u = 0;
    double v = 0;
};

// The fractions (u, v) of the box that the bilinear map takes to pixel p.
Fractions BilinearFractions(const Calibration& cal, TPoint p) {
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
    return {u, FiniteOrZero(v)};
}

using Real = long double;

// The projective map of a convex box, taken relative to corner 1:
// picture - corner 1 = ((a·u + b·v) / w, (d·u + e·v) / w) with w = g·u + h·v + 1.
struct Projective {
    Real a, b, d, e, g, h;
};

// The turn from edge p→q to edge q→r: positive one way, negative the other, 0 on a line.
Wide Turn(TPoint p, TPoint q, TPoint r) {
    return D(q.X, p.X) * D(r.Y, q.Y) - D(q.Y, p.Y) * D(r.X, q.X);
}

bool MakeProjective(const Calibration& cal, Projective& m) {
    if (!HasPerspective(cal)) return false;
    auto [x1, y1] = cal.corner[0];
    auto [x2, y2] = cal.corner[1];
    auto [x3, y3] = cal.corner[2];
    auto [x4, y4] = cal.corner[3];
    // How far the box is from a parallelogram, and the map's two perspective terms (exact integers
    // up to the final division; den is not 0 for a convex box).
    const Wide sx = D(x4, x2) - D(x3, x1), sy = D(y4, y2) - D(y3, y1);
    const Wide dx1 = D(x2, x4), dx2 = D(x3, x4), dy1 = D(y2, y4), dy2 = D(y3, y4);
    const Wide den = dx1 * dy2 - dx2 * dy1;
    if (den == 0) return false;
    m.g = Real(sx * dy2 - dx2 * sy) / Real(den);
    m.h = Real(dx1 * sy - sx * dy1) / Real(den);
    m.a = Real(D(x2, x1)) * (1 + m.g);
    m.d = Real(D(y2, y1)) * (1 + m.g);
    m.b = Real(D(x3, x1)) * (1 + m.h);
    m.e = Real(D(y3, y1)) * (1 + m.h);
    return true;
}

// The fractions the perspective map takes to pixel p; false for a box without one and for a pixel
// on the line the map sends to infinity (the horizon of the plot's plane).
bool PerspectiveFractions(const Calibration& cal, TPoint p, Fractions& f) {
    Projective m;
    if (!MakeProjective(cal, m)) return false;
    const Real x = Real(D(p.X, cal.corner[0].X)), y = Real(D(p.Y, cal.corner[0].Y));
    // Solving the map for (u, v) gives two linear equations whose determinant is linear in x and y.
    const Real det = (m.a * m.e - m.b * m.d) + x * (m.h * m.d - m.g * m.e) + y * (m.b * m.g - m.a * m.h);
    if (det == 0) return false;
    const Real u = (m.e * x - m.b * y) / det, v = (m.a * y - m.d * x) / det;
    if (!std::isfinite(double(u)) || !std::isfinite(double(v))) return false;
    f = {double(u), double(v)};
    return true;
}

// The fraction of an axis that a value stands at, in the axis' linear stand-in (LogAxisPosition):
// 0 on an axis whose bounds are equal or whose range overflows.
Real PositionFraction(double position, double min, double max) {
    if (max == min) return 0;
    const Real t = (Real(position) - Real(min)) / (Real(max) - Real(min));
    return std::isfinite(double(t)) ? t : 0;
}

}  // namespace

bool HasPerspective(const Calibration& cal) {
    const TPoint* c = cal.corner;
    // Around the box: 1, 2, 4, 3.
    const Wide turns[4] = {Turn(c[0], c[1], c[3]), Turn(c[1], c[3], c[2]), Turn(c[3], c[2], c[0]),
                           Turn(c[2], c[0], c[1])};
    bool positive = true, negative = true;
    for (Wide t : turns) {
        positive = positive && t > 0;
        negative = negative && t < 0;
    }
    return positive || negative;
}

TDataPoint ConvertXY(const Calibration& cal, TPoint p) {
    Fractions f;
    if (cal.method != CalibrationMethod::Perspective || !PerspectiveFractions(cal, p, f))
        f = BilinearFractions(cal, p);
    return {AxisValue(IsXLinear(cal.type), cal.XMin, cal.XMax, f.u),
            AxisValue(IsYLinear(cal.type), cal.YMin, cal.YMax, f.v)};
}

namespace {

// The picture position of fractions given in extended precision, so that far-off values keep their
// direction until they are clamped to the pixel range.
TPlanePoint Position(const Calibration& cal, Real u, Real v) {
    const TPoint* c = cal.corner;
    const Real x1 = c[0].X, y1 = c[0].Y;
    Projective m;
    if (cal.method == CalibrationMethod::Perspective && MakeProjective(cal, m)) {
        const Real w = m.g * u + m.h * v + 1;
        const Real x = x1 + (m.a * u + m.b * v) / w, y = y1 + (m.d * u + m.e * v) / w;
        if (w != 0 && !std::isnan(double(x)) && !std::isnan(double(y))) return {double(x), double(y)};
    }
    const Real twistX = Real(c[3].X) - c[2].X - c[1].X + c[0].X,
               twistY = Real(c[3].Y) - c[2].Y - c[1].Y + c[0].Y;
    return {double(x1 + u * (Real(c[1].X) - x1) + v * (Real(c[2].X) - x1) + u * v * twistX),
            double(y1 + u * (Real(c[1].Y) - y1) + v * (Real(c[2].Y) - y1) + u * v * twistY)};
}

}  // namespace

TPlanePoint BoxPosition(const Calibration& cal, double u, double v) {
    return Position(cal, u, v);
}

double AxisFraction(bool linear, double min, double max, double value) {
    const double position = linear ? value : LogAxisPosition(min, max, value);
    return std::isfinite(position) ? double(PositionFraction(position, min, max)) : position;
}

TPoint DeConvertXY(const Calibration& cal, TDataPoint value) {
    double x = IsXLinear(cal.type) ? value.X : LogAxisPosition(cal.XMin, cal.XMax, value.X);
    double y = IsYLinear(cal.type) ? value.Y : LogAxisPosition(cal.YMin, cal.YMax, value.Y);
    // A value with no place on the axis (0 or negative on a logarithmic one) has no pixel either.
    if (!std::isfinite(x) || !std::isfinite(y)) return cal.corner[0];

    const TPlanePoint p =
        Position(cal, PositionFraction(x, cal.XMin, cal.XMax), PositionFraction(y, cal.YMin, cal.YMax));
    // Opposite infinities in the twist term of an extreme value have no direction.
    if (std::isnan(p.X) || std::isnan(p.Y)) return cal.corner[0];
    return {ToPixel(p.X), ToPixel(p.Y)};
}

}  // namespace curvana
