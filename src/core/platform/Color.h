#pragma once

#include <cstdint>

namespace curvana {

// A colour as the program stores it: 0x00BBGGRR, red in the low byte.
using TColor = std::uint32_t;

constexpr TColor RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}
constexpr std::uint8_t GetRValue(TColor c) {
    return std::uint8_t(c);
}
constexpr std::uint8_t GetGValue(TColor c) {
    return std::uint8_t(c >> 8);
}
constexpr std::uint8_t GetBValue(TColor c) {
    return std::uint8_t(c >> 16);
}

constexpr TColor clBlack = RGB(0, 0, 0);
constexpr TColor clRed = RGB(255, 0, 0);
constexpr TColor clWhite = RGB(255, 255, 255);
constexpr TColor clSilver = RGB(192, 192, 192);
constexpr TColor clGray = RGB(128, 128, 128);

// A pixel of a raster (the 32-bit drawing surface): 0xFFRRGGBB, so that the bytes in memory are B, G,
// R, 255, the order of a 32-bit BMP and of the screen's own pixels: a raster is shown without any
// conversion.
using RasterPixel = std::uint32_t;
constexpr RasterPixel kOpaque = 0xFF000000u;
constexpr RasterPixel ToRasterPixel(TColor c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu) | kOpaque;
}
constexpr TColor FromRasterPixel(RasterPixel p) {
    return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}

}  // namespace curvana
