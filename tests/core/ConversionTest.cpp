#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "document/Conversion.h"
#include "platform/NumberText.h"

namespace curvana {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

Calibration Box(TPoint c1, TPoint c2, TPoint c3, TPoint c4, double xMin, double xMax, double yMin,
                double yMax, PlotType type = PlotType::LinearLinear) {
    return Calibration{{c1, c2, c3, c4}, xMin, xMax, yMin, yMax, type};
}

// The box of the worked examples: 400 pixels wide, 300 high, axis-parallel.
Calibration Upright(double xMin, double xMax, double yMin, double yMax, PlotType type) {
    return Box({100, 400}, {500, 400}, {100, 100}, {500, 100}, xMin, xMax, yMin, yMax, type);
}

TEST(ConversionTest, ConvertsPixelsToDataValues) {
    using enum PlotType;
    const struct {
        Calibration cal;
        TPoint pixel;
        double x, y;
    } cases[] = {
        {Upright(0, 10, 0, 3, LinearLinear), {300, 250}, 5, 1.5},
        {Upright(0, 10, 0, 3, LinearLinear), {100, 400}, 0, 0},
        {Upright(0, 10, 0, 3, LinearLinear), {700, 550}, 15, -1.5},
        {Upright(0, 10, 0, 3, LinearLinear), {500, 100}, 10, 3},
        {Upright(1, 1000, 0, 3, LinearLinear), {300, 250}, 500.5, 1.5},
        {Upright(1, 1000, 0, 3, LinearLog), {500, 250}, 1000, 1.5},
        {Upright(1, 1000, 0, 3, LogLinear), {300, 250}, 500.5, 0},  // YMin 0: no log Y axis
        {Upright(1, 1000, 1, 100, LogLog), {300, 250}, std::sqrt(1000.0), 10},
        {Upright(1, 1000, -1, 100, LogLog), {300, 250}, std::sqrt(1000.0), 0},
        {Upright(0, 10, 0, 3, LogLog), {300, 250}, 0, 0},
        // Equal bounds on a linear axis: every value is the minimum.
        {Upright(7, 7, 2, 2, LinearLinear), {999, -50}, 7, 2},
        // Perspective: the top edge is shorter. The line between the midpoints of the bottom and
        // the top edge is u = 0.5; (100, 40) is on it, 60% of the way up.
        {Box({0, 100}, {200, 100}, {50, 0}, {150, 0}, 0, 1, 0, 1), {100, 40}, 0.5, 0.6},
        // Skewed sideways: the left edge leans right by 100 pixels over 200 upwards.
        {Box({0, 200}, {400, 200}, {100, 0}, {500, 0}, 0, 4, 0, 2), {250, 100}, 2, 1},
        {Box({0, 200}, {400, 200}, {100, 0}, {500, 0}, 0, 4, 0, 2), {500, 0}, 4, 2},
        // A trapezoid that narrows upwards with slanted top and bottom edges (a2 = 2000, so u is a root
        // of 2u² - 17u + 8 = 0 for (100, 60), of 2u² - 13u + 11 = 0 for corner 4).
        {Box({0, 100}, {200, 120}, {50, 0}, {150, 20}, 0, 1, 0, 1), {100, 60}, 0.5, 0.5},
        {Box({0, 100}, {200, 120}, {50, 0}, {150, 20}, 0, 1, 0, 1), {150, 20}, 1, 1},
        {Box({0, 100}, {200, 120}, {50, 0}, {150, 20}, 0, 1, 0, 1), {200, 120}, 1, 0},
    };
    for (const auto& c : cases) {
        TDataPoint d = ConvertXY(c.cal, c.pixel);
        EXPECT_NEAR(d.X, c.x, 1e-12 * std::max(1.0, std::fabs(c.x))) << c.pixel.X << "," << c.pixel.Y;
        EXPECT_NEAR(d.Y, c.y, 1e-12 * std::max(1.0, std::fabs(c.y))) << c.pixel.X << "," << c.pixel.Y;
    }
    EXPECT_EQ(FloatToStr(ConvertXY(Upright(1, 1000, 0, 3, PlotType::LinearLog), {300, 250}).X),
              "31.6227766016838");
}

// A large box that is almost a parallelogram: top and bottom edge both rise one pixel over 2·10^9,
// the top edge is one pixel shorter, so a2 = 1 against a1 ≈ -4·10^18 and a0 = 2·10^18 for the
// centre. The root is a0/|a1| ≈ 0.5; the plain root formula loses every digit and gives 0.
TEST(ConversionTest, NearlyParallelogramKeepsItsPrecision) {
    const std::int32_t e = 1000000000;
    Calibration cal = Box({-e, e}, {e, e + 1}, {-e, -e}, {e - 1, -e + 1}, 0, 1, 0, 1);
    TDataPoint d = ConvertXY(cal, {0, 0});
    EXPECT_NEAR(d.X, 0.5, 1e-6);
    EXPECT_NEAR(d.Y, 0.5, 1e-6);
}

TEST(ConversionTest, DegenerateCalibrationsGiveFiniteValues) {
    const double huge = 1e308;
    const struct {
        const char* what;
        Calibration cal;
        TPoint pixel;
        double x, y;
    } cases[] = {
        // Every pixel sits at u = 0; the fall-back for v divides by x1 - x3 = 0: the bottom edge.
        {"all corners equal", Box({5, 5}, {5, 5}, {5, 5}, {5, 5}, 0, 10, 1, 3), {40, 70}, 0, 1},
        {"zero height", Box({0, 0}, {10, 0}, {0, 0}, {10, 0}, 0, 10, 1, 3), {7, 0}, 0, 1},
        // All x equal: u = 0, v still follows the left edge.
        {"zero width", Box({100, 400}, {100, 400}, {100, 100}, {100, 100}, 0, 10, 0, 3), {300, 250}, 0, 1.5},
        {"corners 1 and 3 coincide", Box({0, 0}, {10, 10}, {0, 0}, {10, 0}, 0, 10, 1, 3), {0, 5}, 0, 1},
        {"corners 2 and 4 coincide", Box({0, 10}, {10, 0}, {0, 0}, {10, 0}, 0, 10, 1, 3), {10, 0}, 10, 1},
        // max - min overflows: the value is still taken where it exists.
        {"huge range, left", Upright(huge, -huge, 0, 3, PlotType::LinearLinear), {100, 400}, huge, 0},
        {"huge range, middle", Upright(huge, -huge, 0, 3, PlotType::LinearLinear), {300, 400}, 0, 0},
        {"huge range, quarter", Upright(huge, -huge, 0, 3, PlotType::LinearLinear), {200, 400}, huge / 2, 0},
        {"huge range, right", Upright(huge, -huge, 0, 3, PlotType::LinearLinear), {500, 400}, -huge, 0},
        {"huge range, beyond", Upright(huge, -huge, 0, 3, PlotType::LinearLinear), {700, 400}, 0, 0},
        // max/min overflows on a logarithmic axis: the geometric mean of 1e-300 and 1e300 is 1.
        {"huge log ratio", Upright(1e-300, 1e300, 0, 3, PlotType::LinearLog), {300, 400}, 1, 0},
        {"log beyond double", Upright(1e-300, 1e300, 0, 3, PlotType::LinearLog), {5000, 400}, 0, 0},
        // Corners at the ends of the 32-bit range: a1 = -(2^32 - 1)^2 needs more than 64 bits.
        {"extreme corners",
         Box({kMin, kMax}, {kMax, kMax}, {kMin, kMin}, {kMax, kMin}, 0, 1, 0, 1),
         {0, 0},
         2147483648.0 / 4294967295.0,
         2147483647.0 / 4294967295.0},
        // Corner 4 on the diagonal from corner 3 to corner 2: 2u² - 4u + 1 = 0, and v the same.
        {"three corners on a line",
         Box({0, 100}, {100, 100}, {0, 0}, {50, 50}, 0, 1, 0, 1),
         {25, 75},
         1 - std::sqrt(0.5),
         1 - std::sqrt(0.5)},
        // Corner 4 inside the triangle of the others: 7u² - 10u + 3 = 0 takes its root 3/7.
        {"corner inside the others",
         Box({0, 100}, {100, 100}, {0, 0}, {30, 70}, 0, 1, 0, 1),
         {30, 70},
         3.0 / 7,
         3.0 / 7},
    };
    // The perspective method has no map for these boxes and gives what the bilinear one gives.
    for (CalibrationMethod method : {CalibrationMethod::Bilinear, CalibrationMethod::Perspective}) {
        for (auto c : cases) {
            c.cal.method = method;
            TDataPoint d = ConvertXY(c.cal, c.pixel);
            EXPECT_TRUE(std::isfinite(d.X) && std::isfinite(d.Y)) << c.what;
            EXPECT_NEAR(d.X, c.x, 1e-12 * std::max(1.0, std::fabs(c.x))) << c.what << int(method);
            EXPECT_NEAR(d.Y, c.y, 1e-12 * std::max(1.0, std::fabs(c.y))) << c.what << int(method);
            TPoint p = DeConvertXY(c.cal, {c.x, c.y});
            c.cal.method = CalibrationMethod::Bilinear;
            EXPECT_EQ(p, DeConvertXY(c.cal, {c.x, c.y})) << c.what;
        }
    }
}

TEST(ConversionTest, DeConvertReturnsThePixelOfADataValue) {
    using enum PlotType;
    const Calibration skewed = Box({0, 200}, {400, 220}, {100, 0}, {520, 10}, 0, 4, 0, 2);
    const Calibration perspective = Box({0, 100}, {200, 100}, {50, 0}, {150, 0}, 0, 1, 0, 1);
    const struct {
        Calibration cal;
        TDataPoint value;
        TPoint pixel;
    } cases[] = {
        {Upright(0, 10, 0, 3, LinearLinear), {0, 0}, {100, 400}},
        {Upright(0, 10, 0, 3, LinearLinear), {10, 0}, {500, 400}},
        {Upright(0, 10, 0, 3, LinearLinear), {0, 3}, {100, 100}},
        {Upright(0, 10, 0, 3, LinearLinear), {10, 3}, {500, 100}},
        {Upright(0, 10, 0, 3, LinearLinear), {5, 1.5}, {300, 250}},
        {Upright(0, 10, 0, 3, LinearLinear), {15, -1.5}, {700, 550}},
        {Upright(1, 1000, 1, 100, LogLog), {1, 1}, {100, 400}},
        {Upright(1, 1000, 1, 100, LogLog), {1000, 100}, {500, 100}},
        {Upright(1, 1000, 1, 100, LogLog), {std::sqrt(1000.0), 10}, {300, 250}},
        {Upright(1, 1000, 0, 3, LinearLog), {10, 1}, {233, 300}},  // 400/3 = 133.33 pixels per decade
        // Skewed box: every corner's value gives that corner, and values inside the box the bilinear
        // map's point: (3, 0.5) is u = 0.75, v = 0.25, so x = 300 + 25 + 0.1875·20 = 328.75 and
        // y = 200 + 15 - 50 - 0.1875·10 = 163.125.
        {skewed, {4, 2}, {520, 10}},
        {skewed, {4, 0}, {400, 220}},
        {skewed, {0, 2}, {100, 0}},
        {skewed, {3, 0.5}, {329, 163}},
        {skewed, {0, 0}, {0, 200}},
        {perspective, {0.5, 0.6}, {100, 40}},
        // No place on a logarithmic axis: corner 1.
        {Upright(1, 1000, 1, 100, LogLog), {0, 10}, {100, 400}},
        {Upright(1, 1000, 1, 100, LogLog), {10, -5}, {100, 400}},
        // Far off: clamped to the 32-bit range.
        {Upright(0, 10, 0, 3, LinearLinear), {1e30, -1e30}, {kMax, kMax}},
        {Upright(0, 10, 0, 3, LinearLinear), {-1e30, 1e30}, {kMin, kMin}},
        // Degenerate calibrations: corner 1 where nothing can be worked out.
        {Box({5, 5}, {5, 5}, {5, 5}, {5, 5}, 0, 10, 0, 3), {4, 2}, {5, 5}},
        {Upright(7, 7, 2, 2, LinearLinear), {7, 2}, {100, 400}},
        // Equal bounds on a logarithmic X axis: the column of corner 1, the row still found.
        {Upright(5, 5, 1, 100, LogLog), {5, 10}, {100, 250}},
        // The range overflows a double; 0 is still halfway, where ConvertXY puts it.
        {Upright(1e308, -1e308, 0, 3, LinearLinear), {0, 1.5}, {300, 250}},
        // The ratio of the bounds overflows; 1 is halfway between 1e-300 and 1e300.
        {Upright(1e-300, 1e300, 0, 3, LinearLog), {1, 1.5}, {300, 250}},
    };
    for (const auto& c : cases) {
        TPoint p = DeConvertXY(c.cal, c.value);
        EXPECT_EQ(p, c.pixel) << c.value.X << "," << c.value.Y << " gave " << p.X << "," << p.Y;
    }
}

// A plane seen in perspective, given by its matrix: the value rectangle's fractions (u, v) go to the
// picture point (m·(u, v, 1)) with the third coordinate divided out. Its inverse is worked out
// from the adjugate of the matrix.
struct Homography {
    double m[3][3];

