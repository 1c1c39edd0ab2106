// Feeds arbitrary bytes to the TIFF reader: the page count, the first page and, when there is one,
// the second. Anything it does not refuse with FormatError must be a picture of at most
// Bitmap::kMaxPixels pixels in one of the formats the reader makes, with a colour table for every
// index it can hold, every row of which can be read.

#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/FormatError.h"
#include "platform/TiffReader.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void Check(const curvana::Bitmap& picture) {
    using curvana::Bitmap;
    using curvana::PixelFormat;
    const PixelFormat& format = picture.Format();
    Require(picture.Width() > 0 && picture.Height() > 0);
    Require(std::int64_t(picture.Width()) * picture.Height() <= Bitmap::kMaxPixels);
    Require(format == PixelFormat::Rgb24() || format == PixelFormat::Indexed(1) ||
            format == PixelFormat::Indexed(4) || format == PixelFormat::Indexed(8));
    if (format.IsIndexed()) Require(picture.Palette().size() <= (std::size_t(1) << format.bitsPerPixel));
    // Touch the first and last byte of every row, so that a short picture shows up under ASan.
    const std::size_t lastByte =
        (std::size_t(picture.Width()) * std::size_t(format.bitsPerPixel) + 7) / 8 - 1;
    unsigned sum = 0;
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.Row(y);
        sum += row[0] + row[lastByte];
    }
    Require(sum <= 510u * unsigned(picture.Height()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace curvana;
    const std::span<const std::uint8_t> bytes(data, size);
    int pages = 0;
    try {
        pages = TiffPageCount(bytes);
    } catch (const FormatError&) {
        return 0;
    }
    Require(pages >= 1);
    for (int page = 1; page <= 2 && page <= pages; ++page) {
        try {
            Check(DecodeTiff(bytes, page));
        } catch (const FormatError&) {
        }
    }
    return 0;
}
