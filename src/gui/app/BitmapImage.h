#pragma once

#include <QImage>

#include "platform/Bitmap.h"

namespace curvana {

// A copy of a picture in any pixel format as a QImage (RGB32, the raster's own byte order).
QImage ToQImage(const Bitmap& bitmap);

// The picture a QImage shows, as the program keeps pictures: a 1- or 8-bit indexed QImage stays
// indexed, its colour table composited over white; any other becomes 24 bits (blue, green, red
// bytes) with its transparency composited over white. A null image gives an empty picture. Throws
// std::length_error for more than Bitmap::kMaxPixels pixels (before any pixel is copied) and
// std::bad_alloc when memory runs out.
Bitmap ToBitmap(const QImage& image);

}  // namespace curvana
