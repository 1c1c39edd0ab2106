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

// How the box's pixels turn into fractions of the axes. Bilinear interpolates inside the box (exact
// for a parallelogram); Perspective maps the box as a plane seen at an angle: the projective map that
// takes the box's corners to the corners of the value rectangle. Both agree on a parallelogram.
// The numbers are the codes stored in project files.
enum class CalibrationMethod : int { Bilinear = 0, Perspective = 1 };

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
    CalibrationMethod method = CalibrationMethod::Bilinear;
};

// Whether the perspective map of the box exists: the corners make a strictly convex quadrilateral in
// the order 1, 2, 4, 3 (no three on a line, none inside the triangle of the others). Boxes that fail
// convert bilinearly whatever their method.
bool HasPerspective(const Calibration& cal);

// The data value under a picture pixel, by the calibration's method: inverse bilinear interpolation
// over the box, or the inverse of the box's perspective map. The result is always finite, whatever
// the calibration holds.
TDataPoint ConvertXY(const Calibration& cal, TPoint p);

// The picture pixel of a data value, the exact inverse of ConvertXY rounded to the nearest pixel: the
// value's fractions of the axes put through the box's bilinear or perspective map. Values with no
// position (a non-positive value on a logarithmic axis) give corner 1's pixel; on an axis whose
// bounds are equal the fraction is 0; far-off values are clamped to the 32-bit range. Callers discard
// positions outside the picture.
TPoint DeConvertXY(const Calibration& cal, TDataPoint v);

// The exact picture position (not rounded) of fractions (u, v) of the box: u from the left edge (0)
// to the right edge (1), v from the bottom edge (0) to the top edge (1). A point the perspective map
// sends to infinity takes the bilinear position.
struct TPlanePoint {
    double X = 0;
    double Y = 0;
};
TPlanePoint BoxPosition(const Calibration& cal, double u, double v);

// The fraction of an axis from min (0) to max (1) at which a value stands, linearly or on the
// logarithmic scale; NaN for a value with no place on the axis (not positive on a logarithmic one),
// 0 when the bounds are equal or the axis has no values.
double AxisFraction(bool linear, double min, double max, double value);

}  // namespace curvana
