#pragma once

// Checks the fuzz targets make of a picture a reader gave: abort() on any fault, so that the
// fuzzer reports the input.

#include <cstdint>
#include <cstdlib>

#include "platform/Bitmap.h"

namespace curvana::fuzz {

inline void Require(bool condition) {
    if (!condition) std::abort();
}

// A non-empty picture of at most Bitmap::kMaxPixels pixels, 24-bit or 1-, 4- or 8-bit indexed with a
// colour table that fits its indices. The first and last byte of every row are touched, so that a
// short picture shows up under ASan.
inline void RequireWholePicture(const Bitmap& picture) {
    const PixelFormat& format = picture.Format();
    Require(picture.Width() > 0 && picture.Height() > 0);
    Require(std::int64_t(picture.Width()) * picture.Height() <= Bitmap::kMaxPixels);
    Require(format == PixelFormat::Rgb24() || format == PixelFormat::Indexed(1) ||
            format == PixelFormat::Indexed(4) || format == PixelFormat::Indexed(8));
    if (format.IsIndexed()) Require(picture.Palette().size() <= (std::size_t(1) << format.bitsPerPixel));
    const std::size_t lastByte =
        (std::size_t(picture.Width()) * std::size_t(format.bitsPerPixel) + 7) / 8 - 1;
    unsigned sum = 0;
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.Row(y);
        sum += row[0] + row[lastByte];
    }
    Require(sum <= 510u * unsigned(picture.Height()));
}

// A picture that is whole (above) and 24-bit.
inline void RequireWhole24BitPicture(const Bitmap& picture) {
    Require(picture.Format() == PixelFormat::Rgb24());
    RequireWholePicture(picture);
}

}  // namespace curvana::fuzz
