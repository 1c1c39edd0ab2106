#pragma once

#include <cstdint>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Color.h"

namespace curvana {

// The drawing surface of a document window: a canvas that draws into a 32-bit raster bitmap
// (PixelFormat::Raster32()). Every operation clips at the edges of the raster, and coordinates
// anywhere in the 64-bit range are handled exactly without overflow; the work done is bounded by
// the visible part, never by the size of what is drawn.
//
// Lines follow Bresenham's rule: one pixel per step along the major axis (the one with the larger
// extent; x when both are equal), the minor coordinate being the ideal line's value rounded to the
// nearest pixel, a tie going in the direction of travel. Pixel i of a line from (x0, y0) whose
// major extent is b and minor extent a (both taken positive) sits at
//     major = major0 + i * (direction), minor = minor0 + floor((2 * i * a + b) / (2 * b)) * (direction)
// for i = 0 .. b - 1: the start point is set and the end point is not. The same line drawn the
// other way round can therefore differ where the ideal line passes exactly midway between pixels.
//
// Stretched pictures use nearest-neighbour sampling at pixel centres: target column tx of a
// destination dest.Width() wide takes source column floor((2 * tx + 1) * srcWidth / (2 * dest.Width())),
// and rows likewise.
class RasterCanvas : public Canvas {
  public:
    // Draws into target, which must stay alive as long as the canvas. Throws std::invalid_argument
    // unless target is in the raster format.
    explicit RasterCanvas(Bitmap& target);

    void SetPenColor(TColor color) override { penColor_ = color; }
    TColor PenColor() const override { return penColor_; }
    void SetBrushColor(TColor color) override { brushColor_ = color; }
    TColor BrushColor() const override { return brushColor_; }

    void MoveTo(std::int64_t x, std::int64_t y) override;
    void LineTo(std::int64_t x, std::int64_t y) override;
    void Rectangle(const TRect& r) override;
    void FillRect(const TRect& r) override;
    // A source or destination rectangle of zero or negative width or height copies nothing. When
    // source is the canvas's own raster, the source part is read as it was before the copy.
    void CopyRect(const TRect& dest, const Bitmap& source, const TRect& src) override;
    void Draw(std::int64_t x, std::int64_t y, const Bitmap& source) override;
    void StretchDraw(const TRect& dest, const Bitmap& source) override;
    // The source writes its visible part straight into the raster's rows.
    void DrawSource(std::int64_t x, std::int64_t y, const PixelSource& source) override;
    void SetClip(const TRect& r) override;
    void ResetClip() override;

    // The pen position.
    std::int64_t PenX() const { return penX_; }
    std::int64_t PenY() const { return penY_; }

  private:
    // The part of the raster drawing reaches: the clip cut to the raster.
    TRect Clip() const;
    void FillClipped(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                     RasterPixel pixel);

    Bitmap& target_;
    TRect clip_;  // as set; drawing reaches its part that lies on the raster
    TColor penColor_ = clBlack;
    TColor brushColor_ = clWhite;
    std::int64_t penX_ = 0;
    std::int64_t penY_ = 0;
};

}  // namespace curvana
