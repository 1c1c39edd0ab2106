#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/RasterCanvas.h"

namespace curvana {
namespace {

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr TColor kBackground = RGB(1, 2, 3);

using Pixels = std::vector<std::pair<int, int>>;  // (x, y)
using Picture = std::vector<std::string>;         // one string per row, one character per pixel

Bitmap MakeRaster(int width, int height) {
    Bitmap raster(width, height, PixelFormat::Raster32());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            raster.SetPixelValue(x, y, ToRasterPixel(kBackground));
    return raster;
}

// The pixels that no longer have the background colour, sorted.
Pixels Changed(const Bitmap& raster) {
    Pixels changed;
    for (int y = 0; y < raster.Height(); ++y)
        for (int x = 0; x < raster.Width(); ++x)
            if (raster.PixelColor(x, y) != kBackground) changed.push_back({x, y});
    std::sort(changed.begin(), changed.end());
    return changed;
}

Pixels Sorted(Pixels pixels) {
    std::sort(pixels.begin(), pixels.end());
    return pixels;
}

// The raster with the background as '.', a colour of the legend as its letter and any other as '?'.
Picture Render(const Bitmap& raster, const std::map<TColor, char>& legend) {
    Picture picture(std::size_t(raster.Height()), std::string(std::size_t(raster.Width()), '?'));
    for (int y = 0; y < raster.Height(); ++y)
        for (int x = 0; x < raster.Width(); ++x) {
            const TColor c = raster.PixelColor(x, y);
            auto it = legend.find(c);
            if (c == kBackground) picture[y][x] = '.';
            if (it != legend.end()) picture[y][x] = it->second;
        }
    return picture;
}

// A 24-bit picture whose pixel (x, y) has the colour RGB(x, y, 77).
Bitmap Gradient(int width, int height) {
    Bitmap picture(width, height, PixelFormat::Rgb24());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.SetPixelValue(x, y, std::uint32_t(x << 16 | y << 8 | 77));  // bytes blue, green, red
    return picture;
}

TEST(RasterCanvasTest, RefusesOtherPixelFormats) {
    Bitmap rgb(2, 2, PixelFormat::Rgb24()), rgbx(2, 2, PixelFormat::BitFields(32, 0xFF, 0xFF00, 0xFF0000)),
        raster = MakeRaster(2, 2);
    EXPECT_THROW(RasterCanvas{rgb}, std::invalid_argument);
    EXPECT_THROW(RasterCanvas{rgbx}, std::invalid_argument);
    RasterCanvas canvas(raster);
    EXPECT_EQ(canvas.PenColor(), clBlack);
    EXPECT_EQ(canvas.BrushColor(), clWhite);
    EXPECT_EQ(canvas.PenX(), 0);
    EXPECT_EQ(canvas.PenY(), 0);
}

TEST(RasterCanvasTest, DrawsRightOnA32BitPictureKeptAsItsFileHoldsIt) {
    // A 32-bit BMP file's rows, bottom row first, at an odd place in the file's buffer: a canvas
    // on it must still put row 0 at the top.
    const std::size_t rowBytes = 3 * 4;
    std::shared_ptr<std::uint8_t[]> block(new std::uint8_t[1 + 2 * rowBytes]());
    Bitmap picture(3, 2, PixelFormat::Bgrx32(), std::shared_ptr<std::uint8_t[]>(block, block.get() + 1),
                   true);
    picture.SetPixelValue(0, 1, ToRasterPixel(clRed));  // bottom left
    RasterCanvas canvas(picture);
    canvas.SetPenColor(RGB(0, 0, 255));
    canvas.MoveTo(0, 0);
    canvas.LineTo(3, 0);  // the top row
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(picture.PixelColor(x, 0), RGB(0, 0, 255)) << x;
        EXPECT_EQ(picture.PixelColor(x, 1), x == 0 ? clRed : clBlack) << x;
    }
}

TEST(RasterCanvasTest, ClippedDrawingChangesOnlyTheClipAndThereAsUnclipped) {
    // Every kind of drawing, with the clip placed over and beside it: inside the clip the pixels
    // are those the same drawing gives without a clip, outside it they stay the background.
    const Bitmap source = Gradient(9, 7);
    const std::function<void(RasterCanvas&)> drawings[] = {
        [](RasterCanvas& c) {
            c.MoveTo(-5, 3);
            c.LineTo(40, 17);
        },  // shallow, crossing the raster
        [](RasterCanvas& c) {
            c.MoveTo(12, -3);
            c.LineTo(2, 30);
        },  // steep, upwards in x
        [](RasterCanvas& c) {
            c.MoveTo(kMin, kMin);
            c.LineTo(kMax, kMax);
        },
        [](RasterCanvas& c) {
            c.MoveTo(20, 12);
            c.LineTo(6, 4);
        },  // wholly on the raster
        [](RasterCanvas& c) {
            c.Rectangle({3, 2, 22, 15});
        },
        [](RasterCanvas& c) {
            c.FillRect({-10, 5, 12, 40});
        },
        [&source](RasterCanvas& c) {
            c.CopyRect({4, 3, 13, 10}, source, {0, 0, 9, 7});
        },
        [&source](RasterCanvas& c) {
            c.StretchDraw({-3, 1, 30, 19}, source);
        },
    };
    const TRect clips[] = {
        {5, 4, 15, 12}, {0, 0, 25, 20}, {-100, -100, 8, 6}, {18, 10, 1000, 1000}, {7, 7, 7, 12}};
    for (std::size_t d = 0; d < std::size(drawings); ++d) {
        Bitmap unclipped = MakeRaster(25, 20);
        RasterCanvas plain(unclipped);
        plain.SetPenColor(clRed);
        drawings[d](plain);
        for (const TRect& clip : clips) {
            Bitmap raster = MakeRaster(25, 20);
            RasterCanvas canvas(raster);
            canvas.SetPenColor(clRed);
            canvas.SetClip(clip);
            drawings[d](canvas);
            int wrong = 0;
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 25; ++x) {
                    const bool inside = x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom;
                    wrong += raster.PixelColor(x, y) != (inside ? unclipped.PixelColor(x, y) : kBackground);
                }
            EXPECT_EQ(wrong, 0) << "drawing " << d << ", clip " << clip.Left << "," << clip.Top;
        }
        // Without the clip everything is drawn again.
        Bitmap raster = MakeRaster(25, 20);
        RasterCanvas canvas(raster);
        canvas.SetPenColor(clRed);
        canvas.SetClip({5, 4, 6, 5});
        canvas.ResetClip();
        drawings[d](canvas);
        EXPECT_EQ(Changed(raster), Changed(unclipped)) << "drawing " << d;
    }
    // A raster made smaller under a canvas clipped to its old size is still never drawn past.
    Bitmap raster = MakeRaster(25, 20);
    RasterCanvas canvas(raster);
    canvas.SetClip({0, 0, 25, 20});
    raster = MakeRaster(6, 5);
    for (const auto& draw : drawings)
        draw(canvas);
    EXPECT_FALSE(Changed(raster).empty());
}

