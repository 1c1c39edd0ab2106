#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/Bitmap.h"

namespace curvana {

// Decodes a PNG picture held in memory: every colour type and bit depth, interlaced or not.
// Palette pictures without transparency stay indexed (1, 4 or 8 bits; 2-bit pictures widen to 4),
// 8-bit grey without transparency becomes 8-bit indexed with a grey ramp, everything else 24 bits
// (blue, green, red). Transparency is composited over white; 16-bit samples become 8-bit as
// (v * 255 + 32767) / 65535. Pictures of more than Bitmap::kMaxPixels pixels are refused before
// their memory is taken. Any failure throws FormatError with a short English reason.
//
// Compositing rounds to the nearest level: c * a / 255 + 255 - a for 8-bit colour c and alpha a;
// 16-bit colour and alpha are narrowed first. Samples are shown as stored: gAMA, cHRM, sRGB, iCCP and
// sBIT do not change them. Every chunk's CRC and the Adler-32 sum of the image data are checked, so
// the file must be whole up to its IEND chunk.
Bitmap DecodePng(std::span<const std::uint8_t> data);

// Reads and decodes a PNG file; FormatError when it cannot be read or decoded.
Bitmap ReadPngFile(const std::string& path);

}  // namespace curvana
