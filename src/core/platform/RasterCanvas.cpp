#include "platform/RasterCanvas.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

namespace curvana {

namespace {

// Differences and products of 64-bit coordinates need up to 129 bits; these cover them.
using I128 = __int128;
using U128 = unsigned __int128;

I128 Abs(I128 v) {
    return v < 0 ? -v : v;
}

// A rectangle whose edges may lie beyond the 64-bit range (a picture drawn near the end of it).
struct WideRect {
    I128 left = 0;
    I128 top = 0;
    I128 right = 0;
    I128 bottom = 0;
};

WideRect Widen(const TRect& r) {
    return {r.Left, r.Top, r.Right, r.Bottom};
}

// Walks the target pixels of one axis of a stretched copy: target pixel t (counted from the
// destination's edge) takes source pixel srcStart + floor((2t + 1) * srcSize / (2 * destSize)).
class AxisStepper {
  public:
    // Starts at target pixel t. Sizes are below 2^64 and t at most 2^63 (the first visible pixel of
    // a destination whose edge is a 64-bit coordinate), so (2t + 1) * srcSize < 2^128.
    AxisStepper(I128 srcStart, U128 srcSize, U128 destSize, U128 t)
        : srcStart_(srcStart),
          twoDest_(2 * destSize),
          quot_((2 * t + 1) * srcSize / twoDest_),
          rem_((2 * t + 1) * srcSize % twoDest_),
          stepQuot_(2 * srcSize / twoDest_),
          stepRem_(2 * srcSize % twoDest_) {}

    I128 Source() const { return srcStart_ + I128(quot_); }
    void Next() {
        quot_ += stepQuot_;
        rem_ += stepRem_;
        if (rem_ >= twoDest_) {
            rem_ -= twoDest_;
            ++quot_;
        }
    }