TEST(RasterCanvasTest, LinesSetTheStartButNotTheEnd) {
    struct Case {
        std::int64_t x0, y0, x1, y1;
        Pixels expected;
    };
    const Case cases[] = {
        {2, 2, 6, 2, {{2, 2}, {3, 2}, {4, 2}, {5, 2}}},  // right
        {6, 2, 2, 2, {{6, 2}, {5, 2}, {4, 2}, {3, 2}}},  // left
        {3, 1, 3, 4, {{3, 1}, {3, 2}, {3, 3}}},          // down
        {3, 4, 3, 1, {{3, 4}, {3, 3}, {3, 2}}},          // up
        {1, 1, 4, 4, {{1, 1}, {2, 2}, {3, 3}}},          // the four diagonals
        {4, 4, 1, 1, {{4, 4}, {3, 3}, {2, 2}}},
        {1, 4, 4, 1, {{1, 4}, {2, 3}, {3, 2}}},
        {4, 1, 1, 4, {{4, 1}, {3, 2}, {2, 3}}},
        {5, 5, 5, 5, {}},
        // Shallow: y = round(0.4 * i).
        {0, 0, 5, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
        // A tie at i = 2 (y = 0.5 from the start) goes the way the line travels.
        {0, 0, 4, 1, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
        {4, 1, 0, 0, {{4, 1}, {3, 1}, {2, 0}, {1, 0}}},
        // Steep: x = round(2 * i / 7) from the start, either way.
        {1, 0, 3, 7, {{1, 0}, {1, 1}, {2, 2}, {2, 3}, {2, 4}, {2, 5}, {3, 6}}},
        {3, 7, 1, 0, {{3, 7}, {3, 6}, {2, 5}, {2, 4}, {2, 3}, {2, 2}, {1, 1}}},
    };
    for (const Case& c : cases) {
        Bitmap raster = MakeRaster(10, 10);
        RasterCanvas canvas(raster);
        canvas.MoveTo(c.x0, c.y0);
        canvas.LineTo(c.x1, c.y1);
        EXPECT_EQ(Changed(raster), Sorted(c.expected))
            << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
        EXPECT_EQ(canvas.PenX(), c.x1);
        EXPECT_EQ(canvas.PenY(), c.y1);
    }
}

TEST(RasterCanvasTest, ConsecutiveLinesContinueFromThePen) {
    Bitmap raster = MakeRaster(6, 5);
    RasterCanvas canvas(raster);
    canvas.SetPenColor(clRed);
    canvas.MoveTo(1, 1);
    canvas.LineTo(4, 1);
    canvas.LineTo(4, 3);
    EXPECT_EQ(Changed(raster), Pixels({{1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 2}}));
    EXPECT_EQ(raster.PixelColor(4, 2), clRed);
}

TEST(RasterCanvasTest, LinesWithHugeCoordinatesAreClipped) {
    struct Case {
        std::int64_t x0, y0, x1, y1;
        Pixels expected;  // on an 8 x 6 raster
    };
    const std::int64_t g = 1'000'000'000, e = 100'000'000'000'000'000;
    const Pixels row5 = {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}};
    const Pixels diagonal = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}};
    const Case cases[] = {
        {-2 * g, 5, 3 * g, 5, row5},
        {3 * g, 5, -2 * g, 5, row5},
        {5, -2 * g, 5, 3 * g, {{5, 0}, {5, 1}, {5, 2}, {5, 3}, {5, 4}, {5, 5}}},
        {-2 * g, -2 * g, 3 * g, 3 * g, diagonal},
        {kMin, kMin, kMax, kMax, diagonal},
        {3 * g + 5, -3 * g, -3 * g + 5, 3 * g, {{0, 5}, {1, 4}, {2, 3}, {3, 2}, {4, 1}, {5, 0}}},
        // Slope exactly 1/3 through the origin: y = round(x / 3).
        {-3 * e, -e, 3 * e + 3, e + 1, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {6, 2}, {7, 2}}},
        // 2^64 - 1 steps with one step up: the tie falls between x = -1 and x = 0.
        {kMin, 0, kMax, 1, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}}},
        {kMax, 0, kMin, 1, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},
        {kMin, kMax, kMax, kMin, {}},  // passes the raster's corner outside it
    };
    for (const Case& c : cases) {
        Bitmap raster = MakeRaster(8, 6);
        RasterCanvas canvas(raster);
        canvas.MoveTo(c.x0, c.y0);
        canvas.LineTo(c.x1, c.y1);
        EXPECT_EQ(Changed(raster), Sorted(c.expected))
            << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
    }
}