    void Apply(double u, double v, double& x, double& y) const {
        const double w = m[2][0] * u + m[2][1] * v + m[2][2];
        x = (m[0][0] * u + m[0][1] * v + m[0][2]) / w;
        y = (m[1][0] * u + m[1][1] * v + m[1][2]) / w;
    }
    void Invert(double x, double y, double& u, double& v) const {
        auto minor = [this](int r1, int r2, int c1, int c2) {
            return m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1];
        };
        // Rows of the adjugate applied to (x, y, 1).
        const double a[3] = {minor(1, 2, 1, 2) * x - minor(0, 2, 1, 2) * y + minor(0, 1, 1, 2),
                             -minor(1, 2, 0, 2) * x + minor(0, 2, 0, 2) * y - minor(0, 1, 0, 2),
                             minor(1, 2, 0, 1) * x - minor(0, 2, 0, 1) * y + minor(0, 1, 0, 1)};
        u = a[0] / a[2];
        v = a[1] / a[2];
    }
    TPoint Corner(double u, double v) const {
        double x, y;
        Apply(u, v, x, y);
        return {std::int32_t(Round(x)), std::int32_t(Round(y))};
    }
    // The box a user clicks on the picture's frame: the images of the rectangle's corners (the
    // matrices below put them on whole pixels).
    Calibration Box(double xMin, double xMax, double yMin, double yMax, PlotType type) const {
        Calibration cal{
            {Corner(0, 0), Corner(1, 0), Corner(0, 1), Corner(1, 1)}, xMin, xMax, yMin, yMax, type};
        cal.method = CalibrationMethod::Perspective;
        return cal;
    }
};

