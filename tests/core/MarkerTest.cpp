#include <gtest/gtest.h>

#include "markers/TMarkerLine.h"
#include "platform/RasterCanvas.h"
#include "support/RasterTestSupport.h"

namespace curvana {
namespace {

using test::AddColumn;
using test::AddRow;
using test::PixelSet;

// Restores the marker size after a test that changes it.
struct MSizeGuard {
    std::int32_t saved = MSize;
    ~MSizeGuard() { MSize = saved; }
};

// The symbol of a marker centred at (x, y) with half-size s, by the drawing rules: the square's
// outline from (x - s, y - s) to (x + s, y + s) and the arms x - 2s .. x - 2, x + 2 .. x + 2s - 1
// on row y, and likewise on column x.
PixelSet Symbol(std::int64_t x, std::int64_t y, std::int64_t s) {
    PixelSet set;
    AddRow(set, y - s, x - s, x + s);
    AddRow(set, y + s, x - s, x + s);
    AddColumn(set, x - s, y - s, y + s);
    AddColumn(set, x + s, y - s, y + s);
    AddRow(set, y, x - 2 * s, x - 2);
    AddRow(set, y, x + 2, x + 2 * s - 1);
    AddColumn(set, x, y - 2 * s, y - 2);
    AddColumn(set, x, y + 2, y + 2 * s - 1);
    return set;
}

TEST(MarkerTest, SymbolSetsSquareAndArmsAndLeavesTheCentreCrossFree) {
    MSizeGuard guard;
    for (std::int32_t size : {2, 4, 7}) {
        MSize = size;
        Bitmap raster = test::MakeRaster(80, 80);
        RasterCanvas canvas(raster);
        TMarker m;
        m.Color = clRed;
        m.X = 30;
        m.Y = 25;
        m.Draw(canvas, 10, 10, 1.0);  // centre at (40, 35)
        PixelSet red = test::PixelsOfColor(raster, clRed);
        EXPECT_EQ(red, Symbol(40, 35, size)) << "MSize " << size;
        for (auto [dx, dy] : {std::pair{0, 0}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}})
            EXPECT_EQ(red.count({40 + dx, 35 + dy}), 0u) << "MSize " << size;
        // The left and upper arms reach one pixel further than the right and lower ones.
        EXPECT_EQ(red.count({40 - 2 * size, 35}), 1u);
        EXPECT_EQ(red.count({40 + 2 * size, 35}), 0u);
        EXPECT_EQ(red.count({40, 35 - 2 * size}), 1u);
        EXPECT_EQ(red.count({40, 35 + 2 * size}), 0u);
    }
}

TEST(MarkerTest, ZoomedPositionAndErase) {
    MSizeGuard guard;
    MSize = 4;
    Bitmap background = test::MakeRaster(100, 100, clSilver);
    Bitmap raster = test::MakeRaster(120, 120);
    RasterCanvas canvas(raster);
    TMarker m;
    m.X = 25;  // 1.4 * 25 = 35
    m.Y = 15;  // 1.4 * 15 = 21
    m.Draw(canvas, 10, 10, 1.4);
    EXPECT_EQ(test::PixelsOfColor(raster, clBlack), Symbol(45, 31, 4));
    // Erase copies the 16 by 16 square around the zoomed centre from the background.
    m.Erase(canvas, background, 10, 10, 1.4);
    PixelSet expected;
    for (std::int64_t y = 31 - 8; y < 31 + 8; ++y)
        AddRow(expected, y, 45 - 8, 45 + 7);
    EXPECT_EQ(test::PixelsOfColor(raster, clSilver), expected);
    EXPECT_TRUE(test::PixelsOfColor(raster, clBlack).empty());
}

TEST(MarkerTest, HitTestToleranceShrinksWithZoom) {
    MSizeGuard guard;
    MSize = 4;
    TMarker m;
    m.X = 100;
    m.Y = 50;
    const struct {
        TPoint p;
        double zoom;
        bool hit;
    } cases[] = {
        {{104, 54}, 1.0, true},  {{96, 46}, 1.0, true},  {{105, 50}, 1.0, false},
        {{100, 45}, 1.0, false}, {{102, 52}, 1.4, true}, {{103, 50}, 1.4, false},
        {{100, 47}, 1.4, false}, {{108, 50}, 0.5, true}, {{109, 50}, 0.5, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(m.HitTest(c.p, c.zoom), c.hit) << c.p.X << "," << c.p.Y << " at " << c.zoom;
}

TEST(MarkerTest, SeriesSegmentsStopTheGapShortOfTheCentres) {
    MSizeGuard guard;
    // (MSize, distance between the two markers on one row, first and last pixel of the segment)
    const struct {
        std::int32_t size;
        std::int32_t x0, x1;
        std::int64_t first, last;
    } cases[] = {
        {2, 20, 50, 20, 49},  // gap 0: from centre to centre, end excluded
        {4, 20, 70, 30, 59},  // gap 10
        {6, 20, 90, 40, 69},  // gap 20
    };
    for (const auto& c : cases) {
        MSize = c.size;
        Bitmap raster = test::MakeRaster(120, 40);
        RasterCanvas canvas(raster);
        TMarkerLine series({c.x0, 20}, {c.x1, 20});
        series.SetColor(RGB(0, 0, 255));
        series.Draw(canvas, 0, 0, 1.0);
        PixelSet expected = Symbol(c.x0, 20, c.size);
        PixelSet second = Symbol(c.x1, 20, c.size);
        expected.insert(second.begin(), second.end());
        AddRow(expected, 20, c.first, c.last);
        EXPECT_EQ(test::PixelsOfColor(raster, RGB(0, 0, 255)), expected) << "MSize " << c.size;
        EXPECT_EQ(series.Marker(0).Color, RGB(0, 0, 255));  // the markers take the series colour
    }
}

TEST(MarkerTest, CloseMarkersGetABackwardStroke) {
    MSizeGuard guard;
    MSize = 4;  // gap 10
    test::RecordingCanvas canvas;
    TMarkerLine close({20, 20}, {25, 20});
    close.Draw(canvas, 0, 0, 1.0);
    ASSERT_FALSE(canvas.lines.empty());
    // Start 10 pixels past the first centre towards the second, end 10 short of the second.
    EXPECT_EQ(canvas.lines.back(), (test::RecordingCanvas::Line{30, 20, 15, 20, clBlack}));

    canvas.lines.clear();
    TMarkerLine twoGaps({20, 20}, {40, 20});  // exactly twice the gap apart: an empty line
    twoGaps.Draw(canvas, 0, 0, 1.0);
    EXPECT_EQ(canvas.lines.back(), (test::RecordingCanvas::Line{30, 20, 30, 20, clBlack}));
}

TEST(MarkerTest, FindNearestAndInsertionPlaces) {
    TMarkerLine series({0, 0}, {100, 0});
    const struct {
        TPoint p;
        double distance;
        int index, neighbour;
    } cases[] = {
        {{50, 3}, 9, 0, 1},      // beside the inside of the segment
        {{-10, 0}, 100, 0, -1},  // beyond the first point
        {{120, 5}, 425, 1, -1},  // beyond the last point
        {{10, 10}, 100, 0, 1},   // the inside of the segment is nearer than the first marker
        {{0, 5}, 25, 0, -1},     // beside the first point: the segment's inside is not reached
        {{50, 0}, 0, 0, 1},      // on the segment
    };
    for (const auto& c : cases) {
        int index = -5, neighbour = -5;
        EXPECT_EQ(series.FindNearest(c.p, index, neighbour), c.distance) << c.p.X << "," << c.p.Y;
        EXPECT_EQ(index, c.index) << c.p.X << "," << c.p.Y;
        EXPECT_EQ(neighbour, c.neighbour) << c.p.X << "," << c.p.Y;
    }
    EXPECT_TRUE(series.HitTest({50, 4}));   // distance 16
    EXPECT_FALSE(series.HitTest({50, 5}));  // distance 25
    EXPECT_TRUE(series.HitTest({-4, 0}));
    EXPECT_FALSE(series.HitTest({-5, 0}));

    // A vertical segment is reached beside its inside too.
    TMarkerLine vertical({0, 0}, {0, 100});
    EXPECT_TRUE(vertical.HitTest({3, 50}));
    EXPECT_FALSE(vertical.HitTest({5, 50}));
}

TEST(MarkerTest, InsertAndDeleteMoveValuesNotObjects) {
    TMarkerLine series({0, 0}, {100, 0});
    series.SetColor(clRed);
    std::vector<const TMarker*> objects{&series.Marker(0), &series.Marker(1)};

    series.InsertMarker({50, 3}, 0, 1);    // between slots 0 and 1
    series.InsertMarker({-10, 0}, -1, 0);  // in front
    series.InsertMarker({120, 5}, -1, 3);  // at the end
    ASSERT_EQ(series.Count(), 5);
    const TPoint expected[] = {{-10, 0}, {0, 0}, {50, 3}, {100, 0}, {120, 5}};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(series.Marker(i).Position(), expected[i]) << i;
    EXPECT_EQ(&series.Marker(0), objects[0]);
    EXPECT_EQ(&series.Marker(1), objects[1]);
    EXPECT_EQ(series.Marker(0).Color, clRed);  // an inserted point has the series colour

    const TMarker* last = &series.Marker(4);
    const TMarker* third = &series.Marker(2);
    series.DeleteMarker(1);
    ASSERT_EQ(series.Count(), 4);
    const TPoint after[] = {{-10, 0}, {50, 3}, {100, 0}, {120, 5}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(series.Marker(i).Position(), after[i]) << i;
    EXPECT_EQ(&series.Marker(2), third);
    EXPECT_EQ(series.SlotOf(last), -1);  // the last slot's object went
}

}  // namespace
}  // namespace curvana