  private:
    I128 srcStart_;
    U128 twoDest_;
    U128 quot_, rem_;
    U128 stepQuot_, stepRem_;
};

RasterPixel* RowPixels(Bitmap& raster, int y) {
    return reinterpret_cast<RasterPixel*>(raster.Row(y));
}

// Copies the part src of source into dest on the raster, stretching when the sizes differ. Only
// target pixels inside clip (a part of the raster) whose source pixel lies in the source bitmap are
// written.
void Transfer(Bitmap& raster, const TRect& clip, const WideRect& dest, const Bitmap& source,
              const WideRect& src) {
    const I128 destW = dest.right - dest.left, destH = dest.bottom - dest.top;
    const I128 srcW = src.right - src.left, srcH = src.bottom - src.top;
    if (destW <= 0 || destH <= 0 || srcW <= 0 || srcH <= 0 || source.Empty() || raster.Empty()) return;
    if (&source == &raster) {
        // Reading while writing would see pixels already copied.
        const Bitmap copy(source);
        Transfer(raster, clip, dest, copy, src);
        return;
    }
    const I128 sourceW = source.Width(), sourceH = source.Height();

    // Target pixels t (from the destination's top-left) that fall inside the clip.
    I128 tx0 = std::max<I128>(0, clip.Left - dest.left), tx1 = std::min<I128>(destW, clip.Right - dest.left);
    I128 ty0 = std::max<I128>(0, clip.Top - dest.top), ty1 = std::min<I128>(destH, clip.Bottom - dest.top);
    if (tx0 >= tx1 || ty0 >= ty1) return;

    if (srcW == destW && srcH == destH) {
        // One source pixel per target pixel: convert straight into the raster rows.
        tx0 = std::max(tx0, -src.left);
        tx1 = std::min(tx1, sourceW - src.left);
        ty0 = std::max(ty0, -src.top);
        ty1 = std::min(ty1, sourceH - src.top);
        if (tx0 >= tx1 || ty0 >= ty1) return;
        const int count = int(tx1 - tx0);
        for (I128 t = ty0; t < ty1; ++t)
            source.ConvertRow(int(src.top + t), int(src.left + tx0), count,
                              RowPixels(raster, int(dest.top + t)) + std::size_t(dest.left + tx0));
        return;
    }

    // The source column of each visible target column. Source columns grow with the target
    // column, so those inside the source bitmap form one run.
    std::vector<int> columns;
    I128 firstColumn = -1;
    AxisStepper colStep(src.left, U128(srcW), U128(destW), U128(tx0));
    for (I128 t = tx0; t < tx1; ++t, colStep.Next()) {
        const I128 s = colStep.Source();
        if (s < 0) continue;
        if (s >= sourceW) break;
        if (columns.empty()) firstColumn = t;
        columns.push_back(int(s));
    }
    if (columns.empty()) return;
    const int count = int(columns.size());
    const int spanStart = columns.front();
    const int span = columns.back() - spanStart + 1;
    // Converting the whole span of a row pays off unless most of it would be skipped.
    const bool wholeSpan = span <= 2 * count;
    std::vector<RasterPixel> converted(wholeSpan ? std::size_t(span) : 0);
    if (wholeSpan)
        for (int& c : columns)
            c -= spanStart;

    const RasterPixel* previousRow = nullptr;
    I128 previousSource = -1;
    AxisStepper rowStep(src.top, U128(srcH), U128(destH), U128(ty0));
    for (I128 t = ty0; t < ty1; ++t, rowStep.Next()) {
        const I128 s = rowStep.Source();
        if (s < 0) continue;
        if (s >= sourceH) break;
        RasterPixel* out = RowPixels(raster, int(dest.top + t)) + std::size_t(dest.left + firstColumn);
        if (s == previousSource) {
            // Same source row as the row above: same pixels.
            std::memcpy(out, previousRow, std::size_t(count) * sizeof(RasterPixel));
        } else if (wholeSpan) {
            source.ConvertRow(int(s), spanStart, span, converted.data());
            for (int i = 0; i < count; ++i)
                out[i] = converted[std::size_t(columns[std::size_t(i)])];
        } else {
            for (int i = 0; i < count; ++i)
                source.ConvertRow(int(s), columns[std::size_t(i)], 1, out + i);
        }
        previousRow = out;
        previousSource = s;
    }
}

}  // namespace

RasterCanvas::RasterCanvas(Bitmap& target) : target_(target) {
    if (target.Format() != PixelFormat::Raster32())
        throw std::invalid_argument("a raster canvas needs a bitmap in the raster format");
    target_.MakeRowsTopDown();
    ResetClip();
}

void RasterCanvas::SetClip(const TRect& r) {
    clip_ = r;
}

void RasterCanvas::ResetClip() {
    clip_ = {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::min(),
             std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::max()};
}

TRect RasterCanvas::Clip() const {
    // Against the raster's size as it is now, so that a clip never reaches past it.
    TRect c{std::clamp<std::int64_t>(clip_.Left, 0, target_.Width()),
            std::clamp<std::int64_t>(clip_.Top, 0, target_.Height()),
            std::clamp<std::int64_t>(clip_.Right, 0, target_.Width()),
            std::clamp<std::int64_t>(clip_.Bottom, 0, target_.Height())};
    c.Right = std::max(c.Right, c.Left);
    c.Bottom = std::max(c.Bottom, c.Top);
    return c;
}

void RasterCanvas::MoveTo(std::int64_t x, std::int64_t y) {
    penX_ = x;
    penY_ = y;
}

void RasterCanvas::LineTo(std::int64_t x, std::int64_t y) {
    const I128 x0 = penX_, y0 = penY_;
    penX_ = x;
    penY_ = y;
    const I128 dx = x - x0, dy = y - y0;
    const TRect clip = Clip();
    if ((dx == 0 && dy == 0) || clip.Width() <= 0 || clip.Height() <= 0) return;
    // Every pixel of the line lies between its end points.
    const std::int64_t cl = clip.Left, ct = clip.Top, cr = clip.Right, cb = clip.Bottom;
    if (std::max<I128>(x0, x) < cl || std::min<I128>(x0, x) >= cr || std::max<I128>(y0, y) < ct ||
        std::min<I128>(y0, y) >= cb)
        return;

    // A line wholly inside the clip (the usual case: marker symbols, box edges) needs no clipping
    // and fits 64-bit arithmetic; it sets exactly the pixels the general path below would.
    if (x0 >= cl && x0 < cr && x >= cl && x < cr && y0 >= ct && y0 < cb && y >= ct && y < cb) {
        const std::int64_t ddx = x - std::int64_t(x0), ddy = y - std::int64_t(y0);
        const bool alongX = std::abs(ddx) >= std::abs(ddy);
        const std::int64_t b = alongX ? std::abs(ddx) : std::abs(ddy),
                           a = alongX ? std::abs(ddy) : std::abs(ddx);
        const std::int64_t stepMajor = alongX ? (ddx > 0 ? 1 : -1) : (ddy > 0 ? 1 : -1);
        const std::int64_t stepMinor = alongX ? (ddy >= 0 ? 1 : -1) : (ddx >= 0 ? 1 : -1);
        const std::size_t stride = target_.Stride() / sizeof(RasterPixel);
        RasterPixel* base = RowPixels(target_, 0);
        const RasterPixel pixel = ToRasterPixel(penColor_);
        std::int64_t px = std::int64_t(x0), py = std::int64_t(y0);
        std::int64_t rem = 0;  // i * a mod b; twice it against b rounds half up
        std::int64_t minorOffset = 0, quot = 0;
        for (std::int64_t i = 0; i < b; ++i) {
            minorOffset = quot + (2 * rem >= b ? 1 : 0);
            const std::int64_t mx = alongX ? px + stepMajor * i : px + stepMinor * minorOffset;
            const std::int64_t my = alongX ? py + stepMinor * minorOffset : py + stepMajor * i;
            base[std::size_t(my) * stride + std::size_t(mx)] = pixel;
            rem += a;
            if (rem >= b) {
                rem -= b;
                ++quot;
            }
        }
        return;
    }

    // Step along the major axis; "minor" is the other one.
    const bool xMajor = Abs(dx) >= Abs(dy);
    const I128 major0 = xMajor ? x0 : y0, minor0 = xMajor ? y0 : x0;
    const I128 dMajor = xMajor ? dx : dy, dMinor = xMajor ? dy : dx;
    // The clip along each axis: lo .. hi - 1.
    const I128 majorLo = xMajor ? cl : ct, majorHi = xMajor ? cr : cb;
    const I128 minorLo = xMajor ? ct : cl, minorHi = xMajor ? cb : cr;
    const int majorDir = dMajor > 0 ? 1 : -1, minorDir = dMinor >= 0 ? 1 : -1;
    const U128 b = U128(Abs(dMajor)), a = U128(Abs(dMinor));  // a <= b < 2^64

    // Minor offset of step i, away from the start: i * a / b rounded, halves upward.
    auto offset = [a, b](I128 i) {
        const U128 p = U128(i) * a;
        return I128(p / b + (2 * (p % b) >= b ? 1 : 0));
    };

    // The steps whose major coordinate lies inside the clip...
    I128 first = 0, last = I128(b) - 1;
    if (majorDir > 0) {
        first = std::max(first, majorLo - major0);
        last = std::min(last, majorHi - 1 - major0);
    } else {
        first = std::max(first, major0 - (majorHi - 1));
        last = std::min(last, major0 - majorLo);
    }
    if (first > last) return;
    // ... narrowed to those whose minor coordinate does too. Offsets never decrease with i, so
    // the bounds are found by bisection.
    const I128 lowOffset = minorDir > 0 ? minorLo - minor0 : minor0 - (minorHi - 1);
    const I128 highOffset = minorDir > 0 ? minorHi - 1 - minor0 : minor0 - minorLo;
    if (offset(first) < lowOffset) {
        I128 below = first, at = last + 1;  // offset(below) is too small; at is the first that is not
        while (at - below > 1) {
            const I128 mid = below + (at - below) / 2;
            (offset(mid) >= lowOffset ? at : below) = mid;
        }
        first = at;
    }
    if (first > last) return;
    if (offset(last) > highOffset) {
        I128 at = first - 1, above = last;  // offset(above) is too large; at is the last that is not
        while (above - at > 1) {
            const I128 mid = at + (above - at) / 2;
            (offset(mid) <= highOffset ? at : above) = mid;
        }
        last = at;
    }
    if (first > last) return;

    const RasterPixel pixel = ToRasterPixel(penColor_);
    const U128 start = U128(first) * a;
    U128 quot = start / b, rem = start % b;
    I128 major = major0 + majorDir * first;
    for (I128 i = first; i <= last; ++i) {
        const I128 minor = minor0 + minorDir * I128(quot + (2 * rem >= b ? 1 : 0));
        const int px = int(xMajor ? major : minor), py = int(xMajor ? minor : major);
        RowPixels(target_, py)[px] = pixel;
        major += majorDir;
        rem += a;
        if (rem >= b) {
            rem -= b;
            ++quot;
        }
    }
}

void RasterCanvas::FillClipped(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                               RasterPixel pixel) {
    const TRect clip = Clip();
    const std::int64_t x0 = std::max(left, clip.Left), x1 = std::min(right, clip.Right);
    const std::int64_t y0 = std::max(top, clip.Top), y1 = std::min(bottom, clip.Bottom);
    if (x0 >= x1 || y0 >= y1) return;
    for (std::int64_t y = y0; y < y1; ++y) {
        RasterPixel* row = RowPixels(target_, int(y));
        std::fill(row + x0, row + x1, pixel);
    }
}

void RasterCanvas::Rectangle(const TRect& r) {
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    FillClipped(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1, ToRasterPixel(brushColor_));
    const RasterPixel pen = ToRasterPixel(penColor_);
    FillClipped(r.Left, r.Top, r.Right, r.Top + 1, pen);
    FillClipped(r.Left, r.Bottom - 1, r.Right, r.Bottom, pen);
    FillClipped(r.Left, r.Top, r.Left + 1, r.Bottom, pen);
    FillClipped(r.Right - 1, r.Top, r.Right, r.Bottom, pen);
}

void RasterCanvas::FillRect(const TRect& r) {
    FillClipped(r.Left, r.Top, r.Right, r.Bottom, ToRasterPixel(brushColor_));
}

void RasterCanvas::CopyRect(const TRect& dest, const Bitmap& source, const TRect& src) {
    Transfer(target_, Clip(), Widen(dest), source, Widen(src));
}

void RasterCanvas::Draw(std::int64_t x, std::int64_t y, const Bitmap& source) {
    const WideRect dest{x, y, I128(x) + source.Width(), I128(y) + source.Height()};
    Transfer(target_, Clip(), dest, source, WideRect{0, 0, source.Width(), source.Height()});
}

void RasterCanvas::DrawSource(std::int64_t x, std::int64_t y, const PixelSource& source) {
    const TRect clip = Clip();
    // The visible part, in canvas pixels; the source's far edges may lie beyond the 64-bit range.
    const I128 left = std::max<I128>(clip.Left, x), top = std::max<I128>(clip.Top, y);
    const I128 right = std::min<I128>(clip.Right, I128(x) + source.Width());
    const I128 bottom = std::min<I128>(clip.Bottom, I128(y) + source.Height());
    if (left >= right || top >= bottom) return;
    const TRect area{std::int64_t(left - x), std::int64_t(top - y), std::int64_t(right - x),
                     std::int64_t(bottom - y)};
    source.Produce(area, RowPixels(target_, int(top)) + std::size_t(left),
                   target_.Stride() / sizeof(RasterPixel));
}

void RasterCanvas::StretchDraw(const TRect& dest, const Bitmap& source) {
    Transfer(target_, Clip(), Widen(dest), source, WideRect{0, 0, source.Width(), source.Height()});
}

}  // namespace curvana
