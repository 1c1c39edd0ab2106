// Feeds arbitrary bytes to the WebP reader. Anything it does not refuse with FormatError must be a
// picture of at most Bitmap::kMaxPixels pixels in 24-bit pixels, every row of which can be read.

#include <cstdint>
#include <span>

#include "FuzzPicture.h"
#include "platform/FormatError.h"
#include "platform/WebpReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace curvana;
    Bitmap picture;
    try {
        picture = DecodeWebp(std::span<const std::uint8_t>(data, size));
    } catch (const FormatError&) {
        return 0;
    }
    fuzz::RequireWhole24BitPicture(picture);
    return 0;
}
