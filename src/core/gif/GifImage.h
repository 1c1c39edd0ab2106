#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace curvana {

// One colour-map entry as a GIF file stores it.
struct GifRgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const GifRgb&) const = default;
};

// A global or local colour map: 2 to 256 entries, or none at all.
using GifColorMap = std::vector<GifRgb>;

enum class GifExtensionKind {
    GraphicControl,  // label 0xF9
    Comment,         // label 0xFE
    PlainText,       // label 0x01
    Netscape,        // label 0xFF with the identifier "NETSCAPE2.0"
    Application,     // label 0xFF, any other identifier
};

// An extension block as read. Only the fields of its own kind are filled in.
struct GifExtension {
    GifExtensionKind kind = GifExtensionKind::Comment;

    // Graphic control: the packed byte (bit 0: a transparent colour is given), the delay in
    // hundredths of a second and the transparent colour index.
    std::uint8_t packed = 0;
    std::uint16_t delay = 0;
    std::uint8_t transparentIndex = 0;

    // Application: the 11 bytes after the block size (8-byte identifier, 3-byte authentication code).
    std::string identifier;

    // Comment, plain text and application: the data sub-blocks joined together. For plain text
    // this starts with the 12-byte text-grid header.
    std::vector<std::uint8_t> data;

    bool MarksTransparent() const { return kind == GifExtensionKind::GraphicControl && (packed & 1); }
};

// One image of the file with the extensions that came before it.
struct GifFrame {
    std::vector<GifExtension> extensions;  // in file order
    int left = 0;
    int top = 0;
    int width = 0;  // never zero when the logical screen is not: a zero size takes the screen's size
    int height = 0;
    std::uint8_t packed = 0;  // bit 7: local map present, bit 6: interlaced, bits 0-2: local map size
    GifColorMap localMap;
    // Set when a graphic control extension before the frame marks a transparent colour; with
    // several, the index is the last marking one's.
    bool transparent = false;
    std::uint8_t transparentIndex = 0;
    // width * height colour indices, rows top to bottom (interlacing already undone).
    std::vector<std::uint8_t> pixels;

    bool Interlaced() const { return (packed & 0x40) != 0; }
};

// A decoded GIF file.
struct GifImage {
    std::string version;  // the three characters after the signature, as found ("89a", "87a", ...)
    int screenWidth = 0;
    int screenHeight = 0;
    std::uint8_t packed = 0;  // bit 7: global map present, bits 0-2: global map size
    std::uint8_t background = 0;
    std::uint8_t aspect = 0;
    GifColorMap globalMap;
    std::vector<GifFrame> frames;
    // Extensions that no image descriptor followed (for instance a comment placed after the last
    // image), in file order.
    std::vector<GifExtension> looseExtensions;
    // Frames that were read but not kept because the pixels kept in all would have passed
    // kMaxKeptPixels.
    int droppedFrames = 0;
};

// The colour map a frame's indices refer to: its local map when that has entries, else the global map.
inline const GifColorMap& ActiveColorMap(const GifImage& image, const GifFrame& frame) {
    return frame.localMap.empty() ? image.globalMap : frame.localMap;
}

}  // namespace curvana
