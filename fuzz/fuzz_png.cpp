// Feeds arbitrary bytes to the PNG reader. Anything it does not refuse with FormatError must be a
// picture of at most Bitmap::kMaxPixels pixels in one of the formats the reader makes (1-, 4- or
// 8-bit indexed with a colour table that fits, or 24-bit), every row of which can be read.

#include <cstdint>
#include <span>

#include "FuzzPicture.h"
#include "platform/FormatError.h"
#include "platform/PngReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace curvana;
    Bitmap picture;
    try {
        picture = DecodePng(std::span<const std::uint8_t>(data, size));
    } catch (const FormatError&) {
        return 0;
    }
    fuzz::RequireWholePicture(picture);
    return 0;
}
