#include "platform/TiffReader.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include <tiffio.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "platform/FileBytes.h"
#include "platform/FormatError.h"

// libtiff reads the file through callbacks over the bytes in memory, which it also sees as a
// mapped file, so that it takes the compressed data straight from them. Its messages go to a
// handler of the open file (the first error becomes the reason of the failure); its global
// handlers, which would print to stderr, are silenced once.
//
// The common layouts (one sample per pixel, or interleaved samples, rows from the top left) are
// converted here row by row, so that palette and grey pictures stay indexed. Anything else
// (separate planes, other orientations, YCbCr without JPEG, CIE L*a*b*, ...) goes through
// libtiff's own RGBA conversion, in bands of rows. A large picture of the common layouts stored in
// many strips or rows of tiles is decoded by several threads at once, each over a handle of its own.

namespace curvana {

namespace {

struct MemoryFile {
    const std::uint8_t* data;
    std::uint64_t size;
    std::uint64_t pos = 0;
    std::string error;  // libtiff's first error message
};

MemoryFile& File(thandle_t handle) {
    return *static_cast<MemoryFile*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size) {
    MemoryFile& f = File(handle);
    if (size <= 0 || f.pos >= f.size) return 0;
    const std::uint64_t n = std::min<std::uint64_t>(std::uint64_t(size), f.size - f.pos);
    std::memcpy(buffer, f.data + f.pos, n);
    f.pos += n;
    return tmsize_t(n);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
    MemoryFile& f = File(handle);
    std::uint64_t base = whence == SEEK_CUR ? f.pos : whence == SEEK_END ? f.size : 0;
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return toff_t(-1);
    if (offset > std::uint64_t(INT64_MAX) - base) return toff_t(-1);
    f.pos = base + offset;
    return f.pos;
}

int CloseProc(thandle_t) {
    return 0;
}

toff_t SizeProc(thandle_t handle) {
    return File(handle).size;
}

int MapProc(thandle_t handle, void** base, toff_t* size) {
    MemoryFile& f = File(handle);
    *base = const_cast<std::uint8_t*>(f.data);  // opened for reading: libtiff never writes to it
    *size = f.size;
    return 1;
}

void UnmapProc(thandle_t, void*, toff_t) {}

int KeepError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* f = static_cast<MemoryFile*>(user);
    if (f->error.empty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        f->error = text;
    }
    return 1;
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

void SilenceGlobalHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

// Single allocations libtiff makes for one file (strip and tile buffers, tag arrays) stay below this.
constexpr tmsize_t kLibtiffMaxAllocation = tmsize_t(1) << 30;

// An open TIFF file over bytes in memory.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> data) : file_{data.data(), data.size(), 0, {}} {
        SilenceGlobalHandlers();
        std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(),
                                                                             TIFFOpenOptionsFree);
        if (!options) throw std::bad_alloc();
        TIFFOpenOptionsSetErrorHandlerExtR(options.get(), KeepError, &file_);
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), IgnoreWarning, nullptr);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kLibtiffMaxAllocation);
        tif_ = TIFFClientOpenExt("TIFF picture", "r", &file_, ReadProc, WriteProc, SeekProc, CloseProc,
                                 SizeProc, MapProc, UnmapProc, options.get());
        if (!tif_) Fail("not a readable TIFF file");
    }
    ~Reader() {
        if (tif_) TIFFClose(tif_);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    TIFF* Get() const { return tif_; }
    std::uint64_t FileSize() const { return file_.size; }

    // Throws FormatError with libtiff's first error, or `fallback` when it gave none.
    [[noreturn]] void Fail(const std::string& fallback) const {
        if (file_.error.empty()) throw FormatError(fallback);
        throw FormatError(fallback + ": " + file_.error);
    }

  private:
    MemoryFile file_;
    TIFF* tif_ = nullptr;
};

int PageCount(const Reader& reader) {
    const tdir_t count = TIFFNumberOfDirectories(reader.Get());
    return int(std::clamp<tdir_t>(count, 1, 1 << 30));
}

