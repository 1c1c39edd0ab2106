#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>

#include "document/ProjectFile.h"

namespace curvana {
namespace {

// What undo must bring back: the saved project, and which marker each MarkerList position holds
// ("b2" box corner 2, "s1:0" series 1 slot 0, "m3" single marker 3) in hit-test order.
struct State {
    std::string bytes;
    std::vector<std::string> order;
    bool operator==(const State&) const = default;
};

State StateOf(const PlotDocument& doc) {
    State s;
    std::ostringstream out;
    WriteProject(doc, out);
    s.bytes = out.str();
    for (const TMarker* m : doc.MarkerList()) {
        int series = 0, slot = 0;
        std::string name;
        for (int n = 1; n <= 4; ++n)
            if (m == &doc.Box.Marker(n)) name = "b" + std::to_string(n);
        if (name.empty() && doc.FindSeriesMarker(m, series, slot))
            name = "s" + std::to_string(series) + ":" + std::to_string(slot);
        if (name.empty()) name = "m" + std::to_string(doc.SingleMarkerSlot(m));
        s.order.push_back(name);
    }
    return s;
}

// A 120 x 90 picture with a skewed box, two series (one of four points) and three single markers.
std::unique_ptr<PlotDocument> Busy() {
    auto doc = std::make_unique<PlotDocument>();
    doc->Picture = Bitmap(120, 90, PixelFormat::Rgb24());
    doc->PlaceNewPicture();
    const TPoint corners[4] = {{10, 80}, {110, 75}, {14, 8}, {112, 12}};
    for (int n = 1; n <= 4; ++n)
        doc->Box.Marker(n).SetPosition(corners[n - 1]);
    doc->XMin = 1;
    doc->XMax = 100;
    doc->YMax = 5;
    doc->AddSeries({20, 20}, {60, 50});
    doc->AddSingleMarker({5, 5});
    doc->AddSeries({30, 70}, {90, 60});
    doc->InsertSeriesPoint(0, {40, 30}, 0, 1);
    doc->InsertSeriesPoint(0, {80, 55}, -1, 2);
    doc->AddSingleMarker({100, 40});
    doc->AddSingleMarker({50, 85});
    doc->MarkOpened();
    return doc;
}

using Edit = std::function<void(PlotDocument&)>;

TEST(HistoryTest, EveryKindOfChangeIsUndoneAndRedoneExactly) {
    const auto drag = [](int index, TPoint to) {
        return [=](PlotDocument& d) {
            d.BeginDrag(index);
            d.DragTo({to.X - 3, to.Y});  // on the way
            d.DragTo(to);
            d.EndDrag();
        };
    };
    const struct {
        const char* name;  // as the Edit menu names it
        Edit edit;
    } cases[] = {
        {"Add DataSeries",
         [](auto& d) {
             d.AddSeries({1, 2}, {3, 4});
         }},
        {"Delete DataSeries", [](auto& d) { d.DeleteSeries(0); }},
        {"Add Marker",
         [](auto& d) {
             d.AddPointToNearestSeries({70, 52});
         }},
        {"Delete Marker", [](auto& d) { d.DeleteSeriesPoint(0, 1); }},
        {"Delete Marker", [](auto& d) { d.DeleteSeriesPoint(0, 0); }},
        {"Add Single Marker",
         [](auto& d) {
             d.AddSingleMarker({7, 9});
         }},
        {"Delete Single Marker", [](auto& d) { d.DeleteSingleMarker(1); }},
        {"Delete All Single Markers", [](auto& d) { d.DeleteAllSingleMarkers(); }},
        {"Move Marker", drag(5, {33, 44})},
        {"Move Marker", drag(11, {0, 0})},
        {"Move Box Corner", drag(0, {12, 84})},
        {"Move Marker", [](auto& d) { d.Select(d.MarkerList()[6]), d.NudgeSelected(1, 0, 10); }},
        {"Set X-scale Maximum", [](auto& d) { d.SetScaleValue(2, 250), d.CommitScaleValues(); }},
        {"Set Y-scale Minimum", [](auto& d) { d.SetScaleValue(3, -0.0), d.CommitScaleValues(); }},
        {"Rename DataSeries", [](auto& d) { d.RenameSeries(1, "Pressure"); }},
        {"Change Color", [](auto& d) { d.SetMarkerColor(*d.MarkerList()[4], clRed); }},
        {"Change Color", [](auto& d) { d.SetMarkerColor(*d.SingleMarkers[2], RGB(0, 0, 255)); }},
        {"Set X Value",
         [](auto& d) {
             d.MoveMarker(7, {61, 20}, "Set X Value");
         }},
        {"Change Calibration Method",
         [](auto& d) { d.SetCalibrationMethod(CalibrationMethod::Perspective); }},
        {"Paste Calibration",
         [](auto& d) {
             Calibration cal{{{5, 85}, {115, 88}, {3, 2}, {118, 6}}, -1, 1, 2, 4};
             cal.method = CalibrationMethod::Perspective;
             d.PasteCalibration(cal);
         }},
    };
    for (const auto& c : cases) {
        auto doc = Busy();
        const State before = StateOf(*doc);
        c.edit(*doc);
        const State after = StateOf(*doc);
        ASSERT_NE(after, before) << c.name;
        EXPECT_TRUE(doc->Modified) << c.name;
        EXPECT_EQ(doc->UndoName(), c.name);
        EXPECT_EQ(doc->UndoHistory().Count(), 1u) << c.name;
        DisplayChange change;
        ASSERT_TRUE(doc->Undo(change)) << c.name;
        EXPECT_EQ(StateOf(*doc), before) << c.name;
        EXPECT_FALSE(doc->Modified) << c.name << ": back at the file's state";
        EXPECT_EQ(doc->RedoName(), c.name);
        ASSERT_TRUE(doc->Redo(change)) << c.name;
        EXPECT_EQ(StateOf(*doc), after) << c.name;
        EXPECT_TRUE(doc->Modified) << c.name;
    }
}

TEST(HistoryTest, NothingIsRecordedForWhatDoesNotChangeTheDocument) {
    const Edit edits[] = {
        [](auto& d) {
            const TPoint start = d.MarkerList()[5]->Position();
            d.BeginDrag(5), d.DragTo({70, 70}), d.DragTo(start), d.EndDrag();
        },
        [](auto& d) { d.Select(d.MarkerList()[5]), d.NudgeSelected(1, 0, 1), d.NudgeSelected(-1, 0, 1); },
        [](auto& d) {
            d.BeginDrag(0), d.DragTo({100, 10}), d.EndDrag();
        },  // corner 1 cannot go there
        [](auto& d) { d.SetScaleValue(1, 7), d.SetScaleValue(1, 1), d.CommitScaleValues(); },
        [](auto& d) { d.RenameSeries(0, d.DataSeries[0]->Name); },
        [](auto& d) { d.ZoomIn(), d.Select(d.MarkerList()[4]); },
    };
    for (std::size_t i = 0; i < std::size(edits); ++i) {
        auto doc = Busy();
        edits[i](*doc);
        EXPECT_EQ(doc->UndoHistory().Count(), 0u) << i;
        EXPECT_EQ(doc->UndoName(), "") << i;
    }
}

TEST(HistoryTest, NudgesOfOneMarkerInARowAreOneChange) {
    auto doc = Busy();
    const State start = StateOf(*doc);
    doc->Select(doc->MarkerList()[5]);
    for (int k = 0; k < 5; ++k)
        doc->NudgeSelected(0, 1, 1);
    doc->NudgeSelected(1, 0, 10);
    const State nudged = StateOf(*doc);
    EXPECT_EQ(doc->UndoHistory().Count(), 1u);
    doc->Select(doc->MarkerList()[6]);  // another marker: a change of its own
    doc->NudgeSelected(1, 0, 1);
    doc->Select(doc->MarkerList()[5]);  // and back: so is this
    doc->NudgeSelected(1, 0, 1);
    doc->UndoHistory().BreakMerge();  // a click between two nudges of the same marker
    doc->NudgeSelected(1, 0, 1);
    EXPECT_EQ(doc->UndoHistory().Count(), 4u);
    DisplayChange change;
    for (int k = 0; k < 3; ++k)
        doc->Undo(change);
    EXPECT_EQ(StateOf(*doc), nudged);
    doc->Undo(change);
    EXPECT_EQ(StateOf(*doc), start);
}

TEST(HistoryTest, ChangedMarkFollowsSaveUndoAndRedo) {
    auto doc = Busy();
    DisplayChange change;
    doc->AddSingleMarker({1, 1});
    doc->AddSingleMarker({2, 2});
    doc->MarkSaved();  // saved with both
    EXPECT_FALSE(doc->Modified);
    doc->Undo(change);
    EXPECT_TRUE(doc->Modified);
    doc->Undo(change);
    EXPECT_TRUE(doc->Modified);
    doc->Redo(change);
    doc->ZoomIn();  // marks the document changed, but a view is not a change the history undoes
    EXPECT_TRUE(doc->Modified);
    doc->Redo(change);
    EXPECT_FALSE(doc->Modified);
    // A scale value typed and not yet committed is saved with the document: undo takes it back.
    doc->SetScaleValue(4, 9);
    doc->MarkSaved();
    doc->Undo(change);
    EXPECT_EQ(doc->YMax, 5);
    EXPECT_TRUE(doc->Modified);
    doc->Redo(change);
    EXPECT_FALSE(doc->Modified);
    // A change the history does not undo keeps the mark; so does a new change after an undo,
    // which drops the saved state from the history.
    doc->MarkChangedOutsideHistory();
    doc->Undo(change);
    doc->Redo(change);
    EXPECT_TRUE(doc->Modified);
    doc->MarkSaved();
    doc->Undo(change);
    doc->AddSingleMarker({3, 3});
    EXPECT_FALSE(doc->Redo(change));
    doc->Undo(change);
    EXPECT_TRUE(doc->Modified);
    // A document that was never saved stays changed at every position.
    doc->MarkNeverSaved();
    while (doc->Undo(change))
        EXPECT_TRUE(doc->Modified);
}

TEST(HistoryTest, RandomEditsAndUndosRetraceTheSameStates) {
    std::mt19937 random(20261208);
    auto doc = Busy();
    std::vector<State> states = {StateOf(*doc)};  // states[k]: after k changes still in the history
    const auto pick = [&](int n) { return n <= 0 ? 0 : int(random() % unsigned(n)); };
    DisplayChange change;
    for (int round = 0; round < 400; ++round) {
        PlotDocument& d = *doc;
        const std::size_t before = d.UndoHistory().Position();
        const int series = int(d.DataSeries.size()), singles = int(d.SingleMarkers.size());
        const TPoint p{pick(120), pick(90)};
        const int kind = pick(12);
        switch (kind) {
            case 0:
                d.AddSeries(p, {pick(120), pick(90)});
                break;
            case 1:
                if (series > 0) d.DeleteSeries(pick(series));
                break;
            case 2:
                d.AddPointToNearestSeries(p);
                break;
            case 3:
                if (series > 0) d.DeleteSeriesPoint(pick(series), pick(8));
                break;
            case 4:
                d.AddSingleMarker(p);
                break;
            case 5:
                if (singles > 0) d.DeleteSingleMarker(pick(singles));
                break;
            case 6:
                if (pick(4) == 0) d.DeleteAllSingleMarkers();
                break;
            case 7:
                d.BeginDrag(pick(int(d.MarkerList().size()))), d.DragTo(p), d.EndDrag();
                break;
            case 8:
                d.SetScaleValue(1 + pick(4), pick(1000) / 8.0), d.CommitScaleValues();
                break;
            case 9:
                d.Select(d.MarkerList()[std::size_t(pick(int(d.MarkerList().size())))]);
                d.NudgeSelected(pick(3) - 1, pick(3) - 1, 1 + pick(10));
                break;
            case 10:
                if (series > 0)
                    d.SetMarkerColor(d.DataSeries[std::size_t(pick(series))]->Marker(0),
                                     TColor(random() & 0xFFFFFF));
                break;
            default: {  // undo or redo a few
                for (int k = pick(4); k >= 0; --k)
                    pick(3) ? d.Undo(change) : d.Redo(change);
                ASSERT_EQ(StateOf(d), states[d.UndoHistory().Position()]) << "round " << round;
                continue;
            }
        }
        const std::size_t after = d.UndoHistory().Position();
        // Only a nudge may extend the last change (or take it back whole) instead of recording one.
        states.resize(after + 1);
        if (after != before || kind == 9) states[after] = StateOf(d);
        ASSERT_EQ(StateOf(d), states[after]) << "round " << round << ", change " << kind;
    }
    while (doc->Undo(change))
        ASSERT_EQ(StateOf(*doc), states[doc->UndoHistory().Position()]);
    EXPECT_EQ(StateOf(*doc), states[0]);
    EXPECT_FALSE(doc->Modified);
}

TEST(HistoryTest, KeepsTheLast1000Changes) {
    auto doc = Busy();
    for (int k = 0; k < 1005; ++k)
        doc->MoveMarker(4, {k % 2 ? 20 : 21, 20}, "Move Marker");
    EXPECT_EQ(doc->UndoHistory().Count(), History::kDefaultLimit);
    DisplayChange change;
    int undone = 0;
    while (doc->Undo(change))
        ++undone;
    EXPECT_EQ(undone, 1000);
    EXPECT_EQ(doc->DataSeries[0]->Marker(0).Position(), (TPoint{21, 20}));  // as after the 5th move
    EXPECT_TRUE(doc->Modified) << "the file's state is no longer in the history";
}

}  // namespace
}  // namespace curvana
