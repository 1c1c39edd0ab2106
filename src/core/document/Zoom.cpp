#include "document/Zoom.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace curvana {

ZoomedView::ZoomedView(const Bitmap& picture, double f, std::int64_t width, std::int64_t height)
    : picture_(picture), f_(f), width_(width), height_(height) {}

int ZoomedView::SourceIndex(std::int64_t t, int size) const {
    const double s = std::floor((double(t) + 0.5) / f_);
    return s >= size ? size - 1 : (s < 0 ? 0 : int(s));
}

void ZoomedView::Produce(const TRect& area, RasterPixel* out, std::size_t stride) const {
    if (area.Width() <= 0 || area.Height() <= 0 || picture_.Empty()) return;
    const auto count = std::size_t(area.Width());
    std::vector<int> columns(count);
    for (std::size_t i = 0; i < count; ++i)
        columns[i] = SourceIndex(area.Left + std::int64_t(i), picture_.Width());
    // Source columns grow with the target column: convert the run between the first and the last
    // once per row, unless most of it would be skipped (far out of zoom).
    const int spanStart = columns.front();
    const int span = columns.back() - spanStart + 1;
    const bool wholeSpan = std::size_t(span) <= 4 * count;
    std::vector<RasterPixel> source(wholeSpan ? std::size_t(span) : 0);
    const RasterPixel* previous = nullptr;
    int previousRow = -1;
    for (std::int64_t ty = area.Top; ty < area.Bottom; ++ty, out += stride) {
        const int row = SourceIndex(ty, picture_.Height());
        if (row == previousRow) {
            std::memcpy(out, previous, count * sizeof(RasterPixel));  // the same picture row again
            continue;
        }
        if (wholeSpan) {
            picture_.ConvertRow(row, spanStart, span, source.data());
            for (std::size_t i = 0; i < count; ++i)
                out[i] = source[std::size_t(columns[i] - spanStart)];
        } else {
            for (std::size_t i = 0; i < count; ++i)
                picture_.ConvertRow(row, columns[i], 1, out + i);
        }
        previous = out;
        previousRow = row;
    }
}

Bitmap ZoomedView::Tile(const TRect& area) const {
    Bitmap tile(int(area.Width()), int(area.Height()), PixelFormat::Raster32());
    if (!tile.Empty())
        Produce(area, reinterpret_cast<RasterPixel*>(tile.Row(0)), tile.Stride() / sizeof(RasterPixel));
    return tile;
}

TColor ZoomedView::PixelColor(std::int64_t x, std::int64_t y) const {
    return picture_.PixelColor(SourceIndex(x, picture_.Width()), SourceIndex(y, picture_.Height()));
}

}  // namespace curvana
