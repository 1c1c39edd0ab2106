#include "platform/BmpReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/BmpLayout.h"
#include "platform/FileBytes.h"

namespace curvana {

using namespace bmp;

namespace {

// The fields of the info header that decide how the rest of the file is read.
struct InfoHeader {
    std::uint32_t size = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative for top-down rows
    std::uint32_t planes = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
};

InfoHeader ParseInfoHeader(const std::uint8_t* h, std::uint32_t size) {
    InfoHeader info;
    info.size = size;
    if (size == kCoreHeader) {
        info.width = LoadU16(h + 4);
        info.height = LoadU16(h + 6);
        info.planes = LoadU16(h + 8);
        info.bits = LoadU16(h + 10);
        return info;
    }
    info.width = std::int32_t(LoadU32(h + kWidthField));
    info.height = std::int32_t(LoadU32(h + kHeightField));
    info.planes = LoadU16(h + kPlanesField);
    info.bits = LoadU16(h + kBitCountField);
    if (size >= kInfoHeader) {
        info.compression = LoadU32(h + kCompressionField);
        info.sizeImage = LoadU32(h + kSizeImageField);
        info.xPelsPerMeter = std::int32_t(LoadU32(h + kXPelsField));
        info.yPelsPerMeter = std::int32_t(LoadU32(h + kYPelsField));
        info.clrUsed = LoadU32(h + kClrUsedField);
        info.clrImportant = LoadU32(h + kClrImportantField);
    }
    return info;
}

// Refuses bit depths and compressions the program does not read.
void CheckEncoding(const InfoHeader& info) {
    if (info.size == kOs2Header && info.compression == 3)
        throw FormatError("Huffman-compressed BMP pictures are not supported");
    if (info.size == kOs2Header && info.compression == 4)
        throw FormatError("RLE24-compressed BMP pictures are not supported");
    bool ok = false;
    switch (info.compression) {
        case kRgb:
            ok = info.bits == 1 || info.bits == 2 || info.bits == 4 || info.bits == 8 || info.bits == 16 ||
                 info.bits == 24 || info.bits == 32;
            break;
        case kRle8:
            ok = info.bits == 8;
            break;
        case kRle4:
            ok = info.bits == 4;
            break;
        case kBitFields:
            ok = info.bits == 16 || info.bits == 32;
            break;
        case kAlphaBitFields:
            // The 52-byte header has no room for the alpha mask.
            ok = (info.bits == 16 || info.bits == 32) && info.size != kV2Header;
            break;
        case kJpeg:
        case kPng:
            throw FormatError("BMP pictures holding JPEG or PNG data are not supported");
        default:
            throw FormatError("unknown BMP compression");
    }
    if (!ok) throw FormatError("unsupported number of bits per pixel for this BMP compression");
}

bool IsRle(std::uint32_t compression) {
    return compression == kRle8 || compression == kRle4;
}

// Walks run-length compressed pixel data. Rows run bottom-up. With out null the data is only
// checked; otherwise the pixels are stored in out, whose pixels start as index 0. Pixels that a run
// or a literal block puts past the end of its row (many writers cover the row's padding) are
// dropped; codes that would put pixels above the top row, or data that ends early, are refused.
void DecodeRle(std::span<const std::uint8_t> src, int width, int height, int bits, std::size_t colours,
               Bitmap* out) {
    std::size_t i = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;  // counted from the bottom row
    // Puts count pixels from x on, pixel k having colour index value(k); x moves past all of them.
    auto put = [&](std::uint32_t count, auto value) {
        if (y >= height) throw FormatError("compressed pixel data goes past the end of the picture");
        const std::int64_t inside = std::clamp<std::int64_t>(width - x, 0, count);
        for (std::uint32_t k = 0; k < inside; ++k) {
            const std::uint32_t index = value(k);
            if (index >= colours) throw FormatError("colour index beyond the colour table");
            if (out) out->SetPixelValue(int(x) + int(k), height - 1 - int(y), index);
        }
        x += count;
    };
    for (;;) {
        if (src.size() - i < 2) {
            // Data that stops without an end-of-picture code is fine once every row is done.
            if (y >= height) return;
            throw FormatError("compressed pixel data ends early");
        }
        const std::uint32_t first = src[i];
        const std::uint32_t second = src[i + 1];
        i += 2;
        if (first > 0) {  // a run of first pixels
            put(first, [&](std::uint32_t k) {
                return bits == 8 ? second : (k & 1) ? (second & 15u) : (second >> 4);
            });
        } else if (second == 0) {  // end of row
            if (y >= height) throw FormatError("compressed pixel data goes past the end of the picture");
            x = 0;
            ++y;
        } else if (second == 1) {  // end of picture
            return;
        } else if (second == 2) {  // move right and up
            if (src.size() - i < 2) throw FormatError("compressed pixel data ends early");
            x += src[i];
            y += src[i + 1];
            i += 2;
            if (y >= height) throw FormatError("compressed pixel data moves past the end of the picture");
        } else {  // second literal pixels, padded to a 16-bit boundary
            const std::size_t bytes = bits == 8 ? second : (second + 1) / 2;
            const std::size_t padded = bytes + (bytes & 1);
            if (src.size() - i < padded) throw FormatError("compressed pixel data ends early");
            const std::uint8_t* literal = src.data() + i;
            put(second, [&](std::uint32_t k) {
                return bits == 8 ? literal[k]
                       : (k & 1) ? (literal[k / 2] & 15u)
                                 : std::uint32_t(literal[k / 2] >> 4);
            });
            i += padded;
        }
    }
}

// Refuses a picture that uses colour indices its colour table does not have.
void CheckIndices(const Bitmap& b, std::size_t colours) {
    if (colours >= (std::size_t(1) << b.Format().bitsPerPixel)) return;
    for (int y = 0; y < b.Height(); ++y) {
        if (b.Format().bitsPerPixel == 8) {
            const std::uint8_t* row = b.Row(y);
            for (int x = 0; x < b.Width(); ++x)
                if (row[x] >= colours) throw FormatError("colour index beyond the colour table");
        } else {
            for (int x = 0; x < b.Width(); ++x)
                if (b.PixelValue(x, y) >= colours) throw FormatError("colour index beyond the colour table");
        }
    }
}

// Reads the picture in data; with a buffer that holds data, the rows may stay where they lie in it.
Bitmap ReadPicture(std::span<const std::uint8_t> data, const std::shared_ptr<std::uint8_t[]>* buffer) {
    const std::uint8_t* p = data.data();
    const std::size_t size = data.size();
    if (size < kFileHeaderSize + 4) throw FormatError("file too short to be a BMP picture");
    if (p[0] != 'B' || p[1] != 'M') throw FormatError("not a BMP picture");
    // A file size smaller than the data is common and harmless; a larger one means bytes are missing.
    if (LoadU32(p + 2) > size) throw FormatError("BMP file is shorter than its header says");
    const std::uint32_t pixelOffset = LoadU32(p + 10);
    const std::uint32_t headerSize = LoadU32(p + kFileHeaderSize);
    if (!IsKnownHeaderSize(headerSize)) throw FormatError("unknown kind of BMP header");
    if (size - kFileHeaderSize < headerSize) throw FormatError("BMP file ends inside its header");
    const std::uint8_t* h = p + kFileHeaderSize;
    const InfoHeader info = ParseInfoHeader(h, headerSize);

    if (info.planes != 1) throw FormatError("BMP header gives a plane count other than 1");
    if (info.width <= 0) throw FormatError("BMP picture width is not positive");
    if (info.height == 0) throw FormatError("BMP picture height is zero");
    const bool topDown = info.height < 0;
    const std::int64_t rows = topDown ? -info.height : info.height;
    if (info.width * rows > Bitmap::kMaxPixels) throw FormatError("BMP picture has too many pixels");
    CheckEncoding(info);
    const bool rle = IsRle(info.compression);
    if (rle && topDown) throw FormatError("compressed BMP picture cannot have top-down rows");
    {
        // Pixels many times wider than high (or the reverse) are a damaged header, not a picture.
        const std::int64_t xd = info.xPelsPerMeter;
        const std::int64_t yd = info.yPelsPerMeter;
        if (xd > 0 && yd > 0 && (xd > 1000 * yd || yd > 1000 * xd))
            throw FormatError("BMP header gives an absurd pixel density");
    }
    if (pixelOffset > size) throw FormatError("BMP pixel data lies beyond the end of the file");
    if (info.sizeImage > size - pixelOffset)
        throw FormatError("BMP header gives a pixel data size larger than the file");

    // Colour masks, in the header or right after a 40-byte one.
    std::size_t tableStart = kFileHeaderSize + headerSize;
    PixelFormat format;
    if (info.compression == kBitFields || info.compression == kAlphaBitFields) {
        std::uint32_t masks[4] = {0, 0, 0, 0};
        if (HasMaskFields(headerSize)) {
            for (int k = 0; k < 3; ++k)
                masks[k] = LoadU32(h + kRedMaskField + 4 * k);
            if (HasAlphaMaskField(headerSize)) masks[3] = LoadU32(h + kAlphaMaskField);
        } else {
            const int count = info.compression == kAlphaBitFields ? 4 : 3;
            if (size - tableStart < std::size_t(4 * count))
                throw FormatError("BMP file ends inside its colour masks");
            for (int k = 0; k < count; ++k)
                masks[k] = LoadU32(p + tableStart + 4 * k);
            tableStart += 4 * count;
        }
        format = PixelFormat::BitFields(int(info.bits), masks[0], masks[1], masks[2], masks[3]);
        if (!HasValidMasks(format))
            throw FormatError("BMP colour masks are invalid (a channel is missing, split or overlapping)");
    } else if (info.bits == 16) {
        format = PixelFormat::Rgb555();
    } else if (info.bits == 24) {
        format = PixelFormat::Rgb24();
    } else if (info.bits == 32) {
        format = PixelFormat::Bgrx32();
    } else {
        format = PixelFormat::Indexed(int(info.bits));
    }

    // The colour table lies between the masks and the pixel data.
    if (pixelOffset < tableStart) throw FormatError("BMP pixel data offset points into the header");
    const std::size_t entrySize = headerSize == kCoreHeader ? 3 : 4;
    const std::size_t room = (pixelOffset - tableStart) / entrySize;
    const std::size_t implied = info.bits <= 8 ? std::size_t(1) << info.bits : 0;
    std::size_t colours;
    if (info.clrUsed != 0) {
        if (info.clrUsed > room) throw FormatError("BMP colour table does not fit before the pixel data");
        colours = info.clrUsed;
    } else {
        // Without a count, the table is the full one for the bit depth, or as much of it as fits:
        // short tables are common in OS/2 files, which have no count field.
        colours = std::min(implied, room);
    }
    if (format.IsIndexed() && colours == 0) throw FormatError("BMP picture has no colour table");
    std::vector<RgbQuad> palette(colours);
    for (std::size_t k = 0; k < colours; ++k) {
        const std::uint8_t* e = p + tableStart + k * entrySize;
        palette[k] = RgbQuad{e[0], e[1], e[2], entrySize == 4 ? e[3] : std::uint8_t(0)};
    }

    const int width = int(info.width);
    const int height = int(rows);
    const std::span<const std::uint8_t> pixels = data.subspan(pixelOffset);
    Bitmap bitmap;
    if (rle) {
        DecodeRle(pixels, width, height, int(info.bits), colours, nullptr);
        bitmap = Bitmap(width, height, format);
        bitmap.SetPalette(std::move(palette));
        DecodeRle(pixels, width, height, int(info.bits), colours, &bitmap);
    } else {
        const std::size_t stride = Bitmap::StrideFor(width, int(info.bits));
        // Some writers leave out the padding after the last row; its pixels are all that is needed.
        const std::size_t lastRow = (std::size_t(width) * info.bits + 7) / 8;
        if (stride * std::size_t(height - 1) + lastRow > pixels.size())
            throw FormatError("BMP pixel data is truncated");
        const std::size_t available = std::min(stride * std::size_t(height), pixels.size());
        const std::size_t blockBytes = stride * std::size_t(height);
        if (buffer != nullptr && available == blockBytes && blockBytes >= data.size() / 2) {
            // The buffer is the reader's own, the rows are complete and make up most of it: keep
            // them where they are.
            std::shared_ptr<std::uint8_t[]> rows(*buffer, buffer->get() + (pixels.data() - buffer->get()));
            bitmap = Bitmap(width, height, format, std::move(rows), !topDown);
        } else if (topDown) {
            bitmap = Bitmap(width, height, format);
            std::memcpy(bitmap.Row(0), pixels.data(), available);
        } else {
            bitmap = Bitmap(width, height, format);
            for (int y = 0; y < height; ++y) {
                const std::size_t start = std::size_t(y) * stride;
                std::memcpy(bitmap.Row(height - 1 - y), pixels.data() + start,
                            std::min(stride, available - start));
            }
        }
        if (format.IsIndexed()) CheckIndices(bitmap, colours);
        bitmap.SetPalette(std::move(palette));
    }

    BmpOrigin& origin = bitmap.Origin();
    origin.headerSize = headerSize;
    origin.header.assign(h, h + headerSize);
    origin.compression = info.compression;
    origin.topDown = topDown;
    origin.xPelsPerMeter = info.xPelsPerMeter;
    origin.yPelsPerMeter = info.yPelsPerMeter;
    origin.sizeImage = info.sizeImage;
    origin.clrUsed = info.clrUsed;
    origin.clrImportant = info.clrImportant;
    if (headerSize == kV5Header) {
        const std::uint32_t csType = LoadU32(h + kCsTypeField);
        const std::uint64_t start = kFileHeaderSize + std::uint64_t(LoadU32(h + kProfileDataField));
        const std::uint64_t length = LoadU32(h + kProfileSizeField);
        // A profile that lies outside the data cannot be kept; the picture itself is still sound.
        if ((csType == kProfileLinked || csType == kProfileEmbedded) && length > 0 && start <= size &&
            length <= size - start)
            origin.profile.assign(p + start, p + start + length);
    }
    return bitmap;
}

}  // namespace

Bitmap ReadBmp(std::span<const std::uint8_t> data) {
    return ReadPicture(data, nullptr);
}

Bitmap ReadBmp(const FileBytes& file, std::size_t offset, std::size_t length) {
    const std::span<const std::uint8_t> all = file.Span();
    const std::span<const std::uint8_t> rest = all.subspan(std::min(offset, all.size()));
    return ReadPicture(rest.first(std::min(length, rest.size())), &file.data);
}

Bitmap ReadBmpFile(const std::string& path) {
    FileBytes file;
    try {
        file = ReadFileBytes(path);
    } catch (const std::system_error& e) {
        throw FormatError(e.what());
    }
    return ReadBmp(file, 0);
}

}  // namespace curvana
