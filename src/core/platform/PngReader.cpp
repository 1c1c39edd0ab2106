#include "platform/PngReader.h"

#include "platform/FileBytes.h"
#include "platform/FormatError.h"

#include <spng.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <utility>
#include <vector>

// libspng reads the file, checks every chunk's CRC and the Adler-32 sum of the image data, undoes
// the filters and the Adam7 interlacing, and hands us one row at a time. The row goes straight
// into the picture where its pixels need no change (palette indexes, 8-bit grey, RGB), or through
// one row of scratch where they are composited or narrowed. Colour-space chunks (gAMA, cHRM,
// sRGB, iCCP) and sBIT are not applied: every sample is shown as the file stores it.

namespace curvana {

namespace {

// What ancillary chunks may cost: text and colour profiles are kept by the library while it reads.
constexpr std::size_t kChunkSizeLimit = std::size_t(1) << 26;
constexpr std::size_t kChunkCacheLimit = std::size_t(1) << 27;

// Deflate writes at least two bits for a match of 258 bytes, so one byte of image data unpacks
// to at most 1032 bytes.
constexpr std::uint64_t kMaxInflateRatio = 1032;

// Adam7: first column and column step of each pass.
constexpr int kPassColumn[7] = {0, 4, 0, 2, 0, 1, 0};
constexpr int kPassColumnStep[7] = {8, 8, 4, 4, 2, 2, 1};

struct ContextFree {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using Context = std::unique_ptr<spng_ctx, ContextFree>;

std::string Reason(int error) {
    switch (error) {
        case SPNG_IO_EOF:
        case SPNG_EOF:
            return "the file ends early";
        case SPNG_EIDAT_TOO_SHORT:
            return "the file ends inside the image data";
        case SPNG_EMEM:
        case SPNG_ECHUNK_LIMITS:
            return "the file asks for too much memory";
        default:
            return std::string("cannot decode the PNG picture: ") + spng_strerror(error);
    }
}

void Check(int error) {
    if (error != 0) throw FormatError(Reason(error));
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// The bytes of all IDAT chunks, walking the chunks from the signature until IEND or the first chunk
// that does not fit (which the library then reports).
std::uint64_t ImageDataBytes(std::span<const std::uint8_t> data) {
    std::uint64_t total = 0;
    for (std::size_t at = 8; data.size() >= 12 && at <= data.size() - 12;) {
        const std::uint32_t length = BigEndian32(&data[at]);
        if (length > data.size() - 12 - at) break;
        if (std::memcmp(&data[at + 4], "IDAT", 4) == 0) total += length;
        if (std::memcmp(&data[at + 4], "IEND", 4) == 0) break;
        at += 12 + std::size_t(length);
    }
    return total;
}

// How a row of the file becomes a row of the picture.
enum class Path {
    Indexed,   // palette indexes or 8-bit grey, as the file stores them
    Indexed2,  // 2-bit palette indexes, widened to 4 bits
    Rgb,       // red, green, blue bytes, turned into blue, green, red in place
    Rgba8,     // 8-bit red, green, blue, alpha in scratch, composited over white
    Rgba16,    // the same with 16-bit samples, narrowed first
};

struct Plan {
    Path path = Path::Rgba8;
    PixelFormat format = PixelFormat::Rgb24();
    int decodeFormat = SPNG_FMT_RGBA8;
    int decodeFlags = SPNG_DECODE_TRNS;
    std::vector<RgbQuad> palette;
};

Plan ChoosePlan(spng_ctx* ctx, const spng_ihdr& ihdr) {
    Plan plan;
    if (ihdr.bit_depth == 16) {
        plan.path = Path::Rgba16;
        plan.decodeFormat = SPNG_FMT_RGBA16;
        return plan;
    }
    spng_trns trns{};
    const int trnsError = spng_get_trns(ctx, &trns);
    if (trnsError != 0 && trnsError != SPNG_ECHUNKAVAIL) Check(trnsError);
    const bool hasTrns = trnsError == 0;

    if (ihdr.color_type == SPNG_COLOR_TYPE_INDEXED) {
        spng_plte plte{};
        Check(spng_get_plte(ctx, &plte));
        const bool transparent =
            hasTrns && std::any_of(trns.type3_alpha, trns.type3_alpha + trns.n_type3_entries,
                                   [](std::uint8_t a) { return a < 255; });
        if (transparent) return plan;
        const int bits = ihdr.bit_depth == 2 ? 4 : ihdr.bit_depth;
        plan.path = ihdr.bit_depth == 2 ? Path::Indexed2 : Path::Indexed;
        plan.format = PixelFormat::Indexed(bits);
        plan.decodeFormat = SPNG_FMT_PNG;
        plan.decodeFlags = 0;
        const std::uint32_t count = std::min<std::uint32_t>(plte.n_entries, 1u << ihdr.bit_depth);
        for (std::uint32_t i = 0; i < count; ++i)
            plan.palette.push_back({plte.entries[i].blue, plte.entries[i].green, plte.entries[i].red, 0});
        return plan;
    }
    if (ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE && ihdr.bit_depth == 8 && !hasTrns) {
        plan.path = Path::Indexed;
        plan.format = PixelFormat::Indexed(8);
        plan.decodeFormat = SPNG_FMT_PNG;
        plan.decodeFlags = 0;
        for (int i = 0; i < 256; ++i)
            plan.palette.push_back({std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0});
        return plan;
    }
    if (ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR && !hasTrns) {
        plan.path = Path::Rgb;
        plan.decodeFormat = SPNG_FMT_RGB8;
        plan.decodeFlags = 0;
    }
    return plan;
}

// Over white, rounded to the nearest level (255 is odd, so there are no ties).
inline std::uint8_t OverWhite(unsigned value, unsigned alpha) {
    return std::uint8_t((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

inline unsigned Narrow(std::uint16_t value) {
    return (unsigned(value) * 255 + 32767) / 65535;
}

// Moves the pixels of one decoded row (columns first, first + step, ...) into the picture's row.
void ConvertRow(Path path, const std::uint16_t* scratch, std::uint8_t* out, int width, int first, int step) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(scratch);
    switch (path) {
        case Path::Indexed:
            return;
        case Path::Indexed2:
            for (int x = first; x < width; x += step) {
                const unsigned index = (bytes[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
                const int shift = (x & 1) ? 0 : 4;
                out[x >> 1] = std::uint8_t((out[x >> 1] & ~(15u << shift)) | (index << shift));
            }
            return;
        case Path::Rgb:
            for (int x = first; x < width; x += step)
                std::swap(out[3 * x], out[3 * x + 2]);
            return;
        case Path::Rgba8:
            for (int x = first; x < width; x += step) {
                const std::uint8_t* p = bytes + 4 * std::size_t(x);
                std::uint8_t* q = out + 3 * std::size_t(x);
                q[0] = OverWhite(p[2], p[3]);
                q[1] = OverWhite(p[1], p[3]);
                q[2] = OverWhite(p[0], p[3]);
            }
            return;
        case Path::Rgba16: {
            for (int x = first; x < width; x += step) {
                const std::uint16_t* p = scratch + 4 * std::size_t(x);
                std::uint8_t* q = out + 3 * std::size_t(x);
                const unsigned alpha = Narrow(p[3]);
                q[0] = OverWhite(Narrow(p[2]), alpha);
                q[1] = OverWhite(Narrow(p[1]), alpha);
                q[2] = OverWhite(Narrow(p[0]), alpha);
            }
            return;
        }
    }
}

}  // namespace

Bitmap DecodePng(std::span<const std::uint8_t> data) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (data.size() < 8 || std::memcmp(data.data(), kSignature, 8) != 0) throw FormatError("not a PNG file");
    Context ctx(spng_ctx_new(0));
    if (!ctx) throw FormatError("not enough memory to read a PNG file");
    Check(spng_set_png_buffer(ctx.get(), data.data(), data.size()));
    Check(spng_set_chunk_limits(ctx.get(), kChunkSizeLimit, kChunkCacheLimit));

    spng_ihdr ihdr{};
    Check(spng_get_ihdr(ctx.get(), &ihdr));
    const std::string size = std::to_string(ihdr.width) + " x " + std::to_string(ihdr.height) + " pixels";
    if (std::uint64_t(ihdr.width) * ihdr.height > std::uint64_t(Bitmap::kMaxPixels))
        throw FormatError("the PNG picture is too large: " + size);
    const int width = int(ihdr.width);
    const int height = int(ihdr.height);

    // The image data must be able to hold the rows it claims before their memory is taken.
    static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    const std::uint64_t bitsPerPixel = std::uint64_t(ihdr.bit_depth) * kChannels[ihdr.color_type % 7];
    const std::uint64_t rowBytes = (std::uint64_t(ihdr.width) * bitsPerPixel + 7) / 8 + 1;
    if (ImageDataBytes(data) * kMaxInflateRatio < rowBytes * ihdr.height)
        throw FormatError("the file ends inside the image data");

    Plan plan = ChoosePlan(ctx.get(), ihdr);
    Check(spng_decode_image(ctx.get(), nullptr, 0, plan.decodeFormat,
                            plan.decodeFlags | SPNG_DECODE_PROGRESSIVE));
    std::size_t imageBytes = 0;
    Check(spng_decoded_image_size(ctx.get(), plan.decodeFormat, &imageBytes));
    const std::size_t decodedRow = imageBytes / ihdr.height;

    Bitmap picture;
    std::vector<std::uint16_t> scratch;  // one decoded row: bytes, or 16-bit samples
    try {
        picture = Bitmap(width, height, plan.format);
        if (plan.path != Path::Indexed && plan.path != Path::Rgb) scratch.resize((decodedRow + 1) / 2);
        picture.SetPalette(std::move(plan.palette));
    } catch (const std::bad_alloc&) {
        throw FormatError("not enough memory for a PNG picture of " + size);
    }

    const bool interlaced = ihdr.interlace_method == SPNG_INTERLACE_ADAM7;
    for (;;) {
        spng_row_info row{};
        int error = spng_get_row_info(ctx.get(), &row);
        if (error == SPNG_EOI) break;
        Check(error);
        std::uint8_t* out = picture.Row(int(row.row_num));
        // Pixels of less than a byte are ORed into the row, so the scratch row must start clear.
        if (plan.path == Path::Indexed2) std::fill(scratch.begin(), scratch.end(), 0);
        void* target = scratch.empty() ? static_cast<void*>(out) : static_cast<void*>(scratch.data());
        error = spng_decode_row(ctx.get(), target, decodedRow);
        if (error != 0 && error != SPNG_EOI) Check(error);
        const int pass = interlaced ? row.pass : 6;
        ConvertRow(plan.path, scratch.data(), out, width, kPassColumn[pass], kPassColumnStep[pass]);
        if (error == SPNG_EOI) break;
    }
    // The checksum of the last image data chunk is read with the chunks after it, up to IEND.
    Check(spng_decode_chunks(ctx.get()));
    return picture;
}

Bitmap ReadPngFile(const std::string& path) {
    return DecodePng(ReadPictureBytes(path).Span());
}

}  // namespace curvana
