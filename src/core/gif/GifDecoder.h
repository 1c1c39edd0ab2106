#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "gif/GifError.h"
#include "gif/GifImage.h"

namespace curvana {

// Receives the text of a warning: a deviation the decoder tolerates and reads past.
using GifWarningHandler = std::function<void(const std::string&)>;

// The most colour indices a decoded file keeps in all its frames together. A frame that would take
// the total past this is read over but not kept (GifImage::droppedFrames counts them), except the
// first frame, for which the load fails with "Image too large". A logical screen of more pixels
// fails the same way, as the picture made from the file could not hold it.
inline constexpr std::int64_t kMaxGifPixels = std::int64_t(1) << 28;

// Decodes a whole GIF file held in memory. Throws GifError with one of the failure texts when the
// file cannot be loaded; passes each warning text to warn when one is given and goes on.
//
// Failures: "Premature end of data" (a fixed-size part of the file runs past its end),
// "Invalid GIF signature", "Unknown extension type", "Unsupported Application Extension block size",
// "Image too large". (An extension is only read where its introducer has been seen, and a code
// stream never builds a table entry that refers to itself, see DecodeLzw, so neither a bad
// introducer inside an extension nor a circular table entry can fail a load.)
// Warnings: "Unknown GIF block type", "Invalid extension introducer", "Image exceeds Logical Screen
// size" (a frame of zero width or height, read as one of the screen's size), "Premature end of
// data" (data sub-blocks cut short by the end of the file), "Decoder bit buffer under-run",
// "Invalid Image trailer".
//
// The end of the file where the next block or the trailer would start is not a failure: it ends the
// list of frames, and only the trailer warning is given. Image data that stops early leaves the
// frame's remaining pixels at the fill value: the transparent index in a transparent frame, else 0.
// So does a code naming no string (decoding of that frame stops there without a warning) and a
// minimum code size outside 1..11 (the frame's data is skipped).
GifImage DecodeGif(std::span<const std::uint8_t> data, const GifWarningHandler& warn = {});

}  // namespace curvana
