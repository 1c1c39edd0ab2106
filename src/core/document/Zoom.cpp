#include "document/Zoom.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace curvana {

namespace {

std::vector<int> SourceIndices(int targetSize, int sourceSize, double f) {
    std::vector<int> map(static_cast<std::size_t>(targetSize));
    for (int t = 0; t < targetSize; ++t) {
        double s = std::floor((t + 0.5) / f);
        map[std::size_t(t)] = s >= sourceSize ? sourceSize - 1 : (s < 0 ? 0 : int(s));
    }
    return map;
}

}  // namespace

Bitmap ZoomPicture(const Bitmap& picture, double f, int width, int height) {
    Bitmap zoomed(width, height, PixelFormat::Raster32());
    if (zoomed.Empty() || picture.Empty()) return zoomed;
    const std::vector<int> columns = SourceIndices(width, picture.Width(), f);
    const std::vector<int> rows = SourceIndices(height, picture.Height(), f);
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

}  // namespace curvana
