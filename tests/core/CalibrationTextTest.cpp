#include <gtest/gtest.h>

#include "document/CalibrationText.h"

namespace curvana {
namespace {

TEST(CalibrationTextTest, WritesAndReadsBack) {
    Calibration cal{
        {{100, 400}, {-5, 2147483647}, {0, -2147483647 - 1}, {7, 8}}, 0.1 + 0.2, -1e-300, 1e300, 3};
    cal.method = CalibrationMethod::Perspective;
    const std::string text = CalibrationToText(cal);
    EXPECT_EQ(text,
              "Curvana calibration\n"
              "corner 1 = 100, 400\n"
              "corner 2 = -5, 2147483647\n"
              "corner 3 = 0, -2147483648\n"
              "corner 4 = 7, 8\n"
              "X minimum = 0.30000000000000004\n"
              "X maximum = -1e-300\n"
              "Y minimum = 1e+300\n"
              "Y maximum = 3\n"
              "method = Perspective\n");
    const auto back = CalibrationFromText(text);
    ASSERT_TRUE(back);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(back->corner[k], cal.corner[k]);
    EXPECT_EQ(back->XMin, cal.XMin);
    EXPECT_EQ(back->XMax, cal.XMax);
    EXPECT_EQ(back->YMin, cal.YMin);
    EXPECT_EQ(back->YMax, cal.YMax);
    EXPECT_EQ(back->method, CalibrationMethod::Perspective);
}

TEST(CalibrationTextTest, ReadsOnlyWholeCalibrations) {
    const std::string body =
        "corner 1 = 1, 2\ncorner 2 = 3, 4\ncorner 3 = 5, 6\ncorner 4 = 7, 8\n"
        "X minimum = 0\nX maximum = 10\nY minimum = 1\nY maximum = 100\n";
    const std::string good = "Curvana calibration\n" + body + "method = Bilinear\n";
    const struct {
        const char* what;
        std::string text;
        bool reads;
    } cases[] = {
        {"as written", good, true},
        {"edited by hand: CR LF, blanks, a note",
         "Curvana calibration\r\n  corner 1=1 ,2\r\nnote = by hand\r\n" + body.substr(16) +
             "method =  Bilinear \r\n",
         true},
        {"no title", body + "method = Bilinear\n", false},
        {"another title", "Curvana calibrations\n" + body + "method = Bilinear\n", false},
        {"no method", "Curvana calibration\n" + body, false},
        {"an unknown method", "Curvana calibration\n" + body + "method = Affine\n", false},
        {"a value twice", good + "X minimum = 1\n", false},
        {"a corner without its y",
         "Curvana calibration\ncorner 1 = 1\n" + body.substr(16) + "method = Bilinear\n", false},
        {"a fractional corner",
         "Curvana calibration\ncorner 1 = 1.5, 2\n" + body.substr(16) + "method = Bilinear\n", false},
        {"a corner beyond 32 bits",
         "Curvana calibration\ncorner 1 = 2147483648, 2\n" + body.substr(16) + "method = Bilinear\n", false},
        {"a scale value that is no number",
         "Curvana calibration\n" + body.substr(0, 64) + "X minimum = abc\n" + body.substr(78) +
             "method = Bilinear\n",
         false},
        {"text after a number",
         "Curvana calibration\n" + body.substr(0, 64) + "X minimum = 0 m\n" + body.substr(78) +
             "method = Bilinear\n",
         false},
        {"an infinite scale value",
         "Curvana calibration\n" + body.substr(0, 64) + "X minimum = inf\n" + body.substr(78) +
             "method = Bilinear\n",
         false},
        {"empty", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalibrationFromText(c.text).has_value(), c.reads) << c.what;
    const auto edited = CalibrationFromText(cases[1].text);
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->corner[0], (TPoint{1, 2}));
    EXPECT_EQ(edited->YMax, 100);
}

}  // namespace
}  // namespace curvana
