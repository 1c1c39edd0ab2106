#include "document/PlotDocument.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <new>

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

// Half the side of the selection's outline, in screen pixels: its black square lies one pixel
// outside the symbol's arms, its white one around that.
std::int64_t OutlineReach() {
    return 2 * std::int64_t(MSize) + 3;
}

}  // namespace

PlotDocument::PlotDocument() = default;

void PlotDocument::Initialize() {
    DragIndex = -1;
    PopupIndex = -1;
    Selected = nullptr;
    AddPointMode = AddSingleMode = DeleteSingleMode = DeletePointMode = DeleteSeriesMode = false;
    XMin = XMax = YMin = YMax = 0.0;
    ZoomLevel = 0;
    Modified = true;
}

void PlotDocument::PlaceNewPicture() {
    StretchB();
    Initialize();
    const double w = Picture.Width(), h = Picture.Height();
    const auto x10 = std::int32_t(Round(0.1 * w)), x90 = std::int32_t(Round(0.9 * w));
    const auto y10 = std::int32_t(Round(0.1 * h)), y90 = std::int32_t(Round(0.9 * h));
    Box.PlaceCorners({x10, x10, x90, x90}, {y10, y90, y10, y90});
    MarkerList.clear();
    for (int n = 1; n <= 4; ++n)
        MarkerList.push_back(&Box.Marker(n));
    Modified = false;
}

double PlotDocument::ZoomFactor() const {
    return std::pow(1.4, double(ZoomLevel));
}

