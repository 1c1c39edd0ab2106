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

// A non-empty picture of at most Bitmap::kMaxPixels 24-bit pixels. The first and last pixel of
// every row are touched, so that a short picture shows up under ASan.
inline void RequireWhole24BitPicture(const Bitmap& picture) {
    Require(picture.Width() > 0 && picture.Height() > 0);
    Require(std::int64_t(picture.Width()) * picture.Height() <= Bitmap::kMaxPixels);
    Require(picture.Format() == PixelFormat::Rgb24());
    unsigned sum = 0;
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.Row(y);
        sum += row[0] + row[std::size_t(picture.Width()) * 3 - 1];
    }
    Require(sum <= 510u * unsigned(picture.Height()));
}

}  // namespace curvana::fuzz