TEST(RasterCanvasTest, ClippedLinesMatchTheSameLineOnALargerRaster) {
    // Every line between points around a 20 x 15 raster, compared with the line drawn 40 pixels
    // further right and down on a raster large enough to hold it whole.
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> coordinate(-35, 55);
    for (int n = 0; n < 3000; ++n) {
        const int x0 = coordinate(random), y0 = coordinate(random), x1 = coordinate(random),
                  y1 = coordinate(random);
        Bitmap small = MakeRaster(20, 15), large = MakeRaster(140, 140);
        RasterCanvas smallCanvas(small), largeCanvas(large);
        smallCanvas.MoveTo(x0, y0);
        smallCanvas.LineTo(x1, y1);
        largeCanvas.MoveTo(x0 + 40, y0 + 40);
        largeCanvas.LineTo(x1 + 40, y1 + 40);
        Pixels inWindow;
        for (auto [x, y] : Changed(large))
            if (x >= 40 && x < 60 && y >= 40 && y < 55) inWindow.push_back({x - 40, y - 40});
        ASSERT_EQ(Changed(small), inWindow) << x0 << "," << y0 << " to " << x1 << "," << y1;
    }
}

TEST(RasterCanvasTest, RectanglesOutlineWithThePenAndFillWithTheBrush) {
    struct Case {
        TRect rect;
        bool fillOnly;
        Picture expected;  // P pen, B brush
    };
    const Case cases[] = {
        {{0, 0, 4, 3}, false, {"PPPP....", "PBBP....", "PPPP....", "........", "........"}},
        {{2, 1, 3, 4}, false, {"........", "..P.....", "..P.....", "..P.....", "........"}},
        {{5, 2, 7, 4}, false, {"........", "........", ".....PP.", ".....PP.", "........"}},
        {{-2, -2, 3, 3}, false, {"BBP.....", "BBP.....", "PPP.....", "........", "........"}},
        {{6, 3, 12, 9}, false, {"........", "........", "........", "......PP", "......PB"}},
        {{kMin, kMin, kMax, kMax}, false, {"BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "BBBBBBBB"}},
        {{3, 3, 3, 5}, false, {"........", "........", "........", "........", "........"}},
        {{4, 1, 2, 3}, false, {"........", "........", "........", "........", "........"}},
        {{1, 1, 4, 3}, true, {"........", ".BBB....", ".BBB....", "........", "........"}},
        {{-5, 3, 100, 100}, true, {"........", "........", "........", "BBBBBBBB", "BBBBBBBB"}},
        {{kMax, 1, kMin, 3}, true, {"........", "........", "........", "........", "........"}},
    };
    for (const Case& c : cases) {
        Bitmap raster = MakeRaster(8, 5);
        RasterCanvas canvas(raster);
        canvas.SetPenColor(clRed);
        canvas.SetBrushColor(clSilver);
        if (c.fillOnly)
            canvas.FillRect(c.rect);
        else
            canvas.Rectangle(c.rect);
        EXPECT_EQ(Render(raster, {{clRed, 'P'}, {clSilver, 'B'}}), c.expected)
            << c.rect.Left << "," << c.rect.Top << "," << c.rect.Right << "," << c.rect.Bottom;
    }
}

TEST(RasterCanvasTest, CopyRectFromEveryFormatClipsAtAllEdges) {
    const PixelFormat formats[] = {PixelFormat::Indexed(1), PixelFormat::Indexed(4), PixelFormat::Indexed(8),
                                   PixelFormat::Rgb565(), PixelFormat::Rgb24()};
    struct Case {
        TRect dest, src;  // on an 8 x 7 raster, from a 6 x 5 picture
    };
    const Case cases[] = {
        {{1, 1, 7, 6}, {0, 0, 6, 5}},    // whole
        {{-2, -1, 4, 4}, {0, 0, 6, 5}},  // beyond the raster's left and top
        {{4, 4, 10, 9}, {0, 0, 6, 5}},   // beyond its right and bottom
        {{1, 1, 7, 6}, {-2, -3, 4, 2}},  // beyond the picture's left and top
        {{1, 1, 7, 6}, {3, 2, 9, 7}},    // beyond its right and bottom
        {{-3, 5, 3, 10}, {4, -2, 10, 3}},       {{kMax - 2, 0, kMax, 2}, {0, 0, 2, 2}},
        {{0, 0, 2, 2}, {kMin, 0, kMin + 2, 2}},
    };
    std::minstd_rand random(7);
    for (const PixelFormat& format : formats) {
        Bitmap picture(6, 5, format);
        if (format.IsIndexed()) {
            std::vector<RgbQuad> palette;
            for (int i = 0; i < (1 << format.bitsPerPixel); ++i)
                palette.push_back({std::uint8_t(i), std::uint8_t(100 + i % 7), std::uint8_t(255 - i), 0});
            picture.SetPalette(palette);
        }
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x)
                picture.SetPixelValue(x, y, std::uint32_t(random()));
        for (const Case& c : cases) {
            Bitmap raster = MakeRaster(8, 7);
            RasterCanvas(raster).CopyRect(c.dest, picture, c.src);
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 8; ++x) {
                    // Raster pixel (dest.Left + i, dest.Top + j) shows picture pixel (src.Left + i, src.Top +
                    // j).
                    const __int128 i = x - __int128(c.dest.Left), j = y - __int128(c.dest.Top);
                    const __int128 sx = c.src.Left + i, sy = c.src.Top + j;
                    const bool copied = i >= 0 && i < c.dest.Width() && j >= 0 && j < c.dest.Height() &&
                                        sx >= 0 && sx < 6 && sy >= 0 && sy < 5;
                    const TColor expected = copied ? picture.PixelColor(int(sx), int(sy)) : kBackground;
                    ASSERT_EQ(raster.PixelColor(x, y), expected)
                        << format.bitsPerPixel << " bits, dest " << c.dest.Left << "," << c.dest.Top
                        << " src " << c.src.Left << "," << c.src.Top << " at " << x << "," << y;
                }
        }
    }
}