// Charts photographed at an angle, each with whole-pixel corners:
const Homography kPlanes[] = {
    // The right edge recedes: corners (100, 400), (400, 280), (200, 100), (480, 40).
    {{{400, 100, 100}, {-50, -300, 400}, {0.25, 0, 1}}},
    // The top edge recedes to half the bottom's length: (100, 500), (700, 500), (50, 50), (350, 50).
    {{{600, 0, 100}, {0, -400, 500}, {0, 1, 1}}},
    // Strong perspective both ways, turned by 45°: (100, 900), (500, 500), (60, 200), (396, 160).
    {{{900, -10, 100}, {100, -600, 900}, {1, 0.5, 1}}},
    // A frame in the far distance, the top edge a fifth of the bottom: (0, 1000), (1000, 1000),
    // (400, 200), (600, 200).
    {{{1000, 800, 0}, {0, -4000, 1000}, {0, 4, 1}}},
};

// The value of fractions (u, v) on an axis: linear, or logarithmic between positive bounds.
double AxisAt(bool linear, double min, double max, double t) {
    return linear ? min + t * (max - min) : min * std::pow(max / min, t);
}

TEST(ConversionTest, PerspectiveConvertsAPlaneSeenAtAnAngleExactly) {
    using enum PlotType;
    const struct {
        double xMin, xMax, yMin, yMax;
        PlotType type;
    } axes[] = {{0, 10, 0, 5, LinearLinear}, {1, 1000, 0.1, 100, LogLog}, {-3, 3, 1, 1e6, LogLinear}};
    for (const Homography& plane : kPlanes) {
        for (const auto& a : axes) {
            const Calibration cal = plane.Box(a.xMin, a.xMax, a.yMin, a.yMax, a.type);
            ASSERT_TRUE(HasPerspective(cal));
            const bool xLinear = IsXLinear(a.type), yLinear = IsYLinear(a.type);
            // Every pixel converts to the plane's own values, inside the box and beyond it.
            for (std::int32_t px = -100; px <= 1100; px += 50) {
                for (std::int32_t py = 0; py <= 1000; py += 50) {
                    double u, v;
                    plane.Invert(px, py, u, v);
                    if (std::fabs(u) > 3 || std::fabs(v) > 3) continue;  // past the plane's horizon
                    const TDataPoint d = ConvertXY(cal, {px, py});
                    const double x = AxisAt(xLinear, a.xMin, a.xMax, u),
                                 y = AxisAt(yLinear, a.yMin, a.yMax, v);
                    EXPECT_NEAR(d.X, x, 1e-9 * std::max(1.0, std::fabs(x))) << px << "," << py;
                    EXPECT_NEAR(d.Y, y, 1e-9 * std::max(1.0, std::fabs(y))) << px << "," << py;
                }
            }
            // Data points drawn on the chart: DeConvertXY finds their pixel, and that pixel converts
            // back to the data within what the rounding to whole pixels allows.
            for (double u = 0; u <= 1; u += 0.125) {
                for (double v = 0; v <= 1; v += 0.125) {
                    const TDataPoint data{AxisAt(xLinear, a.xMin, a.xMax, u),
                                          AxisAt(yLinear, a.yMin, a.yMax, v)};
                    double x, y;
                    plane.Apply(u, v, x, y);
                    const TPoint p = DeConvertXY(cal, data);
                    EXPECT_LE(std::fabs(p.X - x), 0.5 + 1e-9) << u << "," << v;
                    EXPECT_LE(std::fabs(p.Y - y), 0.5 + 1e-9) << u << "," << v;
                    double pu, pv;
                    plane.Invert(p.X, p.Y, pu, pv);
                    const TDataPoint back = ConvertXY(cal, p);
                    EXPECT_NEAR(back.X, AxisAt(xLinear, a.xMin, a.xMax, pu),
                                1e-9 * std::max(1.0, std::fabs(data.X)));
                    EXPECT_NEAR(back.Y, AxisAt(yLinear, a.yMin, a.yMax, pv),
                                1e-9 * std::max(1.0, std::fabs(data.Y)));
                }
            }
        }
    }
}

