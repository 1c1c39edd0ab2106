#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

#include "platform/Bitmap.h"

namespace curvana {

// A JPEG file the program cannot read: damaged, truncated, of a kind it does not support, too
// large, or not readable at all. what() is a short English reason that can be shown to the user.
struct JpegError : std::runtime_error {
    explicit JpegError(const std::string& reason) : std::runtime_error(reason) {}
};

// Limits on what a JPEG file may ask for. Pictures of more than Bitmap::kMaxPixels pixels are
// refused before any memory is taken for them; the decoder's own working memory (above all the
// coefficients a progressive file keeps until its last scan) is capped at kJpegWorkingMemory, and
// a file may hold at most kJpegMaxScans scans.
inline constexpr long kJpegWorkingMemory = 1L << 30;
inline constexpr int kJpegMaxScans = 500;

// Decodes a JPEG picture held in memory at full size into a 24-bit picture (rows of blue, green,
// red bytes) with the origin of a made picture. Baseline, progressive and arithmetic-coded files
// are read; greyscale comes out as equal red, green and blue; CMYK and YCCK are turned into RGB,
// with Adobe's inverted ink values where the file has an Adobe marker.
//
// A file whose pixel data is damaged or cut short throws JpegError, as a broken file does, rather
// than giving a picture that is partly grey: the decoder's warnings of corrupt or missing data
// count as failures. The one exception is a file that lacks only what follows its pixel data (the
// end marker) when that data is complete, which the decoder can tell for single-scan Huffman
// files. Warnings about metadata alone (an unknown JFIF version or Adobe transform, a bad ICC
// profile marker) are ignored.
Bitmap DecodeJpeg(std::span<const std::uint8_t> data);

// Reads and decodes a JPEG file. Throws JpegError if the file cannot be read or decoded.
Bitmap ReadJpegFile(const std::string& path);

}  // namespace curvana
