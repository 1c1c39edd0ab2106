#pragma once

#include <array>

#include "markers/TMarker.h"

namespace curvana {

// The calibration box: four red corner markers, 1 bottom-left, 2 bottom-right, 3 top-left and
// 4 top-right, joined by four edges. Corners are numbered 1 to 4 throughout.
class TMarkerBox {
  public:
    TMarkerBox();

    std::array<TMarker, 4> Markers;  // Markers[n - 1] is corner n

    TMarker& Marker(int n) { return Markers[std::size_t(n - 1)]; }
    const TMarker& Marker(int n) const { return Markers[std::size_t(n - 1)]; }

    // Draws corners 1 to 4 and then the edges 1-2, 2-4, 3-4 and 1-3, each stopping MarkerGap()
    // pixels short of both corner centres.
    void Draw(Canvas& canvas, std::int64_t ox, std::int64_t oy, double zoom) const;
    // Restores from the background the bounding rectangles of the two edges at the corner and the
    // corner marker's square.
    void Erase(Canvas& canvas, const Bitmap& background, double zoom, std::int64_t ox, std::int64_t oy,
               int which) const;
    // Whether the corner may move to (x, y): it must stay more than one pixel, on its own side, away
    // from the opposite corner, from the diagonal joining its neighbours and from the two edges it
    // does not touch, so the box stays convex with every corner in its place.
    bool CanMoveTo(int which, std::int32_t x, std::int32_t y) const;
    void SetCorner(std::int32_t x, std::int32_t y, int which);
    // Assigns four points to the corners by their geometry: nearest to the picture's top-left corner
    // is corner 3, farthest is corner 2, and of the other two the one lying more towards the x axis
    // (seen from the top-left corner) is corner 4.
    void PlaceCorners(const std::array<std::int32_t, 4>& xs, const std::array<std::int32_t, 4>& ys);
};

}  // namespace curvana
