#pragma once

// The layout of a BMP file, shared by the reader and the writer: header sizes, field offsets,
// compression codes, little-endian access and the rule for valid colour masks.

#include <bit>
#include <cstddef>
#include <cstdint>

#include "platform/Bitmap.h"

namespace curvana::bmp {

constexpr std::size_t kFileHeaderSize = 14;  // "BM", file size, two reserved words, pixel offset

// Sizes of the info header, which tell its kind.
constexpr std::uint32_t kCoreHeader = 12;      // OS/2 1.x: 16-bit width and height, 3-byte colours
constexpr std::uint32_t kOs2ShortHeader = 16;  // OS/2 2.x with only width, height, planes, bits
constexpr std::uint32_t kInfoHeader = 40;      // Windows 3
constexpr std::uint32_t kV2Header = 52;        // 40 bytes and the red, green and blue masks
constexpr std::uint32_t kV3Header = 56;        // and the alpha mask
constexpr std::uint32_t kOs2Header = 64;       // OS/2 2.x full header
constexpr std::uint32_t kV4Header = 108;       // colour space, end points, gamma
constexpr std::uint32_t kV5Header = 124;       // rendering intent and colour profile

constexpr bool IsKnownHeaderSize(std::uint32_t size) {
    return size == kCoreHeader || size == kOs2ShortHeader || size == kInfoHeader || size == kV2Header ||
           size == kV3Header || size == kOs2Header || size == kV4Header || size == kV5Header;
}
// Headers that carry the colour masks themselves (the OS/2 64-byte header uses those bytes otherwise).
constexpr bool HasMaskFields(std::uint32_t size) {
    return size == kV2Header || size == kV3Header || size == kV4Header || size == kV5Header;
}
constexpr bool HasAlphaMaskField(std::uint32_t size) {
    return HasMaskFields(size) && size >= kV3Header;
}

// Compression codes. In the OS/2 64-byte header, 3 and 4 mean Huffman 1D and RLE24 instead.
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kJpeg = 4;
constexpr std::uint32_t kPng = 5;
constexpr std::uint32_t kAlphaBitFields = 6;

// Field offsets inside the info header (the core header has its own: 4, 6, 8, 10 as 16-bit words).
constexpr std::size_t kWidthField = 4;
constexpr std::size_t kHeightField = 8;
constexpr std::size_t kPlanesField = 12;
constexpr std::size_t kBitCountField = 14;
constexpr std::size_t kCompressionField = 16;
constexpr std::size_t kSizeImageField = 20;
constexpr std::size_t kXPelsField = 24;
constexpr std::size_t kYPelsField = 28;
constexpr std::size_t kClrUsedField = 32;
constexpr std::size_t kClrImportantField = 36;
constexpr std::size_t kRedMaskField = 40;
constexpr std::size_t kGreenMaskField = 44;
constexpr std::size_t kBlueMaskField = 48;
constexpr std::size_t kAlphaMaskField = 52;
constexpr std::size_t kCsTypeField = 56;
constexpr std::size_t kProfileDataField = 112;  // offset of the profile from the start of the info header
constexpr std::size_t kProfileSizeField = 116;

// Colour-space types of a version 5 header whose profile data lies in the file.
constexpr std::uint32_t kProfileLinked = 0x4C494E4B;    // 'LINK': the profile's file name
constexpr std::uint32_t kProfileEmbedded = 0x4D424544;  // 'MBED': the profile itself

inline std::uint16_t LoadU16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
inline void StoreU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
inline void StoreU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

// A mask describes a channel if it is one unbroken run of set bits.
constexpr bool IsContiguousMask(std::uint32_t mask) {
    if (mask == 0) return false;
    std::uint32_t run = mask >> std::countr_zero(mask);
    return (run & (run + 1)) == 0;
}

// Masks of a 16- or 32-bit format the program can show: red, green and blue each present and
// contiguous, alpha absent or contiguous, no two overlapping, all inside the pixel's bits.
inline bool HasValidMasks(const PixelFormat& f) {
    if (f.bitsPerPixel != 16 && f.bitsPerPixel != 32) return false;
    const std::uint32_t all = f.bitsPerPixel == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    const std::uint32_t masks[] = {f.redMask, f.greenMask, f.blueMask, f.alphaMask};
    std::uint32_t seen = 0;
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t m = masks[i];
        if (m == 0 && i == 3) continue;
        if (!IsContiguousMask(m) || (m & ~all) != 0 || (m & seen) != 0) return false;
        seen |= m;
    }
    return true;
}

}  // namespace curvana::bmp