bool PlotDocument::StretchB() {
    const double f = ZoomFactor();
    Bitmap zoomed;
    try {
        if (f == 1.0) {
            zoomed = Picture;
        } else {
            const std::int64_t w = Round(Picture.Width() * f);
            const std::int64_t h = Round(Picture.Height() * f);
            if (w <= 0 || h <= 0 || w > Bitmap::kMaxPixels || h > Bitmap::kMaxPixels ||
                w * h > Bitmap::kMaxPixels)
                return false;
            zoomed = ZoomPicture(Picture, f, int(w), int(h));
        }
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    ZoomedPicture = std::move(zoomed);
    ClientWidth = ZoomedPicture.Width() + 2 * MarginX + 1;
    ClientHeight = ZoomedPicture.Height() + 2 * MarginY + 1;
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
    view.canvas.Draw(OffsetX(view), OffsetY(view), ZoomedPicture);
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

bool PlotDocument::SetCalibrationMethod(CalibrationMethod method) {
    if (method == Method) return false;
    Method = method;
    UpDateMemo(1);
    return true;
}

void PlotDocument::PasteCalibration(const Calibration& cal) {
    std::array<std::int32_t, 4> xs, ys;
    for (std::size_t k = 0; k < 4; ++k) {
        xs[k] = std::clamp<std::int32_t>(cal.corner[k].X, 0, std::max(0, Picture.Width() - 1));
        ys[k] = std::clamp<std::int32_t>(cal.corner[k].Y, 0, std::max(0, Picture.Height() - 1));
    }
    Box.PlaceCorners(xs, ys);
    XMin = cal.XMin;
    XMax = cal.XMax;
    YMin = cal.YMin;
    YMax = cal.YMax;
    Method = cal.method;
    UpDateMemo(1);
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

void PlotDocument::UpDateMemo(int mode) {
    if (Memo) {
        if (MarkerList.size() <= 4)
            Memo->Clear();
        else
            MergeListing(*Memo, BuildListing(), mode);
    }
    Modified = true;
}

void PlotDocument::RemoveFromMarkerList(const TMarker* marker) {
    auto it =
        std::find(MarkerList.begin() + std::min<std::size_t>(4, MarkerList.size()), MarkerList.end(), marker);
    if (it != MarkerList.end()) MarkerList.erase(it);
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

void PlotDocument::AddSeries(TPoint p1, TPoint p2, DocumentView* view) {
    DataSeries.push_back(std::make_unique<TMarkerLine>(p1, p2));
    TMarkerLine& series = *DataSeries.back();
    if (view) RedrawArea(SeriesArea(series, *view), *view);
    series.Name = DefaultSeriesName();
    MarkerList.push_back(&series.Marker(0));
    MarkerList.push_back(&series.Marker(1));
    UpDateMemo(2);
}

void PlotDocument::AddPointToNearestSeries(TPoint p, DocumentView* view) {
    double best = 1e99;
    TMarkerLine* target = nullptr;
    int index = 0, neighbour = 0;
    for (auto& series : DataSeries) {
        int i = 0, n = 0;
        double d = series->FindNearest(p, i, n);
        if (d < best) {
            best = d;
            target = series.get();
            index = i;
            neighbour = n;
        }
    }
    if (!target) return;
    const int lower = std::min(index, neighbour), upper = std::max(index, neighbour);
    // The segment between lower and upper goes, two segments to p come: all of it lies around
    // those three points.
    TRect changed;
    if (view) {
        TMarker at;
        at.SetPosition(p);
        changed = Unite(AreaAround(at, *view), AreaAround(target->Marker(upper), *view));
        if (lower >= 0) changed = Unite(changed, AreaAround(target->Marker(lower), *view));
    }
    const int slot = lower >= 0 ? upper : (upper == 0 ? 0 : target->Count());
    const int selected = SelectedSlot(target->Markers);
    target->InsertMarker(p, lower, upper);
    FollowSelection(target->Markers, selected, slot, 1);
    if (view) RedrawArea(changed, *view);
    MarkerList.push_back(target->Markers.back().get());
    UpDateMemo(2);
}

void PlotDocument::AddSingleMarker(TPoint p, DocumentView* view) {
    auto marker = std::make_unique<TMarker>();
    marker->SetPosition(p);
    TMarker& added = *marker;
    MarkerList.push_back(marker.get());
    SingleMarkers.push_back(std::move(marker));
    if (view) RedrawArea(AreaAround(added, *view), *view);
    UpDateMemo(2);
}

void PlotDocument::DeleteSeries(int index, DocumentView* view) {
    if (index < 0 || index >= int(DataSeries.size())) return;
    if (SelectedSlot(DataSeries[std::size_t(index)]->Markers) >= 0) Selected = nullptr;
    for (const auto& m : DataSeries[std::size_t(index)]->Markers)
        RemoveFromMarkerList(m.get());
    DataSeries.erase(DataSeries.begin() + index);
    if (view) FormPaint(*view);
    UpDateMemo(0);
}

void PlotDocument::DeleteSeriesPoint(int seriesIndex, int slot, DocumentView* view) {
    if (seriesIndex < 0 || seriesIndex >= int(DataSeries.size())) return;
    TMarkerLine& series = *DataSeries[std::size_t(seriesIndex)];
    if (series.Count() <= 2 || slot < 0 || slot >= series.Count()) return;
    const int selected = SelectedSlot(series.Markers);
    RemoveFromMarkerList(series.Markers.back().get());
    series.DeleteMarker(slot);
    FollowSelection(series.Markers, selected, slot, -1);
    if (view) FormPaint(*view);
    UpDateMemo(0);
}

void PlotDocument::DeleteSingleMarker(int slot, DocumentView* view) {
    if (slot < 0 || slot >= int(SingleMarkers.size())) return;
    const int selected = SelectedSlot(SingleMarkers);
    RemoveFromMarkerList(SingleMarkers.back().get());
    for (std::size_t k = std::size_t(slot) + 1; k < SingleMarkers.size(); ++k) {
        TMarker& to = *SingleMarkers[k - 1];
        const TMarker& from = *SingleMarkers[k];
        to.X = from.X;
        to.Y = from.Y;
        to.Color = from.Color;
    }
    SingleMarkers.pop_back();
    FollowSelection(SingleMarkers, selected, slot, -1);
    if (view) FormPaint(*view);
    UpDateMemo(0);
}

void PlotDocument::DeleteAllSingleMarkers(DocumentView* view) {
    if (SelectedSlot(SingleMarkers) >= 0) Selected = nullptr;
    for (const auto& m : SingleMarkers)
        RemoveFromMarkerList(m.get());
    SingleMarkers.clear();
    if (view) FormPaint(*view);
    UpDateMemo(0);
}

void PlotDocument::SetMarkerColor(TMarker& marker, TColor color, DocumentView* view) {
    int seriesIndex = 0, slot = 0;
    TRect changed;
    if (FindSeriesMarker(&marker, seriesIndex, slot)) {
        TMarkerLine& series = *DataSeries[std::size_t(seriesIndex)];
        series.SetColor(color);
        if (view) changed = SeriesArea(series, *view);
    } else {
        marker.Color = color;
        if (view) changed = AreaAround(marker, *view);
    }
    if (view) RedrawArea(changed, *view);
}

void PlotDocument::Select(TMarker* marker, DocumentView* view) {
    if (marker == Selected) return;
    TRect changed;
    if (view && Selected) changed = AreaAround(*Selected, *view);
    Selected = marker;
    if (view && Selected) changed = Unite(changed, AreaAround(*Selected, *view));
    if (view) RedrawArea(changed, *view);
}

int PlotDocument::SelectedIndex() const {
    if (!Selected) return -1;
    const auto it = std::find(MarkerList.begin(), MarkerList.end(), Selected);
    return it == MarkerList.end() ? -1 : int(it - MarkerList.begin());
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

TRect PlotDocument::AreaAround(const TMarker& marker, const DocumentView& view) const {
    const double z = ZoomFactor();
    // Symbols reach 2 * MSize from their centre and the selection's outline a little further; lines
    // stop MarkerGap() short of it and run back that far past it when two markers are close.
    const std::int64_t reach = std::max<std::int64_t>(OutlineReach(), MarkerGap()) + 1;
    const std::int64_t x = marker.ScreenX(OffsetX(view), z), y = marker.ScreenY(OffsetY(view), z);
    return {x - reach, y - reach, x + reach + 1, y + reach + 1};
}

TRect PlotDocument::MarkerArea(int index, const DocumentView& view) const {
    const TMarker& m = *MarkerList[std::size_t(index)];
    TRect area = AreaAround(m, view);
    int seriesIndex = 0, slot = 0;
    if (index <= 3) {  // a box corner and the two corners its edges lead to
        const int corner = index + 1;
        for (int other : {corner == 1 || corner == 4 ? 2 : 1, corner == 1 || corner == 4 ? 3 : 4})
            area = Unite(area, AreaAround(Box.Marker(other), view));
    } else if (FindSeriesMarker(&m, seriesIndex, slot)) {
        const TMarkerLine& series = *DataSeries[std::size_t(seriesIndex)];
        if (slot > 0) area = Unite(area, AreaAround(series.Marker(slot - 1), view));
        if (slot < series.Count() - 1) area = Unite(area, AreaAround(series.Marker(slot + 1), view));
    }
    return area;
}

TRect PlotDocument::SeriesArea(const TMarkerLine& series, const DocumentView& view) const {
    TRect area;
    for (const auto& m : series.Markers)
        area = Unite(area, AreaAround(*m, view));
    return area;
}

TRect PlotDocument::DragTo(TPoint p, DocumentView& view) {
    if (DragIndex < 0 || DragIndex >= std::int32_t(MarkerList.size())) return {};
    TMarker& m = *MarkerList[std::size_t(DragIndex)];
    const bool corner = DragIndex <= 3;
    if (corner && !Box.CanMoveTo(DragIndex + 1, p.X, p.Y)) p = m.Position();

    // Only the marker's area before and after the move changes; drawing is held to that area, so
    // that a step costs what the marker covers, not what the window shows.
    const TRect before = MarkerArea(DragIndex, view);
    m.SetPosition(p);
    TRect changed = Unite(before, MarkerArea(DragIndex, view));
    // A corner moves the whole calibration grid.
    if (corner && ShowCalibrationGrid)
        changed = Unite(changed, {OffsetX(view), OffsetY(view), OffsetX(view) + ZoomedPicture.Width(),
                                  OffsetY(view) + ZoomedPicture.Height()});
    RedrawArea(changed, view);
    UpDateMemo(1);
    return changed;
}

TRect PlotDocument::NudgeSelected(int dx, int dy, int steps, DocumentView& view) {
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
    if (to == from) return {};
    DragIndex = k;
    const TRect changed = DragTo(to, view);
    DragIndex = -1;
    return changed;
}

}  // namespace curvana
