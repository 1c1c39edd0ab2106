#include "app/BitmapImage.h"

namespace curvana {

QImage ToQImage(const Bitmap& bitmap) {
    if (bitmap.Empty()) return {};
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    if (image.isNull()) return {};
    for (int y = 0; y < bitmap.Height(); ++y)
        bitmap.ConvertRow(y, 0, bitmap.Width(), reinterpret_cast<RasterPixel*>(image.scanLine(y)));
    return image;
}

}  // namespace curvana
