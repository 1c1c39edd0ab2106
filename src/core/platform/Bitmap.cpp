#include "platform/Bitmap.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/LargeBlock.h"

namespace curvana {

PixelFormat PixelFormat::Indexed(int bits) {
    PixelFormat f;
    f.bitsPerPixel = bits;
    return f;
}

PixelFormat PixelFormat::Rgb555() {
    return BitFields(16, 0x7C00, 0x03E0, 0x001F);
}
PixelFormat PixelFormat::Rgb565() {
    return BitFields(16, 0xF800, 0x07E0, 0x001F);
}

PixelFormat PixelFormat::Rgb24() {
    PixelFormat f;
    f.bitsPerPixel = 24;
    return f;
}

PixelFormat PixelFormat::Bgrx32() {
    return BitFields(32, 0x00FF0000, 0x0000FF00, 0x000000FF);
}
PixelFormat PixelFormat::Raster32() {
    return Bgrx32();
}

PixelFormat PixelFormat::BitFields(int bits, std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                                   std::uint32_t alpha) {
    PixelFormat f;
    f.bitsPerPixel = bits;
    f.redMask = red;
    f.greenMask = green;
    f.blueMask = blue;
    f.alphaMask = alpha;
    return f;
}

bool PixelFormat::HasDefaultMasks() const {
    if (bitsPerPixel == 16) return *this == Rgb555();
    if (bitsPerPixel == 32) return *this == Bgrx32();
    return true;
}

std::size_t Bitmap::StrideFor(int width, int bitsPerPixel) {
    return ((std::size_t(width) * std::size_t(bitsPerPixel) + 31) / 32) * 4;
}

namespace {

void CheckShape(int width, int height, const PixelFormat& format) {
    if (width < 0 || height < 0 || std::int64_t(width) * std::int64_t(height) > Bitmap::kMaxPixels)
        throw std::length_error("picture size out of range");
    switch (format.bitsPerPixel) {
        case 1:
        case 2:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            throw std::invalid_argument("unsupported pixel format");
    }
}

}  // namespace

Bitmap::Bitmap(int width, int height, PixelFormat format, std::shared_ptr<std::uint8_t[]> rows, bool bottomUp)
    : format_(format) {
    CheckShape(width, height, format);
    width_ = width;
    height_ = height;
    stride_ = StrideFor(width, format.bitsPerPixel);
    if (ByteSize() > 0) {
        if (!rows) throw std::invalid_argument("picture rows missing");
        bits_ = std::move(rows);
        bottomUp_ = bottomUp;
    }
    PrepareConversion();
}

Bitmap::Bitmap(int width, int height, PixelFormat format) : format_(format) {
    CheckShape(width, height, format);
    width_ = width;
    height_ = height;
    stride_ = StrideFor(width, format.bitsPerPixel);
    if (ByteSize() > 0) {
        bits_ = std::shared_ptr<std::uint8_t[]>(AllocateBlock(ByteSize()));
    }
    PrepareConversion();
}

void Bitmap::Detach() {
    BlockPtr block = AllocateBlock(ByteSize());
    std::memcpy(block.get(), bits_.get(), ByteSize());
    bits_ = std::shared_ptr<std::uint8_t[]>(std::move(block));
}

void Bitmap::MakeRowsTopDown() {
    const bool aligned = reinterpret_cast<std::uintptr_t>(bits_.get()) % alignof(std::uint32_t) == 0;
    if (Empty() || (!bottomUp_ && aligned)) return;
    BlockPtr block = AllocateBlock(ByteSize());
    for (int y = 0; y < height_; ++y)
        std::memcpy(block.get() + std::size_t(y) * stride_, bits_.get() + RowOffset(y), stride_);
    bits_ = std::shared_ptr<std::uint8_t[]>(std::move(block));
    bottomUp_ = false;
}

void Bitmap::SetPalette(std::vector<RgbQuad> palette) {
    palette_ = std::move(palette);
    PrepareConversion();
}

void Bitmap::PrepareConversion() {
    indexColors_.clear();
    if (format_.IsIndexed()) {
        indexColors_.assign(std::size_t(1) << format_.bitsPerPixel, ToRasterPixel(clBlack));
        for (std::size_t i = 0; i < indexColors_.size() && i < palette_.size(); ++i)
            indexColors_[i] = ToRasterPixel(RGB(palette_[i].red, palette_[i].green, palette_[i].blue));
        return;
    }
    auto channel = [](std::uint32_t mask) {
        Channel c;
        c.mask = mask;
        c.shift = mask ? std::countr_zero(mask) : 0;
        c.max = mask >> c.shift;
        return c;
    };
    red_ = channel(format_.redMask);
    green_ = channel(format_.greenMask);
    blue_ = channel(format_.blueMask);
}

TColor Bitmap::ColorOfValue(std::uint32_t value) const {
    if (format_.IsIndexed()) return FromRasterPixel(indexColors_[value & (indexColors_.size() - 1)]);
    if (format_.bitsPerPixel == 24)
        return RGB(std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value));
    // A channel of n bits is scaled to 0..255 with rounding, so that its largest value is full intensity.
    auto scale = [value](const Channel& c) -> std::uint8_t {
        if (c.max == 0) return 0;
        std::uint64_t v = (value & c.mask) >> c.shift;
        if (c.max == 255) return std::uint8_t(v);
        return std::uint8_t((v * 255 + c.max / 2) / c.max);
    };
    return RGB(scale(red_), scale(green_), scale(blue_));
}

