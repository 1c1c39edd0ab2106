#include "platform/WebpReader.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <system_error>

#include <webp/decode.h>

#include "platform/FileBytes.h"
#include "platform/FormatError.h"
#include "platform/LargeBlock.h"

namespace curvana {

namespace {

const char* StatusText(VP8StatusCode status) {
    switch (status) {
        case VP8_STATUS_OUT_OF_MEMORY:
            return "not enough memory to decode the WebP picture";
        case VP8_STATUS_UNSUPPORTED_FEATURE:
            return "the WebP file uses a feature that is not supported";
        case VP8_STATUS_NOT_ENOUGH_DATA:
            return "the WebP file ends inside the image data";
        default:
            return "the WebP file is damaged";
    }
}

std::string SizeText(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

}  // namespace

// Pictures without alpha are decoded by libwebp straight into the picture's rows; the others into
// rows of blue, green, red and alpha, then composited over white.
Bitmap DecodeWebp(std::span<const std::uint8_t> data) {
    if (data.size() < 12 || std::memcmp(data.data(), "RIFF", 4) != 0 ||
        std::memcmp(data.data() + 8, "WEBP", 4) != 0)
        throw FormatError("not a WebP file");
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) throw FormatError("the WebP library does not match the program");
    VP8StatusCode status = WebPGetFeatures(data.data(), data.size(), &config.input);
    if (status != VP8_STATUS_OK) throw FormatError(StatusText(status));
    const int width = config.input.width;
    const int height = config.input.height;
    if (width <= 0 || height <= 0) throw FormatError("the WebP picture has no pixels");
    if (std::int64_t(width) * height > Bitmap::kMaxPixels)
        throw FormatError("the WebP picture is too large: " + SizeText(width, height));
    if (config.input.has_animation) throw FormatError("animated WebP files are not supported");

    const bool alpha = config.input.has_alpha;
    Bitmap picture;
    const std::size_t bgraSize = alpha ? std::size_t(width) * std::size_t(height) * 4 : 0;
    BlockPtr bgra;  // taken from the system as it is written, like the picture's rows
    try {
        picture = Bitmap(width, height, PixelFormat::Rgb24());
        if (alpha) bgra = AllocateBlock(bgraSize);
    } catch (const std::bad_alloc&) {
        throw FormatError("not enough memory for a WebP picture of " + SizeText(width, height));
    }

    WebPRGBABuffer& out = config.output.u.RGBA;
    config.output.colorspace = alpha ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    if (alpha) {
        out.rgba = bgra.get();
        out.stride = width * 4;
        out.size = bgraSize;
    } else {
        out.rgba = picture.Row(0);  // a made picture: rows top first, one block
        out.stride = int(picture.Stride());
        out.size = picture.ByteSize();
    }
    status = WebPDecode(data.data(), data.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) throw FormatError(StatusText(status));
    if (!alpha) return picture;

    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = bgra.get() + std::size_t(y) * std::size_t(out.stride);
        std::uint8_t* row = picture.Row(y);
        for (int x = 0; x < width; ++x, in += 4, row += 3) {
            const unsigned a = in[3];
            for (int c = 0; c < 3; ++c)
                row[c] = std::uint8_t((in[c] * a + 255 * (255 - a) + 127) / 255);
        }
    }
    return picture;
}

Bitmap ReadWebpFile(const std::string& path) {
    return DecodeWebp(ReadPictureBytes(path).Span());
}

}  // namespace curvana
