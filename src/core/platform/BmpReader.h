#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/Bitmap.h"
#include "platform/FileBytes.h"
#include "platform/FormatError.h"

namespace curvana {

// Reads a BMP picture held in memory. The data may be followed by other bytes (a project file
// keeps its picture as its last block); offsets in the picture count from the start of data.
// The picture keeps its pixel format; run-length compressed pictures come out uncompressed in
// their own bit depth, with pixels the data skips left at colour index 0. What the header said
// is kept in the picture's Origin() so that it can be written back the same way.
// Throws FormatError with a short reason for anything that is not a sound BMP picture; sizes and
// offsets are checked against the data before any memory is taken for the picture.
Bitmap ReadBmp(std::span<const std::uint8_t> data);

// Reads the BMP picture in the `length` bytes (at most to the end) that start `offset` bytes into a
// file's content, as ReadBmp does. Where the file holds the rows as the picture keeps them
// (uncompressed, every row with its padding), the picture keeps them in the file's buffer instead of
// copying them.
Bitmap ReadBmp(const FileBytes& file, std::size_t offset, std::size_t length = SIZE_MAX);

// Reads a BMP file. Throws FormatError if the file cannot be read or is not a sound BMP picture.
Bitmap ReadBmpFile(const std::string& path);

}  // namespace curvana
