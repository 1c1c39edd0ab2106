#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/Bitmap.h"

namespace curvana {

// Decodes a WebP picture held in memory, lossy or lossless, into a 24-bit picture (blue, green,
// red), transparency composited over white. Pictures of more than Bitmap::kMaxPixels pixels are
// refused. Any failure throws FormatError with a short English reason.
Bitmap DecodeWebp(std::span<const std::uint8_t> data);

// Reads and decodes a WebP file; FormatError when it cannot be read or decoded.
Bitmap ReadWebpFile(const std::string& path);

}  // namespace curvana
