#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"

namespace curvana {

// The picture scaled by the zoom factor f to width by height pixels, made a rectangle at a time
// and never held whole, so that its size is not bounded by memory. Nearest neighbour with hard
// pixel edges: pixel (tx, ty) shows picture pixel (floor((tx + 0.5) / f), floor((ty + 0.5) / f)),
// kept inside the picture. Sampling with the zoom factor itself (rather than the ratio of the
// rounded sizes) keeps the promise the markers rely on when zooming in: the zoomed pixel
// Round(f * x) under a marker's centre is the marker's own picture pixel x.
class ZoomedView : public PixelSource {
  public:
    ZoomedView() = default;
    // Shares the picture's pixels.
    ZoomedView(const Bitmap& picture, double f, std::int64_t width, std::int64_t height);

    std::int64_t Width() const override { return width_; }
    std::int64_t Height() const override { return height_; }
    double Factor() const { return f_; }
    void Produce(const TRect& area, RasterPixel* out, std::size_t stride) const override;
    // The pixels of area (inside the view) as a raster bitmap of their own.
    Bitmap Tile(const TRect& area) const;
    // The colour of one pixel of the view.
    TColor PixelColor(std::int64_t x, std::int64_t y) const;

  private:
    // The picture pixel that zoomed pixel t shows along an axis of `size` picture pixels.
    int SourceIndex(std::int64_t t, int size) const;

    Bitmap picture_;
    double f_ = 1.0;
    std::int64_t width_ = 0;
    std::int64_t height_ = 0;
};

}  // namespace curvana
