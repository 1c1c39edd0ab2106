#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "document/CalibrationGrid.h"

namespace curvana {
namespace {

TEST(CalibrationGridTest, GridValuesAreNiceNumbers) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        bool linear;
        double min, max;
        std::vector<double> values;
    } cases[] = {
        {true, 0, 10, {0, 2, 4, 6, 8, 10}},
        {true, 10, 0, {0, 2, 4, 6, 8, 10}},
        {true, 0, 3, {0, 0.5, 1, 1.5, 2, 2.5, 3}},
        {true, -3.2, 3.7, {-3, -2, -1, 0, 1, 2, 3}},
        {true, 1990, 2024, {1990, 1995, 2000, 2005, 2010, 2015, 2020}},
        {true, 0, 0.0007, {0, 0.0001, 0.0002, 0.0003, 0.0004, 0.0005, 0.0006, 0.0007}},
        {true, 5, 5, {}},
        {true, nan, 1, {}},
        {true, -1e308, 1e308, {}},  // the range is no number
        {false, 1, 1000, {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000}},
        {false, 0.3, 40, {0.5, 1, 2, 5, 10, 20}},
        {false, 1, 1e6, {1, 10, 100, 1e3, 1e4, 1e5, 1e6}},
        {false, 1e-300, 1e300, {1e-300, 1e-200, 1e-100, 1, 1e100, 1e200, 1e300}},
        {false, 0, 10, {}},
        {false, 3, 3, {}},
    };
    for (const auto& c : cases) {
        const std::vector<double> values = GridValues(c.linear, c.min, c.max);
        ASSERT_EQ(values.size(), c.values.size()) << c.linear << " " << c.min << ".." << c.max;
        for (std::size_t i = 0; i < values.size(); ++i)
            EXPECT_NEAR(values[i], c.values[i], 1e-12 * std::fabs(c.values[i])) << c.min << ".." << c.max;
    }
}

}  // namespace
}  // namespace curvana
