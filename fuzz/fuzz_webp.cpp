// Feeds arbitrary bytes to the WebP reader. Anything it does not refuse with FormatError must be a
// picture of at most Bitmap::kMaxPixels pixels in 24-bit pixels, every row of which can be read.

#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/FormatError.h"
#include "platform/WebpReader.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace curvana;
    Bitmap picture;
    try {
        picture = DecodeWebp(std::span<const std::uint8_t>(data, size));
    } catch (const FormatError&) {
        return 0;
    }
    Require(picture.Width() > 0 && picture.Height() > 0);
    Require(std::int64_t(picture.Width()) * picture.Height() <= Bitmap::kMaxPixels);
    Require(picture.Format() == PixelFormat::Rgb24());
    // Touch the first and last pixel of every row, so that a short picture shows up under ASan.
    unsigned sum = 0;
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.Row(y);
        sum += row[0] + row[std::size_t(picture.Width()) * 3 - 1];
    }
    Require(sum <= 510u * unsigned(picture.Height()));
    return 0;
}
