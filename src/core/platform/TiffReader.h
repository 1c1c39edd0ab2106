#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/Bitmap.h"

namespace curvana {

// The number of pages (image file directories) of a TIFF picture held in memory, at least 1;
// FormatError when it is no readable TIFF.
int TiffPageCount(std::span<const std::uint8_t> data);

// Decodes page `page` (from 1) of a TIFF picture held in memory: strips or tiles, uncompressed,
// PackBits, LZW, Deflate or JPEG; 1, 8 or 16-bit grey, palette, RGB, RGBA or CMYK. Palette pictures
// without transparency stay indexed (1, 4 or 8 bits), 8-bit grey becomes 8-bit indexed with a grey
// ramp, everything else 24 bits (blue, green, red); transparency is composited over white and
// 16-bit samples become 8-bit as (v * 255 + 32767) / 65535. Pictures of more than
// Bitmap::kMaxPixels pixels are refused before their memory is taken. Any failure, a page out of
// range included, throws FormatError with a short English reason.
//
// Grey pictures without alpha of 1, 2, 4 or 16 bits stay indexed as well, as 1, 4 or 8-bit indices
// into a grey ramp (16-bit levels rounded as above), so that a scan keeps its size. 16-bit colour
// maps are rounded the same way; a colour map whose values all lie below 256 is taken as an old
// 8-bit one. CMYK becomes RGB as libtiff's RGBA interface computes it (R = (255 - K) * (255 - C) /
// 255, rounded down). Layouts read less often (separate planes, rows not starting at the top left,
// YCbCr without JPEG, CIE L*a*b*, ...) go through libtiff's RGBA interface and become 24 bits.
//
// A large picture of the common layouts stored in many strips or rows of tiles is decoded by
// several threads at once (one a megapixel, at most four or as many as the machine runs); `threads`
// above 0 asks for that many instead, as far as the picture has parts for them.
Bitmap DecodeTiff(std::span<const std::uint8_t> data, int page = 1, int threads = 0);

// The same for a file; FormatError also when it cannot be read.
int TiffFilePageCount(const std::string& path);
Bitmap ReadTiffFile(const std::string& path, int page = 1);

}  // namespace curvana