// Typed values land where they say: converting a pixel and putting the values back gives the same
// pixel, with both methods, on skewed, rotated and perspective boxes.
TEST(ConversionTest, DeConvertInvertsConvertOnEveryBox) {
    const Calibration boxes[] = {
        Box({0, 200}, {400, 220}, {100, 0}, {520, 10}, 0, 4, 0, 2),
        // A chart turned by 3°: corners of a 600 by 400 frame rotated about (400, 300).
        Box({90, 484}, {689, 515}, {111, 85}, {710, 116}, 0, 100, 0, 50),
        Box({0, 100}, {200, 120}, {50, 0}, {150, 20}, 1, 1000, 1, 100, PlotType::LogLog),
        kPlanes[0].Box(0, 10, 0, 5, PlotType::LinearLinear),
        kPlanes[2].Box(1, 1000, 0, 5, PlotType::LinearLog),
        kPlanes[3].Box(0, 10, 1, 100, PlotType::LogLinear),
    };
    for (Calibration cal : boxes) {
        for (CalibrationMethod method : {CalibrationMethod::Bilinear, CalibrationMethod::Perspective}) {
            cal.method = method;
            for (double u = -0.25; u <= 1.25; u += 0.0625) {
                for (double v = -0.25; v <= 1.25; v += 0.0625) {
                    const TPlanePoint at = BoxPosition(cal, u, v);
                    const TPoint p{std::int32_t(Round(at.X)), std::int32_t(Round(at.Y))};
                    EXPECT_EQ(DeConvertXY(cal, ConvertXY(cal, p)), p)
                        << int(method) << " " << cal.corner[1].X << ": " << p.X << "," << p.Y;
                }
            }
        }
    }
}