std::uint8_t From16(std::uint32_t v) {
    return std::uint8_t((v * 255 + 32767) / 65535);
}

std::uint8_t OverWhite(unsigned c, unsigned a, bool premultiplied) {
    if (premultiplied) return std::uint8_t(std::min(255u, c + 255 - a));
    return std::uint8_t((c * a + 255 * (255 - a) + 127) / 255);
}

// How the samples of a row become the picture's pixels.
enum class Conversion {
    CopyIndices,  // 1, 4 or 8-bit indices or grey levels, one sample per pixel
    Expand2To4,   // 2-bit indices or grey levels into 4-bit ones
    GreyToIndex,  // 8 or 16-bit grey (every `samples`-th sample) into 8-bit grey indices
    Colour,       // RGB, CMYK, grey or palette with alpha into blue, green, red
};

struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bits = 0;     // per sample
    std::uint16_t samples = 0;  // per pixel
    std::uint16_t photometric = 0;
    Conversion conversion = Conversion::Colour;
    int alpha = -1;  // index of the alpha sample, or -1
    bool premultiplied = false;
    std::vector<RgbQuad> palette;  // of an indexed picture, and the colour map for Colour
};

// The colour map of a palette picture. Maps whose values all lie below 256 are 8-bit maps written
// by old programs; the others hold 16-bit values.
std::vector<RgbQuad> ColourMap(TIFF* tif, int bits) {
    std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue))
        throw FormatError("the TIFF palette picture has no colour map");
    const std::size_t n = std::size_t(1) << bits;
    bool eightBit = true;
    for (std::size_t i = 0; i < n; ++i)
        eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
    std::vector<RgbQuad> palette(n);
    for (std::size_t i = 0; i < n; ++i) {
        auto value = [eightBit](std::uint16_t v) { return eightBit ? std::uint8_t(v) : From16(v); };
        palette[i] = RgbQuad{value(blue[i]), value(green[i]), value(red[i]), 0};
    }
    return palette;
}

std::vector<RgbQuad> GreyRamp(int bits, bool minIsWhite) {
    const unsigned levels = 1u << bits;
    std::vector<RgbQuad> ramp(levels);
    for (unsigned i = 0; i < levels; ++i) {
        const auto v = std::uint8_t(((minIsWhite ? levels - 1 - i : i) * 255) / (levels - 1));
        ramp[i] = RgbQuad{v, v, v, 0};
    }
    return ramp;
}

