#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Bitmap.h"

namespace curvana {

// Writes a picture as a BMP file in its own pixel format. A picture that was read from a BMP file
// is written back with the header it came with (OS/2, Windows 3, V4 or V5; row order, resolution,
// colour counts, colour-space fields and V5 profile), so that reading and writing an uncompressed
// file gives the same bytes. Run-length compressed pictures are written uncompressed. A picture
// the program made itself gets the 40-byte header and bottom-up rows. Indices beyond the colour
// table are written with black table entries, which is how the program shows them.
// Throws std::invalid_argument for an empty picture or one whose colour masks a BMP file cannot
// hold, std::length_error if the file would exceed 4 GiB.

// Writes the BMP after whatever the stream holds; the stream's failure state is checked.
void WriteBmp(const Bitmap& bitmap, std::ostream& out);

// Writes the BMP file; the file is replaced only once it is completely written. Throws
// std::system_error with the system's reason if it cannot be written.
void WriteBmpFile(const Bitmap& bitmap, const std::string& path);

// The BMP file's bytes.
std::vector<std::uint8_t> EncodeBmp(const Bitmap& bitmap);

}  // namespace curvana
