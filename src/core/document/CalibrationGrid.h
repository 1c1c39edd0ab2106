#pragma once

#include <cstdint>
#include <vector>

#include "document/Conversion.h"
#include "platform/Canvas.h"

namespace curvana {

// Whether document windows show the calibration grid (View > Calibration Grid): one choice for the
// whole program, kept in the settings.
extern bool ShowCalibrationGrid;

// The grid's colour: a bright magenta, which stands out on white paper and on dark pictures alike
// and differs from the box's red.
inline constexpr TColor kGridColor = 0x00FF00FF;

// The values between min and max (in either order, both included) that an axis gets grid lines at.
// Linear: the multiples of one step of 1, 2 or 5 × 10^k, the smallest step that gives at most ten
// lines (so four to ten). Logarithmic (positive bounds only): the powers of ten, with 2 and 5 times
// them when the axis spans at most three decades, and every second, fifth, ... power when it spans
// more than ten. An axis without values (equal bounds, bounds that are no numbers, a logarithmic one
// with a bound not above 0) gets none.
std::vector<double> GridValues(bool linear, double min, double max);

// Draws the lines of constant X and Y at the grid values through the calibration's conversion,
// across the box, onto a canvas that shows the picture at zoom with its top-left corner at (ox, oy).
// Lines are held to the picture's area there, `width` by `height` canvas pixels.
void DrawCalibrationGrid(Canvas& canvas, const Calibration& cal, std::int64_t ox, std::int64_t oy,
                         double zoom, std::int64_t width, std::int64_t height);

}  // namespace curvana
