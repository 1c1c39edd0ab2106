#pragma once

#include <array>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Point.h"

namespace curvana {

// How a trace reads the picture.
struct TraceSettings {
    int Step = 10;       // picture pixels between a curve's markers along the box's x direction
    int Tolerance = 60;  // how far a pixel's colour may lie from the curve's, as a distance in RGB
    int Gap = 12;        // the longest break in a curve, in picture pixels, that a trace bridges

    static constexpr int kMinStep = 1, kMaxStep = 1000;
    static constexpr int kMinTolerance = 1, kMaxTolerance = 441;  // 441: black to white
    static constexpr int kMinGap = 0, kMaxGap = 200;
};

// The calibration box's corners in picture pixels: bottom-left, bottom-right, top-left, top-right.
using TraceBox = std::array<TPoint, 4>;

// Traces the curve through (or within 3 pixels of) a picture point, inside the box: its colour is
// the one of the nearest pixel there that stands out from the background; the pixels of that colour
// connected to it, across breaks of up to Gap pixels, make the curve. Markers are placed at equal
// steps along the box's x direction over the whole length reached, each in the middle of the stroke
// measured along the box's y direction, ordered by x. Empty when no curve is there.
std::vector<TPoint> TraceCurve(const Bitmap& picture, const TraceBox& box, TPoint start,
                               const TraceSettings& settings);

// Finds every symbol inside the box like the one at a picture point: each patch of its colour whose
// area lies between half and twice the clicked symbol's gives a marker at its centre, and a patch of
// about k such areas (overlapping symbols) k markers spread along it. Ordered by x; empty when
// nothing stands out at the point.
std::vector<TPoint> TraceSymbols(const Bitmap& picture, const TraceBox& box, TPoint start,
                                 const TraceSettings& settings);

}  // namespace curvana
