#include <gtest/gtest.h>

#include <cmath>

#include "document/Zoom.h"
#include "platform/NumberText.h"

namespace curvana {
namespace {

// A picture whose every pixel has its own colour: red = x, green = y.
Bitmap Numbered(int width, int height) {
    Bitmap picture(width, height, PixelFormat::Rgb24());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.SetPixelValue(x, y, std::uint32_t(x) << 16 | std::uint32_t(y) << 8);
    return picture;
}

TEST(ZoomTest, ThePixelUnderAMarkersCentreIsItsOwnPixel) {
    // Sizes where 1.4 or 1.96 times the width is not a whole number are the ones that go wrong
    // when sampling by the ratio of the rounded sizes.
    for (int level : {1, 2, 5}) {
        const double f = std::pow(1.4, level);
        for (int width : {7, 13, 50, 99}) {
            Bitmap picture = Numbered(width, 9);
            const auto w = int(Round(width * f)), h = int(Round(9 * f));
            Bitmap zoomed = ZoomPicture(picture, f, w, h);
            ASSERT_EQ(zoomed.Width(), w);
            for (int x = 0; x < width; ++x)
                for (int y = 0; y < 9; ++y)
                    ASSERT_EQ(zoomed.PixelColor(int(Round(f * x)), int(Round(f * y))),
                              picture.PixelColor(x, y))
                        << "level " << level << " width " << width << " at " << x << "," << y;
        }
    }
}

TEST(ZoomTest, ZoomingOutSamplesInsideThePicture) {
    // At 1/1.4 each target pixel shows the picture pixel under its centre; the last column of the
    // 143-pixel-wide result is the picture's last column.
    Bitmap picture = Numbered(200, 100);
    const double f = std::pow(1.4, -1);
    Bitmap zoomed = ZoomPicture(picture, f, 143, 71);
    for (int tx : {0, 1, 70, 142})
        EXPECT_EQ(zoomed.PixelColor(tx, 70), picture.PixelColor(int(std::floor((tx + 0.5) / f)), 98)) << tx;
    EXPECT_EQ(zoomed.PixelColor(142, 0), picture.PixelColor(199, 0));
}

}  // namespace
}  // namespace curvana
