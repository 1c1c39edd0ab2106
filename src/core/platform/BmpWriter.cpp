#include "platform/BmpWriter.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <span>
#include <stdexcept>
#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/BmpLayout.h"

namespace curvana {

using namespace bmp;

namespace {

// A BMP file but for its pixel rows: the headers, masks and colour table before the rows and the
// profile after them.
struct Plan {
    std::vector<std::uint8_t> head;
    bool topDown = false;
    std::span<const std::uint8_t> trailer;
    std::uint64_t total = 0;
};

// The colour table to write. Indices beyond the picture's own table get black entries, so that the
// file shows the colours the program shows and is one the reader accepts.
std::vector<RgbQuad> TableToWrite(const Bitmap& b) {
    std::vector<RgbQuad> table = b.Palette();
    const int bits = b.Format().bitsPerPixel;
    if (bits > 8 || table.size() >= (std::size_t(1) << bits)) return table;
    std::uint32_t highest = 0;
    for (int y = 0; y < b.Height(); ++y) {
        if (bits == 8) {
            const std::uint8_t* row = b.Row(y);
            highest = std::max<std::uint32_t>(highest, *std::max_element(row, row + b.Width()));
        } else {
            for (int x = 0; x < b.Width(); ++x)
                highest = std::max(highest, b.PixelValue(x, y));
        }
    }
    if (highest >= table.size()) table.resize(std::size_t(highest) + 1);
    return table;
}

Plan MakePlan(const Bitmap& b) {
    if (b.Empty()) throw std::invalid_argument("cannot write an empty picture as BMP");
    const PixelFormat& f = b.Format();
    const BmpOrigin& o = b.Origin();
    const int bits = f.bitsPerPixel;
    const bool deep = bits == 16 || bits == 32;
    if (deep && !HasValidMasks(f)) throw std::invalid_argument("colour masks a BMP file cannot hold");
    const bool alpha = deep && f.alphaMask != 0;
    const bool cameWithBitFields = o.compression == kBitFields || o.compression == kAlphaBitFields;
    const bool bitFields = deep && (!f.HasDefaultMasks() || cameWithBitFields);
    const bool cameRle = o.compression == kRle8 || o.compression == kRle4;
    const std::vector<RgbQuad> table = TableToWrite(b);
    const std::size_t implied = bits <= 8 ? std::size_t(1) << bits : 0;

    // The header the picture came with, unless it cannot express the picture as it is now.
    const bool keepHeader = IsKnownHeaderSize(o.headerSize) && o.header.size() == o.headerSize;
    std::uint32_t hs = keepHeader ? o.headerSize : kInfoHeader;
    if ((hs == kCoreHeader || hs == kOs2ShortHeader) && (bitFields || table.size() > implied))
        hs = kInfoHeader;
    if (hs == kCoreHeader && (b.Width() > 0xFFFF || b.Height() > 0xFFFF || o.topDown)) hs = kInfoHeader;
    if (hs == kOs2Header && bitFields) hs = kInfoHeader;
    if (hs == kV2Header && (alpha || o.compression == kAlphaBitFields)) hs = kInfoHeader;

    const std::uint32_t compression = !bitFields ? kRgb
                                      : (o.compression == kAlphaBitFields || (alpha && hs == kInfoHeader))
                                          ? kAlphaBitFields
                                          : kBitFields;
    const std::size_t maskCount =
        bitFields && hs == kInfoHeader ? (compression == kAlphaBitFields ? 4 : 3) : 0;
    const std::size_t entrySize = hs == kCoreHeader ? 3 : 4;
    const bool withProfile = hs == kV5Header && !o.profile.empty();

    Plan plan;
    plan.topDown = o.topDown && hs != kCoreHeader;
    const std::uint64_t pixelOffset = kFileHeaderSize + hs + 4 * maskCount + entrySize * table.size();
    const std::uint64_t pixelBytes = b.ByteSize();
    plan.total = pixelOffset + pixelBytes + (withProfile ? o.profile.size() : 0);
    if (plan.total > 0xFFFFFFFFu) throw std::length_error("picture too large for a BMP file");
    if (withProfile) plan.trailer = o.profile;

    std::vector<std::uint8_t>& head = plan.head;
    head.assign(pixelOffset, 0);
    head[0] = 'B';
    head[1] = 'M';
    StoreU32(&head[2], std::uint32_t(plan.total));
    StoreU32(&head[10], std::uint32_t(pixelOffset));

    std::uint8_t* h = &head[kFileHeaderSize];
    if (hs == o.headerSize && keepHeader) std::memcpy(h, o.header.data(), hs);
    StoreU32(h, hs);
    if (hs == kCoreHeader) {
        StoreU16(h + 4, std::uint16_t(b.Width()));
        StoreU16(h + 6, std::uint16_t(b.Height()));
        StoreU16(h + 8, 1);
        StoreU16(h + 10, std::uint16_t(bits));
    } else {
        StoreU32(h + kWidthField, std::uint32_t(b.Width()));
        StoreU32(h + kHeightField,
                 plan.topDown ? std::uint32_t(-std::int64_t(b.Height())) : std::uint32_t(b.Height()));
        StoreU16(h + kPlanesField, 1);
        StoreU16(h + kBitCountField, std::uint16_t(bits));
    }
    if (hs >= kInfoHeader) {
        // A size of 0 is kept where the file gave it; it is allowed for uncompressed pixels.
        const bool zeroSize = keepHeader && o.sizeImage == 0 && !cameRle;
        const std::uint32_t used =
            o.clrUsed == 0 && table.size() == implied ? 0 : std::uint32_t(table.size());
        StoreU32(h + kCompressionField, compression);
        StoreU32(h + kSizeImageField, zeroSize ? 0 : std::uint32_t(pixelBytes));
        StoreU32(h + kXPelsField, std::uint32_t(o.xPelsPerMeter));
        StoreU32(h + kYPelsField, std::uint32_t(o.yPelsPerMeter));
        StoreU32(h + kClrUsedField, used);
        StoreU32(h + kClrImportantField, o.clrImportant <= table.size() ? o.clrImportant : 0);
    }
    const std::uint32_t masks[4] = {f.redMask, f.greenMask, f.blueMask, f.alphaMask};
    if (bitFields && HasMaskFields(hs)) {
        for (int k = 0; k < 3; ++k)
            StoreU32(h + kRedMaskField + 4 * k, masks[k]);
        if (HasAlphaMaskField(hs)) StoreU32(h + kAlphaMaskField, masks[3]);
    }
    if (hs == kV5Header) {
        StoreU32(h + kProfileDataField,
                 withProfile ? std::uint32_t(pixelOffset + pixelBytes - kFileHeaderSize) : 0);
        StoreU32(h + kProfileSizeField, withProfile ? std::uint32_t(o.profile.size()) : 0);
    }

    std::uint8_t* q = h + hs;
    for (std::size_t k = 0; k < maskCount; ++k, q += 4)
        StoreU32(q, masks[k]);
    for (const RgbQuad& e : table) {
        q[0] = e.blue;
        q[1] = e.green;
        q[2] = e.red;
        if (entrySize == 4) q[3] = e.reserved;
        q += entrySize;
    }
    return plan;
}

// Hands the pixel rows to sink in file order: bottom row first unless the file is top-down.
template <class Sink>
void EmitRows(const Bitmap& b, bool topDown, Sink&& sink) {
    if (topDown != b.RowsBottomUp()) {
        sink(b.Rows(), b.ByteSize());  // already in the file's order
        return;
    }
    if (topDown) {
        for (int y = 0; y < b.Height(); ++y)
            sink(b.Row(y), b.Stride());
        return;
    }
    for (int y = b.Height() - 1; y >= 0; --y)
        sink(b.Row(y), b.Stride());
}

}  // namespace

void WriteBmp(const Bitmap& bitmap, std::ostream& out) {
    const Plan plan = MakePlan(bitmap);
    out.write(reinterpret_cast<const char*>(plan.head.data()), std::streamsize(plan.head.size()));
    EmitRows(bitmap, plan.topDown, [&out](const std::uint8_t* p, std::size_t n) {
        out.write(reinterpret_cast<const char*>(p), std::streamsize(n));
    });
    out.write(reinterpret_cast<const char*>(plan.trailer.data()), std::streamsize(plan.trailer.size()));
    if (!out) throw std::runtime_error("writing the BMP picture failed");
}

std::vector<std::uint8_t> EncodeBmp(const Bitmap& bitmap) {
    const Plan plan = MakePlan(bitmap);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(plan.total);
    bytes.insert(bytes.end(), plan.head.begin(), plan.head.end());
    EmitRows(bitmap, plan.topDown,
             [&bytes](const std::uint8_t* p, std::size_t n) { bytes.insert(bytes.end(), p, p + n); });
    bytes.insert(bytes.end(), plan.trailer.begin(), plan.trailer.end());
    return bytes;
}

void WriteBmpFile(const Bitmap& bitmap, const std::string& path) {
    // A failed write leaves an existing file of that name as it was.
    WriteFileAtomically(path, [&bitmap](std::ostream& out) { WriteBmp(bitmap, out); });
}

}  // namespace curvana