// The layout of the current page when it is one the rows can be converted from directly; false
// when libtiff's RGBA conversion has to do it.
bool DirectLayout(TIFF* tif, Layout& l) {
    std::uint16_t planar = PLANARCONFIG_CONTIG, orientation = ORIENTATION_TOPLEFT, compression = 0;
    std::uint16_t extraCount = 0;
    std::uint16_t* extra = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    if (orientation != ORIENTATION_TOPLEFT) return false;
    if (planar != PLANARCONFIG_CONTIG && l.samples > 1) return false;
    if (l.bits != 1 && l.bits != 2 && l.bits != 4 && l.bits != 8 && l.bits != 16) return false;
    if (extraCount > l.samples) return false;
    // Tiles must start on a byte of the picture's rows (the standard's tiles are 16-pixel multiples).
    std::uint32_t tileWidth = 0;
    if (TIFFIsTiled(tif) && l.bits < 8 &&
        (!TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth) || tileWidth % 8 != 0))
        return false;

    const int colours = l.samples - extraCount;
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric)) {
        if (colours == 1)
            l.photometric = (compression == COMPRESSION_CCITTRLE || compression == COMPRESSION_CCITTRLEW ||
                             compression == COMPRESSION_CCITTFAX3 || compression == COMPRESSION_CCITTFAX4)
                                ? PHOTOMETRIC_MINISWHITE
                                : PHOTOMETRIC_MINISBLACK;
        else if (colours == 3)
            l.photometric = PHOTOMETRIC_RGB;
        else
            return false;
    }
    // The first extra sample is alpha when it says so; one of unspecified meaning after three or
    // more colour samples is taken as premultiplied alpha, as libtiff's RGBA conversion does.
    if (extraCount > 0 && l.photometric != PHOTOMETRIC_SEPARATED) {
        if (extra[0] == EXTRASAMPLE_ASSOCALPHA || extra[0] == EXTRASAMPLE_UNASSALPHA ||
            (extra[0] == EXTRASAMPLE_UNSPECIFIED && l.samples > 3)) {
            l.alpha = colours;
            l.premultiplied = extra[0] != EXTRASAMPLE_UNASSALPHA;
        }
    }

    switch (l.photometric) {
        case PHOTOMETRIC_MINISBLACK:
        case PHOTOMETRIC_MINISWHITE: {
            if (colours != 1) return false;
            const bool white = l.photometric == PHOTOMETRIC_MINISWHITE;
            if (l.alpha >= 0) {
                if (l.bits < 8) return false;
                l.conversion = Conversion::Colour;
            } else if (l.bits >= 8) {
                l.conversion = Conversion::GreyToIndex;
                l.palette = GreyRamp(8, white);
            } else {
                if (l.samples != 1) return false;
                l.conversion = l.bits == 2 ? Conversion::Expand2To4 : Conversion::CopyIndices;
                l.palette = GreyRamp(l.bits, white);
            }
            return true;
        }
        case PHOTOMETRIC_PALETTE:
            if (colours != 1 || l.bits > 8) return false;
            l.palette = ColourMap(tif, l.bits);
            if (l.alpha >= 0) {
                if (l.bits != 8) return false;
                l.conversion = Conversion::Colour;
            } else {
                if (l.samples != 1) return false;
                l.conversion = l.bits == 2 ? Conversion::Expand2To4 : Conversion::CopyIndices;
            }
            return true;
        case PHOTOMETRIC_YCBCR:
            // JPEG data: libjpeg turns it into RGB.
            if (compression != COMPRESSION_JPEG || colours != 3 || l.bits != 8) return false;
            if (!TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB)) return false;
            l.photometric = PHOTOMETRIC_RGB;
            [[fallthrough]];
        case PHOTOMETRIC_RGB:
            if (colours != 3 || l.bits < 8) return false;
            l.conversion = Conversion::Colour;
            return true;
        case PHOTOMETRIC_SEPARATED: {
            std::uint16_t inks = INKSET_CMYK;
            TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inks);
            if (inks != INKSET_CMYK || l.samples < 4 || l.bits < 8) return false;
            l.alpha = -1;
            l.conversion = Conversion::Colour;
            return true;
        }
        default:
            return false;
    }
}

PixelFormat OutputFormat(const Layout& l) {
    switch (l.conversion) {
        case Conversion::CopyIndices:
            return PixelFormat::Indexed(l.bits);
        case Conversion::Expand2To4:
            return PixelFormat::Indexed(4);
        case Conversion::GreyToIndex:
            return PixelFormat::Indexed(8);
        case Conversion::Colour:
            break;
    }
    return PixelFormat::Rgb24();
}

