#pragma once

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/Bitmap.h"

namespace curvana::test {

// The zoomed picture built whole, as the display once was: width by height raster pixels, pixel
// (tx, ty) showing picture pixel (floor((tx + 0.5) / f), floor((ty + 0.5) / f)) kept inside the
// picture. The reference the zoomed view is checked against, and the yardstick it is timed against.
inline Bitmap WholeZoomedPicture(const Bitmap& picture, double f, int width, int height) {
    const auto sourceIndices = [f](int targetSize, int sourceSize) {
        std::vector<int> map(static_cast<std::size_t>(targetSize));
        for (int t = 0; t < targetSize; ++t) {
            double s = std::floor((t + 0.5) / f);
            map[std::size_t(t)] = s >= sourceSize ? sourceSize - 1 : (s < 0 ? 0 : int(s));
        }
        return map;
    };
    Bitmap zoomed(width, height, PixelFormat::Raster32());
    if (zoomed.Empty() || picture.Empty()) return zoomed;
    const std::vector<int> columns = sourceIndices(width, picture.Width());
    const std::vector<int> rows = sourceIndices(height, picture.Height());
    std::vector<RasterPixel> source(std::size_t(picture.Width()));
    const std::size_t rowBytes = std::size_t(width) * sizeof(RasterPixel);
    for (int ty = 0; ty < height; ++ty) {
        auto* out = reinterpret_cast<RasterPixel*>(zoomed.Row(ty));
        if (ty > 0 && rows[std::size_t(ty)] == rows[std::size_t(ty) - 1]) {
            std::memcpy(out, zoomed.Row(ty - 1), rowBytes);  // the same picture row again
            continue;
        }
        picture.ConvertRow(rows[std::size_t(ty)], 0, picture.Width(), source.data());
        for (int tx = 0; tx < width; ++tx)
            out[tx] = source[std::size_t(columns[std::size_t(tx)])];
    }
    return zoomed;
}

}  // namespace curvana::test
