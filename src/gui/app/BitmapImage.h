#pragma once

#include <QImage>

#include "platform/Bitmap.h"

namespace curvana {

// A copy of a picture in any pixel format as a QImage (RGB32, the raster's own byte order).
QImage ToQImage(const Bitmap& bitmap);

}  // namespace curvana
