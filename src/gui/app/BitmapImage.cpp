#include "app/BitmapImage.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace curvana {

namespace {

// One channel of a colour of opacity alpha drawn over white, from the channel premultiplied by
// alpha: c * a / 255 + (255 - a), rounded once (the premultiplication rounds, the rest is whole).
std::uint8_t OverWhite(int premultiplied, int alpha) {
    return std::uint8_t(std::min(255, premultiplied + 255 - alpha));
}

RgbQuad QuadOverWhite(QRgb color) {
    const QRgb p = qPremultiply(color);
    const int a = qAlpha(color);
    return {OverWhite(qBlue(p), a), OverWhite(qGreen(p), a), OverWhite(qRed(p), a), 0};
}

}  // namespace

QImage ToQImage(const Bitmap& bitmap) {
    if (bitmap.Empty()) return {};
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    if (image.isNull()) return {};
    for (int y = 0; y < bitmap.Height(); ++y)
        bitmap.ConvertRow(y, 0, bitmap.Width(), reinterpret_cast<RasterPixel*>(image.scanLine(y)));
    return image;
}

Bitmap ToBitmap(const QImage& image) {
    if (image.isNull()) return {};
    const int w = image.width(), h = image.height();
    const QImage::Format format = image.format();
    const QList<QRgb> table = image.colorTable();
    const bool mono = format == QImage::Format_Mono || format == QImage::Format_MonoLSB;
    if ((mono || format == QImage::Format_Indexed8) && !table.isEmpty()) {
        const int bits = mono ? 1 : 8;
        Bitmap picture(w, h, PixelFormat::Indexed(bits));
        std::vector<RgbQuad> palette;
        for (qsizetype i = 0; i < std::min<qsizetype>(table.size(), qsizetype(1) << bits); ++i)
            palette.push_back(QuadOverWhite(table[i]));
        picture.SetPalette(std::move(palette));
        // A 1-bit picture keeps its leftmost pixel in the high bit of a byte.
        const QImage rows =
            format == QImage::Format_MonoLSB ? image.convertToFormat(QImage::Format_Mono) : image;
        const std::size_t bytes = (std::size_t(w) * std::size_t(bits) + 7) / 8;
        for (int y = 0; y < h; ++y)
            std::memcpy(picture.Row(y), rows.constScanLine(y), bytes);
        return picture;
    }
    Bitmap picture(w, h, PixelFormat::Rgb24());
    // A band of rows at a time, so that a large picture is never held in a second full copy.
    constexpr int kBand = 64;
    for (int y0 = 0; y0 < h; y0 += kBand) {
        const int n = std::min(kBand, h - y0);
        const QImage band = image.copy(0, y0, w, n).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (band.isNull()) throw std::bad_alloc();
        for (int y = 0; y < n; ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(band.constScanLine(y));
            std::uint8_t* out = picture.Row(y0 + y);
            for (int x = 0; x < w; ++x, out += 3) {
                const int a = qAlpha(in[x]);
                out[0] = OverWhite(qBlue(in[x]), a);
                out[1] = OverWhite(qGreen(in[x]), a);
                out[2] = OverWhite(qRed(in[x]), a);
            }
        }
    }
    return picture;
}

}  // namespace curvana