TEST(RasterCanvasTest, CopyRectStretchesAndCopiesWithinItsOwnRaster) {
    const Bitmap picture = Gradient(6, 5);
    // Picture columns 1..2 of row 1 into 4 x 2: each column twice, the row twice.
    Bitmap raster = MakeRaster(5, 3);
    RasterCanvas canvas(raster);
    canvas.CopyRect({0, 0, 4, 2}, picture, {1, 1, 3, 2});
    const std::map<TColor, char> legend = {{RGB(1, 1, 77), 'a'}, {RGB(2, 1, 77), 'b'}};
    EXPECT_EQ(Render(raster, legend), Picture({"aabb.", "aabb.", "....."}));

    // Rectangles about 2^64 wide whose sizes differ by two: the visible part is copied one to one.
    Bitmap huge = MakeRaster(8, 7);
    RasterCanvas(huge).CopyRect({kMin + 1, kMin + 1, kMax, kMax}, picture,
                                {kMin + 2, kMin + 2, kMax - 1, kMax - 1});
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(huge.PixelColor(x, y), x < 6 && y < 5 ? RGB(x, y, 77) : kBackground) << x << "," << y;

    // Shifting a row one pixel right within the raster reads the pixels as they were.
    Bitmap row = MakeRaster(5, 1);
    for (int x = 0; x < 5; ++x)
        row.SetPixelValue(x, 0, ToRasterPixel(RGB(x, 0, 0)));
    RasterCanvas(row).CopyRect({1, 0, 5, 1}, row, {0, 0, 4, 1});
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(row.PixelColor(x, 0), RGB(x == 0 ? 0 : x - 1, 0, 0)) << x;
}

