#pragma once

#include <memory>
#include <string>
#include <vector>

#include "markers/TMarker.h"

namespace curvana {

// A data series: a named, coloured chain of at least two markers.
//
// Each marker object keeps its slot for its whole life: inserting and deleting points move the
// values (X, Y, Color) between slots; an insertion adds one object as the new last slot, a deletion
// frees the object of the former last slot. The document's hit list holds object identities and
// relies on this.
class TMarkerLine {
  public:
    TMarkerLine(TPoint p1, TPoint p2);

    TColor Color = clBlack;
    std::string Name;
    std::vector<std::unique_ptr<TMarker>> Markers;

    int Count() const { return int(Markers.size()); }
    TMarker& Marker(int slot) { return *Markers[std::size_t(slot)]; }
    const TMarker& Marker(int slot) const { return *Markers[std::size_t(slot)]; }
    // The slot of a marker object of this series, or -1.
    int SlotOf(const TMarker* marker) const;

    // Sets the series colour; the markers take it when the series is next drawn.
    void SetColor(TColor color) { Color = color; }
    // Inserts p: (-1, 0) makes it the first point, (-1, Count - 1) the last, (k, k + 1) puts it
    // between slots k and k + 1, where it takes slot k + 1.
    void InsertMarker(TPoint p, int lower, int upper);
    // Removes the point of the slot; the series must keep at least two points.
    void DeleteMarker(int slot);

    // Draws the markers in the series colour and the segments between them, each stopping
    // MarkerGap() screen pixels short of both centres (running backwards when the markers are closer
    // than twice the gap).
    void Draw(Canvas& canvas, std::int64_t ox, std::int64_t oy, double z);
    // Copies back from the background the bounding rectangles of the segments next to the slot and
    // the marker's own square.
    void EraseMarker(Canvas& canvas, const Bitmap& background, int slot, std::int64_t ox, std::int64_t oy,
                     double z) const;

    // The squared distance in picture pixels from p to the nearest marker or segment inside. Index is
    // the nearest marker's slot, or the first slot of the nearest segment; Neighbour is the slot on the
    // other side of the insertion point, or -1 when p lies beyond that end of the chain.
    double FindNearest(TPoint p, int& index, int& neighbour) const;
    // True when p lies within 4 picture pixels of a marker or of the inside of a segment.
    bool HitTest(TPoint p) const;
};

}  // namespace curvana
