#pragma once

#include <string>

#include "gif/GifImage.h"
#include "platform/Bitmap.h"

namespace curvana {

// The picture a plot document takes from a GIF file: its first frame, as an 8-bit indexed bitmap
// whose palette is the frame's active colour map (one entry per map entry).
//
// - A file without frames gives an empty bitmap.
// - A first frame of the logical screen's size is the picture as it is, transparent pixels
//   included (they show their colour-map colour).
// - Otherwise the picture has the screen's size and the frame is drawn onto it at its offset,
//   clipped to the screen, leaving out the pixels of a transparent frame that hold the transparent
//   index. What the frame does not cover, and the pixels it leaves out, hold the screen's background
//   colour index when the file has a global colour map (the index refers to that map, which may not
//   be the frame's palette), else index 0.
//
// Later frames play no part.
Bitmap GifToBitmap(const GifImage& image);

// Reads and decodes a GIF file and converts it with GifToBitmap. Throws GifError with the decoder's
// failure text, or "Cannot read file" when the file cannot be read; warnings are not reported.
Bitmap ReadGifFile(const std::string& path);

}  // namespace curvana
