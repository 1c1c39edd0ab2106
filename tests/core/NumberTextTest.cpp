#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/NumberText.h"

namespace curvana {
namespace {

// Restores the "." separator after a test that changes it.
struct SeparatorGuard {
    ~SeparatorGuard() { SetDecimalSeparator("."); }
};

TEST(NumberTextTest, RoundTiesToEven) {
    const struct {
        double in;
        std::int64_t out;
    } cases[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {3.5, 4},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {2.4999, 2},
        {2.50001, 3},
        {-2.50001, -3},
        {0.0, 0},
        {-0.49, 0},
        {142.857142857142857, 143},
        {71.4285714285714, 71},
        {4503599627370497.0, 4503599627370497},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Round(c.in), c.out) << c.in;
    EXPECT_EQ(Round(std::nan("")), 0);
    EXPECT_EQ(Round(1e300), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Round(-1e300), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(Round(-std::numeric_limits<double>::infinity()), std::numeric_limits<std::int64_t>::min());
}

TEST(NumberTextTest, FloatToStrChoosesFixedOrExponentNotation) {
    const struct {
        double in;
        const char* out;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {1.5, "1.5"},
        {100, "100"},
        {-0.0001, "-0.0001"},
        {-0.00001, "-1E-5"},
        {0.000099999, "9.9999E-5"},
        {0.00009999999999999999, "0.0001"},  // rounds up to 15 digits first
        {123456789012345.0, "123456789012345"},
        {-123456789012345.0, "-123456789012345"},
        {1e14, "100000000000000"},
        {1e15, "1E15"},
        {999999999999999.9, "1E15"},
        {1234567890123456.0, "1.23456789012346E15"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {-1.5e-7, "-1.5E-7"},
        {1e100, "1E100"},
        {2.5e-300, "2.5E-300"},
        {12.5, "12.5"},
        {-123, "-123"},
        {1234.5678, "1234.5678"},
        {4.9406564584124654e-324, "4.94065645841247E-324"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStr(c.in), c.out) << c.out;
    EXPECT_EQ(FloatToStr(std::nan("")), "NAN");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");
}

TEST(NumberTextTest, FloatToStrUsesTheDecimalSeparator) {
    SeparatorGuard guard;
    SetDecimalSeparator(",");
    EXPECT_EQ(FloatToStr(1.5), "1,5");
    EXPECT_EQ(FloatToStr(0.0001), "0,0001");
    EXPECT_EQ(FloatToStr(-1.5e-7), "-1,5E-7");
    EXPECT_EQ(FloatToStr(100), "100");
}

TEST(NumberTextTest, StrToFloatAcceptsNumbersAndRejectsEverythingElse) {
    const struct {
        const char* in;
        bool ok;
        double out;
    } cases[] = {
        {"1.5", true, 1.5},
        {" 12", true, 12},
        {"12 ", true, 12},
        {"  -3.25e2  ", true, -325},
        {"+4", true, 4},
        {"1E-5", true, 1e-5},
        {"2.5e+3", true, 2500},
        {".5", true, 0.5},
        {"5.", true, 5},
        {"0.0001", true, 0.0001},
        {"123456789012345", true, 123456789012345.0},
        {"1E-400", true, 0},  // too small for a double
        {"", false, 0},
        {"   ", false, 0},
        {"+", false, 0},
        {"-", false, 0},
        {".", false, 0},
        {"1e", false, 0},
        {"1e+", false, 0},
        {"e5", false, 0},
        {"1,5", false, 0},
        {"1.5x", false, 0},
        {"1 2", false, 0},
        {"--1", false, 0},
        {"NAN", false, 0},
        {"INF", false, 0},
        {"1E400", false, 0},
        {"0x10", false, 0},
    };
    for (const auto& c : cases) {
        double value = -99;
        EXPECT_EQ(TryStrToFloat(c.in, value), c.ok) << '"' << c.in << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.out) << '"' << c.in << '"';
        }
        EXPECT_EQ(StrToFloatOrZero(c.in), c.ok ? c.out : 0.0) << '"' << c.in << '"';
    }
}

TEST(NumberTextTest, StrToFloatReadsBackWhatFloatToStrWrites) {
    SeparatorGuard guard;
    for (const char* separator : {".", ","}) {
        SetDecimalSeparator(separator);
        for (double v : {0.0001, 1e-5, -2.5e20, 123456789012345.0, 1e15, 0.3, 6.02214076e23}) {
            double back = 0;
            ASSERT_TRUE(TryStrToFloat(FloatToStr(v), back)) << FloatToStr(v);
            EXPECT_DOUBLE_EQ(back, v);
        }
    }
    SetDecimalSeparator(",");
    double value = 0;
    EXPECT_TRUE(TryStrToFloat("1,5", value));
    EXPECT_EQ(value, 1.5);
    EXPECT_FALSE(TryStrToFloat("1.5", value));
}

TEST(NumberTextTest, StrToIntDecimalAndHexadecimal) {
    const struct {
        const char* in;
        bool ok;
        std::int32_t out;
    } cases[] = {
        {"12", true, 12},
        {" 12", true, 12},
        {"12 ", false, 0},
        {"+7", true, 7},
        {"-12", true, -12},
        {"0012", true, 12},
        {"+", false, 0},
        {"-", false, 0},
        {"", false, 0},
        {" ", false, 0},
        {"$1F", true, 31},
        {"0x1f", true, 31},
        {"0X1F", true, 31},
        {"x1F", true, 31},
        {"X1f", true, 31},
        {"-$10", true, -16},
        {"$", false, 0},
        {"0x", false, 0},
        {"$1G", false, 0},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999", false, 0},
        {"$7FFFFFFF", true, 2147483647},
        {"$FFFFFFFF", true, -1},
        {"$100000000", false, 0},
        {"1.5", false, 0},
        {"- 1", false, 0},
        {"1a", false, 0},
    };
    for (const auto& c : cases) {
        std::int32_t value = -99;
        EXPECT_EQ(TryStrToInt(c.in, value), c.ok) << '"' << c.in << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.out) << '"' << c.in << '"';
        }
    }
}

TEST(NumberTextTest, IntToStr) {
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-5), "-5");
    EXPECT_EQ(IntToStr(2147483648LL), "2147483648");
    EXPECT_EQ(IntToStr(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

}  // namespace
}  // namespace curvana
