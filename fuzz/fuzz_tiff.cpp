// Feeds arbitrary bytes to the TIFF reader: the page count, the first page and, when there is one,
// the second. Anything it does not refuse with FormatError must be a picture of at most
// Bitmap::kMaxPixels pixels in one of the formats the reader makes, with a colour table for every
// index it can hold, every row of which can be read.

#include <cstdint>
#include <span>

#include "FuzzPicture.h"
#include "platform/FormatError.h"
#include "platform/TiffReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace curvana;
    const std::span<const std::uint8_t> bytes(data, size);
    int pages = 0;
    try {
        pages = TiffPageCount(bytes);
    } catch (const FormatError&) {
        return 0;
    }
    fuzz::Require(pages >= 1);
    for (int page = 1; page <= 2 && page <= pages; ++page) {
        try {
            fuzz::RequireWholePicture(DecodeTiff(bytes, page));
        } catch (const FormatError&) {
        }
    }
    return 0;
}
