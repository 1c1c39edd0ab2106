// Stand-ins for the TIFF and WebP readers until they are built: every call fails.

#include "platform/FormatError.h"
#include "platform/TiffReader.h"
#include "platform/WebpReader.h"

namespace curvana {

namespace {
[[noreturn]] void NotBuilt() {
    throw FormatError("not built yet");
}
}  // namespace

int TiffPageCount(std::span<const std::uint8_t>) {
    NotBuilt();
}
Bitmap DecodeTiff(std::span<const std::uint8_t>, int) {
    NotBuilt();
}
int TiffFilePageCount(const std::string&) {
    NotBuilt();
}
Bitmap ReadTiffFile(const std::string&, int) {
    NotBuilt();
}
Bitmap DecodeWebp(std::span<const std::uint8_t>) {
    NotBuilt();
}
Bitmap ReadWebpFile(const std::string&) {
    NotBuilt();
}

}  // namespace curvana
