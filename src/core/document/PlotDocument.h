#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/Conversion.h"
#include "document/History.h"
#include "document/Listing.h"
#include "document/ListingBuilder.h"
#include "document/TMarkerBox.h"
#include "document/Zoom.h"
#include "markers/TMarkerLine.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"

namespace curvana {

// The plot type chosen in the Plot > Type menu; one choice for the whole program.
extern PlotType ChosenPlotType;

// Where a document draws: a canvas showing the document window's client area, or the part of it
// whose top-left client pixel is (OriginX, OriginY).
struct DocumentView {
    Canvas& canvas;
    std::int64_t OriginX = 0;
    std::int64_t OriginY = 0;
};

// What an edit changed on the display: a part of the client area, in client pixels, or all of it.
struct DisplayChange {
    TRect Area;
    bool Whole = false;

    void Add(const TRect& area);
    bool Empty() const { return !Whole && (Area.Width() <= 0 || Area.Height() <= 0); }
};

// One plot document: a picture and everything the user builds on it (the calibration box and its
// four values, the data series, the single markers), the zoomed display, the editing modes and the
// unsaved-changes flag. The document window owns one and calls its operations.
class PlotDocument {
  public:
    static constexpr std::int64_t MarginX = 10;
    static constexpr std::int64_t MarginY = 10;
    static constexpr std::int64_t FrameGap = 6;
    // How many screen pixels one picture pixel may cover on each side at the deepest zoom level.
    static constexpr double MaxPixelSide = 64;

    PlotDocument();
    PlotDocument(const PlotDocument&) = delete;
    PlotDocument& operator=(const PlotDocument&) = delete;

    std::int32_t DragIndex = -1;   // MarkerList position of the marker being dragged, or -1
    std::int32_t PopupIndex = -1;  // MarkerList position of the marker whose context menu is open, or -1
    // The marker the arrow keys move: the one last pressed or dragged, or none. It follows its point
    // when the points of its series or the single markers move between marker objects, and is
    // dropped with its point. The window shows it with an outline; prints and files never do.
    TMarker* Selected = nullptr;
    bool IgnoreClick = false;
    double XMin = 0, XMax = 0, YMin = 0, YMax = 0;
    // How the box converts (Plot > Calibration); bilinear unless the user or the project says otherwise.
    CalibrationMethod Method = CalibrationMethod::Bilinear;
    Bitmap Picture;
    // The picture at the zoom level, made where it is drawn.
    ZoomedView ZoomedPicture;
    std::int32_t ZoomLevel = 0;
    TMarkerBox Box;
    std::vector<std::unique_ptr<TMarker>> SingleMarkers;
    std::vector<std::unique_ptr<TMarkerLine>> DataSeries;
    bool AddPointMode = false;
    bool AddSingleMode = false;
    bool DeleteSingleMode = false;
    bool DeletePointMode = false;
    bool DeleteSeriesMode = false;
    bool TraceCurveMode = false;
    bool TraceSymbolsMode = false;
    // The editing modes above choose what a click in the picture does; at most one is on. Turns one
    // on and the others off, or, given none, all off.
    void SetEditingMode(bool PlotDocument::*mode);
    bool Modified = false;
    std::string DocumentFolder;
    std::string Caption = "ChildForm";  // the document's name: its file name without the folder
    // The client area the document window needs: the zoomed picture and its margins.
    std::int64_t ClientWidth = 392;
    std::int64_t ClientHeight = 291;
    // Where the data listing goes (the side panel's text box of the main window); none when null.
    LineSink* Memo = nullptr;

    // Every marker of the document in hit-test order: box markers 1 to 4, then series and single
    // markers in the order their objects were made. Refers to markers owned elsewhere.
    const std::vector<TMarker*>& MarkerList() const { return markerList_; }
    // Makes MarkerList anew for a document just read: the box corners, every series' markers in
    // order, then the single markers.
    void RebuildMarkerList();

    // No selection, no editing mode, scale values 0, zoom level 0, Modified set.
    void Initialize();
    // Sets up a document for the picture just put into Picture: the zoomed display, the box at 10 %
    // and 90 % of the picture, box markers first in MarkerList, Modified cleared.
    void PlaceNewPicture();

