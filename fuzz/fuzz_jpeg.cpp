// Feeds arbitrary bytes to the JPEG reader. Anything it does not refuse with JpegError must be a
// picture of the size the file declares, in 24-bit pixels, every row of which can be read.

#include <cstdint>
#include <span>

#include "FuzzPicture.h"
#include "platform/JpegReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace curvana;
    Bitmap picture;
    try {
        picture = DecodeJpeg(std::span<const std::uint8_t>(data, size));
    } catch (const JpegError&) {
        return 0;
    }
    fuzz::RequireWhole24BitPicture(picture);
    return 0;
}
