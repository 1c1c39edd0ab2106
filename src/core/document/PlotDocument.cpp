#include "document/PlotDocument.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "document/CalibrationGrid.h"
#include "document/Zoom.h"
#include "platform/NumberText.h"

namespace curvana {

PlotType ChosenPlotType = PlotType::LinearLinear;

namespace {

// The smallest rectangle holding both; an empty one adds nothing.
TRect Unite(const TRect& a, const TRect& b) {
    if (a.Width() <= 0 || a.Height() <= 0) return b;
    if (b.Width() <= 0 || b.Height() <= 0) return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

const char* const kScaleStepNames[4] = {"Set X-scale Minimum", "Set X-scale Maximum", "Set Y-scale Minimum",
                                        "Set Y-scale Maximum"};

// Half the side of the selection's outline, in screen pixels: its black square lies one pixel
// outside the symbol's arms, its white one around that.
std::int64_t OutlineReach() {
    return 2 * std::int64_t(MSize) + 3;
}

}  // namespace

void DisplayChange::Add(const TRect& area) {
    Area = Unite(Area, area);
}

PlotDocument::PlotDocument() = default;

void PlotDocument::Initialize() {
    DragIndex = -1;
    PopupIndex = -1;
    Selected = nullptr;
    SetEditingMode(nullptr);
    XMin = XMax = YMin = YMax = 0.0;
    ZoomLevel = 0;
    Modified = true;
}

void PlotDocument::SetEditingMode(bool PlotDocument::*mode) {
    for (bool PlotDocument::*flag :
         {&PlotDocument::AddPointMode, &PlotDocument::DeletePointMode, &PlotDocument::DeleteSeriesMode,
          &PlotDocument::AddSingleMode, &PlotDocument::DeleteSingleMode, &PlotDocument::TraceCurveMode,
          &PlotDocument::TraceSymbolsMode})
        this->*flag = flag == mode;
}

void PlotDocument::PlaceNewPicture() {
    StretchB();
    Initialize();
    const double w = Picture.Width(), h = Picture.Height();
    const auto x10 = std::int32_t(Round(0.1 * w)), x90 = std::int32_t(Round(0.9 * w));
    const auto y10 = std::int32_t(Round(0.1 * h)), y90 = std::int32_t(Round(0.9 * h));
    Box.PlaceCorners({x10, x10, x90, x90}, {y10, y90, y10, y90});
    markerList_.clear();
    for (int n = 1; n <= 4; ++n)
        markerList_.push_back(&Box.Marker(n));
    MarkOpened();
}

double PlotDocument::ZoomFactor() const {
    return std::pow(1.4, double(ZoomLevel));
}

bool PlotDocument::StretchB() {
    // The deepest zoom is the first level at which one picture pixel covers MaxPixelSide screen
    // pixels on each side, whatever the picture's size.
    if (ZoomLevel > 0 && std::pow(1.4, double(ZoomLevel) - 1) >= MaxPixelSide) return false;
    const double f = ZoomFactor();
    std::int64_t w = Picture.Width(), h = Picture.Height();
    if (f != 1.0) {
        w = Round(Picture.Width() * f);
        h = Round(Picture.Height() * f);
        if (w <= 0 || h <= 0) return false;
    }
    ZoomedPicture = ZoomedView(Picture, f, w, h);
    ClientWidth = w + 2 * MarginX + 1;
    ClientHeight = h + 2 * MarginY + 1;
    Modified = true;
    return true;
}

bool PlotDocument::SetZoomLevel(std::int64_t level) {
    if (level < std::numeric_limits<std::int32_t>::min() || level > std::numeric_limits<std::int32_t>::max())
        return false;
    const std::int32_t previous = ZoomLevel;
    ZoomLevel = std::int32_t(level);
    if (StretchB()) return true;
    ZoomLevel = previous;
    return false;
}

void PlotDocument::PaintSurround(DocumentView& view) const {
    Canvas& c = view.canvas;
    const std::int64_t w = ZoomedPicture.Width(), h = ZoomedPicture.Height();
    const std::int64_t mx = OffsetX(view), my = OffsetY(view);     // the picture's top-left on the canvas
    const std::int64_t left = -view.OriginX, top = -view.OriginY;  // the client area's top-left
    const std::int64_t g = FrameGap;
    c.SetPenColor(clSilver);
    c.SetBrushColor(clSilver);
    c.Rectangle({left, top, mx, my + h + MarginY});
    c.Rectangle({left, top, mx + w + MarginX, my});
    c.Rectangle({mx + w, top, left + ClientWidth, my + h + MarginY});
    c.Rectangle({left, my + h, mx + w + MarginX, my + h + MarginY});

    c.SetPenColor(clGray);
    c.MoveTo(mx - g - 2, my - g - 2);
    c.LineTo(mx + w + g, my - g - 2);
    c.LineTo(mx + w + g, my + h + g);
    c.LineTo(mx - g - 2, my + h + g);
    c.LineTo(mx - g - 2, my - g - 2);

    c.SetPenColor(clWhite);
    c.MoveTo(mx - g - 1, my + h + g - 1);
    c.LineTo(mx - g - 1, my - g - 1);
    c.LineTo(mx + w + g - 1, my - g - 1);
    c.MoveTo(mx - g - 1, my + h + g + 1);
    c.LineTo(mx + w + g + 1, my + h + g + 1);
    c.LineTo(mx + w + g + 1, my - g - 1);
}

void PlotDocument::DrawMarkers(DocumentView& view) {
    const double z = ZoomFactor();
    const std::int64_t ox = OffsetX(view), oy = OffsetY(view);
    Box.Draw(view.canvas, ox, oy, z);
    for (auto& m : SingleMarkers)
        m->Draw(view.canvas, ox, oy, z);
    for (auto& s : DataSeries)
        s->Draw(view.canvas, ox, oy, z);
}

void PlotDocument::DrawSelection(DocumentView& view) const {
    if (!Selected) return;
    // A black square just outside the symbol's arms and a white one around it, so that the outline
    // shows on any picture.
    const std::int64_t x = Selected->ScreenX(OffsetX(view), ZoomFactor());
    const std::int64_t y = Selected->ScreenY(OffsetY(view), ZoomFactor());
    for (const std::int64_t r : {OutlineReach() - 1, OutlineReach()}) {
        view.canvas.SetPenColor(r == OutlineReach() ? clWhite : clBlack);
        view.canvas.MoveTo(x - r, y - r);
        view.canvas.LineTo(x + r, y - r);
        view.canvas.LineTo(x + r, y + r);
        view.canvas.LineTo(x - r, y + r);
        view.canvas.LineTo(x - r, y - r);
    }
}

void PlotDocument::PaintAll(DocumentView& view) {
    PaintSurround(view);
    view.canvas.DrawSource(OffsetX(view), OffsetY(view), ZoomedPicture);
    if (ShowCalibrationGrid)
        DrawCalibrationGrid(view.canvas, CurrentCalibration(), OffsetX(view), OffsetY(view), ZoomFactor(),
                            ZoomedPicture.Width(), ZoomedPicture.Height());
    DrawMarkers(view);
    DrawSelection(view);
}

void PlotDocument::FormPaint(DocumentView& view) {
    if (DragIndex >= 0) return;
    view.canvas.ResetClip();
    PaintAll(view);
}

void PlotDocument::RedrawArea(const TRect& area, DocumentView& view) {
    if (area.Width() <= 0 || area.Height() <= 0) return;
    view.canvas.SetClip(area);
    PaintAll(view);
    view.canvas.ResetClip();
}

TPoint PlotDocument::WindowToPicture(std::int64_t x, std::int64_t y) const {
    const double f = ZoomFactor();
    auto clamp = [](std::int64_t v) {
        return std::int32_t(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                     std::numeric_limits<std::int32_t>::max()));
    };
    return {clamp(Round(double(x - MarginX) / f)), clamp(Round(double(y - MarginY) / f))};
}

bool PlotDocument::InsidePicture(std::int64_t x, std::int64_t y) const {
    return MarginX <= x && x <= MarginX + ZoomedPicture.Width() - 1 && MarginY <= y &&
           y <= MarginY + ZoomedPicture.Height() - 1;
}

Calibration PlotDocument::CurrentCalibration() const {
    Calibration c;
    for (int n = 1; n <= 4; ++n)
        c.corner[n - 1] = Box.Marker(n).Position();
    c.XMin = XMin;
    c.XMax = XMax;
    c.YMin = YMin;
    c.YMax = YMax;
    c.type = ChosenPlotType;
    c.method = Method;
    return c;
}

edit::Calibrate PlotDocument::CalibrationChange() const {
    edit::Calibrate change;
    for (int n = 1; n <= 4; ++n)
        change.FromCorners[n - 1] = change.ToCorners[n - 1] = Box.Marker(n).Position();
    for (int tag = 1; tag <= 4; ++tag)
        change.FromScale[tag - 1] = change.ToScale[tag - 1] = ScaleValue(tag);
    change.FromMethod = change.ToMethod = Method;
    return change;
}

bool PlotDocument::SetCalibrationMethod(CalibrationMethod method) {
    if (method == Method) return false;
    edit::Calibrate change = CalibrationChange();
    change.ToMethod = method;
    Perform(change, "Change Calibration Method");
    return true;
}

DisplayChange PlotDocument::PasteCalibration(const Calibration& cal) {
    std::array<std::int32_t, 4> xs, ys;
    for (std::size_t k = 0; k < 4; ++k) {
        xs[k] = std::clamp<std::int32_t>(cal.corner[k].X, 0, std::max(0, Picture.Width() - 1));
        ys[k] = std::clamp<std::int32_t>(cal.corner[k].Y, 0, std::max(0, Picture.Height() - 1));
    }
    // Where the box's rules put those corners, taken from a box placed there.
    TMarkerBox placed;
    placed.PlaceCorners(xs, ys);
    CommitScaleValues();
    edit::Calibrate change = CalibrationChange();
    for (int n = 1; n <= 4; ++n)
        change.ToCorners[n - 1] = placed.Marker(n).Position();
    change.ToScale[0] = cal.XMin;
    change.ToScale[1] = cal.XMax;
    change.ToScale[2] = cal.YMin;
    change.ToScale[3] = cal.YMax;
    change.ToMethod = cal.method;
    return Perform(change, "Paste Calibration");
}

TDataPoint PlotDocument::ConvertXY(TPoint p) const {
    return curvana::ConvertXY(CurrentCalibration(), p);
}

TPoint PlotDocument::DeConvertXY(TDataPoint v) const {
    return curvana::DeConvertXY(CurrentCalibration(), v);
}

std::vector<std::string> PlotDocument::BuildListing() const {
    return listing_.Build(CurrentCalibration(), DataSeries, SingleMarkers);
}

void PlotDocument::RefreshListing(int mode) {
    if (!Memo) return;
    if (markerList_.size() <= 4)
        Memo->Clear();
    else
        MergeListing(*Memo, BuildListing(), mode);
}

void PlotDocument::UpDateMemo(int mode) {
    RefreshListing(mode);
    MarkChanged();
}

void PlotDocument::MarkOpened() {
    history_.Clear();
    for (int tag = 1; tag <= 4; ++tag)
        committedScale_[tag - 1] = ScaleValue(tag);
    changedOutsideHistory_ = false;
    Modified = false;
}

void PlotDocument::MarkSaved() {
    CommitScaleValues();
    history_.MarkClean();
    changedOutsideHistory_ = false;
    Modified = false;
}

void PlotDocument::MarkNeverSaved() {
    history_.MarkNeverClean();
    Modified = true;
}

void PlotDocument::MarkChangedOutsideHistory() {
    changedOutsideHistory_ = true;
    Modified = true;
}

void PlotDocument::SettleModified() {
    Modified = !(history_.AtClean() && !changedOutsideHistory_);
}

TRect PlotDocument::Redraw(const DisplayChange& change, DocumentView& view) {
    if (change.Whole) {
        view.canvas.ResetClip();
        PaintAll(view);
        return {-view.OriginX, -view.OriginY, ClientWidth - view.OriginX, ClientHeight - view.OriginY};
    }
    if (change.Empty()) return {};
    const TRect area{change.Area.Left - view.OriginX, change.Area.Top - view.OriginY,
                     change.Area.Right - view.OriginX, change.Area.Bottom - view.OriginY};
    RedrawArea(area, view);
    return area;
}

void PlotDocument::InsertIntoMarkerList(std::int32_t position, TMarker* marker) {
    const auto at = std::clamp<std::int64_t>(position, 0, std::int64_t(markerList_.size()));
    markerList_.insert(markerList_.begin() + at, marker);
}

std::int32_t PlotDocument::RemoveFromMarkerList(const TMarker* marker) {
    auto it = std::find(markerList_.begin() + std::min<std::size_t>(4, markerList_.size()), markerList_.end(),
                        marker);
    if (it == markerList_.end()) return -1;
    const auto position = std::int32_t(it - markerList_.begin());
    markerList_.erase(it);
    return position;
}

std::vector<std::int32_t> PlotDocument::PositionsOf(
    const std::vector<std::unique_ptr<TMarker>>& chain) const {
    // One pass over the list, not a search per marker: a series may hold thousands.
    std::unordered_map<const TMarker*, std::size_t> slots;
    for (std::size_t i = 0; i < chain.size(); ++i)
        slots.emplace(chain[i].get(), i);
    std::vector<std::int32_t> positions(chain.size(), -1);
    for (std::size_t k = 0; k < markerList_.size(); ++k)
        if (const auto it = slots.find(markerList_[k]); it != slots.end())
            positions[it->second] = std::int32_t(k);
    return positions;
}

void PlotDocument::RemoveChainFromMarkerList(const std::vector<std::unique_ptr<TMarker>>& chain) {
    std::unordered_set<const TMarker*> leaving;
    for (const auto& m : chain)
        leaving.insert(m.get());
    std::erase_if(markerList_, [&leaving](const TMarker* m) { return leaving.count(m) != 0; });
}

void PlotDocument::RebuildMarkerList() {
    markerList_.clear();
    for (int n = 1; n <= 4; ++n)
        markerList_.push_back(&Box.Marker(n));
    for (const auto& series : DataSeries)
        for (const auto& m : series->Markers)
            markerList_.push_back(m.get());
    for (const auto& m : SingleMarkers)
        markerList_.push_back(m.get());
}

std::vector<std::unique_ptr<TMarker>>& PlotDocument::Chain(int series) {
    return series < 0 ? SingleMarkers : DataSeries[std::size_t(series)]->Markers;
}

std::string PlotDocument::DefaultSeriesName() const {
    std::int32_t max = 0;
    for (const auto& series : DataSeries) {
        const std::string& name = series->Name;
        if (name.compare(0, 10, "DataSeries") != 0 || name.size() < 10) continue;
        std::int32_t number = 0;
        // Characters 12 to 15 (the 11th, normally the space, is not looked at).
        if (name.size() > 11 && TryStrToInt(std::string_view(name).substr(11, 4), number))
            max = std::max(max, number);
    }
    return "DataSeries " + IntToStr(std::int64_t(max) + 1);
}

// ---------------------------------------------------------------------------------------------
// Changes: each one made and taken back by the same code

namespace {

MarkerValues ValuesOf(const TMarker& m) {
    return {m.X, m.Y, m.Color};
}

void SetValues(TMarker& m, const MarkerValues& v) {
    m.X = v.X;
    m.Y = v.Y;
    m.Color = v.Color;
}

// The MarkerList positions in rising order, each with the marker it holds.
template <typename Marker>
std::vector<std::pair<std::int32_t, Marker*>> ByPosition(const std::vector<std::int32_t>& positions,
                                                         const std::vector<Marker*>& markers) {
    std::vector<std::pair<std::int32_t, Marker*>> order;
    for (std::size_t i = 0; i < markers.size() && i < positions.size(); ++i)
        order.emplace_back(positions[i], markers[i]);
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return order;
}

}  // namespace

DisplayChange PlotDocument::ApplySeries(const edit::Series& change, bool insert) {
    DisplayChange shown;
    if (insert) {
        if (change.Points.size() < 2 || change.Index < 0 || change.Index > int(DataSeries.size()))
            return shown;
        auto series = std::make_unique<TMarkerLine>(TPoint{change.Points[0].X, change.Points[0].Y},
                                                    TPoint{change.Points[1].X, change.Points[1].Y});
        for (std::size_t k = 2; k < change.Points.size(); ++k)
            series->Markers.push_back(std::make_unique<TMarker>());
        std::vector<TMarker*> objects;
        for (std::size_t k = 0; k < change.Points.size(); ++k) {
            SetValues(*series->Markers[k], change.Points[k]);
            objects.push_back(series->Markers[k].get());
        }
        series->Name = change.Name;
        series->SetColor(change.Color);
        for (const auto& [position, marker] : ByPosition(change.Positions, objects))
            InsertIntoMarkerList(position, marker);
        shown.Add(SeriesArea(*series));
        DataSeries.insert(DataSeries.begin() + change.Index, std::move(series));
        RefreshListing(2);
    } else {
        if (change.Index < 0 || change.Index >= int(DataSeries.size())) return shown;
        if (SelectedSlot(DataSeries[std::size_t(change.Index)]->Markers) >= 0) Selected = nullptr;
        RemoveChainFromMarkerList(DataSeries[std::size_t(change.Index)]->Markers);
        DataSeries.erase(DataSeries.begin() + change.Index);
        shown.Whole = true;
        RefreshListing(0);
    }
    return shown;
}

DisplayChange PlotDocument::ApplyPoint(const edit::Point& change, bool insert) {
    DisplayChange shown;
    if (change.Series >= int(DataSeries.size())) return shown;
    auto& chain = Chain(change.Series);
    const int count = int(chain.size());
    const int selected = SelectedSlot(chain);
    if (insert) {
        if (change.Slot < 0 || change.Slot > count) return shown;
        chain.push_back(std::make_unique<TMarker>());
        for (int s = count; s > change.Slot; --s)
            SetValues(*chain[std::size_t(s)], ValuesOf(*chain[std::size_t(s - 1)]));
        SetValues(*chain[std::size_t(change.Slot)], change.Value);
        InsertIntoMarkerList(change.Position, chain.back().get());
        FollowSelection(chain, selected, change.Slot, 1);
        // The segment between the neighbours goes, the two to the new point come: all of it lies
        // around those three points.
        for (int s = change.Slot - 1; s <= change.Slot + 1; ++s)
            if (s >= 0 && s <= count && (change.Series >= 0 || s == change.Slot))
                shown.Add(AreaAround(*chain[std::size_t(s)]));
        RefreshListing(2);
    } else {
        if (change.Slot < 0 || change.Slot >= count || (change.Series >= 0 && count <= 2)) return shown;
        RemoveFromMarkerList(chain.back().get());
        for (int s = change.Slot + 1; s < count; ++s)
            SetValues(*chain[std::size_t(s - 1)], ValuesOf(*chain[std::size_t(s)]));
        chain.pop_back();
        FollowSelection(chain, selected, change.Slot, -1);
        shown.Whole = true;
        RefreshListing(0);
    }
    return shown;
}

DisplayChange PlotDocument::ApplyAllSingles(const edit::AllSingles& change, bool insert) {
    DisplayChange shown;
    shown.Whole = true;
    if (insert) {
        std::vector<TMarker*> objects;
        for (const MarkerValues& v : change.Values) {
            SingleMarkers.push_back(std::make_unique<TMarker>());
            SetValues(*SingleMarkers.back(), v);
            objects.push_back(SingleMarkers.back().get());
        }
        for (const auto& [position, marker] : ByPosition(change.Positions, objects))
            InsertIntoMarkerList(position, marker);
        RefreshListing(2);
    } else {
        if (SelectedSlot(SingleMarkers) >= 0) Selected = nullptr;
        RemoveChainFromMarkerList(SingleMarkers);
        SingleMarkers.clear();
        RefreshListing(0);
    }
    return shown;
}

DisplayChange PlotDocument::PlaceMarker(int index, TPoint p) {
    DisplayChange shown;
    if (index < 0 || index >= int(markerList_.size())) return shown;
    shown.Add(MarkerArea(index));
    markerList_[std::size_t(index)]->SetPosition(p);
    shown.Add(MarkerArea(index));
    // A corner moves the whole calibration grid.
    if (index <= 3 && ShowCalibrationGrid)
        shown.Add({MarginX, MarginY, MarginX + ZoomedPicture.Width(), MarginY + ZoomedPicture.Height()});
    return shown;
}

DisplayChange PlotDocument::Apply(const edit::Change& change, bool forward) {
    DisplayChange shown;
    if (const auto* c = std::get_if<edit::Series>(&change)) return ApplySeries(*c, c->Added == forward);
    if (const auto* c = std::get_if<edit::Point>(&change)) return ApplyPoint(*c, c->Added == forward);
    if (const auto* c = std::get_if<edit::AllSingles>(&change)) return ApplyAllSingles(*c, !forward);
    if (const auto* c = std::get_if<edit::Move>(&change)) {
        shown = PlaceMarker(c->Index, forward ? c->To : c->From);
    } else if (const auto* c = std::get_if<edit::Scale>(&change)) {
        const double value = forward ? c->To : c->From;
        double* values[4] = {&XMin, &XMax, &YMin, &YMax};
        if (c->Tag >= 1 && c->Tag <= 4) *values[c->Tag - 1] = committedScale_[c->Tag - 1] = value;
        shown.Whole = ShowCalibrationGrid;  // the grid's lines move with the values
    } else if (const auto* c = std::get_if<edit::Calibrate>(&change)) {
        double* values[4] = {&XMin, &XMax, &YMin, &YMax};
        for (int i = 0; i < 4; ++i) {
            Box.Marker(i + 1).SetPosition(forward ? c->ToCorners[i] : c->FromCorners[i]);
            *values[i] = committedScale_[i] = forward ? c->ToScale[i] : c->FromScale[i];
        }
        Method = forward ? c->ToMethod : c->FromMethod;
        shown.Whole = true;
    } else if (const auto* c = std::get_if<edit::Rename>(&change)) {
        if (c->Series >= 0 && c->Series < int(DataSeries.size()))
            DataSeries[std::size_t(c->Series)]->Name = forward ? c->To : c->From;
    } else if (const auto* c = std::get_if<edit::Recolor>(&change)) {
        const TColor color = forward ? c->To : c->From;
        if (c->Series >= 0 && c->Series < int(DataSeries.size())) {
            TMarkerLine& series = *DataSeries[std::size_t(c->Series)];
            series.SetColor(color);
            shown.Add(SeriesArea(series));
        } else if (c->Single >= 0 && c->Single < int(SingleMarkers.size())) {
            TMarker& marker = *SingleMarkers[std::size_t(c->Single)];
            marker.Color = color;
            shown.Add(AreaAround(marker));
        }
    }
    RefreshListing(1);
    return shown;
}

DisplayChange PlotDocument::Perform(edit::Change change, const char* name) {
    CommitScaleValues();
    const DisplayChange shown = Apply(change, true);
    history_.Record({name, std::move(change)});
    MarkChanged();
    return shown;
}

DisplayChange PlotDocument::AddSeries(TPoint p1, TPoint p2) {
    edit::Series change;
    change.Index = int(DataSeries.size());
    change.Name = DefaultSeriesName();
    change.Color = TMarkerLine(p1, p2).Color;
    // A new series' markers take its colour.
    change.Points = {{p1.X, p1.Y, change.Color}, {p2.X, p2.Y, change.Color}};
    change.Positions = {std::int32_t(markerList_.size()), std::int32_t(markerList_.size() + 1)};
    return Perform(std::move(change), "Add DataSeries");
}

DisplayChange PlotDocument::AddTracedSeries(const std::vector<TPoint>& points, const char* name) {
    if (points.size() < 2) return {};
    edit::Series change;
    change.Index = int(DataSeries.size());
    change.Name = DefaultSeriesName();
    change.Color = TMarkerLine(points[0], points[1]).Color;
    for (const TPoint& p : points) {
        change.Points.push_back({p.X, p.Y, change.Color});
        change.Positions.push_back(std::int32_t(markerList_.size() + change.Positions.size()));
    }
    return Perform(std::move(change), name);
}

DisplayChange PlotDocument::AddPointToNearestSeries(TPoint p) {
    double best = 1e99;
    int target = -1, index = 0, neighbour = 0;
    for (std::size_t s = 0; s < DataSeries.size(); ++s) {
        int i = 0, n = 0;
        double d = DataSeries[s]->FindNearest(p, i, n);
        if (d < best) {
            best = d;
            target = int(s);
            index = i;
            neighbour = n;
        }
    }
    if (target < 0) return {};
    return InsertSeriesPoint(target, p, std::min(index, neighbour), std::max(index, neighbour));
}

DisplayChange PlotDocument::InsertSeriesPoint(int series, TPoint p, int lower, int upper) {
    if (series < 0 || series >= int(DataSeries.size())) return {};
    const TMarkerLine& line = *DataSeries[std::size_t(series)];
    edit::Point change;
    change.Series = series;
    change.Slot = lower >= 0 ? upper : (upper == 0 ? 0 : line.Count());
    change.Value = {p.X, p.Y, line.Color};
    change.Position = std::int32_t(markerList_.size());
    return Perform(change, "Add Marker");
}

DisplayChange PlotDocument::AddSingleMarker(TPoint p) {
    edit::Point change;
    change.Slot = int(SingleMarkers.size());
    change.Value = {p.X, p.Y, TMarker().Color};
    change.Position = std::int32_t(markerList_.size());
    return Perform(change, "Add Single Marker");
}

DisplayChange PlotDocument::DeleteSeries(int index) {
    if (index < 0 || index >= int(DataSeries.size())) return {};
    const TMarkerLine& line = *DataSeries[std::size_t(index)];
    edit::Series change;
    change.Added = false;
    change.Index = index;
    change.Name = line.Name;
    change.Color = line.Color;
    for (const auto& m : line.Markers)
        change.Points.push_back(ValuesOf(*m));
    change.Positions = PositionsOf(line.Markers);
    return Perform(std::move(change), "Delete DataSeries");
}

DisplayChange PlotDocument::DeleteSeriesPoint(int seriesIndex, int slot) {
    if (seriesIndex < 0 || seriesIndex >= int(DataSeries.size())) return {};
    const TMarkerLine& series = *DataSeries[std::size_t(seriesIndex)];
    if (series.Count() <= 2 || slot < 0 || slot >= series.Count()) return {};
    edit::Point change;
    change.Added = false;
    change.Series = seriesIndex;
    change.Slot = slot;
    change.Value = ValuesOf(series.Marker(slot));
    change.Position = std::int32_t(
        std::find(markerList_.begin(), markerList_.end(), series.Markers.back().get()) - markerList_.begin());
    return Perform(change, "Delete Marker");
}

DisplayChange PlotDocument::DeleteSingleMarker(int slot) {
    if (slot < 0 || slot >= int(SingleMarkers.size())) return {};
    edit::Point change;
    change.Added = false;
    change.Slot = slot;
    change.Value = ValuesOf(*SingleMarkers[std::size_t(slot)]);
    change.Position = std::int32_t(
        std::find(markerList_.begin(), markerList_.end(), SingleMarkers.back().get()) - markerList_.begin());
    return Perform(change, "Delete Single Marker");
}

DisplayChange PlotDocument::DeleteAllSingleMarkers() {
    edit::AllSingles change;
    for (const auto& m : SingleMarkers)
        change.Values.push_back(ValuesOf(*m));
    change.Positions = PositionsOf(SingleMarkers);
    // With none to delete the listing is refreshed and the document counts as changed all the same.
    if (change.Values.empty()) {
        UpDateMemo(0);
        return {DisplayChange{{}, true}};
    }
    return Perform(std::move(change), "Delete All Single Markers");
}

DisplayChange PlotDocument::SetMarkerColor(const TMarker& marker, TColor color) {
    edit::Recolor change;
    int seriesIndex = 0, slot = 0;
    if (FindSeriesMarker(&marker, seriesIndex, slot)) {
        change.Series = seriesIndex;
        change.From = DataSeries[std::size_t(seriesIndex)]->Color;
    } else if ((change.Single = SingleMarkerSlot(&marker)) >= 0) {
        change.From = marker.Color;
    } else {
        return {};
    }
    change.To = color;
    if (change.From == change.To) {
        MarkChanged();
        return {};
    }
    return Perform(change, "Change Color");
}

DisplayChange PlotDocument::RenameSeries(int series, const std::string& name) {
    if (series < 0 || series >= int(DataSeries.size())) return {};
    const std::string& old = DataSeries[std::size_t(series)]->Name;
    if (old == name) {
        UpDateMemo(1);
        return {};
    }
    return Perform(edit::Rename{series, old, name}, "Rename DataSeries");
}

DisplayChange PlotDocument::MoveMarker(int index, TPoint p, const char* name) {
    if (index < 0 || index >= int(markerList_.size())) return {};
    const TMarker& m = *markerList_[std::size_t(index)];
    if (index <= 3 && !Box.CanMoveTo(index + 1, p.X, p.Y)) p = m.Position();
    if (p == m.Position()) {
        UpDateMemo(1);
        return {};
    }
    return Perform(edit::Move{index, m.Position(), p, false}, name);
}

double PlotDocument::ScaleValue(int tag) const {
    const double values[4] = {XMin, XMax, YMin, YMax};
    return tag >= 1 && tag <= 4 ? values[tag - 1] : 0.0;
}

void PlotDocument::SetScaleValue(int tag, double value, bool refresh) {
    double* values[4] = {&XMin, &XMax, &YMin, &YMax};
    if (tag < 1 || tag > 4) return;
    *values[tag - 1] = value;
    if (refresh) UpDateMemo(1);
}

void PlotDocument::CommitScaleValues() {
    for (int tag = 1; tag <= 4; ++tag) {
        double& committed = committedScale_[tag - 1];
        const double value = ScaleValue(tag);
        // Bit for bit, so that -0 and 0 differ as they do in the file.
        if (std::memcmp(&committed, &value, sizeof value) == 0) continue;
        history_.Record({kScaleStepNames[tag - 1], edit::Scale{tag, committed, value}});
        committed = value;
    }
}

DisplayChange PlotDocument::Select(TMarker* marker) {
    DisplayChange shown;
    if (marker == Selected) return shown;
    history_.BreakMerge();
    if (Selected) shown.Add(AreaAround(*Selected));
    Selected = marker;
    if (Selected) shown.Add(AreaAround(*Selected));
    return shown;
}

int PlotDocument::SelectedIndex() const {
    if (!Selected) return -1;
    const auto it = std::find(markerList_.begin(), markerList_.end(), Selected);
    return it == markerList_.end() ? -1 : int(it - markerList_.begin());
}

int PlotDocument::SelectedSlot(const std::vector<std::unique_ptr<TMarker>>& chain) const {
    for (std::size_t i = 0; i < chain.size(); ++i)
        if (chain[i].get() == Selected) return int(i);
    return -1;
}

void PlotDocument::FollowSelection(const std::vector<std::unique_ptr<TMarker>>& chain, int selectedSlot,
                                   int slot, int shift) {
    if (selectedSlot < 0 || selectedSlot < slot) return;
    if (shift < 0 && selectedSlot == slot)
        Selected = nullptr;
    else
        Selected = chain[std::size_t(selectedSlot + shift)].get();
}

bool PlotDocument::FindSeriesMarker(const TMarker* marker, int& seriesIndex, int& slot) const {
    for (std::size_t s = 0; s < DataSeries.size(); ++s) {
        int found = DataSeries[s]->SlotOf(marker);
        if (found >= 0) {
            seriesIndex = int(s);
            slot = found;
            return true;
        }
    }
    return false;
}

int PlotDocument::SingleMarkerSlot(const TMarker* marker) const {
    for (std::size_t i = 0; i < SingleMarkers.size(); ++i)
        if (SingleMarkers[i].get() == marker) return int(i);
    return -1;
}

TRect PlotDocument::AreaAround(TPoint p) const {
    TMarker at;
    at.SetPosition(p);
    return AreaAround(at);
}

TRect PlotDocument::AreaAround(const TMarker& marker) const {
    const double z = ZoomFactor();
    // Symbols reach 2 * MSize from their centre and the selection's outline a little further; lines
    // stop MarkerGap() short of it and run back that far past it when two markers are close.
    const std::int64_t reach = std::max<std::int64_t>(OutlineReach(), MarkerGap()) + 1;
    const std::int64_t x = marker.ScreenX(MarginX, z), y = marker.ScreenY(MarginY, z);
    return {x - reach, y - reach, x + reach + 1, y + reach + 1};
}

TRect PlotDocument::MarkerArea(int index) const {
    const TMarker& m = *markerList_[std::size_t(index)];
    TRect area = AreaAround(m);
    int seriesIndex = 0, slot = 0;
    if (index <= 3) {  // a box corner and the two corners its edges lead to
        const int corner = index + 1;
        for (int other : {corner == 1 || corner == 4 ? 2 : 1, corner == 1 || corner == 4 ? 3 : 4})
            area = Unite(area, AreaAround(Box.Marker(other)));
    } else if (FindSeriesMarker(&m, seriesIndex, slot)) {
        const TMarkerLine& series = *DataSeries[std::size_t(seriesIndex)];
        if (slot > 0) area = Unite(area, AreaAround(series.Marker(slot - 1)));
        if (slot < series.Count() - 1) area = Unite(area, AreaAround(series.Marker(slot + 1)));
    }
    return area;
}

TRect PlotDocument::SeriesArea(const TMarkerLine& series) const {
    TRect area;
    for (const auto& m : series.Markers)
        area = Unite(area, AreaAround(*m));
    return area;
}

void PlotDocument::BeginDrag(int index) {
    if (index < 0 || index >= int(markerList_.size())) return;
    DragIndex = index;
    dragStart_ = markerList_[std::size_t(index)]->Position();
}

DisplayChange PlotDocument::DragTo(TPoint p) {
    if (DragIndex < 0 || DragIndex >= std::int32_t(markerList_.size())) return {};
    const TMarker& m = *markerList_[std::size_t(DragIndex)];
    if (DragIndex <= 3 && !Box.CanMoveTo(DragIndex + 1, p.X, p.Y)) p = m.Position();
    // Only the marker's area before and after the move changes; drawing is held to that area, so
    // that a step costs what the marker covers, not what the window shows.
    const DisplayChange shown = PlaceMarker(DragIndex, p);
    UpDateMemo(1);
    return shown;
}

void PlotDocument::EndDrag() {
    const int index = DragIndex;
    DragIndex = -1;
    if (index < 0 || index >= int(markerList_.size())) return;
    const TPoint end = markerList_[std::size_t(index)]->Position();
    if (end == dragStart_) return;
    CommitScaleValues();
    history_.Record(
        {index <= 3 ? "Move Box Corner" : "Move Marker", edit::Move{index, dragStart_, end, false}});
}

DisplayChange PlotDocument::NudgeSelected(int dx, int dy, int steps) {
    const int k = SelectedIndex();
    if (k < 0 || DragIndex >= 0) return {};
    const TPoint from = Selected->Position();
    TPoint to = from;
    // Pixel by pixel as long as the next one lies on the picture.
    for (int i = 0; i < steps; ++i) {
        const std::int64_t x = std::int64_t(to.X) + dx, y = std::int64_t(to.Y) + dy;
        if (x < 0 || y < 0 || x >= Picture.Width() || y >= Picture.Height()) break;
        to = {std::int32_t(x), std::int32_t(y)};
    }
    if (k <= 3 && !Box.CanMoveTo(k + 1, to.X, to.Y)) to = from;
    if (to == from) return {};
    return Perform(edit::Move{k, from, to, true}, k <= 3 ? "Move Box Corner" : "Move Marker");
}

bool PlotDocument::Undo(DisplayChange& shown) {
    return StepHistory(false, shown);
}

bool PlotDocument::Redo(DisplayChange& shown) {
    return StepHistory(true, shown);
}

bool PlotDocument::StepHistory(bool forward, DisplayChange& shown) {
    // A drag or a scale value not yet recorded is recorded first: it is the latest change.
    EndDrag();
    CommitScaleValues();
    PopupIndex = -1;
    if (!(forward ? history_.CanRedo() : history_.CanUndo())) return false;
    shown = Apply((forward ? history_.StepForward() : history_.StepBack()).Change, forward);
    SettleModified();
    return true;
}

bool PlotDocument::DragMoved() const {
    return DragIndex >= 0 && DragIndex < int(markerList_.size()) &&
           markerList_[std::size_t(DragIndex)]->Position() != dragStart_;
}

int PlotDocument::PendingScaleTag() const {
    for (int tag = 4; tag >= 1; --tag) {
        const double value = ScaleValue(tag);
        if (std::memcmp(&committedScale_[tag - 1], &value, sizeof value) != 0) return tag;
    }
    return 0;
}

// What an undo now takes back: a drag or typed scale value not yet recorded comes first, as Undo
// records it before it undoes.
std::string PlotDocument::UndoName() const {
    if (DragMoved()) return DragIndex <= 3 ? "Move Box Corner" : "Move Marker";
    if (const int tag = PendingScaleTag()) return kScaleStepNames[tag - 1];
    return history_.CanUndo() ? history_.NextUndo().Name : std::string();
}

std::string PlotDocument::RedoName() const {
    if (DragMoved() || PendingScaleTag()) return {};  // recording them drops what could be redone
    return history_.CanRedo() ? history_.NextRedo().Name : std::string();
}

}  // namespace curvana