    double ZoomFactor() const;
    // Makes ZoomedPicture show Picture at the current zoom level and sizes the client area.
    // Returns false, changing nothing, when the level cannot be shown (a side of 0, or past the
    // deepest level).
    bool StretchB();
    // The zoom commands: the level goes up or down by one or back to 0. A step whose picture
    // cannot be made is refused and leaves the document as it was (false).
    bool ZoomIn() { return SetZoomLevel(std::int64_t(ZoomLevel) + 1); }
    bool ZoomOut() { return SetZoomLevel(std::int64_t(ZoomLevel) - 1); }
    bool NormalSize() { return SetZoomLevel(0); }

    // Painting: the silver margins and grooved frame, then the picture, box, single markers and series,
    // and the selection's outline on top.
    void PaintSurround(DocumentView& view) const;
    void FormPaint(DocumentView& view);
    // Paints everything inside a part of the canvas again, as FormPaint would show it there, also
    // in the middle of a drag; the rest of the canvas stays as it is.
    void RedrawArea(const TRect& area, DocumentView& view);

    // Mapping between window client pixels and picture pixels.
    TPoint WindowToPicture(std::int64_t x, std::int64_t y) const;
    bool InsidePicture(std::int64_t x, std::int64_t y) const;

    Calibration CurrentCalibration() const;
    // Switches the conversion method; when it changes, the listing follows and the document is
    // modified. Returns whether it changed.
    bool SetCalibrationMethod(CalibrationMethod method);
    // Takes over another calibration's corners, scale values and method, as one change: corners
    // outside the picture are moved to its nearest pixel, and the corners are assigned by their
    // geometry as a project's are. The listing follows and the document is modified.
    DisplayChange PasteCalibration(const Calibration& cal);
    TDataPoint ConvertXY(TPoint p) const;
    TPoint DeConvertXY(TDataPoint v) const;

    // Rewrites the listing in Memo (mode 0 or 1 replaces differing lines, 2 inserts) and marks the
    // document changed.
    void UpDateMemo(int mode);
    // The two halves of UpDateMemo.
    void RefreshListing(int mode);
    void MarkChanged() { Modified = true; }
    std::vector<std::string> BuildListing() const;

    // The changed mark and the history's matching position: the document is the one just opened
    // from or saved to its file; or it has no file yet and counts as changed.
    void MarkSaved();
    void MarkNeverSaved();
    // A document just made or read from its file: an empty history, the changed mark cleared.
    void MarkOpened();
    // A change the history does not undo (the plot type): from now on no undo or redo reaches the
    // file's state.
    void MarkChangedOutsideHistory();

    // Redraws on a view what an edit changed; gives the part of the canvas whose pixels may have
    // changed.
    TRect Redraw(const DisplayChange& change, DocumentView& view);

    // Document operations. Each changes the document, refreshes the listing, marks the document
    // changed, records itself in the history and tells what a view must redraw.
    DisplayChange AddSeries(TPoint p1, TPoint p2);
    DisplayChange AddPointToNearestSeries(TPoint p);
    // Puts p into a series as TMarkerLine::InsertMarker does with lower and upper.
    DisplayChange InsertSeriesPoint(int series, TPoint p, int lower, int upper);
    DisplayChange AddSingleMarker(TPoint p);
    // A new series through the points (at least two), named and coloured as every new series, as
    // one change named name.
    DisplayChange AddTracedSeries(const std::vector<TPoint>& points, const char* name);
    DisplayChange DeleteSeries(int index);
    DisplayChange DeleteSeriesPoint(int series, int slot);
    DisplayChange DeleteSingleMarker(int slot);
    DisplayChange DeleteAllSingleMarkers();
    // The context menu's colour: the series holding the marker takes it, or else the single marker.
    DisplayChange SetMarkerColor(const TMarker& marker, TColor color);
    DisplayChange RenameSeries(int series, const std::string& name);
    // Moves the marker at a MarkerList position (a box corner as the box allows) as one change
    // named name; nothing when it stays where it is.
    DisplayChange MoveMarker(int index, TPoint p, const char* name);
    // A scale value as typed (tag 1 X minimum, 2 X maximum, 3 Y minimum, 4 Y maximum): it takes
    // effect at once and becomes one change when committed (the field is left or confirmed), or
    // before anything else is recorded, undone or redone.
    // Without refresh the value is only taken, as the field already shows it.
    void SetScaleValue(int tag, double value, bool refresh = true);
    void CommitScaleValues();
    double ScaleValue(int tag) const;
    std::string DefaultSeriesName() const;

    // Makes a marker (or none) the selection and moves the outline to it.
    DisplayChange Select(TMarker* marker);
    // The MarkerList position of the selection, or -1.
    int SelectedIndex() const;
    // Moves the selection by (dx, dy) picture pixels up to steps times, as far as the picture
    // reaches, as one drag step; nudges of one marker in a row are one change.
    DisplayChange NudgeSelected(int dx, int dy, int steps);

