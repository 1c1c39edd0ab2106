// Feeds arbitrary bytes to the BMP reader, both from memory and as a file's buffer (where the
// picture may keep its rows in place); both must agree. Whatever it accepts is written back and read
// again, which must give the same picture. Pictures of more than kRoundTripPixels pixels (a few bytes of
// run-length codes can describe 2^28 of them) are only read, so that every run stays quick.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "platform/BmpReader.h"
#include "platform/BmpWriter.h"

namespace {

constexpr std::int64_t kRoundTripPixels = std::int64_t(1) << 18;

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace curvana;
    Bitmap picture;
    try {
        picture = ReadBmp(std::span<const std::uint8_t>(data, size));
    } catch (const FormatError&) {
        return 0;
    }
    if (std::int64_t(picture.Width()) * picture.Height() > kRoundTripPixels) return 0;
    FileBytes file;
    file.data = std::shared_ptr<std::uint8_t[]>(new std::uint8_t[size + 1]);
    std::memcpy(file.data.get(), data, size);
    file.size = size;
    const std::vector<std::uint8_t> encoded = EncodeBmp(picture);
    {
        const Bitmap inPlace = ReadBmp(file, 0);
        Require(EncodeBmp(inPlace) == encoded);
    }
    const Bitmap again = ReadBmp(encoded);
    Require(again.Width() == picture.Width() && again.Height() == picture.Height());
    Require(again.Format() == picture.Format() && again.Palette() == picture.Palette());
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            Require(again.PixelValue(x, y) == picture.PixelValue(x, y));
            Require(again.PixelColor(x, y) == picture.PixelColor(x, y));
        }
    return 0;
}