// On a parallelogram the bilinear and the perspective map are the same affine map.
TEST(ConversionTest, MethodsAgreeOnParallelograms) {
    const Calibration boxes[] = {
        Upright(0, 10, 0, 3, PlotType::LinearLinear),
        Upright(1, 1000, 1, 100, PlotType::LogLog),
        Box({0, 200}, {400, 200}, {100, 0}, {500, 0}, 0, 4, 0, 2),
        Box({100, 400}, {500, 380}, {130, 100}, {530, 80}, -5, 5, 1, 10, PlotType::LogLinear),
        Box({-3000, 70000}, {90000, 60000}, {-1000, -50000}, {92000, -60000}, 0, 1, 0, 1),
    };
    for (Calibration cal : boxes) {
        for (std::int32_t px = -200; px <= 1000; px += 37) {
            for (std::int32_t py = -200; py <= 800; py += 41) {
                cal.method = CalibrationMethod::Bilinear;
                const TDataPoint b = ConvertXY(cal, {px, py});
                cal.method = CalibrationMethod::Perspective;
                const TDataPoint p = ConvertXY(cal, {px, py});
                EXPECT_NEAR(p.X, b.X, 1e-9 * std::max(1.0, std::fabs(b.X))) << px << "," << py;
                EXPECT_NEAR(p.Y, b.Y, 1e-9 * std::max(1.0, std::fabs(b.Y))) << px << "," << py;
            }
        }
        for (double x : {cal.XMin, cal.XMax, 0.3 * cal.XMin + 0.7 * cal.XMax}) {
            for (double y : {cal.YMin, cal.YMax, 0.6 * cal.YMin + 0.4 * cal.YMax}) {
                cal.method = CalibrationMethod::Bilinear;
                const TPoint b = DeConvertXY(cal, {x, y});
                cal.method = CalibrationMethod::Perspective;
                EXPECT_EQ(DeConvertXY(cal, {x, y}), b) << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace curvana