template <typename Sample>
void ConvertColour(const Layout& l, const Sample* s, std::uint32_t count, std::uint8_t* out) {
    auto eight = [](Sample v) -> unsigned {
        if constexpr (sizeof(Sample) == 1)
            return v;
        else
            return From16(v);
    };
    const std::size_t step = l.samples;
    for (std::uint32_t x = 0; x < count; ++x, s += step, out += 3) {
        unsigned r, g, b;
        switch (l.photometric) {
            case PHOTOMETRIC_RGB:
                r = eight(s[0]), g = eight(s[1]), b = eight(s[2]);
                break;
            case PHOTOMETRIC_SEPARATED: {
                // As libtiff's RGBA conversion turns ink into light.
                const unsigned k = 255 - eight(s[3]);
                r = k * (255 - eight(s[0])) / 255;
                g = k * (255 - eight(s[1])) / 255;
                b = k * (255 - eight(s[2])) / 255;
                break;
            }
            case PHOTOMETRIC_PALETTE: {
                const RgbQuad& q = l.palette[std::size_t(s[0]) & 0xFF];
                r = q.red, g = q.green, b = q.blue;
                break;
            }
            default:  // grey
                r = g = b = l.photometric == PHOTOMETRIC_MINISWHITE ? 255 - eight(s[0]) : eight(s[0]);
                break;
        }
        if (l.alpha >= 0) {
            const unsigned a = eight(s[l.alpha]);
            r = OverWhite(r, a, l.premultiplied);
            g = OverWhite(g, a, l.premultiplied);
            b = OverWhite(b, a, l.premultiplied);
        }
        out[0] = std::uint8_t(b);
        out[1] = std::uint8_t(g);
        out[2] = std::uint8_t(r);
    }
}

// Red, green, blue samples to the picture's blue, green, red, one pixel at a time.
void SwapRedBlue(const std::uint8_t* in, std::uint32_t count, std::uint8_t* out) {
    for (std::uint32_t x = 0; x < count; ++x, in += 3, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
    }
}

#if defined(__x86_64__)
// The same five pixels at a time with one byte shuffle, where the processor has it (SSSE3). Each
// step reads and writes 16 bytes, one past the five pixels; that byte is the next pixel's first,
// which the next step or the pixel-wise tail writes again, and the steps stop while 16 bytes remain.
__attribute__((target("ssse3"))) void SwapRedBlueWide(const std::uint8_t* in, std::uint32_t count,
                                                      std::uint8_t* out) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    std::uint32_t x = 0;
    for (; x + 6 <= count; x += 5, in += 15, out += 15) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(v, order));
    }
    SwapRedBlue(in, count - x, out);
}

const bool kHaveShuffle = __builtin_cpu_supports("ssse3");
#endif

// Converts `count` pixels of decoded samples into the picture's row at `out` (the byte of the
// first of them; rows of tiles start on a byte in both).
void ConvertRow(const Layout& l, const std::uint8_t* in, std::uint32_t count, std::uint8_t* out) {
    switch (l.conversion) {
        case Conversion::CopyIndices: {
            const std::size_t bits = std::size_t(count) * l.bits;
            std::memcpy(out, in, bits / 8);
            if (bits % 8) {  // keep the bits after the last pixel as they were
                const auto mask = std::uint8_t(0xFF00u >> (bits % 8));
                out[bits / 8] = std::uint8_t((out[bits / 8] & ~mask) | (in[bits / 8] & mask));
            }
            break;
        }
        case Conversion::Expand2To4:
            for (std::uint32_t x = 0; x < count; ++x) {
                const unsigned v = (in[x / 4] >> (6 - 2 * (x % 4))) & 3u;
                out[x / 2] = std::uint8_t(x % 2 ? (out[x / 2] & 0xF0) | v : (out[x / 2] & 0x0F) | (v << 4));
            }
            break;
        case Conversion::GreyToIndex:
            if (l.bits == 8) {
                for (std::uint32_t x = 0; x < count; ++x)
                    out[x] = in[std::size_t(x) * l.samples];
            } else {
                const auto* s = reinterpret_cast<const std::uint16_t*>(in);
                for (std::uint32_t x = 0; x < count; ++x)
                    out[x] = From16(s[std::size_t(x) * l.samples]);
            }
            break;
        case Conversion::Colour:
            if (l.bits == 8 && l.photometric == PHOTOMETRIC_RGB &&
                l.alpha < 0) {  // the common case, kept tight
                const std::size_t step = l.samples;
                if (step == 3) {
#if defined(__x86_64__)
                    if (kHaveShuffle) {
                        SwapRedBlueWide(in, count, out);
                        break;
                    }
#endif
                    SwapRedBlue(in, count, out);
                    break;
                }
                for (std::uint32_t x = 0; x < count; ++x, in += step, out += 3) {
                    out[0] = in[2];
                    out[1] = in[1];
                    out[2] = in[0];
                }
            } else if (l.bits == 8)
                ConvertColour(l, in, count, out);
            else
                ConvertColour(l, reinterpret_cast<const std::uint16_t*>(in), count, out);
            break;
    }
}

