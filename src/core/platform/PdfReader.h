#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/Bitmap.h"

namespace curvana {

// The resolutions a PDF page may be rendered at, in dots per inch, and the one used unless another
// is asked for.
inline constexpr int kPdfMinDpi = 50;
inline constexpr int kPdfMaxDpi = 600;
inline constexpr int kPdfDefaultDpi = 150;

// The number of pages of a PDF file, at least 1; FormatError when it cannot be read, is damaged,
// locked or has no pages.
int PdfFilePageCount(const std::string& path);

// Renders page `page` (from 1) of a PDF file at `dpi` dots per inch, anti-aliased on white, into a
// 24-bit picture (blue, green, red), as poppler's pdftoppm renders it at that resolution. A page
// whose picture would have more than Bitmap::kMaxPixels pixels is refused before rendering. Any
// failure, a page or resolution out of range included, throws FormatError with a short English
// reason.
//
// The picture is ceil(width x dpi / 72) by ceil(height x dpi / 72) pixels of the page's crop box
// (the part of the page a viewer shows, for most pages the whole page), turned as the page says.
Bitmap ReadPdfFile(const std::string& path, int page = 1, int dpi = kPdfDefaultDpi);

// The same for a PDF file held in memory.
int PdfPageCount(std::span<const std::uint8_t> data);
Bitmap DecodePdf(std::span<const std::uint8_t> data, int page = 1, int dpi = kPdfDefaultDpi);

}  // namespace curvana
