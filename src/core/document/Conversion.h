#pragma once

#include "platform/Point.h"

namespace curvana {

// A position in the plot's own units.
struct TDataPoint {
    double X = 0;
    double Y = 0;
};

// Axis kinds; the numbers are the codes stored in project files. The first word names the Y axis,
// the second the X axis: LogLinear has a linear X axis and a logarithmic Y axis.
enum class PlotType : int { LinearLinear = 1, LogLinear = 2, LinearLog = 3, LogLog = 4 };

bool IsXLinear(PlotType type);
bool IsYLinear(PlotType type);

// The calibration box: four markers on the plot's axis frame and the axis values they stand for.
// corner[0] bottom-left (XMin, YMin), corner[1] bottom-right (XMax, YMin),
// corner[2] top-left (XMin, YMax), corner[3] top-right (XMax, YMax).
// The box may be skewed or seen in perspective; a project file may hold any corner positions.
struct Calibration {
    TPoint corner[4];
    double XMin = 0;
    double XMax = 1;
    double YMin = 0;
    double YMax = 1;
    PlotType type = PlotType::LinearLinear;
};

// The data value under a picture pixel, by inverse bilinear interpolation over the box.
// The result is always finite, whatever the calibration holds.
TDataPoint ConvertXY(const Calibration& cal, TPoint p);

// The picture pixel of a data value, the inverse of ConvertXY as far as one exists. Values with no
// position (a non-positive value on a logarithmic axis) give corner 1's pixel; far-off values are
// clamped to the 32-bit range. Callers discard positions outside the picture.
TPoint DeConvertXY(const Calibration& cal, TDataPoint v);

}  // namespace curvana