std::string SizeText(std::uint32_t width, std::uint32_t height) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

// How many bytes of pixels the compressed data of a scheme can stand for at most, per byte; 0 for
// schemes that set no useful bound (fax codes, LZMA, ...).
std::uint64_t MaxExpansion(std::uint16_t compression) {
    switch (compression) {
        case COMPRESSION_NONE:
            return 1;
        case COMPRESSION_PACKBITS:
            return 128;
        case COMPRESSION_LZW:
        case COMPRESSION_ADOBE_DEFLATE:
        case COMPRESSION_DEFLATE:
        case COMPRESSION_JPEG:
            return 4096;
        default:
            return 0;
    }
}

// Refuses a page whose stored data is far too little for its pixels, before the picture's memory
// is taken: a few bytes must not make the program set aside hundreds of megabytes.
void CheckDataAgainstSize(const Reader& reader, std::uint64_t decodedBytes) {
    TIFF* tif = reader.Get();
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    const std::uint64_t expansion = MaxExpansion(compression);
    if (expansion == 0) return;
    const std::uint32_t chunks = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    std::uint64_t stored = 0;
    for (std::uint32_t i = 0; i < chunks && stored < reader.FileSize(); ++i)
        stored += std::min(TIFFGetStrileByteCount(tif, i), reader.FileSize());
    stored = std::min(stored, reader.FileSize());
    if (decodedBytes / expansion > stored + 4096)
        throw FormatError("the TIFF file ends inside the image data");
}

// The tiles of a page, checked.
struct Tiles {
    std::uint32_t width = 0, height = 0;
    tmsize_t size = 0;     // bytes of a decoded tile
    tmsize_t rowSize = 0;  // bytes of one of its rows
};

Tiles TilesOf(const Reader& reader, const Layout& l) {
    TIFF* tif = reader.Get();
    Tiles t;
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &t.width);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &t.height);
    t.size = TIFFTileSize(tif);
    t.rowSize = TIFFTileRowSize(tif);
    const std::uint64_t tilePixels = std::uint64_t(t.width) * t.height;
    if (t.width == 0 || t.height == 0 || t.size <= 0 || t.rowSize <= 0 ||
        tilePixels > std::max<std::uint64_t>(std::uint64_t(1) << 22, 4 * std::uint64_t(l.width) * l.height))
        reader.Fail("the TIFF picture's tiles have no valid size");
    return t;
}

// Decodes the row of tiles that starts at picture row y into the picture's rows, through `tile`
// (of at least t.size bytes).
void ReadTileRow(const Reader& reader, const Layout& l, const Tiles& t, std::uint32_t y,
                 std::vector<std::uint8_t>& tile, Bitmap& picture) {
    TIFF* tif = reader.Get();
    const int outBits = picture.Format().bitsPerPixel;
    const std::uint32_t rows = std::min(t.height, l.height - y);
    for (std::uint32_t x = 0; x < l.width; x += t.width) {
        std::fill(tile.begin(), tile.end(), std::uint8_t(0));  // see ReadDirect
        if (TIFFReadEncodedTile(tif, TIFFComputeTile(tif, x, y, 0, 0), tile.data(), t.size) < 0)
            reader.Fail("cannot decode the TIFF picture");
        const std::uint32_t count = std::min(t.width, l.width - x);
        const std::size_t outOffset = std::size_t(x) * std::size_t(outBits) / 8;
        for (std::uint32_t r = 0; r < rows; ++r)
            ConvertRow(l, tile.data() + std::size_t(r) * std::size_t(t.rowSize), count,
                       picture.Row(int(y + r)) + outOffset);
    }
}

