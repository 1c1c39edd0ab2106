// Feeds arbitrary bytes to the TIFF reader: the page count, the first page and, when there is one,
// the second. Anything it does not refuse with FormatError must be a picture of at most
// Bitmap::kMaxPixels pixels in one of the formats the reader makes, with a colour table for every
// index it can hold, every row of which can be read. Each page is decoded by one thread and by two
// (where it has the strips or rows of tiles for them): both give the same picture, or both refuse.

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

#include "FuzzPicture.h"
#include "platform/FormatError.h"
#include "platform/TiffReader.h"

namespace {

using namespace curvana;

std::optional<Bitmap> Decode(std::span<const std::uint8_t> bytes, int page, int threads) {
    try {
        return DecodeTiff(bytes, page, threads);
    } catch (const FormatError&) {
        return std::nullopt;
    }
}

bool SamePicture(const Bitmap& a, const Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || !(a.Format() == b.Format()) ||
        a.Palette().size() != b.Palette().size() || a.Stride() != b.Stride())
        return false;
    for (std::size_t i = 0; i < a.Palette().size(); ++i)
        if (std::memcmp(&a.Palette()[i], &b.Palette()[i], sizeof a.Palette()[i]) != 0) return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), a.Stride()) != 0) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    int pages = 0;
    try {
        pages = TiffPageCount(bytes);
    } catch (const FormatError&) {
        return 0;
    }
    fuzz::Require(pages >= 1);
    for (int page = 1; page <= 2 && page <= pages; ++page) {
        const std::optional<Bitmap> one = Decode(bytes, page, 1);
        if (one) fuzz::RequireWholePicture(*one);
        const std::optional<Bitmap> two = Decode(bytes, page, 2);
        fuzz::Require(one.has_value() == two.has_value());
        if (one) fuzz::Require(SamePicture(*one, *two));
    }
    return 0;
}
