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
    };
    for (const auto& c : cases) {
        TDataPoint d = ConvertXY(c.cal, c.pixel);
        EXPECT_TRUE(std::isfinite(d.X) && std::isfinite(d.Y)) << c.what;
        EXPECT_NEAR(d.X, c.x, 1e-12 * std::max(1.0, std::fabs(c.x))) << c.what;
        EXPECT_NEAR(d.Y, c.y, 1e-12 * std::max(1.0, std::fabs(c.y))) << c.what;
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
        // Skewed box: corner 4's value gives (x2, y3), corner 1's gives (x1, y1).
        {skewed, {4, 2}, {400, 0}},
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
        {Upright(1e308, -1e308, 0, 3, LinearLinear), {0, 1.5}, {100, 250}},
        // The ratio of the bounds overflows; 1 is halfway between 1e-300 and 1e300.
        {Upright(1e-300, 1e300, 0, 3, LinearLog), {1, 1.5}, {300, 250}},
    };
    for (const auto& c : cases) {
        TPoint p = DeConvertXY(c.cal, c.value);
        EXPECT_EQ(p, c.pixel) << c.value.X << "," << c.value.Y << " gave " << p.X << "," << p.Y;
    }
}

}  // namespace
}  // namespace curvana