TEST(RasterCanvasTest, DrawPlacesTheWholePicture) {
    const Bitmap picture = Gradient(4, 5);
    struct Case {
        std::int64_t x, y;
    };
    for (const Case& c :
         {Case{-2, -3}, Case{3, 2}, Case{-4, 0}, Case{kMax - 1, kMax - 1}, Case{kMin, kMin}}) {
        Bitmap raster = MakeRaster(5, 4);
        RasterCanvas(raster).Draw(c.x, c.y, picture);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) {
                const __int128 sx = x - __int128(c.x), sy = y - __int128(c.y);
                const bool inside = sx >= 0 && sx < 4 && sy >= 0 && sy < 5;
                ASSERT_EQ(raster.PixelColor(x, y), inside ? RGB(int(sx), int(sy), 77) : kBackground)
                    << c.x << "," << c.y << " at " << x << "," << y;
            }
    }
}

TEST(RasterCanvasTest, StretchDrawSamplesPixelCentres) {
    // Source pixel (x, y) of each picture is letter 'a' + y * width + x.
    struct Case {
        int srcW, srcH;
        TRect dest;
        Picture expected;  // on a 7 x 4 raster
    };
    const std::int64_t m = std::int64_t(1) << 20;
    const Case cases[] = {
        {2, 1, {0, 0, 4, 1}, {"aabb...", ".......", ".......", "......."}},
        // Columns 0,0,1,2,2 and rows 0,1,1.
        {3, 2, {1, 0, 6, 3}, {".aabcc.", ".ddeff.", ".ddeff.", "......."}},
        // Columns floor((2t + 1) * 5 / 4) = 1, 3; rows 2t + 1 = 1, 3.
        {5, 4, {0, 0, 2, 2}, {"gi.....", "qs.....", ".......", "......."}},
        // Columns floor((2t + 1) * 7 / 4) = 1, 5: most of the source row unused.
        {7, 1, {0, 3, 2, 4}, {".......", ".......", ".......", "bf....."}},
        // Each source pixel 2^20 wide and high; the edges between them at x = 3 and y = 2.
        {2, 2, {-m + 3, -m + 2, m + 3, m + 2}, {"aaabbbb", "aaabbbb", "cccdddd", "cccdddd"}},
        // About 2^64 wide: 2t + 1 reaches the width (2^64 - 5) from x = 1 on.
        {2, 2, {kMin + 4, kMin + 4, kMax, kMax}, {"abbbbbb", "cdddddd", "cdddddd", "cdddddd"}},
        {2, 2, {3, 1, 3, 4}, {".......", ".......", ".......", "......."}},
        {2, 2, {5, 3, 1, 4}, {".......", ".......", ".......", "......."}},
    };
    for (const Case& c : cases) {
        Bitmap picture(c.srcW, c.srcH, PixelFormat::Indexed(8));
        std::vector<RgbQuad> palette;
        std::map<TColor, char> legend;
        for (int i = 0; i < c.srcW * c.srcH; ++i) {
            palette.push_back({std::uint8_t(10 * i), 200, 0, 0});
            legend[RGB(0, 200, std::uint8_t(10 * i))] = char('a' + i);
            picture.SetPixelValue(i % c.srcW, i / c.srcW, std::uint32_t(i));
        }
        picture.SetPalette(palette);
        Bitmap raster = MakeRaster(7, 4);
        RasterCanvas(raster).StretchDraw(c.dest, picture);
        EXPECT_EQ(Render(raster, legend), c.expected)
            << c.srcW << "x" << c.srcH << " into " << c.dest.Left << "," << c.dest.Top << "," << c.dest.Right
            << "," << c.dest.Bottom;
    }
}

TEST(RasterCanvasTest, ZoomedPixelUnderAPointIsThatPointsOwnPixel) {
    // At zoom 1.4, result pixel Round(1.4 * x) shows source pixel x, for every x.
    for (int width : {5, 35, 6000}) {
        const int height = 5;
        Bitmap picture(width, height, PixelFormat::Rgb24());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                picture.SetPixelValue(x, y, std::uint32_t(y << 16 | x));
        const int zoomedW = width * 14 / 10, zoomedH = height * 14 / 10;
        Bitmap raster = MakeRaster(zoomedW, zoomedH);
        RasterCanvas(raster).StretchDraw({0, 0, zoomedW, zoomedH}, picture);
        auto round14 = [](int v) { return (14 * v + 5) / 10; };  // 1.4 * v is never a half
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(raster.PixelColor(round14(x), round14(y)), picture.PixelColor(x, y))
                    << width << " wide, at " << x << "," << y;
    }
}

}  // namespace
}  // namespace curvana
