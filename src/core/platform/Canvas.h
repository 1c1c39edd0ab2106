#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Bitmap.h"
#include "platform/Color.h"

namespace curvana {

// A rectangle of canvas or picture pixels. As everywhere in drawing, the left and top edges belong
// to it and the right and bottom edges do not.
struct TRect {
    std::int64_t Left = 0;
    std::int64_t Top = 0;
    std::int64_t Right = 0;
    std::int64_t Bottom = 0;

    std::int64_t Width() const { return Right - Left; }
    std::int64_t Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

// Pixels made on demand: a picture too large to be held whole, of which a canvas asks only for the
// part it shows.
class PixelSource {
  public:
    virtual ~PixelSource() = default;

    virtual std::int64_t Width() const = 0;
    virtual std::int64_t Height() const = 0;
    // Writes the pixels of area, which lies inside the source, into out: row after row, the rows
    // stride pixels apart.
    virtual void Produce(const TRect& area, RasterPixel* out, std::size_t stride) const = 0;
};

// A drawing surface: a window's raster, or a printer page. Coordinates are 64-bit so that a marker
// far outside the picture, scaled by the zoom, never overflows; whatever falls outside the surface
// is clipped.
class Canvas {
  public:
    virtual ~Canvas() = default;

    virtual void SetPenColor(TColor color) = 0;
    virtual TColor PenColor() const = 0;
    virtual void SetBrushColor(TColor color) = 0;
    virtual TColor BrushColor() const = 0;

    // Sets the pen position.
    virtual void MoveTo(std::int64_t x, std::int64_t y) = 0;
    // Draws a 1-pixel line in the pen colour from the pen position to (x, y): the start point is set,
    // the end point is not. The pen position becomes (x, y).
    virtual void LineTo(std::int64_t x, std::int64_t y) = 0;
    // Outlines the rectangle with the pen and fills its inside with the brush: pixels Left .. Right - 1
    // by Top .. Bottom - 1.
    virtual void Rectangle(const TRect& r) = 0;
    // Fills the rectangle with the brush, without an outline.
    virtual void FillRect(const TRect& r) = 0;
    // Copies the part src of a bitmap of any pixel format into dest; when the sizes differ the
    // source is stretched. Parts outside the bitmap or the canvas are left out.
    virtual void CopyRect(const TRect& dest, const Bitmap& source, const TRect& src) = 0;
    // Draws a whole bitmap with its top-left corner at (x, y).
    virtual void Draw(std::int64_t x, std::int64_t y, const Bitmap& source) = 0;
    // Draws a source with its top-left corner at (x, y), asking it only for the part that shows.
    virtual void DrawSource(std::int64_t x, std::int64_t y, const PixelSource& source) = 0;
    // Draws a whole bitmap stretched into dest, each pixel taking the colour of one source pixel.
    virtual void StretchDraw(const TRect& dest, const Bitmap& source) = 0;

    // Limits all drawing to r until ResetClip: pixels outside it stay as they are.
    virtual void SetClip(const TRect& r) = 0;
    virtual void ResetClip() = 0;
};

}  // namespace curvana
