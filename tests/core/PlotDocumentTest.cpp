#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "document/CalibrationGrid.h"
#include "document/PlotDocument.h"
#include "platform/RasterCanvas.h"
#include "support/RasterTestSupport.h"

namespace curvana {
namespace {

using test::AddColumn;
using test::AddRow;
using test::PixelSet;

// A document for a new picture of the given size, its listing going to memo.
std::unique_ptr<PlotDocument> NewDocument(int width, int height, VectorLineSink* memo = nullptr) {
    auto doc = std::make_unique<PlotDocument>();
    doc->Picture = Bitmap(width, height, PixelFormat::Rgb24());
    doc->Memo = memo;
    doc->PlaceNewPicture();
    return doc;
}

TEST(PlotDocumentTest, NewPictureGetsTheDefaultBox) {
    const struct {
        int width, height;
        TPoint m1, m4;
    } cases[] = {
        {200, 100, {20, 90}, {180, 10}},
        {25, 25, {2, 22}, {22, 2}},  // 2.5 and 22.5 round to the even neighbours
        {15, 15, {2, 14}, {14, 2}},  // 1.5 and 13.5 likewise
    };
    for (const auto& c : cases) {
        auto doc = NewDocument(c.width, c.height);
        EXPECT_EQ(doc->Box.Marker(1).Position(), c.m1) << c.width;
        EXPECT_EQ(doc->Box.Marker(4).Position(), c.m4) << c.width;
        EXPECT_EQ(doc->Box.Marker(2).Position(), (TPoint{c.m4.X, c.m1.Y}));
        EXPECT_EQ(doc->Box.Marker(3).Position(), (TPoint{c.m1.X, c.m4.Y}));
        ASSERT_EQ(doc->MarkerList().size(), 4u);
        for (int n = 1; n <= 4; ++n)
            EXPECT_EQ(doc->MarkerList()[std::size_t(n - 1)], &doc->Box.Marker(n));
        EXPECT_FALSE(doc->Modified);
        EXPECT_EQ(doc->ZoomLevel, 0);
        EXPECT_EQ(doc->ClientWidth, c.width + 21);
        EXPECT_EQ(doc->ClientHeight, c.height + 21);
    }
}

TEST(PlotDocumentTest, ZoomSizesAndRefusedSteps) {
    auto doc = NewDocument(200, 100);
    const struct {
        int level;
        int width, height;
    } cases[] = {{1, 280, 140}, {-1, 143, 71}, {2, 392, 196}, {0, 200, 100}};
    for (const auto& c : cases) {
        doc->Modified = false;
        doc->ZoomLevel = c.level;
        ASSERT_TRUE(doc->StretchB());
        EXPECT_EQ(doc->ZoomedPicture.Width(), c.width) << c.level;
        EXPECT_EQ(doc->ZoomedPicture.Height(), c.height) << c.level;
        EXPECT_EQ(doc->ClientWidth, c.width + 21) << c.level;
        EXPECT_EQ(doc->ClientHeight, c.height + 21) << c.level;
        EXPECT_TRUE(doc->Modified) << c.level;
    }
    // Back at level 0 the zoomed picture shows every picture pixel as it is.
    doc->Picture.SetPixelValue(3, 2, 0x123456);
    ASSERT_TRUE(doc->StretchB());
    EXPECT_EQ(doc->ZoomedPicture.PixelColor(3, 2), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(doc->ZoomedPicture.PixelColor(4, 2), clBlack);

    // A 1 by 1 picture can shrink twice (0.71 and 0.51 round to 1) but not a third time.
    auto tiny = NewDocument(1, 1);
    EXPECT_TRUE(tiny->ZoomOut());
    EXPECT_TRUE(tiny->ZoomOut());
    tiny->Modified = false;
    EXPECT_FALSE(tiny->ZoomOut());
    EXPECT_EQ(tiny->ZoomLevel, -2);
    EXPECT_EQ(tiny->ZoomedPicture.Width(), 1);
    EXPECT_FALSE(tiny->Modified);

    // Zooming in goes on, whatever the picture's size (also one at the pixel limit of a bitmap),
    // up to level 13, the first at which a picture pixel covers 64 screen pixels or more on each
    // side (1.4^12 = 56.7, 1.4^13 = 79.4); the step beyond is refused.
    const struct {
        int width, height;
        std::int64_t deepWidth, deepHeight;  // Round(side * 1.4^13)
    } deep[] = {{1, 1, 79, 79}, {200, 100, 15874, 7937}, {16384, 16384, 1300422, 1300422}};
    for (const auto& c : deep) {
        auto d = std::make_unique<PlotDocument>();
        d->Picture = Bitmap(c.width, c.height, PixelFormat::Indexed(1));
        d->PlaceNewPicture();
        for (int level = 1; level <= 13; ++level)
            ASSERT_TRUE(d->ZoomIn()) << c.width << " to level " << level;
        d->Modified = false;
        EXPECT_FALSE(d->ZoomIn()) << c.width;
        EXPECT_FALSE(d->Modified);
        EXPECT_EQ(d->ZoomLevel, 13);
        EXPECT_EQ(d->ZoomedPicture.Width(), c.deepWidth);
        EXPECT_EQ(d->ZoomedPicture.Height(), c.deepHeight);
        EXPECT_EQ(d->ClientWidth, c.deepWidth + 21);
        d->ZoomLevel = 14;
        EXPECT_FALSE(d->StretchB());
        EXPECT_EQ(d->ClientWidth, c.deepWidth + 21);
    }
}

TEST(PlotDocumentTest, FormPaintDrawsTheGroovedFrame) {
    auto doc = NewDocument(200, 100);
    Bitmap raster = test::MakeRaster(221, 121, clBlack);
    RasterCanvas canvas(raster);
    DocumentView view{canvas};
    doc->FormPaint(view);
    // Grey rectangle from (2, 2) to (216, 116), end points excluded as every line's.
    PixelSet grey;
    AddRow(grey, 2, 2, 215);
    AddColumn(grey, 216, 2, 115);
    AddRow(grey, 116, 216, 3);
    AddColumn(grey, 2, 116, 3);
    EXPECT_EQ(test::PixelsOfColor(raster, clGray), grey);
    // White lines at x = 3 and y = 3 inside it, at y = 117 and x = 217 outside it.
    PixelSet white;
    AddColumn(white, 3, 115, 4);
    AddRow(white, 3, 3, 214);
    AddRow(white, 117, 3, 216);
    AddColumn(white, 217, 117, 4);
    EXPECT_EQ(test::PixelsOfColor(raster, clWhite), white);
    // The picture (black) fills (10, 10) to (209, 109) except where the box is drawn over it; the
    // margins are silver.
    EXPECT_EQ(raster.PixelColor(10, 10), clBlack);
    EXPECT_EQ(raster.PixelColor(209, 109), clBlack);
    EXPECT_EQ(raster.PixelColor(9, 50), clSilver);
    EXPECT_EQ(raster.PixelColor(219, 119), clSilver);
    EXPECT_EQ(raster.PixelColor(220, 50), clSilver);  // the right band reaches the client's edge
    EXPECT_EQ(raster.PixelColor(100, 120), clBlack);  // the bands stop above the client's last row
    EXPECT_EQ(raster.PixelColor(100, 100), clRed);    // the box's bottom edge

    // While a marker is dragged a paint request draws nothing.
    Bitmap untouched = test::MakeRaster(221, 121, clBlack);
    RasterCanvas other(untouched);
    DocumentView otherView{other};
    doc->DragIndex = 0;
    doc->FormPaint(otherView);
    EXPECT_EQ(test::PixelsOfColor(untouched, clBlack).size(), 221u * 121u);
}

TEST(PlotDocumentTest, ListingFollowsTheDocument) {
    VectorLineSink memo;
    auto doc = NewDocument(200, 100, &memo);
    doc->XMax = 160;  // one data unit per pixel: x - 20 and 90 - y
    doc->YMax = 80;
    doc->UpDateMemo(0);
    EXPECT_TRUE(memo.lines.empty());

    doc->AddSeries({36, 82}, {100, 50});
    EXPECT_EQ(memo.lines, (std::vector<std::string>{"DataSeries 1", "16 , 8", "80 , 40", " "}));
    doc->AddSingleMarker({120, 60});
    EXPECT_EQ(memo.lines, (std::vector<std::string>{"DataSeries 1", "16 , 8", "80 , 40", " ",
                                                    "Single Markers", "100 , 30"}));
    doc->AddPointToNearestSeries({70, 65});  // into the segment between the two points
    EXPECT_EQ(memo.lines, (std::vector<std::string>{"DataSeries 1", "16 , 8", "50 , 25", "80 , 40", " ",
                                                    "Single Markers", "100 , 30"}));
    doc->DeleteSingleMarker(0);  // the heading goes with the last single marker
    EXPECT_EQ(memo.lines, (std::vector<std::string>{"DataSeries 1", "16 , 8", "50 , 25", "80 , 40", " "}));
    doc->Modified = false;
    doc->DeleteSeries(0);
    EXPECT_TRUE(memo.lines.empty());
    EXPECT_TRUE(doc->Modified);
    EXPECT_EQ(doc->MarkerList().size(), 4u);

    // A frame seen at an angle, its top edge half as long as the bottom: the point halfway between
    // the edges on the picture lies a third of the way up the plane
    // (80 / 3 = 26.66…, cut to three digits).
    doc->Box.SetCorner(60, 10, 3);
    doc->Box.SetCorner(140, 10, 4);
    doc->AddSingleMarker({100, 50});
    EXPECT_EQ(memo.lines, (std::vector<std::string>{"Single Markers", "80 , 40"}));
    doc->Modified = false;
    EXPECT_FALSE(doc->SetCalibrationMethod(CalibrationMethod::Bilinear));
    EXPECT_FALSE(doc->Modified);
    EXPECT_TRUE(doc->SetCalibrationMethod(CalibrationMethod::Perspective));
    EXPECT_EQ(memo.lines, (std::vector<std::string>{"Single Markers", "80 , 26.6"}));
    EXPECT_TRUE(doc->Modified);
}

TEST(PlotDocumentTest, PastedCalibrationFollowsTheCornerRules) {
    const struct {
        TPoint given[4];
        TPoint placed[4];  // corners 1 to 4 after pasting onto a 200 by 100 picture
    } cases[] = {
        {{{30, 80}, {170, 85}, {25, 15}, {160, 20}}, {{30, 80}, {170, 85}, {25, 15}, {160, 20}}},
        // Given in another order: assigned by where they lie.
        {{{160, 20}, {25, 15}, {170, 85}, {30, 80}}, {{30, 80}, {170, 85}, {25, 15}, {160, 20}}},
        // From a larger picture: clipped to the last row and column.
        {{{-40, 150}, {400, 150}, {-40, -7}, {400, -7}}, {{0, 99}, {199, 99}, {0, 0}, {199, 0}}},
    };
    for (const auto& c : cases) {
        VectorLineSink memo;
        auto doc = NewDocument(200, 100, &memo);
        doc->AddSingleMarker({100, 50});
        doc->Modified = false;
        Calibration cal{{c.given[0], c.given[1], c.given[2], c.given[3]}, -1, 1, 2, 4};
        cal.method = CalibrationMethod::Perspective;
        doc->PasteCalibration(cal);
        for (int n = 1; n <= 4; ++n)
            EXPECT_EQ(doc->Box.Marker(n).Position(), c.placed[n - 1]) << n;
        EXPECT_EQ(doc->XMin, -1);
        EXPECT_EQ(doc->XMax, 1);
        EXPECT_EQ(doc->YMin, 2);
        EXPECT_EQ(doc->YMax, 4);
        EXPECT_EQ(doc->Method, CalibrationMethod::Perspective);
        EXPECT_TRUE(doc->Modified);
        EXPECT_EQ(memo.lines[1], ListingLine(doc->ConvertXY({100, 50})));
    }
}

TEST(PlotDocumentTest, MarkerListKeepsObjectsInOrder) {
    auto doc = NewDocument(200, 100);
    doc->AddSeries({36, 82}, {100, 50});
    doc->AddSingleMarker({10, 10});
    doc->AddSingleMarker({20, 20});
    TMarkerLine& series = *doc->DataSeries[0];
    // The selection stays on its point while points move between marker objects, and goes with it.
    auto selected = [&doc] { return doc->Selected ? doc->Selected->Position() : TPoint{-1, -1}; };
    doc->Select(&series.Marker(1));
    doc->AddPointToNearestSeries({70, 66});
    EXPECT_EQ(selected(), (TPoint{100, 50}));
    EXPECT_EQ(doc->SelectedIndex(), 8);
    ASSERT_EQ(doc->MarkerList().size(), 9u);
    // After the box: the series' two objects, the single markers, then the series' new last slot.
    EXPECT_EQ(doc->MarkerList()[4], &series.Marker(0));
    EXPECT_EQ(doc->MarkerList()[5], &series.Marker(1));
    EXPECT_EQ(doc->MarkerList()[6], doc->SingleMarkers[0].get());
    EXPECT_EQ(doc->MarkerList()[7], doc->SingleMarkers[1].get());
    EXPECT_EQ(doc->MarkerList()[8], &series.Marker(2));

    doc->DeleteSeriesPoint(0, 0);  // the last slot's object leaves the list
    ASSERT_EQ(doc->MarkerList().size(), 8u);
    EXPECT_EQ(series.Count(), 2);
    EXPECT_EQ(series.Marker(0).Position(), (TPoint{70, 66}));
    EXPECT_EQ(selected(), (TPoint{100, 50}));
    EXPECT_EQ(doc->SelectedIndex(), 5);
    doc->DeleteSeriesPoint(0, 0);  // a series of two keeps its points
    EXPECT_EQ(series.Count(), 2);
    EXPECT_EQ(doc->MarkerList().size(), 8u);

    TMarker* second = doc->SingleMarkers[1].get();
    doc->Select(second);
    doc->DeleteSingleMarker(0);
    ASSERT_EQ(doc->SingleMarkers.size(), 1u);
    EXPECT_EQ(doc->SingleMarkers[0]->Position(), (TPoint{20, 20}));
    EXPECT_EQ(std::count(doc->MarkerList().begin(), doc->MarkerList().end(), second), 0);
    EXPECT_EQ(selected(), (TPoint{20, 20}));
    doc->DeleteAllSingleMarkers();
    EXPECT_EQ(doc->MarkerList().size(), 6u);
    EXPECT_EQ(doc->Selected, nullptr);

    // A deleted point, or its series, takes the selection along; other deletions leave it.
    doc->AddPointToNearestSeries({120, 40});  // appended: (70, 66), (100, 50), (120, 40)
    doc->AddSeries({10, 10}, {20, 10});
    doc->Select(&series.Marker(1));
    doc->DeleteSeriesPoint(0, 1);
    EXPECT_EQ(doc->Selected, nullptr);
    doc->Select(&series.Marker(1));
    doc->DeleteSeries(1);
    EXPECT_EQ(selected(), (TPoint{120, 40}));
    doc->DeleteSeries(0);
    EXPECT_EQ(doc->Selected, nullptr);
    EXPECT_EQ(doc->SelectedIndex(), -1);
}

TEST(PlotDocumentTest, DefaultSeriesNamesNeverReuseNumbers) {
    auto doc = NewDocument(200, 100);
    for (int i = 0; i < 3; ++i)
        doc->AddSeries({30, 30}, {60, 60});
    EXPECT_EQ(doc->DataSeries[2]->Name, "DataSeries 3");
    doc->DeleteSeries(1);
    doc->AddSeries({30, 30}, {60, 60});
    EXPECT_EQ(doc->DataSeries.back()->Name, "DataSeries 4");
    doc->DataSeries[0]->Name = "DataSeries xy";   // not a number: skipped
    doc->DataSeries[1]->Name = "DataSeries  12";  // characters 12 to 15 are " 12"
    doc->DataSeries[2]->Name = "Pressure";
    EXPECT_EQ(doc->DefaultSeriesName(), "DataSeries 13");
}

TEST(PlotDocumentTest, DragStepMovesMarkersAndRedrawsIncrementally) {
    std::int32_t saved = MSize;
    MSize = 4;
    VectorLineSink memo;
    auto doc = NewDocument(200, 100, &memo);
    doc->XMax = 160;
    doc->YMax = 80;
    doc->AddSingleMarker({100, 50});
    Bitmap raster = test::MakeRaster(221, 121);
    RasterCanvas canvas(raster);
    DocumentView view{canvas};
    doc->FormPaint(view);
    EXPECT_EQ(raster.PixelColor(110 - 8, 60), clBlack);  // the marker's left arm

    doc->DragIndex = 4;
    doc->Redraw(doc->DragTo({120, 40}), view);
    EXPECT_EQ(doc->SingleMarkers[0]->Position(), (TPoint{120, 40}));
    EXPECT_EQ(memo.lines, (std::vector<std::string>{"Single Markers", "100 , 50"}));
    // The old place shows the picture again (black, as the picture is), the new one the symbol.
    Bitmap expected = test::MakeRaster(221, 121);
    RasterCanvas expectedCanvas(expected);
    DocumentView expectedView{expectedCanvas};
    doc->DragIndex = -1;
    doc->FormPaint(expectedView);
    for (int y = 0; y < 121; ++y)
        for (int x = 0; x < 221; ++x)
            ASSERT_EQ(raster.PixelColor(x, y), expected.PixelColor(x, y)) << x << "," << y;

    // A box corner stops where the box refuses: corner 1 cannot pass the diagonal.
    doc->DragIndex = 0;
    doc->Redraw(doc->DragTo({100, 50}), view);
    EXPECT_EQ(doc->Box.Marker(1).Position(), (TPoint{20, 90}));
    doc->Redraw(doc->DragTo({25, 95}), view);
    EXPECT_EQ(doc->Box.Marker(1).Position(), (TPoint{25, 95}));

    // With the calibration grid shown, a corner's drag moves every grid line, also those near the
    // far corner, with both methods.
    ShowCalibrationGrid = true;
    doc->Box.SetCorner(150, 90, 2);
    doc->Box.SetCorner(20, 30, 3);
    doc->Box.SetCorner(190, 2, 4);
    for (CalibrationMethod method : {CalibrationMethod::Bilinear, CalibrationMethod::Perspective}) {
        doc->SetCalibrationMethod(method);
        doc->DragIndex = -1;
        doc->FormPaint(view);
        ASSERT_FALSE(test::PixelsOfColor(raster, kGridColor).empty());
        doc->DragIndex = 0;
        doc->Redraw(doc->DragTo({method == CalibrationMethod::Bilinear ? 5 : 25, 95}), view);
        doc->DragIndex = -1;
        doc->FormPaint(expectedView);
        for (int y = 0; y < 121; ++y)
            for (int x = 0; x < 221; ++x)
                ASSERT_EQ(raster.PixelColor(x, y), expected.PixelColor(x, y)) << x << "," << y << int(method);
    }
    ShowCalibrationGrid = false;
    MSize = saved;
}

TEST(PlotDocumentTest, EveryOperationLeavesWhatAFullRepaintWouldShow) {
    // A crowded document on a picture whose every pixel differs, so that anything erased or drawn
    // in the wrong place shows: two series crossing each other, single markers on the picture's
    // edges and on top of series markers, changed at two zoom levels, on a raster that covers the
    // whole client area and on one that covers only part of it (as a window scrolled down).
    const std::int32_t saved = MSize;
    MSize = 4;
    using Operation = std::function<void(PlotDocument&, DocumentView&)>;
    const Operation first[] = {
        // A third series across both and a point added to it where they cross.
        [](auto& d, auto& v) {
            d.Redraw(d.AddSeries(TPoint{10, 44}, TPoint{84, 44}), v);
        },
        [](auto& d, auto& v) {
            d.Redraw(d.AddPointToNearestSeries(TPoint{62, 44}), v);
        },
        [](auto& d, auto& v) {
            d.Redraw(d.Select(d.MarkerList()[0]), v);
        },  // its outline goes with the drags
    };
    struct Drag {
        int index;  // into MarkerList: 0 to 3 box corners, 4 to 13 series markers, 14 to 16 singles
        TPoint to;
    };
    // The last one ends on the box's left edge, which lies under the series.
    const Drag drags[] = {
        {5, {40, 40}},  {5, {41, 42}},  {5, {0, 0}},    {5, {85, 89}},  {7, {20, 20}},
        {7, {22, 60}},  {9, {45, 45}},  {10, {44, 46}}, {12, {1, 88}},  {12, {45, 45}},
        {13, {85, 0}},  {0, {100, 66}}, {0, {96, 55}},  {3, {116, 24}}, {1, {119, 89}},
        {14, {40, 40}}, {14, {0, 45}},  {6, {85, 1}},   {5, {100, 50}},
    };
    const Operation then[] = {
        // A single marker under the series, colours for a series under another and a single marker,
        // a selection nudged, and deletions.
        [](auto& d, auto& v) {
            d.Redraw(d.AddSingleMarker(TPoint{44, 46}), v);
        },
        [](auto& d, auto& v) { d.Redraw(d.SetMarkerColor(*d.MarkerList()[6], RGB(0, 0, 255)), v); },
        [](auto& d, auto& v) { d.Redraw(d.SetMarkerColor(*d.MarkerList()[20], clRed), v); },
        [](auto& d, auto& v) { d.Redraw(d.Select(d.MarkerList()[9]), v); },
        [](auto& d, auto& v) { d.Redraw(d.NudgeSelected(1, 0, 10), v); },
        [](auto& d, auto& v) { d.Redraw(d.NudgeSelected(0, 1, 1), v); },
        [](auto& d, auto& v) { d.Redraw(d.DeleteSeriesPoint(0, 0), v); },
        [](auto& d, auto& v) { d.Redraw(d.DeleteSingleMarker(0), v); },
        [](auto& d, auto& v) { d.Redraw(d.DeleteSeries(1), v); },
        [](auto& d, auto& v) { d.Redraw(d.DeleteAllSingleMarkers(), v); },
        [](auto& d, auto& v) { d.Redraw(d.Select(nullptr), v); },
    };
    std::vector<Operation> steps(std::begin(first), std::end(first));
    for (const Drag& drag : drags)
        steps.push_back([drag](PlotDocument& d, DocumentView& v) {
            d.BeginDrag(drag.index);
            d.Redraw(d.DragTo(drag.to), v);
            d.EndDrag();
        });
    steps.insert(steps.end(), std::begin(then), std::end(then));
    // Rounds at zoom levels up to the deepest, some with the calibration grid; deep in, the canvas
    // is a window's worth around the middle of the series.
    const struct {
        int level;
        bool grid;
        std::int64_t originX, originY;
        int width, height;  // the canvas; 0 for the client area from the origin on
    } rounds[] = {
        {0, false, 0, 0, 0, 0},
        {0, false, 0, 37, 0, 0},
        {1, false, 0, 0, 0, 0},
        {1, false, 0, 37, 0, 0},
        {1, true, 0, 0, 0, 0},
        {1, true, 0, 37, 0, 0},
        {8, true, 470, 520, 400, 300},
        {11, false, 1750, 1800, 500, 300},
        {13, true, 3390, 3440, 400, 260},
    };
    for (const auto& round : rounds) {
        {
            const std::int64_t originY = round.originY;
            ShowCalibrationGrid = round.grid;
            auto doc = NewDocument(120, 90);
            for (int y = 0; y < 90; ++y)
                for (int x = 0; x < 120; ++x)
                    doc->Picture.SetPixelValue(x, y, std::uint32_t(x * 2 << 16 | y * 2 << 8 | (x + y)));
            doc->PlaceNewPicture();
            const TPoint corners[4] = {{97, 60}, {117, 60}, {97, 20}, {117, 20}};
            for (int n = 1; n <= 4; ++n)
                doc->Box.Marker(n).SetPosition(corners[n - 1]);
            doc->XMax = 10;
            doc->YMax = 4;
            for (int i = 0; i < round.level; ++i)
                ASSERT_TRUE(doc->ZoomIn());
            doc->AddSeries({5, 10}, {80, 80});  // markers 4, 5
            doc->AddSeries({5, 80}, {80, 10});  // markers 6, 7
            for (int k = 0; k < 2; ++k) {
                const TMarkerLine& line = *doc->DataSeries[std::size_t(k)];
                for (const TPoint p : {TPoint{30, k ? 60 : 30}, TPoint{45, 45}, TPoint{60, k ? 30 : 60}})
                    doc->InsertSeriesPoint(k, p, -1, line.Count() - 1);  // markers 8 to 10, then 11 to 13
            }
            doc->AddSingleMarker({0, 0});
            doc->AddSingleMarker({0, 89});
            doc->AddSingleMarker({45, 45});
            ASSERT_EQ(doc->MarkerList().size(), 17u);

            const int width = round.width ? round.width : int(doc->ZoomedPicture.Width() + 21);
            const int height = round.height ? round.height : int(doc->ZoomedPicture.Height() + 21 - originY);
            Bitmap raster = test::MakeRaster(width, height);
            RasterCanvas canvas(raster);
            DocumentView view{canvas, round.originX, originY};
            doc->FormPaint(view);
            const auto check = [&](const char* what, std::size_t i) {
                Bitmap expected = test::MakeRaster(raster.Width(), raster.Height());
                RasterCanvas expectedCanvas(expected);
                DocumentView expectedView{expectedCanvas, round.originX, originY};
                doc->FormPaint(expectedView);
                int wrong = 0;
                for (int y = 0; y < raster.Height(); ++y)
                    for (int x = 0; x < raster.Width(); ++x)
                        wrong += raster.PixelColor(x, y) != expected.PixelColor(x, y);
                return ::testing::AssertionResult(wrong == 0)
                       << what << " " << i << ", level " << round.level << " origin " << round.originX << ","
                       << originY;
            };
            for (std::size_t i = 0; i < steps.size(); ++i) {
                steps[i](*doc, view);
                ASSERT_TRUE(check("step", i));
            }
            // Undone back to the bare box and done again, the window shows each state as a
            // repaint would.
            DisplayChange change;
            std::size_t undone = 0, redone = 0;
            while (doc->Undo(change)) {
                doc->Redraw(change, view);
                ASSERT_TRUE(check("undo", ++undone));
            }
            EXPECT_EQ(doc->MarkerList().size(), 4u);
            while (doc->Redo(change)) {
                doc->Redraw(change, view);
                ASSERT_TRUE(check("redo", ++redone));
            }
            EXPECT_EQ(redone, undone);
            EXPECT_GT(undone, std::size(drags));
        }
    }
    ShowCalibrationGrid = false;
    MSize = saved;
}

TEST(PlotDocumentTest, WindowAndPicturePositions) {
    auto doc = NewDocument(200, 100);
    EXPECT_EQ(doc->WindowToPicture(110, 60), (TPoint{100, 50}));
    EXPECT_TRUE(doc->InsidePicture(209, 109));
    EXPECT_FALSE(doc->InsidePicture(210, 60));  // one pixel right of the last column
    EXPECT_FALSE(doc->InsidePicture(9, 60));
    ASSERT_TRUE(doc->ZoomIn());
    EXPECT_EQ(doc->WindowToPicture(110, 60), (TPoint{71, 36}));
}

}  // namespace
}  // namespace curvana