std::uint32_t Bitmap::PixelValue(int x, int y) const {
    const std::uint8_t* row = Row(y);
    switch (format_.bitsPerPixel) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1u;
        case 2:
            return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
        case 4:
            return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u;
        case 8:
            return row[x];
        case 16:
            return std::uint32_t(row[2 * x]) | (std::uint32_t(row[2 * x + 1]) << 8);
        case 24:
            return std::uint32_t(row[3 * x]) | (std::uint32_t(row[3 * x + 1]) << 8) |
                   (std::uint32_t(row[3 * x + 2]) << 16);
        default: {
            std::uint32_t v;
            std::memcpy(&v, row + 4 * std::size_t(x), 4);
            return v;  // little-endian host
        }
    }
}

void Bitmap::SetPixelValue(int x, int y, std::uint32_t value) {
    std::uint8_t* row = Row(y);
    switch (format_.bitsPerPixel) {
        case 1: {
            std::uint8_t bit = std::uint8_t(0x80u >> (x & 7));
            row[x >> 3] = (value & 1u) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
            break;
        }
        case 2: {
            int shift = 6 - 2 * (x & 3);
            row[x >> 2] = std::uint8_t((row[x >> 2] & ~(3u << shift)) | ((value & 3u) << shift));
            break;
        }
        case 4: {
            int shift = (x & 1) ? 0 : 4;
            row[x >> 1] = std::uint8_t((row[x >> 1] & ~(15u << shift)) | ((value & 15u) << shift));
            break;
        }
        case 8:
            row[x] = std::uint8_t(value);
            break;
        case 16:
            row[2 * x] = std::uint8_t(value);
            row[2 * x + 1] = std::uint8_t(value >> 8);
            break;
        case 24:
            row[3 * x] = std::uint8_t(value);
            row[3 * x + 1] = std::uint8_t(value >> 8);
            row[3 * x + 2] = std::uint8_t(value >> 16);
            break;
        default:
            std::memcpy(row + 4 * std::size_t(x), &value, 4);
            break;
    }
}

TColor Bitmap::PixelColor(int x, int y) const {
    return ColorOfValue(PixelValue(x, y));
}

void Bitmap::ConvertRow(int y, int x0, int count, RasterPixel* out) const {
    const std::uint8_t* row = Row(y);
    switch (format_.bitsPerPixel) {
        case 8: {
            const std::uint8_t* p = row + x0;
            for (int i = 0; i < count; ++i)
                out[i] = indexColors_[p[i]];
            return;
        }
        case 24: {
            const std::uint8_t* p = row + 3 * std::size_t(x0);
            for (int i = 0; i < count; ++i, p += 3)
                out[i] = RasterPixel(p[0]) | (RasterPixel(p[1]) << 8) | (RasterPixel(p[2]) << 16) | kOpaque;
            return;
        }
        case 32:
            if (format_.redMask == 0x00FF0000 && format_.greenMask == 0x0000FF00 &&
                format_.blueMask == 0x000000FF) {
                // The raster's own layout: a copy with the top byte set.
                const auto* p = reinterpret_cast<const std::uint8_t*>(row) + 4 * std::size_t(x0);
                for (int i = 0; i < count; ++i, p += 4) {
                    RasterPixel v;
                    std::memcpy(&v, p, 4);
                    out[i] = v | kOpaque;
                }
                return;
            }
            if (format_.redMask == 0x000000FF && format_.greenMask == 0x0000FF00 &&
                format_.blueMask == 0x00FF0000) {
                const std::uint8_t* p = row + 4 * std::size_t(x0);
                for (int i = 0; i < count; ++i, p += 4)
                    out[i] =
                        RasterPixel(p[2]) | (RasterPixel(p[1]) << 8) | (RasterPixel(p[0]) << 16) | kOpaque;
                return;
            }
            break;
        default:
            break;
    }
    for (int i = 0; i < count; ++i)
        out[i] = ToRasterPixel(ColorOfValue(PixelValue(x0 + i, y)));
}

}  // namespace curvana
