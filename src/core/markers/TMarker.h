#pragma once

#include <cstdint>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Color.h"
#include "platform/Point.h"

namespace curvana {

// The marker size: half the width of a marker's square in screen pixels (2 to 20 through the
// preferences; initially 4). Every drawing, erasing and hit test reads the current value.
extern std::int32_t MSize;

// The gap, in screen pixels, by which lines between markers stop short of the marker centres.
std::int64_t MarkerGap();

// A point marker: a colour and a position in picture pixels.
class TMarker {
  public:
    TColor Color = clBlack;
    std::int32_t X = 0;
    std::int32_t Y = 0;

    TPoint Position() const { return {X, Y}; }
    void SetPosition(TPoint p) {
        X = p.X;
        Y = p.Y;
    }

    // The marker's centre on a canvas drawn with offset (ox, oy) at zoom z.
    std::int64_t ScreenX(std::int64_t ox, double z) const;
    std::int64_t ScreenY(std::int64_t oy, double z) const;

    // Draws the symbol in the marker's colour: the outline of a square of half-width MSize and four
    // arms on the axes out to 2 * MSize, leaving the centre pixel and its four neighbours free.
    void Draw(Canvas& canvas, std::int64_t ox, std::int64_t oy, double z) const;
    // Copies back from the background the square of half-width 2 * MSize that the symbol can cover.
    void Erase(Canvas& canvas, const Bitmap& background, std::int64_t ox, std::int64_t oy, double z) const;
    // True when p lies within MSize / z picture pixels of the marker in both directions.
    bool HitTest(TPoint p, double z) const;
};

}  // namespace curvana
