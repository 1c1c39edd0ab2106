#include <gtest/gtest.h>

#include <algorithm>

#include "document/TMarkerBox.h"
#include "platform/RasterCanvas.h"
#include "support/RasterTestSupport.h"

namespace curvana {
namespace {

using test::AddRow;
using test::PixelSet;

// The box a new 200 by 100 picture gets: corners at 10 % and 90 %.
TMarkerBox DefaultBox() {
    TMarkerBox box;
    box.PlaceCorners({20, 20, 180, 180}, {10, 90, 10, 90});
    return box;
}

TEST(MarkerBoxTest, PlaceCornersSortsPointsByGeometry) {
    const std::array<TPoint, 4> points = {TPoint{20, 10}, TPoint{20, 90}, TPoint{180, 10}, TPoint{180, 90}};
    std::array<int, 4> order = {0, 1, 2, 3};
    do {  // every order of the four points gives the same corners
        std::array<std::int32_t, 4> xs, ys;
        for (int i = 0; i < 4; ++i) {
            xs[i] = points[order[i]].X;
            ys[i] = points[order[i]].Y;
        }
        TMarkerBox box;
        box.PlaceCorners(xs, ys);
        EXPECT_EQ(box.Marker(1).Position(), (TPoint{20, 90}));
        EXPECT_EQ(box.Marker(2).Position(), (TPoint{180, 90}));
        EXPECT_EQ(box.Marker(3).Position(), (TPoint{20, 10}));
        EXPECT_EQ(box.Marker(4).Position(), (TPoint{180, 10}));
    } while (std::next_permutation(order.begin(), order.end()));

    // A skewed box keeps its corners: the nearest point to the top-left is corner 3, the farthest
    // corner 2, and of the other two the flatter direction is corner 4.
    TMarkerBox skewed;
    skewed.PlaceCorners({30, 10, 200, 170}, {5, 120, 20, 140});
    EXPECT_EQ(skewed.Marker(3).Position(), (TPoint{30, 5}));
    EXPECT_EQ(skewed.Marker(2).Position(), (TPoint{170, 140}));
    EXPECT_EQ(skewed.Marker(4).Position(), (TPoint{200, 20}));
    EXPECT_EQ(skewed.Marker(1).Position(), (TPoint{10, 120}));
}

TEST(MarkerBoxTest, PlaceCornersWithTiesGivesEveryCornerAPoint) {
    TMarkerBox box;
    box.PlaceCorners({7, 7, 7, 7}, {7, 7, 7, 7});  // all four at one place, as a damaged file may hold
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(box.Marker(n).Position(), (TPoint{7, 7})) << n;

    // (10, 20) and (20, 10) lie at the same distance from the top-left corner.
    TMarkerBox diamond;
    diamond.PlaceCorners({10, 20, 100, 110}, {20, 10, 110, 100});
    std::vector<TPoint> placed;
    for (int n = 1; n <= 4; ++n)
        placed.push_back(diamond.Marker(n).Position());
    for (TPoint p : {TPoint{10, 20}, TPoint{20, 10}, TPoint{100, 110}, TPoint{110, 100}})
        EXPECT_EQ(std::count(placed.begin(), placed.end(), p), 1) << p.X << "," << p.Y;
}

TEST(MarkerBoxTest, CanMoveToKeepsTheBoxConvex) {
    TMarkerBox box = DefaultBox();
    const struct {
        int corner;
        std::int32_t x, y;
        bool allowed;
    } cases[] = {
        {1, 179, 50, false},  // x + 1 = 180 is not left of corner 4
        {1, 100, 95, true},
        {1, 100, 12, false},  // not below the diagonal 2-3, which passes y = 50 at x = 100
        {1, 100, 52, true},
        {1, 100, 51, false},  // y - 1 = 50 lies on that diagonal: strict comparison
        {2, 21, 95, false},   // x - 1 = 20 is not right of corner 3
        {2, 22, 95, true},
        {3, 20, 88, true},
        {3, 20, 89, false},  // y + 1 = 90 is not above corner 2 nor the bottom edge
        {3, 100, 48, true},
        {3, 100, 49, false},  // y + 1 = 50 lies on the diagonal 4-1
        {4, 200, -30, true},
        {4, 21, 10, false},
        {5, 0, 0, true},  // no such corner
    };
    for (const auto& c : cases)
        EXPECT_EQ(box.CanMoveTo(c.corner, c.x, c.y), c.allowed) << c.corner << ": " << c.x << "," << c.y;
}

TEST(MarkerBoxTest, CanMoveToWithCoincidingCornersKeepsCornersMovable) {
    TMarkerBox box;  // all four corners at (0, 0), as a damaged project file may leave them
    EXPECT_TRUE(box.CanMoveTo(1, -5, 5));
    EXPECT_TRUE(box.CanMoveTo(4, 5, -5));
    EXPECT_FALSE(box.CanMoveTo(1, 5, -5));  // still never onto the wrong side of the opposite corner
}

TEST(MarkerBoxTest, BottomEdgeStopsTheGapShortOfTheCorners) {
    std::int32_t saved = MSize;
    MSize = 4;
    TMarkerBox box = DefaultBox();
    Bitmap raster = test::MakeRaster(230, 130);
    RasterCanvas canvas(raster);
    box.Draw(canvas, 10, 10, 1.0);
    PixelSet red = test::PixelsOfColor(raster, clRed);
    // Corner 1 is drawn at (30, 100) and corner 2 at (190, 100); the edge runs from (40, 100) to
    // (180, 100), the end excluded. Between the corner symbols' arms and the edge stay gaps.
    for (std::int64_t x = 40; x <= 179; ++x)
        EXPECT_EQ(red.count({x, 100}), 1u) << x;
    for (std::int64_t x : {38, 39, 180, 181})
        EXPECT_EQ(red.count({x, 100}), 0u) << x;
    EXPECT_EQ(red.count({37, 100}), 1u);   // end of corner 1's right arm
    EXPECT_EQ(red.count({182, 100}), 1u);  // start of corner 2's left arm

    MSize = 2;  // no gap: the edges run into the corner centres
    test::RecordingCanvas lines;
    box.Draw(lines, 10, 10, 1.0);
    ASSERT_EQ(lines.lines.size(), 4u * 8 + 4);
    EXPECT_EQ(lines.lines[32], (test::RecordingCanvas::Line{30, 100, 190, 100, clRed}));  // 1 -> 2
    EXPECT_EQ(lines.lines[33], (test::RecordingCanvas::Line{190, 100, 190, 20, clRed}));  // 2 -> 4
    EXPECT_EQ(lines.lines[34], (test::RecordingCanvas::Line{30, 20, 190, 20, clRed}));    // 3 -> 4
    EXPECT_EQ(lines.lines[35], (test::RecordingCanvas::Line{30, 100, 30, 20, clRed}));    // 1 -> 3
    MSize = saved;
}

TEST(MarkerBoxTest, EraseRestoresTheCornersEdgesAndSquare) {
    std::int32_t saved = MSize;
    MSize = 4;
    TMarkerBox box = DefaultBox();
    Bitmap background = test::MakeRaster(200, 100, clSilver);
    Bitmap raster = test::MakeRaster(230, 130);
    RasterCanvas canvas(raster);
    box.Erase(canvas, background, 1.0, 10, 10, 1);
    // Edge 1-2: (19, 89) to (181, 91) in the picture; edge 1-3: (19, 9) to (21, 91); corner 1's
    // square (12, 82) to (28, 98); all shifted by (10, 10) and clipped to the background.
    PixelSet expected;
    for (std::int64_t y = 89; y < 91; ++y)
        AddRow(expected, y + 10, 19 + 10, 180 + 10);
    for (std::int64_t y = 9; y < 91; ++y)
        AddRow(expected, y + 10, 19 + 10, 20 + 10);
    for (std::int64_t y = 82; y < 98; ++y)
        AddRow(expected, y + 10, 12 + 10, 27 + 10);
    EXPECT_EQ(test::PixelsOfColor(raster, clSilver), expected);

    Bitmap untouched = test::MakeRaster(230, 130);
    RasterCanvas other(untouched);
    box.Erase(other, background, 1.0, 10, 10, 0);  // no such corner: nothing restored
    EXPECT_TRUE(test::PixelsOfColor(untouched, clSilver).empty());
    MSize = saved;
}

}  // namespace
}  // namespace curvana