// The parts of a page that decode on their own, each a run of whole rows: its strips, or its rows
// of tiles.
struct Units {
    bool tiled = false;
    std::uint32_t count = 0;  // 0: the rows are read one after the other
    std::uint32_t rows = 0;   // picture rows in each (the last may have fewer)
};

// Strips are decoded whole, so their buffer must stay small; otherwise (a picture in one strip, as
// some scanners write it) rows are read one by one.
constexpr tmsize_t kLargestStrip = tmsize_t(8) << 20;

Units UnitsOf(TIFF* tif, const Layout& l) {
    Units u;
    u.tiled = TIFFIsTiled(tif);
    if (u.tiled) {
        if (!TIFFGetField(tif, TIFFTAG_TILELENGTH, &u.rows)) return {};
    } else {
        u.rows = l.height;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &u.rows);
        const tmsize_t stripSize = TIFFStripSize(tif);
        if (stripSize <= 0 || stripSize > kLargestStrip) return {};
    }
    if (u.rows == 0) return {};
    u.rows = std::min(u.rows, l.height);
    u.count = (l.height - 1) / u.rows + 1;
    return u;
}

// Decodes units, taking the next one from `next` until none is left; `current` is the one being
// decoded, for the caller to know which failed.
void ReadUnits(const Reader& reader, const Layout& l, const Units& u, std::atomic<std::uint32_t>& next,
               std::uint32_t& current, Bitmap& picture) {
    TIFF* tif = reader.Get();
    if (u.tiled) {
        const Tiles t = TilesOf(reader, l);
        std::vector<std::uint8_t> tile(std::size_t(t.size) + 8);
        while ((current = next.fetch_add(1)) < u.count)
            ReadTileRow(reader, l, t, current * u.rows, tile, picture);
        return;
    }
    const tmsize_t lineSize = TIFFScanlineSize(tif);
    const tmsize_t stripSize = TIFFStripSize(tif);
    if (lineSize <= 0 || stripSize < lineSize) reader.Fail("the TIFF picture's rows have no valid size");
    std::vector<std::uint8_t> strip(std::size_t(stripSize) + 8);
    while ((current = next.fetch_add(1)) < u.count) {
        const std::uint32_t y = current * u.rows, rows = std::min(u.rows, l.height - y);
        std::fill(strip.begin(), strip.end(), std::uint8_t(0));  // see ReadDirect
        if (TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, y, 0), strip.data(), tmsize_t(rows) * lineSize) <
            0)
            reader.Fail("cannot decode the TIFF picture");
        for (std::uint32_t r = 0; r < rows; ++r)
            ConvertRow(l, strip.data() + std::size_t(r) * std::size_t(lineSize), l.width,
                       picture.Row(int(y + r)));
    }
}

// Decodes the units with `threads` threads, this one among them; each other thread opens the file
// anew (one that cannot leaves the units to the others). They take the units in order, so the
// failure reported is that of the first unit that fails, as when one thread decodes them all.
void ReadUnitsInParallel(std::span<const std::uint8_t> data, int page, const Reader& reader, const Layout& l,
                         const Units& u, unsigned threads, Bitmap& picture) {
    std::atomic<std::uint32_t> next{0};
    std::vector<std::pair<std::uint32_t, std::exception_ptr>> failures(threads, {UINT32_MAX, nullptr});
    auto work = [&](unsigned worker) {
        std::unique_ptr<Reader> own;
        Layout mine = l;
        if (worker > 0) {
            try {
                own = std::make_unique<Reader>(data);
                if ((page > 1 && !TIFFSetDirectory(own->Get(), tdir_t(page - 1))) ||
                    !DirectLayout(own->Get(), mine))
                    return;
            } catch (...) {
                return;
            }
        }
        std::uint32_t current = UINT32_MAX;
        try {
            ReadUnits(own ? *own : reader, mine, u, next, current, picture);
        } catch (...) {
            failures[worker] = {current, std::current_exception()};
        }
    };
    std::vector<std::thread> others;
    try {
        for (unsigned worker = 1; worker < threads; ++worker)
            others.emplace_back(work, worker);
    } catch (const std::system_error&) {
        // No more threads to be had: those started and this one share the units.
    }
    work(0);
    for (std::thread& t : others)
        t.join();
    const auto first = std::min_element(failures.begin(), failures.end(),
                                        [](const auto& a, const auto& b) { return a.first < b.first; });
    if (first->second) std::rethrow_exception(first->second);
}