    // A marker drag: begins on the marker at a MarkerList position; each step moves it to picture
    // point p (a box corner only where the box allows it) and the listing follows; the end
    // records the whole drag as one change, none when it ends where it began.
    void BeginDrag(int index);
    DisplayChange DragTo(TPoint p);
    void EndDrag();

    // The history: undoes or redoes the next change (false when there is none), restoring the
    // document exactly; the changed mark is cleared where the document is its file's again.
    const History& UndoHistory() const { return history_; }
    History& UndoHistory() { return history_; }
    bool Undo(DisplayChange& change);
    bool Redo(DisplayChange& change);
    // The Edit menu's captions: "Undo Move Marker", or empty when there is nothing.
    std::string UndoName() const;
    std::string RedoName() const;

    // Which series and slot hold a marker object (false when it is no series marker).
    bool FindSeriesMarker(const TMarker* marker, int& series, int& slot) const;
    int SingleMarkerSlot(const TMarker* marker) const;

  private:
    bool SetZoomLevel(std::int64_t level);
    // Makes a change or takes it back, keeping MarkerList, the selection and the drag in step, and
    // refreshes the listing.
    DisplayChange Apply(const edit::Change& change, bool forward);
    DisplayChange ApplySeries(const edit::Series& change, bool insert);
    DisplayChange ApplyPoint(const edit::Point& change, bool insert);
    DisplayChange ApplyAllSingles(const edit::AllSingles& change, bool insert);
    DisplayChange PlaceMarker(int index, TPoint p);
    // Makes a change as an edit: applied, recorded under name, the document marked changed.
    DisplayChange Perform(edit::Change change, const char* name);
    bool StepHistory(bool forward, DisplayChange& change);
    // A change of the calibration that leaves it as it is, to be filled in.
    edit::Calibrate CalibrationChange() const;
    // After an undo or redo: changed unless at the file's state.
    void SettleModified();
    bool DragMoved() const;
    // The last scale value typed but not yet committed (1 to 4), or 0.
    int PendingScaleTag() const;
    // The one place marker objects enter and leave MarkerList.
    void InsertIntoMarkerList(std::int32_t position, TMarker* marker);
    std::int32_t RemoveFromMarkerList(const TMarker* marker);
    // Every marker of a chain at once: where each stands in MarkerList, and taking them all out.
    std::vector<std::int32_t> PositionsOf(const std::vector<std::unique_ptr<TMarker>>& chain) const;
    void RemoveChainFromMarkerList(const std::vector<std::unique_ptr<TMarker>>& chain);
    std::vector<std::unique_ptr<TMarker>>& Chain(int series);
    void DrawMarkers(DocumentView& view);
    // Everything FormPaint draws, within the canvas's clip.
    void PaintAll(DocumentView& view);
    void DrawSelection(DocumentView& view) const;
    // The client area that a marker's symbol, its outline and the lines that end at it can touch.
    TRect AreaAround(const TMarker& marker) const;
    TRect AreaAround(TPoint p) const;
    // The client area that drawing or erasing the marker at a MarkerList position (with its lines)
    // can touch.
    TRect MarkerArea(int index) const;
    TRect SeriesArea(const TMarkerLine& series) const;
    // The selection's slot in a series' or the single markers' chain, or -1; after the points from
    // slot on moved by shift slots (1 for an insertion there, -1 for its deletion), the selection
    // is put back on its point, or dropped with it.
    int SelectedSlot(const std::vector<std::unique_ptr<TMarker>>& chain) const;
    void FollowSelection(const std::vector<std::unique_ptr<TMarker>>& chain, int selectedSlot, int slot,
                         int shift);
    std::int64_t OffsetX(const DocumentView& view) const { return MarginX - view.OriginX; }
    std::int64_t OffsetY(const DocumentView& view) const { return MarginY - view.OriginY; }

    std::vector<TMarker*> markerList_;
    History history_;
    // The scale values as last committed.
    double committedScale_[4] = {0, 0, 0, 0};
    // Something the history does not undo changed the document since it was opened or saved.
    bool changedOutsideHistory_ = false;
    // Where the dragged marker was when its drag began.
    TPoint dragStart_;
    // Lines of the last listing, kept so that the next one formats only what changed.
    mutable ListingBuilder listing_;
};

}  // namespace curvana
