#pragma once

#include "platform/Bitmap.h"

namespace curvana {

// The picture scaled by the zoom factor f into a raster of width by height pixels, nearest
// neighbour with hard pixel edges: target pixel (tx, ty) shows picture pixel
// (floor((tx + 0.5) / f), floor((ty + 0.5) / f)), kept inside the picture. Sampling with the zoom
// factor itself (rather than the ratio of the rounded sizes) keeps the promise the markers rely on
// when zooming in: the zoomed pixel Round(f * x) under a marker's centre is the marker's own picture
// pixel x.
Bitmap ZoomPicture(const Bitmap& picture, double f, int width, int height);

}  // namespace curvana
