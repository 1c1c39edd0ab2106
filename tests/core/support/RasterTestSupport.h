#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"

namespace curvana::test {

using PixelSet = std::set<std::pair<std::int64_t, std::int64_t>>;

// A raster filled with one colour.
inline Bitmap MakeRaster(int width, int height, TColor fill = clWhite) {
    Bitmap raster(width, height, PixelFormat::Raster32());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            raster.SetPixelValue(x, y, ToRasterPixel(fill));
    return raster;
}

// The pixels of a raster that have the colour.
inline PixelSet PixelsOfColor(const Bitmap& raster, TColor color) {
    PixelSet set;
    for (int y = 0; y < raster.Height(); ++y)
        for (int x = 0; x < raster.Width(); ++x)
            if (raster.PixelColor(x, y) == color) set.insert({x, y});
    return set;
}

// Horizontal and vertical runs of pixels, both ends included.
inline void AddRow(PixelSet& set, std::int64_t y, std::int64_t x0, std::int64_t x1) {
    for (std::int64_t x = std::min(x0, x1); x <= std::max(x0, x1); ++x)
        set.insert({x, y});
}
inline void AddColumn(PixelSet& set, std::int64_t x, std::int64_t y0, std::int64_t y1) {
    for (std::int64_t y = std::min(y0, y1); y <= std::max(y0, y1); ++y)
        set.insert({x, y});
}

// A canvas that only records the lines it is asked to draw, for checking line end points.
class RecordingCanvas : public Canvas {
  public:
    struct Line {
        std::int64_t x0, y0, x1, y1;
        TColor color;
        bool operator==(const Line&) const = default;
    };
    std::vector<Line> lines;

    void SetPenColor(TColor color) override { pen_ = color; }
    TColor PenColor() const override { return pen_; }
    void SetBrushColor(TColor color) override { brush_ = color; }
    TColor BrushColor() const override { return brush_; }
    void MoveTo(std::int64_t x, std::int64_t y) override {
        x_ = x;
        y_ = y;
    }
    void LineTo(std::int64_t x, std::int64_t y) override {
        lines.push_back({x_, y_, x, y, pen_});
        MoveTo(x, y);
    }
    void Rectangle(const TRect&) override {}
    void FillRect(const TRect&) override {}
    void CopyRect(const TRect&, const Bitmap&, const TRect&) override {}
    void Draw(std::int64_t, std::int64_t, const Bitmap&) override {}
    void StretchDraw(const TRect&, const Bitmap&) override {}
    void DrawSource(std::int64_t, std::int64_t, const PixelSource&) override {}
    void SetClip(const TRect&) override {}
    void ResetClip() override {}

  private:
    TColor pen_ = clBlack, brush_ = clWhite;
    std::int64_t x_ = 0, y_ = 0;
};

}  // namespace curvana::test
