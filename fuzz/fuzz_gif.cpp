// Any bytes given to the GIF decoder either load (and convert to a picture) or fail with a GifError.
// Anything else, a crash, a hang, another exception or a sanitizer report, is a fault.

#include <cstddef>
#include <cstdint>
#include <string>

#include "gif/GifBitmap.h"
#include "gif/GifDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const curvana::GifImage image = curvana::DecodeGif({data, size}, [](const std::string&) {});
        const curvana::Bitmap bitmap = curvana::GifToBitmap(image);
        if (!image.frames.empty() && bitmap.Width() != image.screenWidth) __builtin_trap();
    } catch (const curvana::GifError&) {
    }
    return 0;
}