void ReadDirect(const Reader& reader, const Layout& l, Bitmap& picture) {
    TIFF* tif = reader.Get();
    if (!TIFFIsTiled(tif)) {
        const tmsize_t lineSize = TIFFScanlineSize(tif);
        if (lineSize <= 0) reader.Fail("the TIFF picture's rows have no valid size");
        std::vector<std::uint8_t> line(std::size_t(lineSize) + 8);
        for (std::uint32_t y = 0; y < l.height; ++y) {
            // A damaged stream may end early without an error, having written only part of the
            // buffer: the rest reads as zero rather than as what the row before it left there.
            std::fill(line.begin(), line.end(), std::uint8_t(0));
            if (TIFFReadScanline(tif, line.data(), y, 0) < 0) reader.Fail("cannot decode the TIFF picture");
            ConvertRow(l, line.data(), l.width, picture.Row(int(y)));
        }
        return;
    }
    const Tiles t = TilesOf(reader, l);
    std::vector<std::uint8_t> tile(std::size_t(t.size) + 8);
    for (std::uint32_t y = 0; y < l.height; y += t.height)
        ReadTileRow(reader, l, t, y, tile, picture);
}

// libtiff's RGBA conversion (premultiplied alpha) in bands of rows, composited over white.
void ReadThroughRgba(const Reader& reader, std::uint32_t width, std::uint32_t height, Bitmap& picture) {
    TIFF* tif = reader.Get();
    char message[1024] = "";
    if (!TIFFRGBAImageOK(tif, message))
        throw FormatError(std::string("the TIFF picture's kind is not supported: ") + message);
    TIFFRGBAImage image;
    if (!TIFFRGBAImageBegin(&image, tif, 1, message))
        throw FormatError(std::string("the TIFF picture's kind is not supported: ") + message);
    std::unique_ptr<TIFFRGBAImage, void (*)(TIFFRGBAImage*)> end(&image, TIFFRGBAImageEnd);
    image.req_orientation = ORIENTATION_TOPLEFT;
    const bool bottomUp =
        image.orientation == ORIENTATION_BOTLEFT || image.orientation == ORIENTATION_BOTRIGHT ||
        image.orientation == ORIENTATION_LEFTBOT || image.orientation == ORIENTATION_RIGHTBOT;
    const std::uint32_t band = std::clamp<std::uint32_t>((1u << 22) / width, 1, height);
    std::vector<std::uint32_t> raster(std::size_t(width) * band);
    for (std::uint32_t y0 = 0; y0 < height; y0 += band) {
        const std::uint32_t n = std::min(band, height - y0);
        image.row_offset = int(y0);
        image.col_offset = 0;
        if (!TIFFRGBAImageGet(&image, raster.data(), width, n)) reader.Fail("cannot decode the TIFF picture");
        for (std::uint32_t i = 0; i < n; ++i) {
            // Band rows are the file's rows y0.. in the order asked for.
            const std::uint32_t row = bottomUp ? height - y0 - n + i : y0 + i;
            const std::uint32_t* in = raster.data() + std::size_t(i) * width;
            std::uint8_t* out = picture.Row(int(row));
            for (std::uint32_t x = 0; x < width; ++x, out += 3) {
                const std::uint32_t p = in[x];
                const unsigned a = TIFFGetA(p);
                out[0] = OverWhite(TIFFGetB(p), a, true);
                out[1] = OverWhite(TIFFGetG(p), a, true);
                out[2] = OverWhite(TIFFGetR(p), a, true);
            }
        }
    }
}

