#include "gif/GifBitmap.h"

#include "platform/FileBytes.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

#include "gif/GifDecoder.h"
#include "gif/GifError.h"

namespace curvana {

Bitmap GifToBitmap(const GifImage& image) {
    if (image.frames.empty()) return Bitmap();
    const GifFrame& frame = image.frames.front();
    const GifColorMap& map = ActiveColorMap(image, frame);
    std::vector<RgbQuad> palette;
    palette.reserve(map.size());
    for (const GifRgb& c : map)
        palette.push_back(RgbQuad{c.blue, c.green, c.red, 0});

    const std::size_t frameWidth = std::size_t(frame.width);
    if (frame.width == image.screenWidth && frame.height == image.screenHeight) {
        Bitmap bitmap(frame.width, frame.height, PixelFormat::Indexed(8));
        bitmap.SetPalette(std::move(palette));
        for (int y = 0; y < frame.height && frameWidth > 0; ++y)
            std::memcpy(bitmap.Row(y), frame.pixels.data() + std::size_t(y) * frameWidth, frameWidth);
        return bitmap;
    }

    Bitmap bitmap(image.screenWidth, image.screenHeight, PixelFormat::Indexed(8));
    bitmap.SetPalette(std::move(palette));
    const std::uint8_t background = image.globalMap.empty() ? 0 : image.background;
    if (background != 0 && !bitmap.Empty()) {
        for (int y = 0; y < bitmap.Height(); ++y)
            std::memset(bitmap.Row(y), background, std::size_t(bitmap.Width()));
    }

    // The part of the frame that lies on the screen.
    const int x0 = std::min(frame.left, image.screenWidth);
    const int x1 = std::min(frame.left + frame.width, image.screenWidth);
    const int y0 = std::min(frame.top, image.screenHeight);
    const int y1 = std::min(frame.top + frame.height, image.screenHeight);
    const int count = x1 - x0;
    for (int y = y0; y < y1 && count > 0; ++y) {
        const std::uint8_t* src = frame.pixels.data() + std::size_t(y - frame.top) * frameWidth;
        std::uint8_t* dst = bitmap.Row(y) + x0;
        if (!frame.transparent) {
            std::memcpy(dst, src, std::size_t(count));
            continue;
        }
        for (int i = 0; i < count; ++i)
            if (src[i] != frame.transparentIndex) dst[i] = src[i];
    }
    return bitmap;
}

Bitmap ReadGifFile(const std::string& path) {
    FileBytes file;
    try {
        file = ReadFileBytes(path);
    } catch (const std::system_error& e) {
        throw GifError(e.what());
    }
    return GifToBitmap(DecodeGif(file.Span()));
}

}  // namespace curvana
