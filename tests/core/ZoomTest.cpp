#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "document/Zoom.h"
#include "platform/NumberText.h"
#include "platform/RasterCanvas.h"
#include "support/RasterTestSupport.h"
#include "support/ZoomReference.h"

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

// A picture of the format with a pattern in every byte, its rows bottom row first when asked; an
// indexed one has a colour table one entry short, so that one index shows black.
Bitmap Patterned(PixelFormat format, int width, int height, bool bottomUp) {
    const std::size_t stride = Bitmap::StrideFor(width, format.bitsPerPixel);
    std::shared_ptr<std::uint8_t[]> rows(new std::uint8_t[stride * std::size_t(height)]);
    for (std::size_t i = 0; i < stride * std::size_t(height); ++i)
        rows[i] = std::uint8_t(i * 37 + i / 7 * 11 + 5);
    Bitmap picture(width, height, format, rows, bottomUp);
    if (format.IsIndexed()) {
        std::vector<RgbQuad> palette((std::size_t(1) << format.bitsPerPixel) - 1);
        for (std::size_t k = 0; k < palette.size(); ++k)
            palette[k] = {std::uint8_t(k * 53), std::uint8_t(k * 19 + 7), std::uint8_t(255 - k * 3), 0};
        picture.SetPalette(palette);
    }
    return picture;
}

TEST(ZoomTest, ThePixelUnderAMarkersCentreIsItsOwnPixel) {
    // Sizes where 1.4 or 1.96 times the width is not a whole number are the ones that go wrong
    // when sampling by the ratio of the rounded sizes.
    for (int level : {1, 2, 5, 13}) {
        const double f = std::pow(1.4, level);
        for (int width : {7, 13, 50, 99}) {
            Bitmap picture = Numbered(width, 9);
            const auto w = Round(width * f), h = Round(9 * f);
            const ZoomedView view(picture, f, w, h);
            ASSERT_EQ(view.Width(), w);
            for (int x = 0; x < width; ++x)
                for (int y = 0; y < 9; ++y) {
                    const std::int64_t tx = Round(f * x), ty = Round(f * y);
                    ASSERT_EQ(view.PixelColor(tx, ty), picture.PixelColor(x, y))
                        << "level " << level << " width " << width << " at " << x << "," << y;
                    ASSERT_EQ(view.Tile({tx, ty, tx + 1, ty + 1}).PixelColor(0, 0), picture.PixelColor(x, y));
                }
        }
    }
}

TEST(ZoomTest, ZoomingOutSamplesInsideThePicture) {
    // At 1/1.4 each target pixel shows the picture pixel under its centre; the last column of the
    // 143-pixel-wide result is the picture's last column.
    Bitmap picture = Numbered(200, 100);
    const double f = std::pow(1.4, -1);
    const Bitmap zoomed = ZoomedView(picture, f, 143, 71).Tile({0, 0, 143, 71});
    for (int tx : {0, 1, 70, 142})
        EXPECT_EQ(zoomed.PixelColor(tx, 70), picture.PixelColor(int(std::floor((tx + 0.5) / f)), 98)) << tx;
    EXPECT_EQ(zoomed.PixelColor(142, 0), picture.PixelColor(199, 0));
}

TEST(ZoomTest, AnyPartOfTheViewIsThatPartOfTheWholeZoomedPicture) {
    const struct {
        PixelFormat format;
        int width, height;
        bool bottomUp;
    } pictures[] = {
        {PixelFormat::Indexed(1), 13, 7, true},
        {PixelFormat::Indexed(2), 9, 11, false},
        {PixelFormat::Indexed(4), 31, 5, true},
        {PixelFormat::Indexed(8), 17, 19, false},
        {PixelFormat::Rgb555(), 23, 3, true},
        {PixelFormat::Rgb565(), 3, 29, false},
        {PixelFormat::Rgb24(), 37, 13, true},
        {PixelFormat::Rgb24(), 1, 1, false},
        {PixelFormat::Bgrx32(), 11, 15, false},
        {PixelFormat::BitFields(32, 0x000003FF, 0x000FFC00, 0x3FF00000, 0xC0000000), 21, 9, true},
        {PixelFormat::BitFields(16, 0x0F00, 0x00F0, 0x000F, 0xF000), 7, 27, false},
    };
    for (const auto& p : pictures) {
        const Bitmap picture = Patterned(p.format, p.width, p.height, p.bottomUp);
        for (int level = -5; level <= 5; ++level) {
            const double f = std::pow(1.4, level);
            const std::int64_t w = Round(p.width * f), h = Round(p.height * f);
            if (w <= 0 || h <= 0) continue;
            const Bitmap whole = test::WholeZoomedPicture(picture, f, int(w), int(h));
            const ZoomedView view(picture, f, w, h);
            const std::string where = std::to_string(p.format.bitsPerPixel) + " bits, " +
                                      std::to_string(p.width) + "x" + std::to_string(p.height) + ", level " +
                                      std::to_string(level);
            // Rectangles from the view's corners, edges and middle.
            const TRect parts[] = {{0, 0, w, h},
                                   {w - 1, h - 1, w, h},
                                   {0, h / 2, w, h / 2 + 1},
                                   {w / 3, 0, w / 3 + 1, h},
                                   {w / 4, h / 3, w - w / 5, h - h / 4},
                                   {w / 2, h / 2, w, h}};
            for (const TRect& r : parts) {
                if (r.Width() <= 0 || r.Height() <= 0) continue;
                const Bitmap tile = view.Tile(r);
                for (std::int64_t y = r.Top; y < r.Bottom; ++y)
                    ASSERT_EQ(std::memcmp(tile.Row(int(y - r.Top)), whole.Row(int(y)) + r.Left * 4,
                                          std::size_t(r.Width()) * 4),
                              0)
                        << where << ", row " << y << " of " << r.Left << "," << r.Top << "-" << r.Right << ","
                        << r.Bottom;
            }
            // Drawn onto a canvas at an offset, partly outside it, under a clip: the same pixels as
            // the whole picture drawn there.
            for (const TRect& clip : {TRect{-50, -50, 500, 500}, TRect{3, 2, 9, 40}}) {
                Bitmap expected = test::MakeRaster(40, 30, clSilver), shown = test::MakeRaster(40, 30, clSilver);
                RasterCanvas expectedCanvas(expected), shownCanvas(shown);
                expectedCanvas.SetClip(clip);
                shownCanvas.SetClip(clip);
                expectedCanvas.Draw(5 - w / 2, 4 - h / 3, whole);
                shownCanvas.DrawSource(5 - w / 2, 4 - h / 3, view);
                for (int y = 0; y < 30; ++y)
                    ASSERT_EQ(std::memcmp(shown.Row(y), expected.Row(y), 40 * 4), 0)
                        << where << ", canvas row " << y;
            }
        }
    }
}

}  // namespace
}  // namespace curvana