// Threads worth starting for a page of `pixels` pixels in `units` parts: one a megapixel, at
// most four (the decoders then wait on memory more than on each other), and never idle.
unsigned ThreadsFor(std::uint64_t pixels, std::uint32_t units, int asked) {
    const unsigned machine = std::max(1u, std::thread::hardware_concurrency());
    const std::uint64_t wanted =
        asked > 0 ? std::uint64_t(asked) : std::min<std::uint64_t>({machine, 4, 1 + pixels / (1u << 20)});
    return unsigned(std::min<std::uint64_t>(wanted, units));
}

Bitmap DecodePage(std::span<const std::uint8_t> data, const Reader& reader, int page, int threads) {
    TIFF* tif = reader.Get();
    const int pages = PageCount(reader);
    if (page < 1 || page > pages)
        throw FormatError("the TIFF file has no page " + std::to_string(page) + " (it has " +
                          std::to_string(pages) + ")");
    if (page > 1 && !TIFFSetDirectory(tif, tdir_t(page - 1)))
        reader.Fail("cannot read page " + std::to_string(page) + " of the TIFF file");

    Layout l;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width) ||
        !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height))
        throw FormatError("the TIFF picture has no size");
    if (l.width == 0 || l.height == 0) throw FormatError("the TIFF picture has no pixels");
    if (std::uint64_t(l.width) * l.height > std::uint64_t(Bitmap::kMaxPixels) || l.width > INT32_MAX ||
        l.height > INT32_MAX)
        throw FormatError("the TIFF picture is too large: " + SizeText(l.width, l.height));
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (!TIFFIsCODECConfigured(compression))
        throw FormatError("the TIFF compression scheme " + std::to_string(compression) + " is not supported");
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samples);
    if (l.samples == 0) throw FormatError("the TIFF picture has no samples");

    const bool direct = DirectLayout(tif, l);
    const PixelFormat format = direct ? OutputFormat(l) : PixelFormat::Rgb24();
    const std::uint64_t rowBytes = (std::uint64_t(l.width) * l.samples * l.bits + 7) / 8;
    CheckDataAgainstSize(reader, rowBytes * l.height);
    Bitmap picture;
    try {
        picture = Bitmap(int(l.width), int(l.height), format);
    } catch (const std::bad_alloc&) {
        throw FormatError("not enough memory for a TIFF picture of " + SizeText(l.width, l.height));
    }
    if (format.IsIndexed()) picture.SetPalette(l.palette);
    const Units units = direct ? UnitsOf(tif, l) : Units{};
    const unsigned workers = ThreadsFor(std::uint64_t(l.width) * l.height, units.count, threads);
    if (direct && workers > 1)
        ReadUnitsInParallel(data, page, reader, l, units, workers, picture);
    else if (direct)
        ReadDirect(reader, l, picture);
    else
        ReadThroughRgba(reader, l.width, l.height, picture);
    return picture;
}

}  // namespace

int TiffPageCount(std::span<const std::uint8_t> data) {
    try {
        Reader reader(data);
        return PageCount(reader);
    } catch (const std::bad_alloc&) {
        throw FormatError("not enough memory to read the TIFF file");
    }
}

Bitmap DecodeTiff(std::span<const std::uint8_t> data, int page, int threads) {
    try {
        Reader reader(data);
        return DecodePage(data, reader, page, threads);
    } catch (const std::bad_alloc&) {
        throw FormatError("not enough memory to read the TIFF file");
    }
}

int TiffFilePageCount(const std::string& path) {
    const FileBytes file = ReadPictureBytes(path);
    return TiffPageCount(file.Span());
}

Bitmap ReadTiffFile(const std::string& path, int page) {
    const FileBytes file = ReadPictureBytes(path);
    return DecodeTiff(file.Span(), page);
}

}  // namespace curvana
