#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Color.h"

namespace curvana {

// One colour-table entry as a BMP file stores it (blue, green, red, reserved).
struct RgbQuad {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
    bool operator==(const RgbQuad&) const = default;
};

// How a pixel is laid out: 1, 2, 4 or 8 bits indexing the colour table, or 16, 24 or 32 bits of
// colour. 16- and 32-bit pixels are read through their channel masks (a pixel is a little-endian
// word); 24-bit pixels are always blue, green, red bytes.
struct PixelFormat {
    int bitsPerPixel = 24;
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
    std::uint32_t alphaMask = 0;

    static PixelFormat Indexed(int bits);
    static PixelFormat Rgb555();  // 16 bits, the BMP default
    static PixelFormat Rgb565();
    static PixelFormat Rgb24();
    static PixelFormat Bgrx32();    // 32 bits, the BMP default: bytes blue, green, red, unused
    static PixelFormat Raster32();  // the raster's: a RasterPixel per pixel (the same layout as Bgrx32)
    static PixelFormat BitFields(int bits, std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                                 std::uint32_t alpha = 0);

    bool IsIndexed() const { return bitsPerPixel <= 8; }
    // True for the masks a BMP file implies when it gives none (5-5-5 and 8-8-8 without alpha).
    bool HasDefaultMasks() const;
    bool operator==(const PixelFormat&) const = default;
};

// What the BMP header of a picture said, kept so that the picture is written back as it came: the
// header's kind and every field the program itself has no use for. A picture the program makes
// itself has the default: a 40-byte header and bottom-up rows.
struct BmpOrigin {
    std::uint32_t headerSize = 40;  // 12: OS/2 core header; 16 or 64: OS/2 2.x; 40, 52, 56, 108, 124: Windows
    std::vector<std::uint8_t> header;  // the info header as read (headerSize bytes); empty for a made picture
    std::uint32_t compression = 0;     // as the file said; compressed pictures are held uncompressed
    bool topDown = false;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t sizeImage = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
    std::vector<std::uint8_t> profile;  // a version 5 header's embedded profile, or linked profile's name

    bool IsOs2Core() const { return headerSize == 12; }
};

// A picture in the pixel format it was made in. Each row is padded to a multiple of 4 bytes as in a
// BMP file. A picture the program makes holds its rows top row first; a picture read from a file
// may keep the file's rows where they lie, bottom row first.
class Bitmap {
  public:
    static constexpr std::int64_t kMaxPixels = std::int64_t(1) << 28;

    Bitmap() = default;
    // A picture of the given size with every pixel's bits zero. Throws std::length_error for a
    // negative size or one over kMaxPixels pixels, std::bad_alloc when memory runs out.
    Bitmap(int width, int height, PixelFormat format);
    // A picture whose rows already lie in `rows`: ByteSize() bytes, bottom row first when
    // `bottomUp`. The picture shares the block (it may be part of a larger one, such as a whole
    // file's content) and copies it only when written to while someone else holds it too.
    Bitmap(int width, int height, PixelFormat format, std::shared_ptr<std::uint8_t[]> rows, bool bottomUp);
    // Copies share their pixels until one of them is written to (through a non-const Row or
    // SetPixelValue), so copying even a large picture costs nothing up front.
    Bitmap(const Bitmap& other) = default;
    Bitmap& operator=(const Bitmap& other) = default;
    Bitmap(Bitmap&&) noexcept = default;
    Bitmap& operator=(Bitmap&&) noexcept = default;

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    const PixelFormat& Format() const { return format_; }
    std::size_t Stride() const { return stride_; }
    std::size_t ByteSize() const { return stride_ * std::size_t(height_); }
    static std::size_t StrideFor(int width, int bitsPerPixel);

    std::uint8_t* Row(int y) {
        if (bits_.use_count() > 1) Detach();
        return bits_.get() + RowOffset(y);
    }
    const std::uint8_t* Row(int y) const { return bits_.get() + RowOffset(y); }
    // The rows as one block of ByteSize() bytes, in the order RowsBottomUp() gives.
    const std::uint8_t* Rows() const { return bits_.get(); }
    bool RowsBottomUp() const { return bottomUp_; }
    // Gives the picture rows of its own, top row first and aligned for word access, as drawing on
    // it as a raster needs.
    void MakeRowsTopDown();

    const std::vector<RgbQuad>& Palette() const { return palette_; }
    void SetPalette(std::vector<RgbQuad> palette);

    BmpOrigin& Origin() { return origin_; }
    const BmpOrigin& Origin() const { return origin_; }

    // The raw value of a pixel in its own format: the colour index, or the packed 16-, 24- or
    // 32-bit word. Coordinates must lie inside the picture.
    std::uint32_t PixelValue(int x, int y) const;
    void SetPixelValue(int x, int y, std::uint32_t value);

    // The colour of a pixel. An index beyond the colour table gives black.
    TColor PixelColor(int x, int y) const;
    // Pixels x0 .. x0 + count - 1 of row y as raster pixels; the range must lie inside the picture.
    void ConvertRow(int y, int x0, int count, RasterPixel* out) const;

  private:
    struct Channel {
        std::uint32_t mask = 0;
        int shift = 0;
        std::uint32_t max = 0;  // mask >> shift
    };

    void PrepareConversion();
    void Detach();
    std::size_t RowOffset(int y) const { return std::size_t(bottomUp_ ? height_ - 1 - y : y) * stride_; }
    TColor ColorOfValue(std::uint32_t value) const;

    int width_ = 0;
    int height_ = 0;
    PixelFormat format_;
    std::size_t stride_ = 0;
    std::shared_ptr<std::uint8_t[]> bits_;
    bool bottomUp_ = false;
    std::vector<RgbQuad> palette_;
    BmpOrigin origin_;

    // Conversion to colours, prepared from the format and the colour table.
    std::vector<RasterPixel> indexColors_;  // one per possible index (2^bits entries)
    Channel red_, green_, blue_;
};

}  // namespace curvana
