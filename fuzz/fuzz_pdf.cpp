// Feeds arbitrary bytes to the PDF reader, through poppler's parser and renderer. Anything it does
// not refuse with FormatError must have at least one page, and page 1 at the lowest resolution
// must be a picture of at most Bitmap::kMaxPixels 24-bit pixels, every row of which can be read.

#include <cstdint>
#include <span>

#include "FuzzPicture.h"
#include "platform/FormatError.h"
#include "platform/PdfReader.h"

// fontconfig, which poppler asks for fonts a file does not embed, keeps a little memory it never
// frees; LeakSanitizer would report it at the end of every run.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace curvana;
    const std::span<const std::uint8_t> bytes(data, size);
    Bitmap picture;
    try {
        fuzz::Require(PdfPageCount(bytes) >= 1);
        picture = DecodePdf(bytes, 1, kPdfMinDpi);
    } catch (const FormatError&) {
        return 0;
    }
    fuzz::RequireWhole24BitPicture(picture);
    return 0;
}
