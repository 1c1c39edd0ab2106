// Feeds arbitrary bytes to the PNG reader. Anything it does not refuse with FormatError must be a
// picture of at most Bitmap::kMaxPixels pixels in one of the formats the reader makes (1-, 4- or
// 8-bit indexed with a colour table that fits, or 24-bit), every row of which can be read.

#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/FormatError.h"
#include "platform/PngReader.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace curvana;
    Bitmap picture;
    try {
        picture = DecodePng(std::span<const std::uint8_t>(data, size));
    } catch (const FormatError&) {
        return 0;
    }
    Require(picture.Width() > 0 && picture.Height() > 0);
    Require(std::int64_t(picture.Width()) * picture.Height() <= Bitmap::kMaxPixels);
    const int bits = picture.Format().bitsPerPixel;
    Require(picture.Format() == PixelFormat::Rgb24() ||
            (picture.Format() == PixelFormat::Indexed(bits) && (bits == 1 || bits == 4 || bits == 8)));
    if (bits <= 8) Require(picture.Palette().size() <= (std::size_t(1) << bits));
    // Touch the first and last byte of every row, so that a short picture shows up under ASan.
    const std::size_t rowBytes = (std::size_t(picture.Width()) * std::size_t(bits) + 7) / 8;
    unsigned sum = 0;
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.Row(y);
        sum += row[0] + row[rowBytes - 1];
    }
    Require(sum <= 510u * unsigned(picture.Height()));
    return 0;
}
